#pragma once

#include "publish/SiteCourse.h"

#include <QString>
#include <functional>
#include <vector>

// The pages of the published site, written from what the player reads.

struct TSiteSubject {
    QString Caption;
    std::vector<const TSiteCourse*> Courses;
};

// OUT/index.html: the catalogue, subjects and their courses with names and descriptions; with
// search, a search field whose words (also given as index.html?q=WORDS) list the items found.
QString CataloguePage(const QString& title, const std::vector<TSiteSubject>& subjects, bool search);

// OUT/<course>/index.html: the sections, each section's tree with its captions drawn from their
// markup, and the item's page beside it. shownPage gives the file the viewer opens for an item's page
// (relative to the course folder): its HTML version when the export wrote one.
QString CoursePage(const TSiteCourse& course, const QString& siteTitle,
                   const std::function<QString(const QString& page)>& shownPage);

// OUT/_site/favor.html: the collection kept in the browser, saved and loaded as collection files.
// showFavorPage names the library's collection presentation page (empty: none).
QString FavorPage(const QString& siteTitle, const QString& showFavorPage);

// The shared files of the site's pages, written once into OUT/_site/.
QString SiteStyleSheet(); // site.css
QString CourseScript();   // course.js
QString SearchScript();   // search.js
QString FavorScript();    // favor.js
