#include "markup/MarkupRenderer.h"

#include "markup/MarkupText.h"

#include <algorithm>

using MarkupText::Attribute;
using MarkupText::LeadingInt;
using MarkupText::ReadColor;

namespace {

constexpr unsigned BaseFormat =
    TextFormat::Bottom | TextFormat::SingleLine | TextFormat::ExpandTabs | TextFormat::ExternalLeading;
constexpr TColor ShadowColor = 0x808080;
constexpr TColor ErrorUnderlineColor = 0x0000FF;
constexpr int ListIndent = 12;
// Sane content never comes near these; they keep absurd numbers from overflowing the layout.
constexpr int MaxPosition = 100000;
constexpr int MaxFontPoints = 1000;

QChar UpperAt(QStringView s, qsizetype i) {
    return i < s.size() ? s[i].toUpper() : QChar();
}

} // namespace

TMarkupRenderer::TMarkupRenderer(TMarkupCanvas& canvas, const TMarkupArgs& args, TMarkupOutput& out)
    : m_canvas(canvas), m_args(args), m_out(out) {
}

qsizetype TMarkupRenderer::NextIndex(QChar c, qsizetype pos, qsizetype& cacheFrom, qsizetype& cacheAt) const {
    if (cacheFrom < 0 || pos < cacheFrom || pos > cacheAt) {
        cacheFrom = pos;
        cacheAt = m_text.indexOf(c, pos);
        if (cacheAt < 0)
            cacheAt = m_text.size();
    }
    return cacheAt < m_end ? cacheAt : -1;
}

bool TMarkupRenderer::Run(const QString& source) {
    const MarkupText::TPrepared prepared = MarkupText::Prepare(source);
    m_text = prepared.Text;
    m_measureFormat = BaseFormat | TextFormat::CalcRect;
    m_drawFormat = BaseFormat & ~TextFormat::ExternalLeading;
    if (prepared.NoPrefix) {
        m_measureFormat |= TextFormat::NoPrefix;
        m_drawFormat |= TextFormat::NoPrefix;
    }
    if (!m_args.WrapWords) {
        m_measureFormat |= TextFormat::EndEllipsis;
        m_drawFormat |= TextFormat::EndEllipsis;
    }

    m_entryBrush = m_canvas.BrushColor();
    m_canvas.SetBrushColor(clNone);
    m_out.NeededWidth = 0;
    m_out.NeededHeight = 0;
    m_baseFont = m_canvas.Font();
    TMarkupFont measureFont = m_baseFont;
    TMarkupFont placeFont = m_baseFont;
    TRect r = m_args.Bounds;
    r.Left += 1;
    bool result = false;

    qsizetype pos = 0;
    const qsizetype n = m_text.size();
    if (prepared.Plain && n > 0 && PlainLine(r))
        pos = n;
    while (pos < n) {
        m_canvas.SetFont(measureFont);
        m_sub = m_sup = false;
        m_extraAbove = m_extraBelow = 0;
        m_textLift = 0;
        m_listItemStarted = false;
        const int hgh = m_canvas.TextHeight(QStringLiteral("gh"));
        m_lineHeight = hgh;

        const bool inAnchor = m_inAnchor;
        const QString href = m_href;
        const int pictureCount = m_pictureCount;
        const int listLevel = m_listLevel;
        const bool hidden = m_hidden;
        const bool shadow = m_shadow;
        const qsizetype end = RunPass(pos, n, TPass::Measure, r);
        measureFont = m_canvas.Font();
        const int width = m_lineWidth;
        if (!m_args.MeasureOnly) {
            // The placing pass starts the line from the state the measuring pass started
            // from. Without a placing pass the measured state carries on, so that measuring
            // alone gives the sizes a drawing call gives.
            m_inAnchor = inAnchor;
            m_href = href;
            m_pictureCount = pictureCount;
            m_listLevel = listLevel;
            m_hidden = hidden;
            m_shadow = shadow;
            m_sub = m_sup = false;
            m_listItemStarted = false;
        }

        TRect placed;
        placed.Left = r.Left;
        if (m_align == AlignRight && r.Right - width > r.Left)
            placed.Left = r.Right - width;
        else if (m_align == AlignCenter && r.Right - r.Left - width > 0)
            placed.Left = r.Left + (r.Right - r.Left - width) / 2;
        placed.Left += m_indent;
        placed.Top = r.Top;
        placed.Right = r.Right;
        const int lineExtent = m_lineHeight + m_extraAbove + m_extraBelow;
        placed.Bottom = placed.Top + lineExtent;

        if (!m_args.MeasureOnly) {
            m_canvas.SetFont(placeFont);
            RunPass(pos, end, TPass::Place, placed);
            placeFont = m_canvas.Font();
            m_carriedOffset = m_offset;
            const int bottom = placed.Bottom - m_textLift;
            if ((m_textHit && bottom - hgh < m_args.MouseY && m_args.MouseY < bottom) || m_pictureHit)
                result = true;
        }
        r.Top += lineExtent;
        m_out.NeededHeight += lineExtent;
        if (end <= pos)
            break; // cannot happen with the fitting rules; never loop without progress
        pos = end;
        if (!m_args.MeasureOnly && r.Top + hgh > r.Bottom)
            break;
    }

    m_canvas.SetFont(m_baseFont);
    if (m_out.NeededHeight == 0)
        m_out.NeededHeight = m_canvas.TextHeight(QStringLiteral("gh"));
    m_canvas.SetBrushColor(m_entryBrush);
    m_canvas.Flush();
    return result;
}

bool TMarkupRenderer::PlainLine(const TRect& r) {
    const auto measure = [&](const QString& text) {
        TRect rect = r;
        m_canvas.DrawText(text, rect, m_measureFormat);
        return rect.Width();
    };
    int width = 0;
    if (m_args.WrapWords) {
        width = m_canvas.WordsWidth(m_text, m_measureFormat);
        // Every word fits while the whole line does; beyond that the full layout wraps.
        if (width >= r.Width())
            return false;
    } else {
        width = measure(m_text);
    }
    const int trailing = m_text.endsWith(QLatin1Char(' ')) ? measure(QStringLiteral(" ")) : 0;
    if (width - trailing > 0)
        m_out.NeededWidth = width - trailing + 2;
    const int height = std::max(m_canvas.TextHeight(QStringLiteral("gh")), m_canvas.TextHeight(m_text));
    m_out.NeededHeight = height;
    if (!m_args.MeasureOnly && !m_args.HitTestOnly) {
        TRect line{r.Left, r.Top, r.Right, r.Top + height};
        m_canvas.DrawText(m_text, line, m_drawFormat);
    }
    return true;
}

qsizetype TMarkupRenderer::RunPass(qsizetype pos, qsizetype end, TPass pass, const TRect& rect) {
    m_pass = pass;
    m_drawing = pass == TPass::Place && !m_args.HitTestOnly;
    m_measuringRuns = pass == TPass::Measure || m_args.HitTestOnly;
    m_rect = rect;
    m_end = end;
    m_lineWidth = 0;
    m_trailingSpace = 0;
    m_plainEmpty = true;
    m_plainLast = QChar();
    m_offset = m_carriedOffset;
    m_curX = pass == TPass::Place ? rect.Left + m_carriedOffset : rect.Left;
    m_textHit = m_pictureHit = false;
    m_lineEnded = m_lineFull = false;
    if (m_drawing && m_paraBand)
        ParagraphBandAtLineStart();

    const QStringView text(m_text);
    while (pos < end && !m_lineEnded && !m_lineFull) {
        const qsizetype lt = NextIndex(QLatin1Char('<'), pos, m_ltFrom, m_ltAt);
        qsizetype sp = -1;
        if (m_args.WrapWords)
            sp = NextIndex(QLatin1Char(' '), pos, m_spFrom, m_spAt);
        qsizetype runEnd;
        if (sp >= 0 && (lt < 0 || sp < lt))
            runEnd = sp + 1;
        else if (lt < 0)
            runEnd = end;
        else
            runEnd = lt;
        if (runEnd > pos)
            HandleRun(pos, runEnd);
        if (m_lineEnded || m_lineFull)
            break;
        if (pos < end && text[pos] == QLatin1Char('<') && end - pos <= 2) {
            pos = end;
            break;
        }
        if (pos >= end || text[pos] != QLatin1Char('<') || end - pos < 3)
            continue;
        const bool closing = text[pos + 1] == QLatin1Char('/') && end - pos > 3;
        const QChar letter = text[pos + (closing ? 2 : 1)].toUpper();
        qsizetype close = text.first(end).indexOf(QLatin1Char('>'), pos);
        const QStringView tag = text.mid(pos, (close >= 0 ? close + 1 : end) - pos);
        HandleTag(tag, closing, letter, close >= 0);
        if (m_lineFull)
            break;
        pos = close >= 0 ? close + 1 : end;
    }
    m_lineWidth -= m_trailingSpace;
    if (m_out.NeededWidth < m_lineWidth)
        m_out.NeededWidth = m_lineWidth + 2;
    return pos;
}

int TMarkupRenderer::TextWidth(const QString& text) {
    TRect rect{m_rect.Left, m_rect.Top, m_rect.Left, m_rect.Top};
    m_canvas.DrawText(text, rect, m_measureFormat);
    return rect.Width();
}

void TMarkupRenderer::HandleRun(qsizetype& pos, qsizetype runEnd) {
    const QStringView written = QStringView(m_text).mid(pos, runEnd - pos);
    const QString run = MarkupText::ReplaceRunEntities(written);
    const int h = m_canvas.TextHeight(run);
    if (m_sub && m_extraBelow < h / 4)
        m_extraBelow = h / 4;
    if (m_sup && m_extraAbove < h / 4)
        m_extraAbove = h / 4;
    if (m_lineHeight < h)
        m_lineHeight = h;
    if (m_hidden) {
        pos = runEnd;
        return;
    }
    int w = 0;
    if (m_measuringRuns) {
        w = TextWidth(run);
        const int before = m_lineWidth;
        m_lineWidth += w;
        const int x = m_args.MouseX - m_rect.Left;
        if (m_inAnchor && before <= x && x <= m_lineWidth) {
            m_textHit = true;
            if (m_args.MouseY > m_rect.Top)
                m_out.AnchorHref = m_href;
        }
    } else if (m_drawing) {
        DrawRun(run);
    }
    const int available = m_rect.Width() - m_offset;
    // A word is never broken where a tag sits inside it; a word wider than the line stays.
    const bool fits = !m_measuringRuns || m_lineWidth < available || w >= available ||
                      (!m_plainEmpty && m_plainLast != QLatin1Char(' '));
    if (fits || !m_args.WrapWords) {
        pos = runEnd;
        m_trailingSpace = run.endsWith(QLatin1Char(' ')) && run.size() == written.size()
                              ? TextWidth(QStringLiteral(" "))
                              : 0;
    } else {
        m_lineFull = true;
        m_lineWidth -= w;
    }
    if (!run.isEmpty()) {
        m_plainEmpty = false;
        m_plainLast = run.back();
    }
}

void TMarkupRenderer::DrawRun(const QString& run) {
    int bottom = m_rect.Bottom - m_extraBelow;
    if (m_sup)
        bottom -= m_extraAbove;
    if (m_sub)
        bottom += m_extraBelow;
    bottom -= m_textLift;
    TRect rect{m_curX, m_rect.Top, m_rect.Right, bottom};
    if (m_shadow) {
        const TColor color = m_canvas.Font().Color;
        SetFontColor(ShadowColor);
        TRect shadow{rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
        m_canvas.DrawText(run, shadow, m_drawFormat);
        SetFontColor(color);
    }
    m_canvas.DrawText(run, rect, m_drawFormat);
    TRect measured = rect;
    m_canvas.DrawText(run, measured, m_measureFormat);
    if (m_errorUnderline) {
        const TColor pen = m_canvas.PenColor();
        const int penWidth = m_canvas.PenWidth();
        m_canvas.SetPenColor(ErrorUnderlineColor);
        m_canvas.SetPenWidth(1);
        const int b = m_rect.Bottom - m_extraBelow;
        int x = measured.Left - (((measured.Left % 2) + 2) % 2);
        int y = (((x % 4) + 4) % 4 == 0) ? b + 1 : b - 1;
        m_canvas.MoveTo(x, y);
        while (x < measured.Right) {
            x += 2;
            y = y == b + 1 ? b - 1 : b + 1;
            m_canvas.LineTo(x, y);
        }
        m_canvas.SetPenColor(pen);
        m_canvas.SetPenWidth(penWidth);
    }
    m_curX = measured.Right;
}

void TMarkupRenderer::SetStyle(unsigned style, bool on) {
    TMarkupFont font = m_canvas.Font();
    const unsigned styles = on ? (font.Style | style) : (font.Style & ~style);
    if (styles == font.Style)
        return;
    font.Style = styles;
    m_canvas.SetFont(font);
}

void TMarkupRenderer::SetFontColor(TColor color) {
    TMarkupFont font = m_canvas.Font();
    font.Color = color;
    m_canvas.SetFont(font);
}

void TMarkupRenderer::HandleTag(QStringView tag, bool closing, QChar letter, bool hasClose) {
    if (closing)
        ClosingTag(tag, letter, UpperAt(tag, 3));
    else
        OpeningTag(tag, letter, UpperAt(tag, 2), hasClose);
}

void TMarkupRenderer::OpeningTag(QStringView tag, QChar letter, QChar next, bool hasClose) {
    switch (letter.unicode()) {
    case 'A': {
        m_inAnchor = true;
        m_href.clear();
        const qsizetype open = tag.indexOf(QLatin1Char('"'), 2);
        if (open >= 0) {
            const qsizetype close = tag.indexOf(QLatin1Char('"'), open + 1);
            if (close >= 0)
                m_href = tag.mid(open + 1, close - open - 1).toString();
        }
        if (!m_args.Selected)
            SetFontColor(m_args.LinkColor);
        if (m_drawing)
            SetStyle(fsUnderline, true);
        break;
    }
    case 'B':
        if (next == QLatin1Char('>'))
            SetStyle(fsBold, true);
        else if (next == QLatin1Char('L')) {
            if (!m_args.BlinkOn)
                SetFontColor(m_entryBrush);
        } else if (next == QLatin1Char('O')) {
            if (m_drawing && !m_args.Selected)
                BodyTag(tag);
        } else if (next == QLatin1Char('R'))
            m_lineEnded = true;
        break;
    case 'E':
        if (m_drawing)
            m_errorUnderline = true;
        break;
    case 'F':
        if (hasClose)
            FontTag(tag);
        break;
    case 'H':
        if (next == QLatin1Char('I')) {
            if (m_drawing) {
                m_hiFontColor = m_canvas.Font().Color;
                m_hiBrush = m_canvas.BrushColor();
                m_canvas.SetBrushColor(clHighlight);
                SetFontColor(clHighlightText);
            }
        } else if (next == QLatin1Char('R')) {
            Rule();
            m_lineEnded = true;
        }
        break;
    case 'I':
        if (next == QLatin1Char('>'))
            SetStyle(fsItalic, true);
        else if (next == QLatin1Char('M'))
            ImageTag(tag);
        else if (next == QLatin1Char('N')) {
            const QString upper = tag.toString().toUpper();
            const auto value = Attribute(upper, QLatin1StringView("X"), 3);
            const auto n = value ? LeadingInt(*value, MaxPosition) : std::nullopt;
            if (n && m_lineWidth < *n) {
                m_lineWidth = *n;
                m_curX = m_args.Bounds.Left + *n;
            }
        }
        break;
    case 'L':
        ListItem();
        break;
    case 'O':
        if (next == QLatin1Char('F')) {
            const QString upper = tag.toString().toUpper();
            const auto value = Attribute(upper, QLatin1StringView("X"), 3);
            const int n = value ? LeadingInt(*value, MaxPosition).value_or(0) : 0;
            m_offset = n;
            m_lineWidth = n;
            m_curX = n;
        }
        break;
    case 'P':
        if (hasClose)
            ParagraphTag(tag);
        break;
    case 'R': {
        const QString upper = tag.toString().toUpper();
        const auto value = Attribute(upper, QLatin1StringView("A"), 2);
        const int n = value ? LeadingInt(*value, 3600).value_or(0) : 0;
        m_canvas.SelectRotation(n * 10);
        break;
    }
    case 'S':
        if (next == QLatin1Char('>'))
            SetStyle(fsStrikeOut, true);
        else if (next == QLatin1Char('H'))
            m_shadow = true;
        else if (tag.startsWith(QLatin1String("<SUB>"), Qt::CaseInsensitive))
            m_sub = true;
        else if (tag.startsWith(QLatin1String("<SUP>"), Qt::CaseInsensitive))
            m_sup = true;
        break;
    case 'U':
        if (next == QLatin1Char('>'))
            SetStyle(fsUnderline, true);
        else {
            ++m_listLevel;
            m_lineEnded = true;
        }
        break;
    case 'Z':
        m_hidden = true;
        break;
    default:
        break;
    }
}

void TMarkupRenderer::ClosingTag(QStringView, QChar letter, QChar next) {
    switch (letter.unicode()) {
    case 'A':
        if (m_drawing)
            SetStyle(fsUnderline, false);
        if (!m_args.Selected)
            SetFontColor(m_baseFont.Color);
        m_inAnchor = false;
        break;
    case 'B':
        if (next == QLatin1Char('>'))
            SetStyle(fsBold, false);
        else
            SetFontColor(m_baseFont.Color);
        break;
    case 'E':
        if (m_drawing)
            m_errorUnderline = false;
        break;
    case 'F': {
        TMarkupFont font = m_canvas.Font();
        font.Name = m_baseFont.Name;
        font.PixelSize = m_baseFont.PixelSize;
        m_canvas.SetFont(font);
        if (m_pass != TPass::Measure && !m_args.Selected) {
            SetFontColor(m_baseFont.Color);
            m_canvas.SetBrushColor(m_savedFontBrush);
        }
        break;
    }
    case 'H':
        if (m_drawing) {
            SetFontColor(m_hiFontColor);
            m_canvas.SetBrushColor(m_hiBrush);
        }
        break;
    case 'I':
        SetStyle(fsItalic, false);
        break;
    case 'L':
        m_lineEnded = true;
        break;
    case 'O':
        m_offset = 0;
        break;
    case 'P':
        m_lineEnded = true;
        if (m_drawing) {
            m_canvas.SetBrushColor(m_savedParaBrush);
            m_paraBand = false;
        }
        break;
    case 'R':
        m_canvas.RestoreRotation();
        break;
    case 'S':
        if (next == QLatin1Char('U'))
            m_sub = m_sup = false;
        else if (next == QLatin1Char('H'))
            m_shadow = false;
        else
            SetStyle(fsStrikeOut, false);
        break;
    case 'U':
        if (next == QLatin1Char('>') || m_listLevel < 1)
            SetStyle(fsUnderline, false);
        else
            --m_listLevel;
        break;
    case 'Z':
        m_hidden = false;
        break;
    default:
        break;
    }
}

void TMarkupRenderer::FontTag(QStringView tag) {
    const QString upper = tag.toString().toUpper();
    TMarkupFont font = m_canvas.Font();
    if (const auto face = Attribute(upper, QLatin1StringView("FACE"), 5); face && !face->isEmpty())
        font.Name = face->toString();
    if (const auto color = Attribute(upper, QLatin1StringView(" COLOR"), 5); color && !m_args.Selected) {
        // An empty value would make the text invisible; it leaves the colour as it is.
        if (!color->isEmpty())
            font.Color = ReadColor(*color);
    }
    if (const auto size = MarkupText::FontSizeValue(QStringView(upper).mid(5))) {
        int points = *size;
        switch (points) {
        case 1:
            points = 8;
            break;
        case 2:
            points = 10;
            break;
        case 3:
            points = 12;
            break;
        case 4:
            points = 14;
            break;
        case 5:
            points = 16;
            break;
        default:
            break;
        }
        font.SetSize(std::clamp(points, 1, MaxFontPoints), m_canvas.PixelsPerInchY());
    }
    m_canvas.SetFont(font);
    if (const auto bg = Attribute(upper, QLatin1StringView("BGCOLOR"), 5);
        bg && m_pass != TPass::Measure && !m_args.Selected) {
        m_savedFontBrush = m_canvas.BrushColor();
        m_canvas.SetBrushColor(ReadColor(*bg));
    }
}

void TMarkupRenderer::ParagraphTag(QStringView tag) {
    const QString upper = tag.toString().toUpper();
    if (const auto align = Attribute(upper, QLatin1StringView("ALIGN"))) {
        if (align->contains(QLatin1String("RIGHT")))
            m_align = AlignRight;
        if (align->contains(QLatin1String("LEFT")))
            m_align = AlignLeft;
        if (align->contains(QLatin1String("CENTER")))
            m_align = AlignCenter;
    }
    if (const auto indent = Attribute(upper, QLatin1StringView("INDENT"))) {
        if (const auto n = LeadingInt(*indent, MaxPosition))
            m_indent = *n;
    }
    ParagraphBackground(upper);
}

void TMarkupRenderer::ListItem() {
    m_lineWidth += ListIndent * m_listLevel;
    if (m_listItemStarted) {
        m_lineFull = true;
        return;
    }
    m_listItemStarted = true;
    m_curX += ListIndent * m_listLevel - ListIndent;
    if (m_drawing && !m_hidden) {
        TMarkupFont font = m_canvas.Font();
        const QString name = font.Name;
        font.Name = QStringLiteral("Symbol");
        m_canvas.SetFont(font);
        TRect rect{m_curX, m_rect.Top, m_rect.Right, m_rect.Bottom};
        const QString bullet = (m_listLevel % 2 != 0) ? QStringLiteral("\u00B7") : QStringLiteral("o");
        m_canvas.DrawText(bullet, rect, TextFormat::Top | TextFormat::Left | TextFormat::NoPrefix);
        font.Name = name;
        m_canvas.SetFont(font);
    }
    m_curX += ListIndent;
}

void TMarkupRenderer::Rule() {
    if (!m_drawing)
        return;
    const TColor pen = m_canvas.PenColor();
    m_canvas.SetPenColor(clBlack);
    const int y = m_rect.Bottom - m_extraBelow + 1;
    m_canvas.MoveTo(m_rect.Left, y);
    m_canvas.LineTo(m_rect.Right, y);
    m_canvas.SetPenColor(pen);
}
