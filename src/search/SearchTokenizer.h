#pragma once

// How the index cuts text into words: the SQLite full-text tokenizer "courseplayer", and the same
// cutting as a plain function. Words are runs of letters, digits, combining marks and '_', folded
// to lower case with "ё" read as "е" (FoldSearchText word by word); a soft hyphen inside a word is
// left out. Private to src/search.

struct sqlite3;

namespace SearchTokenizer {

// The name the index's full-text table is created with.
inline constexpr const char* kName = "courseplayer";

// Every word of the UTF-8 text, folded, with the byte range it takes in the text. `onWord` returns
// non-zero to stop, and that value is returned. Invalid UTF-8 bytes separate words.
using TWordFound = int (*)(void* context, const char* word, int wordSize, int begin, int end);
int Tokenize(const char* text, int size, void* context, TWordFound onWord);

// Registers the tokenizer with a connection. Returns an SQLite result code.
int Register(sqlite3* db);

} // namespace SearchTokenizer
