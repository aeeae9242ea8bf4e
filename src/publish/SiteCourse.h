#pragma once

#include <QString>
#include <vector>

// A course as the published site shows it: the sections of the viewer's menu and their trees,
// read by the player's own tree loader.

struct TSiteItem {
    int Id = 0;
    QString Caption; // with its markup, as the tree holds it
    QString Page;    // the item's page relative to the course folder, as named on disc; empty: none
    std::vector<TSiteItem> Children;
};

struct TSiteSection {
    int Id = 0;
    QString Caption; // as the viewer's menu names it
    std::vector<TSiteItem> Items;
};

struct TSiteCourse {
    int Id = 0;
    QString Name;
    QString Description;
    std::vector<TSiteSection> Sections;
    QString Problem; // why no section could be shown, as the viewer says it; empty when some can
};

// The sections of the course folder that the viewer offers in its menu, in probe order.
// courseDir ends with '/'.
TSiteCourse ReadSiteCourse(const QString& courseDir);
