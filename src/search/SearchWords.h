#pragma once

#include <QString>
#include <QStringList>

// How the search reads words, for the index, the queries and the highlighting alike: letter case
// and "ё" do not matter, word forms are compared by their Russian stem.

// The text with "ё" read as "е" (either case); the letters keep their case. Snippets are cut from
// it, so that the highlighted words are the ones the index holds.
QString FoldYo(const QString& text);

// A snippet cut from FoldYo(original) (HTML-escaped, with <b>…</b> around the hits and "…" between
// pieces) spelt again as the page spells it: every "е" that is "ё" in `original` becomes "ё" again.
// Pieces that cannot be found in the text stay as they are.
QString RestoreYo(const QString& snippet, const QString& folded, const QString& original);

// The text in lower case with "ё" read as "е": what the index and the queries hold.
QString FoldSearchText(const QString& text);

// The distinct words of `text` that `query` matches, in the order they first occur, written as in
// `text`. A plain query word matches every form with the same stem; a word inside quotes matches
// that form only; "word*" matches every word that begins so; "-word" matches nothing.
QStringList MatchQueryWords(const QString& query, const QString& text);
