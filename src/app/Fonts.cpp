#include "app/Fonts.h"

#include "app/FontOutlines.h"

#include <QFile>
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
        for (const QString& file : files)
            for (const QString& folder : folders)
                if (QFile font(folder + file); font.open(QIODevice::ReadOnly)) {
                    const QByteArray data = font.readAll();
                    QFontDatabase::addApplicationFontFromData(data);
                    if (const QByteArray forBold = MediumFaceForBold(data); !forBold.isEmpty())
                        QFontDatabase::addApplicationFontFromData(forBold);
                    break;
                }
    };
    // Only the regular face. The wine package's bold face is wider but draws with the regular
    // strokes, so bold words in captions and labels would not look bold at all; a bold made
    // from the regular face does, once its few glyphs wound both ways are set right
    // (MediumFaceForBold).
    add(QStringLiteral("Tahoma"), {QStringLiteral("tahoma.ttf")});
    add(QStringLiteral("Symbol"), {QStringLiteral("symbol.ttf")});
}
