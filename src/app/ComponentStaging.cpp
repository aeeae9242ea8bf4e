#include "app/ComponentStaging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& OverriddenFolder() {
    static QString folder;
    return folder;
}

bool Staged(const QString& relativePath) {
    return QFileInfo(StagedComponentsFolder() + relativePath).isFile();
}

} // namespace

QString StagedComponentsFolder() {
    const QString& overridden = OverriddenFolder();
    const QString folder = overridden.isEmpty()
                               ? QCoreApplication::applicationDirPath() + QStringLiteral("/components")
                               : overridden;
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

void SetStagedComponentsFolder(const QString& folder) {
    OverriddenFolder() = folder;
}

bool FlashEmulatorStaged() {
    return Staged(QStringLiteral("ruffle/ruffle.js"));
}

bool MathTypesetterStaged() {
    return Staged(QStringLiteral("mathjax/mml-chtml.js"));
}
