#include "catalogue/LibraryHistory.h"

#include "core/LibraryFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString kLast = QStringLiteral("Library/Last");
const QString kRecent = QStringLiteral("Library/Recent");

} // namespace

TLibraryHistory::TLibraryHistory(const QString& fileName) : m_fileName(fileName) {
    if (m_fileName.isEmpty())
        m_fileName = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     QStringLiteral("/courseplayer/settings.ini");
}

QString TLibraryHistory::Last() const {
    return QSettings(m_fileName, QSettings::IniFormat).value(kLast).toString();
}

QStringList TLibraryHistory::Recent() const {
    QStringList recent = QSettings(m_fileName, QSettings::IniFormat).value(kRecent).toStringList();
    recent.removeAll(QString());
    return recent.mid(0, MaxRecent);
}

void TLibraryHistory::Remember(const QString& folder) {
    const QString path = WithTrailingSlash(folder);
    QStringList recent = Recent();
    recent.removeAll(path);
    recent.prepend(path);
    Store(recent.mid(0, MaxRecent), path);
}

void TLibraryHistory::Forget(const QString& folder) {
    QStringList recent = Recent();
    recent.removeAll(WithTrailingSlash(folder));
    Store(recent, Last());
}

void TLibraryHistory::Store(const QStringList& recent, const QString& last) {
    // A settings file that cannot be written costs the history, never the library shown.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    QSettings settings(m_fileName, QSettings::IniFormat);
    settings.setValue(kRecent, recent);
    settings.setValue(kLast, last);
}
