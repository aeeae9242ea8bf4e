#pragma once

#include "markup/MarkupCanvas.h"

#include <QFont>
#include <QPoint>

#include <memory>

class QPainter;
struct TQtFontEntry;

// The markup canvas over a QPainter. Without a painter it only measures (and so serves
// hit-testing); every drawing call is then a no-op. The resolution is the logical DPI of the
// painter's device, 96 without a painter.
class TQtMarkupCanvas final : public TMarkupCanvas {
public:
    TQtMarkupCanvas(QPainter* painter, const QFont& font);
    ~TQtMarkupCanvas() override;

    void SetFontColor(TColor color);
    // clNone: clear brush.
    void SetBrushColor(TColor color) override;

    // The QFont that the current markup font stands for.
    QFont CurrentQFont() const;

    TMarkupFont Font() const override;
    void SetFont(const TMarkupFont& font) override;
    void SelectRotation(int tenthsOfDegree) override;
    void RestoreRotation() override;
    TColor BrushColor() const override;
    TColor PenColor() const override;
    void SetPenColor(TColor color) override;
    int PenWidth() const override;
    void SetPenWidth(int width) override;
    void Rectangle(const TRect& rect) override;
    void FillRect(const TRect& rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    int TextHeight(const QString& text) override;
    int DrawText(const QString& text, TRect& rect, unsigned format) override;
    int WordsWidth(const QString& text, unsigned format) override;
    int PixelsPerInchX() const override;
    int PixelsPerInchY() const override;
    void DrawImage(const TRect& target, const QImage& image) override;
    void DrawPixmap(int x, int y, const QPixmap& pixmap) override;
    void DrawImageList(const TImageList& images, int x, int y, int index, bool enabled) override;
    void SetClipRect(const TRect& rect) override;
    void ClearClip() override;
    // Plain runs that continue one another in one font and colour are drawn as one piece of
    // text when something else is drawn, at Flush or when the canvas goes: the engine draws
    // word by word.
    void Flush() override;

private:
    TQtFontEntry& Entry();
    int MeasureWidth(const QString& text, bool prefix, bool tabs);
    void PreparePainterFont(TQtFontEntry& entry);

    QPainter* m_painter;
    QFont m_baseFont; // the family fallbacks and hinting of the caller's font
    TMarkupFont m_font;
    QString m_baseKey;
    std::shared_ptr<TQtFontEntry> m_entry;       // metrics of m_font, found on first use
    std::shared_ptr<TQtFontEntry> m_painterFont; // the font set on the painter
    bool m_clipSaved = false;
    int m_rotation = 0; // tenths of a degree, 0: none
    TColor m_brush = clNone;
    TColor m_pen = clBlack;
    int m_penWidth = 1;
    QPoint m_penPos;
    int m_dpiX = 96;
    int m_dpiY = 96;

    struct TPending {
        QString Text;
        std::shared_ptr<TQtFontEntry> Entry;
        TColor Color = clBlack;
        int X = 0;
        int Baseline = 0;
        int Width = 0;
    } m_pending;
};
