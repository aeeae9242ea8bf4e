#pragma once

// The index's own record of one item: how it becomes a Xapian document, and what the document
// keeps so that results and snippets need no page to be read again. Private to src/search.

#include <xapian.h>

#include "search/SearchSource.h"

#include <QString>
#include <string>

namespace SearchDocument {

// Kept in the database's metadata; an index of another format is rebuilt.
inline constexpr const char* kFormatKey = "courseplayer-search-format";
inline constexpr const char* kFormat = "2";

// The value slot that holds each item's key and stamp (see Stamp).
inline constexpr Xapian::valueno kStampSlot = 0;

// Page text beyond this many characters is indexed but not kept for snippets.
inline constexpr qsizetype kStoredTextLimit = 32 * 1024;

// Words of the caption count this many times as often as words of the page.
inline constexpr Xapian::termcount kCaptionWeight = 4;

// "course/section/id": one item of the library.
std::string ItemKey(int course, int section, int id);
// The boolean term that limits a search to one course.
std::string CourseTerm(int course);

// What decides whether an indexed item is still current: the page's size and time, the caption,
// the course name and the page's path. `key` + '\t' + this is stored in kStampSlot; "-1:" starts
// the stamp of an item without a page.
std::string Stamp(const TSearchItem& item);

// Splits a kStampSlot value; false when it is not one.
bool SplitStampValue(const std::string& value, std::string& key, std::string& stamp);

// The document of an item with its page text already extracted. Thread-safe: every call builds
// with its own term generator.
Xapian::Document Build(const TSearchItem& item, const QString& pageText, const std::string& stamp);

// What a result shows, read back from a document's data.
struct TStored {
    int Course = 0;
    QString CourseName;
    int Section = 0;
    int ID = 0;
    QString Caption;
    QString Text; // the page text as the page spells it, possibly cut
};
TStored Read(const std::string& data);

} // namespace SearchDocument
