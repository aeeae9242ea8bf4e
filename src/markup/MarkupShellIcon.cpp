#include "markup/MarkupShellIcon.h"

#include "markup/MarkupText.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>

namespace MarkupShellIcon {

int IconSize(bool large) {
    return large ? 32 : 16;
}

QPixmap Icon(const QString& source, bool, int size) {
    // The provider draws its stock icons through the widget style.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || size <= 0)
        return QPixmap();
    QFileIconProvider provider;
    QIcon icon;
    const QString trimmed = source.trimmed();
    bool number = false;
    const int index = trimmed.toInt(&number);
    if (number) {
        // The system list has no counterpart here: its first entries map onto the stock
        // icons, everything else shows as a plain file.
        static const QAbstractFileIconProvider::IconType types[] = {
            QAbstractFileIconProvider::Computer, QAbstractFileIconProvider::Desktop,
            QAbstractFileIconProvider::Trashcan, QAbstractFileIconProvider::Network,
            QAbstractFileIconProvider::Drive,    QAbstractFileIconProvider::Folder,
            QAbstractFileIconProvider::File};
        icon = provider.icon(index >= 0 && index < 7 ? types[index] : QAbstractFileIconProvider::File);
    } else {
        icon = provider.icon(QFileInfo(source));
        if (icon.isNull())
            icon = provider.icon(QAbstractFileIconProvider::File);
    }
    return icon.pixmap(QSize(size, size));
}

} // namespace MarkupShellIcon
