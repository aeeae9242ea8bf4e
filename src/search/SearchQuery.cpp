#include "search/SearchQuery.h"

#include "search/SearchWords.h"

bool IsSearchWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c == u'_';
}

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
