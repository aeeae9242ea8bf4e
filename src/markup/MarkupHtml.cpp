#include "markup/MarkupHtml.h"

#include "core/TextEscape.h"
#include "markup/MarkupCanvas.h"
#include "markup/MarkupText.h"

#include <algorithm>

using MarkupText::Attribute;
using MarkupText::LeadingInt;
using MarkupText::ReadColor;

namespace {

constexpr int ListIndent = 12;
constexpr int MaxFontPoints = 1000;
constexpr int MaxPictureSize = 10000;

// The style in force at a point of the text, as the renderer's canvas state would hold it.
struct TRunStyle {
    unsigned Font = 0; // TFontStyle bits
    TColor Color = clNone;
    TColor Background = clNone;
    QString Face;
    int Points = 0;
    bool Sub = false;
    bool Sup = false;
    bool Shadow = false;
    bool ErrorLine = false;
    bool Highlight = false;
    bool Blink = false;
};

QString CssColor(TColor color) {
    return ToQColor(color).name(QColor::HexRgb);
}

// Prefix processing of the text drawing: "&x" shows x, "&&" one "&".
QString StripPrefix(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && ++i >= text.size())
            break;
        shown += text[i];
    }
    return shown;
}

// Links that would run script in the reader's browser are not links of a course tree.
QString DefaultLinkUrl(const QString& href) {
    const QString scheme = href.trimmed().section(QLatin1Char(':'), 0, 0).toLower();
    if (href.contains(QLatin1Char(':')) &&
        (scheme == QLatin1String("javascript") || scheme == QLatin1String("vbscript") ||
         scheme == QLatin1String("data")))
        return QString();
    return href;
}

class THtmlWriter final {
public:
    explicit THtmlWriter(const TMarkupHtmlArgs& args) : m_args(args) {}
    QString Run(const QString& source);

private:
    void Text(QStringView run);
    void Tag(QStringView tag, bool closing, QChar letter, QChar next, bool hasClose);
    void Opening(QStringView tag, QChar letter, QChar next, bool hasClose);
    void Closing(QChar letter, QChar next);
    void Font(QStringView tag);
    void Image(QStringView tag);
    void LineEnd() { m_out += QLatin1String("<br>"); }
    void SetStyle(unsigned bit, bool on) { m_style.Font = on ? (m_style.Font | bit) : (m_style.Font & ~bit); }
    void Emit(const QString& inner);
    QString Css() const;

    const TMarkupHtmlArgs& m_args;
    QString m_out;
    TRunStyle m_style;
    TColor m_savedBackground = clNone;
    bool m_noPrefix = false;
    bool m_inAnchor = false;
    QString m_href;
    bool m_hidden = false;
    int m_listLevel = 0;
};

QString THtmlWriter::Run(const QString& source) {
    const MarkupText::TPrepared prepared = MarkupText::Prepare(source);
    m_noPrefix = prepared.NoPrefix;
    const QStringView text(prepared.Text);
    const qsizetype end = text.size();
    qsizetype pos = 0;
    // The same reading of tags as the renderer's: a "<" with fewer than three characters after it
    // ends the text, a tag without ">" runs to the end.
    while (pos < end) {
        qsizetype lt = text.indexOf(QLatin1Char('<'), pos);
        if (lt < 0)
            lt = end;
        if (lt > pos)
            Text(text.mid(pos, lt - pos));
        pos = lt;
        if (pos >= end || end - pos <= 2)
            break;
        const bool closing = text[pos + 1] == QLatin1Char('/') && end - pos > 3;
        const qsizetype at = pos + (closing ? 2 : 1);
        const QChar letter = text[at].toUpper();
        const QChar next = at + 1 < end ? text[at + 1].toUpper() : QChar();
        const qsizetype close = text.indexOf(QLatin1Char('>'), pos);
        const QStringView tag = text.mid(pos, (close >= 0 ? close + 1 : end) - pos);
        Tag(tag, closing, letter, next, close >= 0);
        pos = close >= 0 ? close + 1 : end;
    }
    return m_out;
}

void THtmlWriter::Text(QStringView written) {
    if (m_hidden)
        return;
    QString run = MarkupText::ReplaceRunEntities(written);
    if (!m_noPrefix && run.contains(QLatin1Char('&')))
        run = StripPrefix(run);
    if (!run.isEmpty())
        Emit(HtmlEscape(run));
}

QString THtmlWriter::Css() const {
    QStringList css;
    if (m_style.Font & fsBold)
        css << QStringLiteral("font-weight:bold");
    if (m_style.Font & fsItalic)
        css << QStringLiteral("font-style:italic");
    QStringList lines;
    if ((m_style.Font & fsUnderline) || m_inAnchor)
        lines << QStringLiteral("underline");
    if (m_style.Font & fsStrikeOut)
        lines << QStringLiteral("line-through");
    if (!lines.isEmpty())
        css << QStringLiteral("text-decoration:") + lines.join(QLatin1Char(' '));
    if (m_style.ErrorLine)
        css << QStringLiteral("text-decoration:underline wavy #ff0000");
    if (m_style.Highlight)
        css << QStringLiteral("color:HighlightText;background:Highlight");
    else {
        const TColor color = m_inAnchor ? m_args.LinkColor : m_style.Color;
        if (color != clNone)
            css << QStringLiteral("color:") + CssColor(color);
        if (m_style.Background != clNone)
            css << QStringLiteral("background:") + CssColor(m_style.Background);
    }
    if (!m_style.Face.isEmpty())
        css << QStringLiteral("font-family:'%1'").arg(m_style.Face);
    if (m_style.Points > 0)
        css << QStringLiteral("font-size:%1pt").arg(m_style.Points);
    if (m_style.Shadow)
        css << QStringLiteral("text-shadow:1px 1px #808080");
    return css.join(QLatin1Char(';'));
}

// One element per run: a span with the style in force, inside sub/sup and an anchor when they hold.
void THtmlWriter::Emit(const QString& inner) {
    QString element = inner;
    const QString css = Css();
    if (!css.isEmpty() || m_style.Blink)
        element = QStringLiteral("<span%1%2>%3</span>")
                      .arg(m_style.Blink ? QStringLiteral(" class=\"mk-blink\"") : QString(),
                           css.isEmpty() ? QString() : QStringLiteral(" style=\"%1\"").arg(css), element);
    if (m_style.Sub)
        element = QStringLiteral("<sub>") + element + QStringLiteral("</sub>");
    else if (m_style.Sup)
        element = QStringLiteral("<sup>") + element + QStringLiteral("</sup>");
    if (m_inAnchor) {
        const QString url = m_args.LinkUrl ? m_args.LinkUrl(m_href) : DefaultLinkUrl(m_href);
        if (!url.isEmpty())
            element = QStringLiteral("<a href=\"%1\">%2</a>").arg(HtmlEscape(url), element);
    }
    m_out += element;
}

void THtmlWriter::Tag(QStringView tag, bool closing, QChar letter, QChar next, bool hasClose) {
    if (closing)
        Closing(letter, next);
    else
        Opening(tag, letter, next, hasClose);
}

void THtmlWriter::Opening(QStringView tag, QChar letter, QChar next, bool hasClose) {
    const auto is = [next](char c) { return next == QLatin1Char(c); };
    switch (letter.unicode()) {
    case 'A': {
        m_inAnchor = true;
        m_href.clear();
        const qsizetype open = tag.indexOf(QLatin1Char('"'), 2);
        const qsizetype close = open >= 0 ? tag.indexOf(QLatin1Char('"'), open + 1) : -1;
        if (close >= 0)
            m_href = tag.mid(open + 1, close - open - 1).toString();
        break;
    }
    case 'B':
        if (is('>'))
            SetStyle(fsBold, true);
        else if (is('L'))
            m_style.Blink = true;
        else if (is('R') && !m_hidden)
            LineEnd();
        break;
    case 'E':
        m_style.ErrorLine = true;
        break;
    case 'F':
        if (hasClose)
            Font(tag);
        break;
    case 'H':
        if (is('I'))
            m_style.Highlight = true;
        else if (is('R') && !m_hidden)
            m_out += QLatin1String("<hr>");
        break;
    case 'I':
        if (is('>'))
            SetStyle(fsItalic, true);
        else if (is('M') && !m_hidden)
            Image(tag);
        break;
    case 'L':
        if (!m_hidden)
            Emit(QStringLiteral("<span class=\"mk-li\" style=\"padding-left:%1px\">%2</span>")
                     .arg(ListIndent * std::max(0, m_listLevel - 1))
                     .arg(m_listLevel % 2 != 0 ? QStringLiteral("\u2022 ") : QStringLiteral("\u25E6 ")));
        break;
    case 'S':
        if (is('>'))
            SetStyle(fsStrikeOut, true);
        else if (is('H'))
            m_style.Shadow = true;
        else if (tag.startsWith(QLatin1String("<SUB>"), Qt::CaseInsensitive))
            m_style.Sub = true;
        else if (tag.startsWith(QLatin1String("<SUP>"), Qt::CaseInsensitive))
            m_style.Sup = true;
        break;
    case 'U':
        if (is('>'))
            SetStyle(fsUnderline, true);
        else {
            ++m_listLevel;
            if (!m_hidden)
                LineEnd();
        }
        break;
    case 'Z':
        m_hidden = true;
        break;
    default: // O, IN, R, P, BODY: positions, rotation and backgrounds the browser lays out itself
        break;
    }
}

void THtmlWriter::Closing(QChar letter, QChar next) {
    switch (letter.unicode()) {
    case 'A':
        m_inAnchor = false;
        break;
    case 'B':
        if (next == QLatin1Char('>'))
            SetStyle(fsBold, false);
        else
            m_style.Blink = false;
        break;
    case 'E':
        m_style.ErrorLine = false;
        break;
    case 'F':
        m_style.Face.clear();
        m_style.Points = 0;
        m_style.Color = clNone;
        m_style.Background = m_savedBackground;
        break;
    case 'H':
        m_style.Highlight = false;
        break;
    case 'I':
        SetStyle(fsItalic, false);
        break;
    case 'L':
    case 'P':
        if (!m_hidden)
            LineEnd();
        break;
    case 'S':
        if (next == QLatin1Char('U'))
            m_style.Sub = m_style.Sup = false;
        else if (next == QLatin1Char('H'))
            m_style.Shadow = false;
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

void THtmlWriter::Font(QStringView tag) {
    const QString upper = tag.toString().toUpper();
    if (const auto face = Attribute(upper, QLatin1StringView("FACE"), 5); face && !face->isEmpty()) {
        // Only the characters of font names: a face must not end the CSS string it is put in.
        m_style.Face.clear();
        for (const QChar c : tag.mid(face->data() - upper.constData(), face->size()))
            if (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') ||
                c == QLatin1Char('_'))
                m_style.Face += c;
    }
    if (const auto color = Attribute(upper, QLatin1StringView(" COLOR"), 5); color && !color->isEmpty())
        m_style.Color = ReadColor(*color);
    if (const auto size = MarkupText::FontSizeValue(QStringView(upper).mid(5))) {
        static constexpr int Steps[] = {8, 10, 12, 14, 16}; // SIZE 1..5 are steps, the rest points
        const int points = *size >= 1 && *size <= 5 ? Steps[*size - 1] : *size;
        m_style.Points = std::clamp(points, 1, MaxFontPoints);
    }
    if (const auto bg = Attribute(upper, QLatin1StringView("BGCOLOR"), 5)) {
        m_savedBackground = m_style.Background;
        m_style.Background = ReadColor(*bg);
    }
}

void THtmlWriter::Image(QStringView tag) {
    const QString upper = tag.toString().toUpper();
    QString source;
    if (const auto src = Attribute(upper, QLatin1StringView("SRC")); src && !src->isEmpty())
        source = tag.mid(src->data() - upper.constData(), src->size()).toString();
    QString url;
    if (source.startsWith(QLatin1String("IDX:"), Qt::CaseInsensitive)) {
        const auto n = LeadingInt(QStringView(source).mid(4));
        if (n && *n >= 0 && m_args.ImageListUrl)
            url = m_args.ImageListUrl(*n);
    } else if (source.contains(QLatin1String("://")) && m_args.PictureUrl) {
        url = m_args.PictureUrl(source);
    }
    if (url.isEmpty())
        return;
    QString attributes = QStringLiteral(" src=\"%1\" alt=\"\"").arg(HtmlEscape(url));
    if (const auto alt = Attribute(upper, QLatin1StringView("ALT")); alt && !alt->isEmpty())
        attributes = QStringLiteral(" src=\"%1\" alt=\"%2\"")
                         .arg(HtmlEscape(url),
                              HtmlEscape(tag.mid(alt->data() - upper.constData(), alt->size()).toString()));
    for (const char* name : {"WIDTH", "HEIGHT"}) {
        const auto v = Attribute(upper, QLatin1StringView(name));
        const int n = v ? std::min(LeadingInt(*v).value_or(0), MaxPictureSize) : 0;
        if (n >= 1)
            attributes += QStringLiteral(" %1=\"%2\"").arg(QString::fromLatin1(name).toLower()).arg(n);
    }
    if (upper.contains(QLatin1String("\"TOP")))
        attributes += QStringLiteral(" style=\"vertical-align:top\"");
    else if (upper.contains(QLatin1String("\"MIDDLE")))
        attributes += QStringLiteral(" style=\"vertical-align:middle\"");
    Emit(QStringLiteral("<img%1>").arg(attributes));
}

} // namespace

QString MarkupToHtml(const QString& text, const TMarkupHtmlArgs& args) {
    return THtmlWriter(args).Run(text);
}
