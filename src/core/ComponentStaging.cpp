#include "core/ComponentStaging.h"

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
    QString folder = overridden;
    if (folder.isEmpty()) {
        // Staged beside the executable by the build; installed with the package's shared data
        // (/usr/bin -> /usr/share/courseplayer/components).
        const QString bin = QCoreApplication::applicationDirPath();
        folder = bin + QStringLiteral("/components");
        if (!QFileInfo(folder).isDir())
            folder = bin + QStringLiteral("/../share/courseplayer/components");
    }
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
