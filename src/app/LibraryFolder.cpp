#include "app/LibraryFolder.h"

#include <QDir>
#include <QFileInfo>

QString WithTrailingSlash(const QString& folder) {
    QString path = QDir::fromNativeSeparators(QFileInfo(folder).absoluteFilePath());
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString LibraryFolderFromArguments(const QStringList& arguments, const QString& executableFolder) {
    for (int i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith(u'-'))
            return WithTrailingSlash(arguments[i]);
    return WithTrailingSlash(executableFolder);
}
