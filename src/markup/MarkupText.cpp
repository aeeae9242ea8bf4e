#include "markup/MarkupText.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace MarkupText {

namespace {

struct TEntity {
    QLatin1StringView Name; // without the leading "&"
    QStringView Replacement;
};

// In the order the content was written for; the order does not change the result, as
// entities cannot overlap and only "&amp;" can make a new one (its second "&").
const TEntity Entities[] = {
    {QLatin1StringView("amp;"), u"&&"},      {QLatin1StringView("quot;"), u"\""},
    {QLatin1StringView("sect;"), u"\u00A7"}, {QLatin1StringView("permil;"), u"\u2030"},
    {QLatin1StringView("reg;"), u"\u00AE"},  {QLatin1StringView("copy;"), u"\u00A9"},
    {QLatin1StringView("para;"), u"\u00B6"}, {QLatin1StringView("trade;"), u"\u2122"},
    {QLatin1StringView("euro;"), u"\u20AC"},
};

// Replaces every entity, including those that replacing "&amp;" by "&&" makes, in one
// left-to-right scan: the same text as repeated sweeps of first occurrences, in linear time.
QString ReplaceEntities(const QString& text) {
    QString buffer = text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    const qsizetype n = buffer.size();
    while (i < n) {
        const QChar c = buffer[i];
        if (c != QLatin1Char('&')) {
            out += c;
            ++i;
            continue;
        }
        const QStringView rest = QStringView(buffer).mid(i + 1);
        const TEntity* found = nullptr;
        for (const TEntity& entity : Entities) {
            if (rest.startsWith(entity.Name, Qt::CaseInsensitive)) {
                found = &entity;
                break;
            }
        }
        if (!found) {
            out += c;
            ++i;
            continue;
        }
        const qsizetype last = i + found->Name.size(); // the ";" of the entity
        if (found->Replacement.size() == 2) {
            // "&amp;" -> "&&": the second "&" may start another entity with what follows.
            out += QLatin1Char('&');
            buffer[last] = QLatin1Char('&');
            i = last;
        } else {
            out += found->Replacement;
            i = last + 1;
        }
    }
    return out;
}

} // namespace

TPrepared Prepare(const QString& source) {
    TPrepared prepared;
    // Most captions hold nothing to prepare; one look at each character tells.
    prepared.Plain = std::none_of(source.cbegin(), source.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'<' || u == u'&' || u == u'\t' || u == u'\r' || u == u'\n';
    });
    if (prepared.Plain) {
        prepared.Text = source;
        return prepared;
    }
    prepared.NoPrefix = source.contains(QLatin1String(" & "));
    QString text = source.contains(QLatin1Char('&')) ? ReplaceEntities(source) : source;
    const qsizetype hash = text.indexOf(QLatin1String("<#"));
    if (hash >= 0) {
        text.remove(hash, 1);
        const qsizetype close = text.indexOf(QLatin1Char('>'), hash);
        if (close >= 0)
            text.remove(close, 1);
    }
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) {
        QString lines;
        lines.reserve(text.size() + 16);
        for (QChar c : text) {
            if (c == QLatin1Char('\r'))
                lines += QLatin1String("<BR>");
            else if (c != QLatin1Char('\n'))
                lines += c;
        }
        text = lines;
    }
    prepared.Text = text;
    return prepared;
}

QString ReplaceRunEntities(QStringView run) {
    if (!run.contains(QLatin1Char('&')))
        return run.toString();
    QString out;
    out.reserve(run.size());
    for (qsizetype i = 0; i < run.size(); ++i) {
        if (run[i] == QLatin1Char('&')) {
            const QStringView rest = run.mid(i);
            if (rest.startsWith(QLatin1String("&nbsp;"))) {
                out += QLatin1Char(' ');
                i += 5;
                continue;
            }
            if (rest.startsWith(QLatin1String("&lt;"))) {
                out += QLatin1Char('<');
                i += 3;
                continue;
            }
            if (rest.startsWith(QLatin1String("&gt;"))) {
                out += QLatin1Char('>');
                i += 3;
                continue;
            }
        }
        out += run[i];
    }
    return out;
}

std::optional<QStringView> Attribute(QStringView upperTag, QLatin1StringView name, qsizetype from) {
    const qsizetype at = upperTag.indexOf(name, std::min(from, upperTag.size()));
    if (at < 0)
        return std::nullopt;
    const qsizetype open = upperTag.indexOf(QLatin1Char('"'), at + name.size());
    if (open < 0)
        return QStringView();
    const qsizetype close = upperTag.indexOf(QLatin1Char('"'), open + 1);
    if (close < 0)
        return QStringView();
    return upperTag.mid(open + 1, close - open - 1);
}

std::optional<int> LeadingInt(QStringView text, int limit) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        digits = true;
        if (value <= limit)
            value = value * 10 + (text[i].unicode() - '0');
    }
    if (!digits)
        return std::nullopt;
    if (value > limit)
        value = limit;
    return int(negative ? -value : value);
}

std::optional<int> FontSizeValue(QStringView upperTag) {
    const qsizetype at = upperTag.indexOf(QLatin1String("SIZE"));
    if (at < 0)
        return std::nullopt;
    const qsizetype eq = upperTag.indexOf(QLatin1Char('='), at + 4);
    if (eq < 0)
        return std::nullopt;
    qsizetype i = eq + 1;
    const qsizetype quote = upperTag.indexOf(QLatin1Char('"'), i);
    if (quote >= 0) {
        // From just after the next double quote; without one, straight after "=".
        bool onlySpaces = true;
        for (qsizetype k = i; k < quote; ++k)
            if (upperTag[k] != QLatin1Char(' '))
                onlySpaces = false;
        if (onlySpaces)
            i = quote + 1;
    }
    return LeadingInt(upperTag.mid(i), 100000);
}

namespace {

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

int HexPair(QStringView value, qsizetype at) {
    int result = 0;
    for (qsizetype i = at; i < at + 2; ++i) {
        const int d = i < value.size() ? HexDigit(value[i]) : -1;
        if (d < 0)
            return 0; // a broken pair reads as no intensity
        result = result * 16 + d;
    }
    return result;
}

const QHash<QString, TColor>& ColorNames() {
    static const QHash<QString, TColor> names = {
        {QStringLiteral("clred"), 0x0000FF},
        {QStringLiteral("clblack"), 0x000000},
        {QStringLiteral("clblue"), 0xFF0000},
        {QStringLiteral("clgreen"), 0x008000},
        {QStringLiteral("claqua"), 0xFFFF00},
        {QStringLiteral("clyellow"), 0x00FFFF},
        {QStringLiteral("clfuchsia"), 0xFF00FF},
        {QStringLiteral("clwhite"), 0xFFFFFF},
        {QStringLiteral("cllime"), 0x00FF00},
        {QStringLiteral("clsilver"), 0xC0C0C0},
        {QStringLiteral("clgray"), 0x808080},
        {QStringLiteral("clolive"), 0x008080},
        {QStringLiteral("clnavy"), 0x800000},
        {QStringLiteral("clpurple"), 0x800080},
        {QStringLiteral("clteal"), 0x808000},
        {QStringLiteral("clmaroon"), 0x000080},
        {QStringLiteral("clbackground"), SystemColor(1)},
        {QStringLiteral("clactivecaption"), SystemColor(2)},
        {QStringLiteral("clinactivecaption"), SystemColor(3)},
        {QStringLiteral("clmenu"), SystemColor(4)},
        {QStringLiteral("clwindow"), SystemColor(5)},
        {QStringLiteral("clwindowframe"), SystemColor(6)},
        {QStringLiteral("clmenutext"), SystemColor(7)},
        {QStringLiteral("clwindowtext"), SystemColor(8)},
        {QStringLiteral("clcaptiontext"), SystemColor(9)},
        {QStringLiteral("clactiveborder"), SystemColor(10)},
        {QStringLiteral("clinactiveborder"), SystemColor(11)},
        {QStringLiteral("clappworkspace"), SystemColor(12)},
        {QStringLiteral("clhighlight"), SystemColor(13)},
        {QStringLiteral("clhighlighttext"), SystemColor(14)},
        {QStringLiteral("clbtnface"), SystemColor(15)},
        {QStringLiteral("clbtnshadow"), SystemColor(16)},
        {QStringLiteral("clgraytext"), SystemColor(17)},
        {QStringLiteral("clbtntext"), SystemColor(18)},
        {QStringLiteral("clinactivecaptiontext"), SystemColor(19)},
        {QStringLiteral("clbtnhighlight"), SystemColor(20)},
        {QStringLiteral("cl3ddkshadow"), SystemColor(21)},
        {QStringLiteral("cl3dlight"), SystemColor(22)},
        {QStringLiteral("clinfotext"), SystemColor(23)},
        {QStringLiteral("clinfobk"), SystemColor(24)},
    };
    return names;
}

} // namespace

TColor ReadColor(QStringView value) {
    if (value.isEmpty())
        return clNone;
    if (value[0] == QLatin1Char('#')) {
        const int r = HexPair(value, 1);
        const int g = HexPair(value, 3);
        const int b = HexPair(value, 5);
        return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
    }
    return ColorNames().value(value.toString().toLower(), clBlack);
}

int RoundHalfEven(double value) {
    const double r = std::nearbyint(value); // the default rounding mode: nearest, ties to even
    if (r > 2147483647.0)
        return 2147483647;
    if (r < -2147483647.0)
        return -2147483647;
    return int(r);
}

} // namespace MarkupText
