#pragma once

#include "markup/MarkupCanvas.h"

#include <QList>
#include <QString>

// A canvas with fixed metrics for tests and the fuzzer, so that layout figures can be checked
// to the pixel without any real font:
//  - the text height of any non-empty text (and of "gh") is the font's pixel size;
//  - every shown character is (pixel size + 1) / 2 pixels wide, one more when bold;
//  - a tab advances to the next multiple of 8 character widths;
//  - prefix processing: "&x" shows x (underlined), "&&" one "&", a trailing "&" nothing;
//  - the end ellipsis keeps as many characters as fit with "..." after them.
// It records every drawing call; the resolution is settable (96 by default).
class TTestMarkupCanvas final : public TMarkupCanvas {
public:
    enum class TCallKind { Text, Rectangle, FillRect, Line, Image, Pixmap, ImageList, Clip, ClearClip };

    struct TCall {
        TCallKind Kind = TCallKind::Text;
        QString Text; // shown text (after prefix processing and ellipsis)
        TRect Rect;   // text rectangle as given; the rectangle of fills; target of images
        int X = 0;    // left of the shown text, top-left of pixmaps, line start
        int Y = 0;    // bottom of the shown text (it is bottom-aligned), line start
        int X2 = 0;   // line end
        int Y2 = 0;
        unsigned Format = 0;
        TMarkupFont Font; // font of text calls
        TColor Color = 0; // text: font colour; fills: brush; lines: pen
        TColor PenColor = 0;
        TColor Background = clNone; // text: the brush colour it was drawn on
        int Rotation = 0;
        int Index = -1; // image list index
    };

    explicit TTestMarkupCanvas(const TMarkupFont& font = DefaultFont(), bool drawing = true);

    static TMarkupFont DefaultFont();

    int CharWidth() const; // of the current font
    static int CharWidth(const TMarkupFont& font);
    // Width of a text as shown with the given format in the current font.
    int TextWidth(const QString& text, unsigned format = 0) const;

    void SetPixelsPerInch(int dpi) { m_dpi = dpi; }
    QList<TCall> Calls;         // everything drawn, in order
    QList<TCall> Texts() const; // only the text calls

    TMarkupFont Font() const override { return m_font; }
    void SetFont(const TMarkupFont& font) override;
    void SelectRotation(int tenthsOfDegree) override { m_rotation = tenthsOfDegree; }
    void RestoreRotation() override { m_rotation = 0; }
    TColor BrushColor() const override { return m_brush; }
    void SetBrushColor(TColor color) override { m_brush = color; }
    TColor PenColor() const override { return m_pen; }
    void SetPenColor(TColor color) override { m_pen = color; }
    int PenWidth() const override { return m_penWidth; }
    void SetPenWidth(int width) override { m_penWidth = width; }
    void Rectangle(const TRect& rect) override;
    void FillRect(const TRect& rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    int TextHeight(const QString& text) override;
    int DrawText(const QString& text, TRect& rect, unsigned format) override;
    int PixelsPerInchX() const override { return m_dpi; }
    int PixelsPerInchY() const override { return m_dpi; }
    void DrawImage(const TRect& target, const QImage& image) override;
    void DrawPixmap(int x, int y, const QPixmap& pixmap) override;
    void DrawImageList(const TImageList& images, int x, int y, int index, bool enabled) override;
    void SetClipRect(const TRect& rect) override;
    void ClearClip() override;

private:
    // A rectangle drawn or filled with the current brush and pen.
    void RecordBox(TCallKind kind, const TRect& rect);
    QString Shown(const QString& text, unsigned format) const;
    int ShownWidth(const QString& shown) const;

    bool m_drawing;
    TMarkupFont m_font;
    int m_rotation = 0;
    TColor m_brush = clNone;
    TColor m_pen = clBlack;
    int m_penWidth = 1;
    int m_penX = 0;
    int m_penY = 0;
    int m_dpi = 96;
};
