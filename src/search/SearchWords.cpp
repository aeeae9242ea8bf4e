// Xapian before Qt: Qt's keyword macros (emit, slots) would break Xapian's headers.
#include <xapian.h>

#include "search/SearchWords.h"

#include <QSet>

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
