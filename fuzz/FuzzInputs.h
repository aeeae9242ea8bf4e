#pragma once

// What each fuzz target does with one input, shared by the libFuzzer targets and by the test that
// replays their corpora in every build. Each function aborts when a property of the code under
// test does not hold; inputs that the code refuses are fine.

#include <QByteArray>

// A collection file: whatever loads must save and load again to the same records.
void FuzzCollectionFile(const QByteArray& data);

// A URL and a target name as pages give them (separated by the first newline; the first byte
// chooses the options): every routing rule answers, and whatever goes to the desktop is a web
// address or an existing file inside the library.
void FuzzLinkRules(const QByteArray& data);

// A name as old discs write them (any case, backslashes, "..") looked up in a small disc:
// the answer is the name unchanged or an existing file or folder.
void FuzzDiscNames(const QByteArray& data);

// A query as people type it into the search window: it is read into parts, turned into the
// full-text expression of a small index and run there, and its words are matched in a text. No
// query may reach SQLite as syntax: the search answers or finds nothing, it never fails.
void FuzzSearchQuery(const QByteArray& data);

// An item page (the first byte chooses an HTML page, an XML page, or an XML page with the
// stylesheet that follows the first NUL byte) read for the index: the text is valid UTF-8 with
// single spaces between words and none around it, whatever the page and its stylesheet do.
void FuzzPageText(const QByteArray& data);
