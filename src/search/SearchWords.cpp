// Xapian before Qt: Qt's keyword macros (emit, slots) would break Xapian's headers.
#include <xapian.h>

#include "search/SearchWords.h"

#include <QSet>
#include <vector>

namespace {

constexpr char16_t kYo = u'ё';
constexpr char16_t kYoUpper = u'Ё';

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

// The runs of word characters of `text`.
QStringList Words(const QString& text) {
    QStringList words;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsWordChar(text.at(i)))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && IsWordChar(text.at(i)))
            ++i;
        if (i > start)
            words.append(text.mid(start, i - start));
    }
    return words;
}

std::string Stemmed(const Xapian::Stem& stem, const QString& folded) {
    return stem(folded.toStdString());
}

} // namespace

QString FoldYo(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c == kYo)
            c = u'е';
        else if (c == kYoUpper)
            c = u'Е';
    }
    return out;
}

QString RestoreYo(const QString& snippet, const QString& folded, const QString& original) {
    if (folded.size() != original.size() || folded == original)
        return snippet;
    QString out = snippet;
    qsizetype cursor = 0; // pieces come in the order of the text
    // Decodes one run of the snippet (between markup) and spells it as the original does.
    const auto restoreRun = [&](qsizetype begin, qsizetype end) {
        QString decoded;
        std::vector<qsizetype> at; // where each decoded character stands in the snippet (-1: an entity)
        for (qsizetype i = begin; i < end; ++i) {
            if (out[i] == u'&') {
                const qsizetype semicolon = out.indexOf(u';', i);
                if (semicolon > i && semicolon < end && semicolon - i <= 6) {
                    static const QList<std::pair<QString, QChar>> entities = {
                        {QStringLiteral("&amp;"), u'&'},
                        {QStringLiteral("&lt;"), u'<'},
                        {QStringLiteral("&gt;"), u'>'},
                        {QStringLiteral("&quot;"), u'"'},
                        {QStringLiteral("&#39;"), u'\''}};
                    const QString entity = out.mid(i, semicolon - i + 1);
                    for (const auto& [name, c] : entities)
                        if (entity == name) {
                            decoded += c;
                            at.push_back(-1);
                            i = semicolon;
                            break;
                        }
                    if (i == semicolon)
                        continue;
                }
            }
            decoded += out[i];
            at.push_back(i);
        }
        if (decoded.trimmed().isEmpty())
            return;
        qsizetype found = folded.indexOf(decoded, cursor);
        if (found < 0)
            found = folded.indexOf(decoded);
        if (found < 0)
            return;
        cursor = found + decoded.size();
        for (qsizetype k = 0; k < decoded.size(); ++k)
            if (at[size_t(k)] >= 0 && original[found + k] != folded[found + k])
                out[at[size_t(k)]] = original[found + k];
    };
    static const QStringList marks = {QStringLiteral("<b>"), QStringLiteral("</b>"), QStringLiteral("…")};
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < out.size();) {
        qsizetype markLength = 0;
        for (const QString& mark : marks)
            if (out.mid(i, mark.size()) == mark)
                markLength = mark.size();
        if (markLength == 0) {
            ++i;
            continue;
        }
        restoreRun(runStart, i);
        i += markLength;
        runStart = i;
    }
    restoreRun(runStart, out.size());
    return out;
}

QString FoldSearchText(const QString& text) {
    return FoldYo(text.toLower());
}

QStringList MatchQueryWords(const QString& query, const QString& text) {
    const Xapian::Stem stem("russian");
    QSet<QString> exact;     // folded forms that match as they are
    QSet<std::string> stems; // stems that match any form
    QStringList prefixes;    // folded beginnings ("word*")

    // Quotes switch phrase mode on and off; inside a phrase only the exact forms count.
    const QString folded = FoldSearchText(query);
    bool inPhrase = false;
    qsizetype i = 0;
    while (i < folded.size()) {
        const QChar c = folded.at(i);
        if (c == u'"') {
            inPhrase = !inPhrase;
            ++i;
            continue;
        }
        if (!IsWordChar(c)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < folded.size() && IsWordChar(folded.at(i)))
            ++i;
        const QString word = folded.mid(start, i - start);
        const bool excluded = start > 0 && folded.at(start - 1) == u'-' &&
                              (start == 1 || folded.at(start - 2).isSpace() || folded.at(start - 2) == u'"');
        if (excluded)
            continue;
        if (i < folded.size() && folded.at(i) == u'*') {
            prefixes << word;
            ++i;
        } else if (inPhrase) {
            exact.insert(word);
        } else {
            exact.insert(word);
            stems.insert(Stemmed(stem, word));
        }
    }

    QStringList matched;
    QSet<QString> seen;
    for (const QString& w : Words(text)) {
        if (seen.contains(w))
            continue;
        const QString f = FoldSearchText(w);
        bool hit = exact.contains(f) || (!stems.isEmpty() && stems.contains(Stemmed(stem, f)));
        for (qsizetype p = 0; !hit && p < prefixes.size(); ++p)
            hit = f.startsWith(prefixes.at(p));
        if (hit) {
            seen.insert(w);
            matched << w;
        }
    }
    return matched;
}
