#include "app/Fonts.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QStringList>

void RegisterOriginalFonts() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList families = QFontDatabase::families();
    const QStringList folders = {QStringLiteral("/usr/share/wine/fonts/"),
                                 QStringLiteral("/usr/share/fonts/truetype/wine/")};
    auto add = [&](const QString& family, const QStringList& files) {
        if (families.contains(family, Qt::CaseInsensitive))
            return;
        for (const QString& folder : folders)
            for (const QString& file : files)
                if (QFileInfo::exists(folder + file))
                    QFontDatabase::addApplicationFont(folder + file);
    };
    // Only the regular face. The wine package's bold face is wider but draws with the regular
    // strokes, so bold words in captions and labels would not look bold at all; a bold made
    // from the regular face does.
    add(QStringLiteral("Tahoma"), {QStringLiteral("tahoma.ttf")});
    add(QStringLiteral("Symbol"), {QStringLiteral("symbol.ttf")});
}
