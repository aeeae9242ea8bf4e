#include "search/SearchWords.h"

#include "search/SearchQuery.h"

#include <QSet>
#include <libstemmer.h>

namespace {

constexpr char16_t kYo = u'ё';
constexpr char16_t kYoUpper = u'Ё';

// The runs of word characters of `text`.
QStringList Words(const QString& text) {
    QStringList words;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsSearchWordChar(text.at(i)))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && IsSearchWordChar(text.at(i)))
            ++i;
        if (i > start)
            words.append(text.mid(start, i - start));
    }
    return words;
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

std::string RussianStem(const std::string& foldedWord) {
    // A stemmer keeps its state while it works: one per thread.
    struct TStemmer {
        sb_stemmer* Stemmer = sb_stemmer_new("russian", "UTF_8");
        ~TStemmer() { sb_stemmer_delete(Stemmer); }
    };
    thread_local const TStemmer stemmer;
    if (!stemmer.Stemmer)
        return foldedWord;
    const sb_symbol* stem = sb_stemmer_stem(
        stemmer.Stemmer, reinterpret_cast<const sb_symbol*>(foldedWord.data()), int(foldedWord.size()));
    if (!stem) // out of memory
        return foldedWord;
    return std::string(reinterpret_cast<const char*>(stem), size_t(sb_stemmer_length(stemmer.Stemmer)));
}

QStringList MatchQueryWords(const QString& query, const QString& text) {
    QSet<QString> exact;     // folded forms that match as they are
    QSet<std::string> stems; // stems that match any form
    QStringList prefixes;    // folded beginnings ("word*")
    for (const TQueryPart& part : ParseQuery(query)) {
        switch (part.Kind) {
        case TQueryPart::Word:
            exact.insert(part.Words.front());
            stems.insert(RussianStem(part.Words.front().toStdString()));
            break;
        case TQueryPart::Phrase: // inside a phrase only the exact forms count
            for (const QString& word : part.Words)
                exact.insert(word);
            break;
        case TQueryPart::Prefix:
            prefixes << part.Words.front();
            break;
        case TQueryPart::Excluded:
            break;
        }
    }

    QStringList matched;
    QSet<QString> seen;
    for (const QString& w : Words(text)) {
        if (seen.contains(w))
            continue;
        const QString f = FoldSearchText(w);
        bool hit = exact.contains(f) || (!stems.isEmpty() && stems.contains(RussianStem(f.toStdString())));
        for (qsizetype p = 0; !hit && p < prefixes.size(); ++p)
            hit = f.startsWith(prefixes.at(p));
        if (hit) {
            seen.insert(w);
            matched << w;
        }
    }
    return matched;
}
