#pragma once

// How the index names an item and tells whether what it holds of the item is still current.
// Private to src/search.

#include "search/SearchSource.h"

#include <string>

namespace SearchDocument {

// "course/section/id": one item of the library.
std::string ItemKey(int course, int section, int id);

// What decides whether an indexed item is still current: the page's size and time, the caption,
// the course name and the page's path. "-1:" starts the stamp of an item without a page.
std::string Stamp(const TSearchItem& item);

// Whether the stamp is that of an item without a page.
bool HasNoPage(const std::string& stamp);

} // namespace SearchDocument
