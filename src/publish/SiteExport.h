#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// A library published as a static web site: OUT/index.html (the catalogue), OUT/<course>/ (every
// file of the course, its pages read as the player reads them, and index.html, the course
// viewer), OUT/_site/ (the shared style and script). The site is built in a folder beside OUT and
// moved in place at the end (with --scorm, OUT/scorm/ too), so that an export that fails or is cancelled
// leaves OUT as it was.

struct TExportOptions {
    QString Library;
    QString Out;
    QList<int> Courses; // empty: every course of the catalogue
    QString Title;      // empty: "Учебные курсы"
    bool Scorm = false; // also OUT/scorm/<course>.zip, a SCORM 1.2 package per course
    const std::atomic<bool>* Cancel = nullptr;
    std::function<void(int done, int total)> Progress; // courses
    std::function<void()> Tick;                        // after every file, for a window's events
};

struct TExportResult {
    bool Ok = false;
    QString Error; // why nothing was published, in Russian
    int Courses = 0;
    int Pages = 0;            // item pages of the trees
    int TransformedPages = 0; // XML pages also written as HTML
    qint64 Files = 0;
    qint64 Bytes = 0;
    QStringList SkippedLinks; // symbolic links leading out of the library, not copied
    QStringList Problems;     // what was published only in part
};

TExportResult ExportSite(const TExportOptions& options);
