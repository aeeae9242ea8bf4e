#pragma once

#include <QString>
#include <QStringList>
#include <string>

// How the search reads words, for the index, the queries and the highlighting alike: letter case
// and "ё" do not matter, word forms are compared by their Russian stem.

// Whether a character belongs to a word: letters, digits, combining marks and '_'.
bool IsSearchWordChar(QChar c);

// The text with "ё" read as "е" (either case); the letters keep their case.
QString FoldYo(const QString& text);

// The text in lower case with "ё" read as "е": what the index and the queries hold.
QString FoldSearchText(const QString& text);

// The Russian stem of a folded word (Snowball's stemmer): the beginning of the word that all its
// forms share. Thread-safe.
std::string RussianStem(const std::string& foldedWord);
