// Renders the catalogue window and the sheet of command icons to PNG files, to look at the
// theme without a display: preview_catalogue [FOLDER] [BUTTON-UNDER-POINTER].
// Built only with -DCP_CATALOGUE_PREVIEW=ON; writes /tmp/catalogue.png and /tmp/icons.png.

#include "app/CommandImages.h"
#include "app/Fonts.h"
#include "app/Registry.h"
#include "app/Theme.h"
#include "catalogue/Main.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterOriginalFonts();
    ApplyTheme(app);
    QTemporaryDir dir;
    TIniRegistry registry(dir.filePath(QStringLiteral("registry.ini")));
    TAppContext context;
    context.ProgramFolder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(CP_SOURCE_DIR "/content/");
    context.Registry = &registry;
    TMainForm form(context);
    form.show();
    if (argc > 2)
        if (auto* button = form.findChild<QWidget*>(QString::fromLocal8Bit(argv[2]))) {
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(button, &enter);
            QTest::mouseMove(button, QPoint(50, 10));
        }
    QApplication::processEvents();
    form.grab().save(QStringLiteral("/tmp/catalogue.png"));

    const TCommandImages& images = form.LargeImages();
    QImage sheet(TCommandImages::Count * 34, 3 * 34, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int i = 0; i < TCommandImages::Count; ++i) {
        painter.drawPixmap(i * 34 + 3, 3, images.Normal(i));
        painter.drawPixmap(i * 34 + 3, 37, images.Hot(i));
        painter.drawPixmap(i * 34 + 3, 71, images.Disabled(i));
    }
    painter.end();
    sheet.scaled(sheet.size() * 2).save(QStringLiteral("/tmp/icons.png"));
    return 0;
}
