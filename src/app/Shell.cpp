#include "app/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

bool TShell::Open(const QString& pathOrUrl) {
    const QUrl url = QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(pathOrUrl) : QUrl(pathOrUrl);
    return url.isValid() && QDesktopServices::openUrl(url);
}
