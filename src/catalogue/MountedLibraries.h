#pragma once

#include "catalogue/LibraryChoice.h"

#include <QList>
#include <QString>

// A mounted file system as the system lists it.
struct TVolume {
    QString RootPath;
    QString Label; // the volume name; may be empty
};

// A disc or USB stick whose root holds a course library, offered by its volume name.
struct TMountedLibrary {
    QString Folder; // ends in '/'
    QString Name;

    bool operator==(const TMountedLibrary&) const = default;
};

// True for the places where desktops mount discs and USB sticks: /media/..., /run/media/...
// and /mnt/...
bool IsRemovableMountPoint(const QString& rootPath);

// The volumes mounted now (QStorageInfo), ready ones only.
QList<TVolume> MountedVolumes();

// The removable volumes that hold courses, in the given order. A volume without a label is
// named by the last part of its mount point.
QList<TMountedLibrary>
MountedLibraries(const QList<TVolume>& volumes, const THoldsCourses& holdsCourses,
                 const std::function<bool(const QString&)>& isRemovable = IsRemovableMountPoint);

// A library as the chooser names it: the volume name when the folder is the root of a labelled
// volume (a disc, a USB stick), else the folder's own name ("/" for the root).
QString LibraryName(const QString& folder, const QList<TVolume>& volumes);
