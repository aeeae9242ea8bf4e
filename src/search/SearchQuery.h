#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A query as people type it, read the same way by the index and by the highlighting of a shown
// page: plain words (any form of the word), "phrases in quotes" (these forms, in this order),
// prefixes ("теорем*") and excluded words ("-пифагора"). Words are folded (FoldSearchText).
struct TQueryPart {
    enum TKind { Word, Phrase, Prefix, Excluded };
    TKind Kind = Word;
    QStringList Words; // one word, except in a phrase
};

// The parts in the order they are typed. A quote left open reads the words after it as plain
// words; an empty phrase and words of no letter or digit are dropped.
std::vector<TQueryPart> ParseQuery(const QString& query);

// The distinct words of `text` that `query` matches, in the order they first occur, written as in
// `text`. A plain query word matches every form with the same stem; a word inside quotes matches
// that form only; "word*" matches every word that begins so; "-word" matches nothing.
QStringList MatchQueryWords(const QString& query, const QString& text);
