#pragma once

// The visible text of item pages, for the search index, and how their bytes are decoded.

#include "core/XmlParsing.h"
#include "search/PageEncoding.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>

// Pages larger than this are refused: item pages are a few kilobytes, and a huge one is damaged
// or not a page, and would stall the indexer.
inline constexpr qint64 kPageSizeLimit = qint64(16) << 20; // 16 MB

// The visible text of an item page: .xml pages through their xml-stylesheet (libxslt, no
// network, nothing outside the library), .htm/.html without tags, scripts and styles, in
// the page's encoding (declared, or windows-1251 unless valid UTF-8). Empty when unreadable.
// Thread-safe (the indexer calls it from a worker thread), never hangs on bad content.
// The library is the folder three levels above the page (library/course/section/page).
QString ExtractPageText(const QString& pagePath);

// The same with the library folder named: stylesheets and the documents they read must lie
// inside it.
QString ExtractPageText(const QString& pagePath, const QString& libraryFolder);
// The same as UTF-8, as the index takes it. A page whose stylesheet takes more than its time or
// memory gives its own text; once *cancel is set, the stylesheet of the page stops at once.
QByteArray ExtractPageTextUtf8(const QString& pagePath, const QString& libraryFolder,
                               const std::atomic<bool>* cancel = nullptr);

// The page as its stylesheet turns it into HTML, under the same confinement and budgets, written
// out as the stylesheet's output element says; nothing for a page without a usable stylesheet
// (HTML pages among them) or one whose transformation is stopped.
std::optional<QByteArray> TransformPageToHtml(const QString& pagePath, const QString& libraryFolder,
                                              const std::atomic<bool>* cancel = nullptr);

// The floor that extraction is measured against: the page parsed by libxml2 (HTML parser for
// .htm/.html) and its text nodes joined, without stylesheets or any care for what is visible.
QString RawPageText(const QString& pagePath);
