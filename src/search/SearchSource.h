#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// What the search reads: the items of the library's courses and the visible text of their pages.
// Plain functions over the files, safe to call from a worker thread; nothing is ever written.

struct TSearchItem {    // one item of one section of one course of the library
    int Course = 0;     // course number (the folder name), from the descriptor's Id
    QString CourseName; // the descriptor's Name
    int Section = 0;    // section id (SectionProbeOrder)
    int ID = 0;         // item id
    QString Caption;    // the tree.xml text attribute, with its markup
    QString PagePath;   // the item page's absolute path as found on disk (may not exist)
};

// Every item of every course of the library: descriptors (the catalogue's own scan code) ->
// course folders -> the sections of SectionProbeOrder -> tree.xml -> items, in tree order.
// What cannot be read is skipped. Uses FindDiscFile for every name (case-insensitive discs).
// A course number listed by several descriptors is walked once, under its first name.
std::vector<TSearchItem> ListSearchItems(const QString& libraryFolder);
// The same, handed over course by course as each is read (the index starts on a course's pages
// while the next is read); the walk stops when courseItems returns false.
void ListSearchItems(const QString& libraryFolder,
                     const std::function<bool(std::vector<TSearchItem>&&)>& courseItems);

// The items of one course only (the viewer's "Поиск по курсу"). A course folder without a
// descriptor is still walked, with an empty CourseName.
std::vector<TSearchItem> ListCourseItems(const QString& libraryFolder, int course);
