#pragma once

#include <QString>

// Course discs were made on Windows, where "COURSE.XML", "Course.xml" and "course.xml" name the same
// file and "..\7\12.xml" is a relative path. Copied to a Linux disc they keep their names exactly,
// while descriptors, trees and pages still name files in whatever case their authors typed. Every
// name the player looks up goes through FindDiscFile so that such a disc plays as it did.

// The path of an existing file or folder, found whatever the case of each of its names and with
// backslashes read as separators; the path unchanged when nothing matches. Thread-safe.
//
// A path that exists as written is returned as it is, at the cost of one stat. Otherwise each name
// is matched against its folder's listing, which is cached per folder and re-read when the folder
// changes; when several names differ only in case, the exact one wins, then the first in code-point
// order that leads to an existing path. ".." stays in the result as written: it is resolved by the
// file system, so callers that confine paths must check the result (canonical path), not the input.
QString FindDiscFile(const QString& path);

// Forgets every cached folder listing (tests; a library switch).
void ClearDiscFileCache();
