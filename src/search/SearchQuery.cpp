#include "search/SearchQuery.h"

#include "search/SearchWords.h"

#include <QSet>

namespace {

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

std::vector<TQueryPart> ParseQuery(const QString& query) {
    std::vector<TQueryPart> parts;
    const QString folded = FoldSearchText(query);
    bool inPhrase = false;
    TQueryPart phrase{TQueryPart::Phrase, {}};
    const auto closePhrase = [&] {
        if (phrase.Words.size() == 1)
            parts.push_back({TQueryPart::Word, phrase.Words});
        else if (phrase.Words.size() > 1)
            parts.push_back(phrase);
        phrase.Words.clear();
    };
    qsizetype i = 0;
    while (i < folded.size()) {
        const QChar c = folded.at(i);
        if (c == u'"') {
            if (inPhrase)
                closePhrase();
            inPhrase = !inPhrase;
            ++i;
            continue;
        }
        if (!IsSearchWordChar(c)) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < folded.size() && IsSearchWordChar(folded.at(i)))
            ++i;
        const QString word = folded.mid(start, i - start);
        if (inPhrase) {
            phrase.Words << word;
            continue;
        }
        // "-word" excludes only at the start of a word: "красно-синий" is one thing.
        const bool excluded = start > 0 && folded.at(start - 1) == u'-' &&
                              (start == 1 || folded.at(start - 2).isSpace() || folded.at(start - 2) == u'"');
        if (excluded) {
            parts.push_back({TQueryPart::Excluded, {word}});
        } else if (i < folded.size() && folded.at(i) == u'*') {
            parts.push_back({TQueryPart::Prefix, {word}});
            ++i;
        } else {
            parts.push_back({TQueryPart::Word, {word}});
        }
    }
    if (inPhrase) // a quote left open: its words are plain words
        for (const QString& word : phrase.Words)
            parts.push_back({TQueryPart::Word, {word}});
    return parts;
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
