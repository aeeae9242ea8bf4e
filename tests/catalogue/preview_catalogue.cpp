// Renders the catalogue window, the sheet of command icons and the program's icon to PNG files,
// to look at the theme without a display:
//   preview_catalogue [FOLDER] [BUTTON-UNDER-POINTER] [BUTTON-WITH-KEYBOARD-FOCUS]
// Built only with -DCP_CATALOGUE_PREVIEW=ON; writes /tmp/catalogue.png, /tmp/icons.png (the
// looks at 1x, then at 2x) and /tmp/appicon.png (the program's icon at each size).

#include "app/Fonts.h"
#include "catalogue/Main.h"
#include "core/Registry.h"
#include "look/CommandImages.h"
#include "look/Theme.h"

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
    if (argc > 3)
        if (auto* button = form.findChild<QWidget*>(QString::fromLocal8Bit(argv[3]))) {
            // Focus as Tab gives it: the window then marks the focused button.
            form.activateWindow();
            if (!QTest::qWaitForWindowActive(&form))
                qWarning("the window did not become active");
            if (auto* before = button->previousInFocusChain())
                before->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    QApplication::processEvents();
    form.grab().save(QStringLiteral("/tmp/catalogue.png"));

    // Both densities at the pixels of a 200 % screen: the 1x looks scaled up above, the 2x
    // looks as drawn below.
    const TCommandImages& images = form.LargeImages();
    QImage sheet(TCommandImages::Count * 68, 6 * 68, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (int scale : {1, 2}) {
        const int top = (scale - 1) * 3 * 68;
        for (int i = 0; i < TCommandImages::Count; ++i) {
            const QRect place(i * 68 + 6, 0, 56, 56);
            painter.drawPixmap(place.translated(0, top + 6), images.Normal(i, scale));
            painter.drawPixmap(place.translated(0, top + 74), images.Hot(i, scale));
            painter.drawPixmap(place.translated(0, top + 142), images.Disabled(i, scale));
        }
    }
    painter.end();
    sheet.save(QStringLiteral("/tmp/icons.png"));

    const QIcon icon = TCommandImages::ApplicationIcon();
    QImage sizes(16 + 24 + 32 + 48 + 64 + 128 + 7 * 8, 128 + 16, QImage::Format_ARGB32);
    sizes.fill(QColor(0xee, 0xee, 0xee));
    QPainter iconPainter(&sizes);
    int x = 8;
    for (const int pixels : {16, 24, 32, 48, 64, 128}) {
        iconPainter.drawPixmap(x, 8 + 128 - pixels, icon.pixmap(pixels));
        x += pixels + 8;
    }
    iconPainter.end();
    sizes.save(QStringLiteral("/tmp/appicon.png"));
    return 0;
}
