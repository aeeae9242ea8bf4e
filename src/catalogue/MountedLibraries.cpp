#include "catalogue/MountedLibraries.h"

#include "core/LibraryFolder.h"

#include <QStorageInfo>

bool IsRemovableMountPoint(const QString& rootPath) {
    for (const char* place : {"/media/", "/run/media/", "/mnt/"})
        if (rootPath.startsWith(QLatin1String(place)) && rootPath.size() > int(qstrlen(place)))
            return true;
    return false;
}

QList<TVolume> MountedVolumes() {
    QList<TVolume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes())
        if (storage.isValid() && storage.isReady())
            volumes.append({storage.rootPath(), storage.name()});
    return volumes;
}

QList<TMountedLibrary> MountedLibraries(const QList<TVolume>& volumes, const THoldsCourses& holdsCourses,
                                        const std::function<bool(const QString&)>& isRemovable) {
    QList<TMountedLibrary> libraries;
    for (const TVolume& volume : volumes) {
        if (!isRemovable(volume.RootPath))
            continue;
        const QString folder = WithTrailingSlash(volume.RootPath);
        if (!holdsCourses(folder))
            continue;
        QString name = volume.Label.trimmed();
        if (name.isEmpty())
            name = folder.section(u'/', -2, -2);
        libraries.append({folder, name});
    }
    return libraries;
}

QString LibraryName(const QString& folder, const QList<TVolume>& volumes) {
    const QString path = WithTrailingSlash(folder);
    for (const TVolume& volume : volumes)
        if (WithTrailingSlash(volume.RootPath) == path && !volume.Label.trimmed().isEmpty())
            return volume.Label.trimmed();
    const QString name = path.section(u'/', -2, -2);
    return name.isEmpty() ? QStringLiteral("/") : name;
}
