#pragma once

#include "collections/FavorRecord.h"

#include <QString>
#include <optional>

class TFavorRows;
class TXMLDocument;

// Sections whose items "Посмотреть всю теорию" shows.
bool IsTheorySection(int Folder);

// "#3;12;15" for one item; empty for course 0, which is never shown.
QString FavorPageEntry(const TFavor& favor);

// The page lists handed to the presentation page: "#" + entries joined by "$", every row of a
// course other than 0 (theory sections only for the theory list), in list order; empty when
// no row qualifies.
QString FavorPageList(const TFavorRows& rows);
QString TheoryPageList(const TFavorRows& rows);

// The task list of the open course: for every row of that course in the tasks section (2010),
// in list order, its task page's root children named `task` with integer `id` and `type`,
// written "id_type;". Elements with a non-integer id or type are skipped. A missing or
// malformed task page raises TXmlError. courseDir ends with '/'.
QString FavorTaskList(const TFavorRows& rows, int courseNumber, const QString& courseDir, TXMLDocument& doc);

// The item an item page address belongs to: ".../course/section/id.xml", with backslashes or
// slashes and any fragment after the id. No value for any other address.
std::optional<TFavorKey> ItemKeyFromURL(const QString& url);
