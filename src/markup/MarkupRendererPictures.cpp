// Pictures of the IMG tag and the backgrounds of BODY and P.
#include "markup/ImageList.h"
#include "markup/MarkupPicture.h"
#include "markup/MarkupRenderer.h"
#include "markup/MarkupShellIcon.h"
#include "markup/MarkupText.h"

#include <algorithm>
#include <cmath>

using MarkupText::Attribute;
using MarkupText::LeadingInt;
using MarkupText::ReadColor;
using MarkupText::RoundHalfEven;

namespace {

// Stretched pictures beyond this are content errors; the cap keeps them from eating memory.
constexpr int MaxPictureSize = 10000;
constexpr int MaxTiles = 100000;
constexpr int GradientBands = 64;

int Scale(int value, int dpi) {
    const long long p = (long long)value * dpi;
    return int(p >= 0 ? (p + 48) / 96 : (p - 48) / 96);
}

// The written-case text of a value found in the upper-cased copy of the same tag.
QString WrittenCase(QStringView tag, const QString& upper, QStringView value) {
    if (value.isEmpty())
        return QString();
    const qsizetype at = value.data() - upper.constData();
    return tag.mid(at, value.size()).toString();
}

} // namespace

TMarkupRenderer::TPictureSource TMarkupRenderer::ResolvePicture(const QString& source, bool useCache) {
    TPictureSource found;
    const QString upper = source.toUpper();
    const int dpiX = m_canvas.PixelsPerInchX();
    const int dpiY = m_canvas.PixelsPerInchY();
    if (upper.contains(QLatin1String("IDX:"))) {
        const auto n = LeadingInt(QStringView(source).mid(4));
        if (m_args.Images && n && *n >= 0 && *n < m_args.Images->Count()) {
            found = TPictureSource();
            found.Kind = TPictureSource::TKind::ImageList;
            found.Index = *n;
            found.Width = Scale(m_args.Images->Width(), dpiX);
            found.Height = Scale(m_args.Images->Height(), dpiY);
        }
    }
    for (const bool large : {false, true}) {
        if (!upper.contains(large ? QLatin1String("LSYS:") : QLatin1String("SSYS:")))
            continue;
        found = TPictureSource();
        found.Kind = TPictureSource::TKind::Icon;
        found.Width = Scale(MarkupShellIcon::IconSize(large), dpiX);
        found.Height = Scale(MarkupShellIcon::IconSize(large), dpiY);
        if (m_drawing)
            found.Icon = MarkupShellIcon::Icon(source.mid(5), large, found.Width);
    }
    // A name without a colon would come from a named-picture provider; there is none.
    if (useCache && upper.contains(QLatin1String("://")) && m_args.PictureCache) {
        TMarkupPicture* picture = m_args.PictureCache->FindPicture(source);
        if (!picture) {
            picture = m_args.PictureCache->AddPicture();
            picture->Asynchronous = false;
            picture->LoadFromSource(source);
        }
        if (!picture->Empty()) {
            found = TPictureSource();
            found.Kind = TPictureSource::TKind::Picture;
            found.Picture = picture;
            found.Width = picture->Width();
            found.Height = picture->Height();
        }
    }
    return found;
}

void TMarkupRenderer::DrawPictureAt(const TPictureSource& picture, int x, int y) {
    switch (picture.Kind) {
    case TPictureSource::TKind::ImageList:
        m_canvas.DrawImageList(*m_args.Images, x, y, picture.Index, true);
        break;
    case TPictureSource::TKind::Icon:
        m_canvas.DrawPixmap(x, y, picture.Icon);
        break;
    case TPictureSource::TKind::Picture:
        picture.Picture->Draw(m_canvas,
                              TRect{x + picture.Picture->DrawOffsetX(), y + picture.Picture->DrawOffsetY(),
                                    x + picture.Width, y + picture.Height});
        break;
    case TPictureSource::TKind::None:
        break;
    }
}

void TMarkupRenderer::ImageTag(QStringView tag) {
    ++m_pictureCount;
    const QString upper = tag.toString().toUpper();
    QString source;
    if (const auto src = Attribute(upper, QLatin1StringView("SRC")))
        source = WrittenCase(tag, upper, *src);
    if (m_pictureCount == m_hitPicture) {
        if (const auto alt = Attribute(upper, QLatin1StringView("ALT")))
            source = alt->toString();
    }
    int width = 0;
    int height = 0;
    if (const auto v = Attribute(upper, QLatin1StringView("WIDTH")))
        width = std::min(LeadingInt(*v).value_or(0), MaxPictureSize);
    if (const auto v = Attribute(upper, QLatin1StringView("HEIGHT")))
        height = std::min(LeadingInt(*v).value_or(0), MaxPictureSize);

    TPictureSource picture = ResolvePicture(source, true);
    const bool stretched = picture.Kind == TPictureSource::TKind::Picture && width >= 1 && height >= 1;
    if (stretched) {
        picture.Width = Scale(width, m_canvas.PixelsPerInchX());
        picture.Height = Scale(height, m_canvas.PixelsPerInchY());
    } else if (picture.Kind == TPictureSource::TKind::Picture) {
        picture.Width = Scale(picture.Width, m_canvas.PixelsPerInchX());
        picture.Height = Scale(picture.Height, m_canvas.PixelsPerInchY());
    }
    const int w = picture.Width;
    const int h = picture.Height;

    const int x = m_args.MouseX - m_rect.Left;
    if (m_inAnchor && m_lineWidth < x && x < m_lineWidth + w && m_rect.Top < m_args.MouseY &&
        m_args.MouseY < m_rect.Top + h) {
        m_pictureHit = true;
        m_out.AnchorHref = m_href;
        m_hitPicture = m_pictureCount;
    }
    if (m_rect.Width() < m_lineWidth + w && w < m_rect.Width()) {
        m_lineFull = true; // the picture starts the next line
        return;
    }
    if (m_drawing) {
        if (stretched) {
            picture.Picture->Stretch = true;
            picture.Picture->Draw(m_canvas, TRect{m_curX, m_rect.Top, m_curX + width, m_rect.Top + height});
            picture.Picture->Stretch = false;
        } else {
            DrawPictureAt(picture, m_curX, m_rect.Top);
        }
    }
    m_lineWidth += w;
    m_curX += w;
    if (m_lineHeight < h)
        m_lineHeight = h;
    if (upper.contains(QLatin1String("ALIGN"))) {
        const int gh = m_canvas.TextHeight(QStringLiteral("gh"));
        if (upper.contains(QLatin1String("\"TOP")))
            m_textLift = m_lineHeight - gh;
        else if (upper.contains(QLatin1String("\"MIDDLE")))
            m_textLift = (m_lineHeight - gh) / 2;
    }
    if (upper.contains(QLatin1String("WRAP"))) {
        m_lineHeight = m_canvas.TextHeight(QStringLiteral("gh"));
        m_textLift = 0;
    }
}

void TMarkupRenderer::BodyTag(QStringView tag) {
    const QString upper = tag.toString().toUpper();
    const TRect& bounds = m_args.Bounds;
    if (const auto background = Attribute(upper, QLatin1StringView("BACKGROUND"), 5)) {
        const TPictureSource picture = ResolvePicture(background->toString(), true);
        if (picture.Kind == TPictureSource::TKind::Picture) {
            if (picture.Width > 0 && picture.Height > 0) {
                m_canvas.SetClipRect(bounds);
                int tiles = 0;
                for (int y = bounds.Top; y < bounds.Bottom && tiles < MaxTiles; y += picture.Height)
                    for (int x = bounds.Left; x < bounds.Right && tiles < MaxTiles;
                         x += picture.Width, ++tiles)
                        DrawPictureAt(picture, x, y);
                m_canvas.ClearClip();
            }
        } else {
            DrawPictureAt(picture, m_curX, m_rect.Top);
        }
    }
    if (const auto topLeft = Attribute(upper, QLatin1StringView("BGTOPLEFT"), 5)) {
        const TPictureSource picture = ResolvePicture(topLeft->toString(), true);
        m_canvas.SetClipRect(bounds);
        DrawPictureAt(picture, bounds.Left, bounds.Top);
        m_canvas.ClearClip();
    }
    if (const auto topRight = Attribute(upper, QLatin1StringView("BGTOPRIGHT"), 5)) {
        const TPictureSource picture = ResolvePicture(topRight->toString(), true);
        DrawPictureAt(picture, bounds.Right - picture.Width, bounds.Top);
    }
    const auto bg = Attribute(upper, QLatin1StringView("BGCOLOR"), 5);
    if (!bg)
        return;
    const TColor color = ReadColor(*bg);
    const auto to = Attribute(upper, QLatin1StringView("BGCOLORTO"), 5);
    if (!to) {
        m_savedFontBrush = m_canvas.BrushColor();
        m_canvas.SetBrushColor(color);
        const TColor pen = m_canvas.PenColor();
        m_canvas.SetPenColor(color);
        m_canvas.Rectangle(TRect{bounds.Left - 2, bounds.Top, bounds.Right, bounds.Bottom});
        m_canvas.SetPenColor(pen);
        return;
    }
    const auto dir = Attribute(upper, QLatin1StringView("DIR"), 5);
    const bool horizontal = !dir || *dir == QLatin1String("H");
    m_canvas.SetPenColor(color);
    GradientFill(bounds, color, ReadColor(*to), horizontal);
    m_canvas.SetBrushColor(clNone);
}

void TMarkupRenderer::ParagraphBackground(QStringView upperTag) {
    const auto bg = Attribute(upperTag, QLatin1StringView("BGCOLOR"));
    if (!bg)
        return;
    m_paraBand = true;
    if (!m_drawing)
        return;
    const TColor color = ReadColor(*bg);
    const TRect& bounds = m_args.Bounds;
    const int bottom = m_rect.Bottom - m_extraBelow;
    const auto to = Attribute(upperTag, QLatin1StringView("BGCOLORTO"));
    if (!to) {
        m_savedParaBrush = m_canvas.BrushColor();
        m_canvas.SetBrushColor(color);
        m_canvas.SetPenColor(color);
        m_canvas.Rectangle(TRect{bounds.Left, m_rect.Top, bounds.Right, bottom});
        return;
    }
    m_canvas.SetPenColor(color);
    GradientFill(TRect{bounds.Left, m_rect.Top, bounds.Right, bottom + 2}, color, ReadColor(*to), true);
    m_canvas.SetBrushColor(clNone);
}

void TMarkupRenderer::ParagraphBandAtLineStart() {
    // With a clear brush (a gradient band, or the line that turns the band on) there is
    // nothing to paint.
    if (m_canvas.BrushColor() == clNone)
        return;
    const TRect& bounds = m_args.Bounds;
    m_canvas.SetPenColor(m_canvas.BrushColor());
    m_canvas.Rectangle(TRect{bounds.Left, m_rect.Top, bounds.Right, m_rect.Top + m_lineHeight});
}

void TMarkupRenderer::GradientFill(const TRect& rect, TColor from, TColor to, bool horizontal) {
    const QColor a = ToQColor(from).toRgb();
    const QColor b = ToQColor(to).toRgb();
    const int fr = from == clNone ? 0 : a.red(), fg = from == clNone ? 0 : a.green(),
              fb = from == clNone ? 0 : a.blue();
    const int tr = to == clNone ? 0 : b.red(), tg = to == clNone ? 0 : b.green(),
              tb = to == clNone ? 0 : b.blue();
    const int extent = horizontal ? rect.Width() : rect.Height();
    const double step = double(extent) / GradientBands;
    const int origin = horizontal ? rect.Left : rect.Top;
    const int limit = horizontal ? rect.Right : rect.Bottom;
    for (int i = 0; i < GradientBands; ++i) {
        const int red = fr + RoundHalfEven(double(i) * (tr - fr) / GradientBands);
        const int green = fg + RoundHalfEven(double(i) * (tg - fg) / GradientBands);
        const int blue = fb + RoundHalfEven(double(i) * (tb - fb) / GradientBands);
        const TColor color = TColor(red) | (TColor(green) << 8) | (TColor(blue) << 16);
        m_canvas.SetPenColor(color);
        m_canvas.SetBrushColor(color);
        const int start = origin + RoundHalfEven(i * step);
        const int end = std::min(start + int(std::trunc(step)) + 1, limit);
        if (horizontal)
            m_canvas.Rectangle(TRect{start, rect.Top, end, rect.Bottom});
        else
            m_canvas.Rectangle(TRect{rect.Left, start, rect.Right, end});
    }
}
