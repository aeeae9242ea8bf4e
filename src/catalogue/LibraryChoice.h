#pragma once

#include <QString>
#include <functional>

// Which library the player opens at start, in this order: the folder given on the command
// line; the executable's folder when it holds course descriptors (a disc or a copied folder run
// in place, and the build tree with its staged demo); the last library the user chose, while it
// still holds courses (a USB stick may be gone); the installed demo library. With none of them
// the executable's folder, which gives an empty catalogue.
enum class TLibrarySource { CommandLine, ExecutableFolder, LastChosen, InstalledDemo, Nothing };

struct TLibraryCandidates {
    QString CommandLine;      // empty when none was given
    QString ExecutableFolder; // QCoreApplication::applicationDirPath()
    QString LastChosen;       // empty when the user never chose one
    QString InstalledDemo;    // InstalledDemoLibrary(ExecutableFolder)
};

struct TLibraryChoice {
    QString Folder; // absolute, ending in '/'
    TLibrarySource Source = TLibrarySource::Nothing;
};

using THoldsCourses = std::function<bool(const QString& folder)>;

TLibraryChoice ChooseLibrary(const TLibraryCandidates& candidates, const THoldsCourses& holdsCourses);

// True when at least one descriptor of the folder names a course (a "CourseInfo" root with its
// four attributes); other XML files do not count.
bool HoldsCourseDescriptors(const QString& folder);

// The demo library the package installs, found from the executable's folder
// (/usr/bin -> /usr/share/courseplayer/demo), so the package works at any prefix.
QString InstalledDemoLibrary(const QString& executableFolder);
