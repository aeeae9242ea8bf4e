#pragma once

#include "publish/SiteCourse.h"

#include <QString>
#include <QStringList>

// SCORM 1.2 packages of a published site, one per course, for a school's learning platform: the
// course's part of the site with an imsmanifest.xml naming one SCO, the course viewer. The
// viewer's script reports to the platform's API when it finds one (see CourseScript).

// The manifest of the course's package; files are the package's files, relative to its root.
QString ScormManifest(const TSiteCourse& course, const QStringList& files);

// Writes the package of the course from the staged site: <course>/, _site/ and the shared
// entries of the library (names at the site's top). An empty result is success.
QString WriteScormPackage(const QString& site, const TSiteCourse& course, const QStringList& shared,
                          const QString& zipPath);
