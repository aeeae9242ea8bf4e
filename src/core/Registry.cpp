#include "core/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString RootName(TRootKey root) {
    switch (root) {
    case TRootKey::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case TRootKey::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case TRootKey::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    }
    return {};
}

// "\PowerPoint.Show.8" and "Software\...\{clsid}\" name keys below the root; leading and
// trailing separators carry no meaning. Key names are case-insensitive, as in the registry.
QString GroupOf(TRootKey root, const QString& key) {
    QStringList parts;
    for (const QString& part : QString(key).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts))
        parts << part.toLower();
    return RootName(root) + u'/' + parts.join(u'/');
}

// An existing key without values still needs an entry in the file; "@" is the key's default
// value, as .reg files write it.
const QString kKeyMarker = QStringLiteral("@");

} // namespace

TIniRegistry::TIniRegistry(const QString& fileName) : m_fileName(fileName) {
    if (m_fileName.isEmpty()) {
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        m_fileName = dir + QStringLiteral("/courseplayer/registry.ini");
    }
}

bool TIniRegistry::CreateKey(TRootKey root, const QString& key) {
    if (!QDir().mkpath(QFileInfo(m_fileName).absolutePath()))
        return false;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const QString group = GroupOf(root, key);
    if (!settings.contains(group + u'/' + kKeyMarker))
        settings.setValue(group + u'/' + kKeyMarker, QString());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool TIniRegistry::WriteInteger(TRootKey root, const QString& key, const QString& valueName, int value,
                                bool createKey) {
    if (!KeyExists(root, key) && (!createKey || !CreateKey(root, key)))
        return false;
    QSettings settings(m_fileName, QSettings::IniFormat);
    const QString name = GroupOf(root, key) + u'/' + valueName.toLower();
    // A value already stored is not written again: the file would be rewritten and flushed to
    // disk at every start for nothing, which on a busy disc holds up the catalogue.
    bool stored = false;
    if (settings.value(name).toInt(&stored) == value && stored)
        return true;
    settings.setValue(name, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<int> TIniRegistry::ReadInteger(TRootKey root, const QString& key,
                                             const QString& valueName) const {
    QSettings settings(m_fileName, QSettings::IniFormat);
    const QVariant v = settings.value(GroupOf(root, key) + u'/' + valueName.toLower());
    bool ok = false;
    const int value = v.toInt(&ok);
    return v.isValid() && ok ? std::optional<int>(value) : std::nullopt;
}

bool TIniRegistry::KeyExists(TRootKey root, const QString& key) const {
    if (!QFileInfo(m_fileName).isReadable())
        return false;
    QSettings settings(m_fileName, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return false;
    return settings.contains(GroupOf(root, key) + u'/' + kKeyMarker);
}
