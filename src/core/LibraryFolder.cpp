#include "core/LibraryFolder.h"

#include <QDir>
#include <QFileInfo>

QString WithTrailingSlash(const QString& folder) {
    QString path = QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath());
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}
