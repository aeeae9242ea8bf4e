#include "tests/support/TestMarkupCanvas.h"

#include "markup/ImageList.h"

#include <QImage>
#include <QPixmap>

TTestMarkupCanvas::TTestMarkupCanvas(const TMarkupFont& font, bool drawing)
    : m_drawing(drawing), m_font(font) {
}

TMarkupFont TTestMarkupCanvas::DefaultFont() {
    TMarkupFont font;
    font.Name = QStringLiteral("Tahoma");
    font.PixelSize = 13;
    font.Color = clBlack;
    return font;
}

int TTestMarkupCanvas::CharWidth(const TMarkupFont& font) {
    return (std::max(font.PixelSize, 0) + 1) / 2 + ((font.Style & fsBold) ? 1 : 0);
}

int TTestMarkupCanvas::CharWidth() const {
    return CharWidth(m_font);
}

QList<TTestMarkupCanvas::TCall> TTestMarkupCanvas::Texts() const {
    QList<TCall> texts;
    for (const TCall& call : Calls)
        if (call.Kind == TCallKind::Text)
            texts.append(call);
    return texts;
}

void TTestMarkupCanvas::SetFont(const TMarkupFont& font) {
    m_font = font;
    m_rotation = 0;
}

QString TTestMarkupCanvas::Shown(const QString& text, unsigned format) const {
    if (format & TextFormat::NoPrefix)
        return text;
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i; // "&x" shows x, "&&" one "&", a trailing "&" nothing
            if (i < text.size())
                shown += text[i];
        } else {
            shown += text[i];
        }
    }
    return shown;
}

int TTestMarkupCanvas::ShownWidth(const QString& shown) const {
    const int cw = CharWidth();
    int width = 0;
    for (QChar c : shown) {
        if (c == QLatin1Char('\t') && cw > 0)
            width = (width / (8 * cw) + 1) * 8 * cw;
        else
            width += cw;
    }
    return width;
}

int TTestMarkupCanvas::TextWidth(const QString& text, unsigned format) const {
    return ShownWidth(Shown(text, format));
}

int TTestMarkupCanvas::TextHeight(const QString&) {
    return m_font.PixelSize;
}

int TTestMarkupCanvas::DrawText(const QString& text, TRect& rect, unsigned format) {
    QString shown = Shown(text, format);
    int width = ShownWidth(shown);
    const int height = m_font.PixelSize;
    if (format & TextFormat::CalcRect) {
        rect.Right = rect.Left + width;
        rect.Bottom = rect.Top + height;
        return height;
    }
    if (!m_drawing)
        return height;
    if ((format & TextFormat::EndEllipsis) && width > rect.Width()) {
        const int cw = CharWidth();
        qsizetype keep = cw > 0 ? std::max(0, rect.Width() / cw - 3) : 0;
        shown = shown.left(std::min(keep, shown.size())) + QStringLiteral("...");
        width = ShownWidth(shown);
    }
    TCall call;
    call.Kind = TCallKind::Text;
    call.Text = shown;
    call.Rect = rect;
    call.X = rect.Left;
    call.Y = (format & TextFormat::Bottom) ? rect.Bottom : rect.Top + height;
    call.X2 = call.X + width;
    call.Format = format;
    call.Font = m_font;
    call.Color = m_font.Color;
    call.Background = m_brush;
    call.Rotation = m_rotation;
    Calls.append(call);
    return height;
}

void TTestMarkupCanvas::RecordBox(TCallKind kind, const TRect& rect) {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = kind;
    call.Rect = rect;
    call.Color = m_brush;
    call.PenColor = m_pen;
    Calls.append(call);
}

void TTestMarkupCanvas::Rectangle(const TRect& rect) {
    RecordBox(TCallKind::Rectangle, rect);
}

void TTestMarkupCanvas::FillRect(const TRect& rect) {
    RecordBox(TCallKind::FillRect, rect);
}

void TTestMarkupCanvas::MoveTo(int x, int y) {
    m_penX = x;
    m_penY = y;
}

void TTestMarkupCanvas::LineTo(int x, int y) {
    if (m_drawing) {
        TCall call;
        call.Kind = TCallKind::Line;
        call.X = m_penX;
        call.Y = m_penY;
        call.X2 = x;
        call.Y2 = y;
        call.Color = m_pen;
        call.PenColor = m_pen;
        Calls.append(call);
    }
    m_penX = x;
    m_penY = y;
}

void TTestMarkupCanvas::DrawImage(const TRect& target, const QImage&) {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = TCallKind::Image;
    call.Rect = target;
    call.X = target.Left;
    call.Y = target.Top;
    Calls.append(call);
}

void TTestMarkupCanvas::DrawPixmap(int x, int y, const QPixmap& pixmap) {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = TCallKind::Pixmap;
    call.X = x;
    call.Y = y;
    call.Rect = TRect{x, y, x + pixmap.width(), y + pixmap.height()};
    Calls.append(call);
}

void TTestMarkupCanvas::DrawImageList(const TImageList& images, int x, int y, int index, bool) {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = TCallKind::ImageList;
    call.X = x;
    call.Y = y;
    call.Rect = TRect{x, y, x + images.Width(), y + images.Height()};
    call.Index = index;
    Calls.append(call);
}

void TTestMarkupCanvas::SetClipRect(const TRect& rect) {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = TCallKind::Clip;
    call.Rect = rect;
    Calls.append(call);
}

void TTestMarkupCanvas::ClearClip() {
    if (!m_drawing)
        return;
    TCall call;
    call.Kind = TCallKind::ClearClip;
    Calls.append(call);
}
