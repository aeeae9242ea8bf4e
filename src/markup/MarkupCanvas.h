#pragma once

#include "markup/MarkupTypes.h"

#include <QString>

class QImage;
class QPixmap;
class TImageList;

// Text formats of the single-line text drawing, with the values the content was written for.
namespace TextFormat {
constexpr unsigned Top = 0x0;
constexpr unsigned Left = 0x0;
constexpr unsigned Bottom = 0x8;
constexpr unsigned SingleLine = 0x20;
constexpr unsigned ExpandTabs = 0x40;
constexpr unsigned NoClip = 0x100;
constexpr unsigned ExternalLeading = 0x200;
constexpr unsigned CalcRect = 0x400;
constexpr unsigned NoPrefix = 0x800;
constexpr unsigned EndEllipsis = 0x8000;
} // namespace TextFormat

// Font styles as a bit set.
enum TFontStyle : unsigned {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// The font as the markup engine sees it. The size is kept in pixels (the em height), which is
// what a base font given in pixels carries exactly; Size() gives points at a resolution.
struct TMarkupFont {
    QString Name;
    int PixelSize = 13;
    unsigned Style = 0; // TFontStyle bits
    TColor Color = clBlack;

    // Points = pixels x 72 / dpi, rounded, as the content's FONT SIZE thinks of sizes.
    int Size(int dpi) const;
    void SetSize(int points, int dpi);
    bool operator==(const TMarkupFont&) const = default;
};

// The surface the markup engine measures and draws on. The real one wraps QPainter; tests use a
// canvas with fixed metrics that records every drawing call. Drawing calls on a canvas that
// only measures are no-ops. Text is drawn on the brush colour when the brush is not clear (the
// text cell is filled first, as an opaque background), else transparently.
class TMarkupCanvas {
public:
    virtual ~TMarkupCanvas() = default;

    // Font. SetFont drops a rotation selected by SelectRotation (a new font is selected).
    virtual TMarkupFont Font() const = 0;
    virtual void SetFont(const TMarkupFont& font) = 0;
    // Rotates the text of the current font by tenths of a degree until the next SetFont or
    // RestoreRotation.
    virtual void SelectRotation(int tenthsOfDegree) = 0;
    virtual void RestoreRotation() = 0;

    // Brush: clNone is the clear brush.
    virtual TColor BrushColor() const = 0;
    virtual void SetBrushColor(TColor color) = 0;
    virtual TColor PenColor() const = 0;
    virtual void SetPenColor(TColor color) = 0;
    virtual int PenWidth() const = 0;
    virtual void SetPenWidth(int width) = 0;

    // Outline with the pen and interior with the brush; right and bottom edges excluded.
    virtual void Rectangle(const TRect& rect) = 0;
    // Interior only, with the brush (nothing with a clear brush).
    virtual void FillRect(const TRect& rect) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // A line with the pen from the current position, the end point excluded.
    virtual void LineTo(int x, int y) = 0;

    // Height of a text in the current font (one line): the font's line height, whatever the text.
    virtual int TextHeight(const QString& text) = 0;
    // Single-line text in a rectangle with TextFormat flags. With CalcRect nothing is drawn and
    // rect's right and bottom become the measured extent from its left and top. Returns the
    // height of the text.
    virtual int DrawText(const QString& text, TRect& rect, unsigned format) = 0;
    // The width of a text measured as the engine lays a line out: word by word, each word with
    // the spaces after it, every piece measured with DrawText and CalcRect and the widths added.
    virtual int WordsWidth(const QString& text, unsigned format);

    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;

    // Pictures: an image stretched into a rectangle; a pixmap at its natural size; image n of a
    // list; clipping to a rectangle (an empty optional clip removes it).
    virtual void DrawImage(const TRect& target, const QImage& image) = 0;
    virtual void DrawPixmap(int x, int y, const QPixmap& pixmap) = 0;
    virtual void DrawImageList(const TImageList& images, int x, int y, int index, bool enabled) = 0;
    virtual void SetClipRect(const TRect& rect) = 0;
    virtual void ClearClip() = 0;

    // Puts on the device whatever the canvas still holds back; RenderMarkup calls it before it
    // returns, so the caller may use its painter right after the call.
    virtual void Flush() {}
};
