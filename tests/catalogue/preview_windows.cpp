// Renders every window of the player, in the program's theme, to /tmp/window-N.png, to look at
// the theme without a display: preview_windows [FOLDER] [COURSE]. A developer's aid.

#include "app/Fonts.h"
#include "app/Roster.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "core/Registry.h"
#include "look/Theme.h"
#include "player/Startup.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "viewer/ShowCourse.h"

#include <QApplication>
#include <QMessageBox>
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
    CreateWindows(context);
    TRoster& roster = Roster();
    if (argc > 2 && roster.Form1) {
        roster.Form1->CourseTitle = QStringLiteral("Курс");
        roster.Form1->OpenCourse(QString::fromLocal8Bit(argv[2]).toInt());
    }
    const QList<QWidget*> windows = {roster.MainForm, roster.Form1,        roster.ToolTipForm,
                                     roster.TestForm, roster.FavoriteForm, roster.ShowFavorForm};
    for (int i = 0; i < windows.size(); ++i) {
        if (!windows[i])
            continue;
        windows[i]->resize(i == 1 ? QSize(1000, 650) : windows[i]->size());
        windows[i]->show();
        QTest::qWait(i == 1 ? 1500 : 200);
        windows[i]->grab().save(QStringLiteral("/tmp/window-%1.png").arg(i));
    }
    // A stock dialog in the theme, as the error report shows it.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Проигрыватель учебных курсов"),
                    QStringLiteral("Ошибка загрузки файла"), QMessageBox::Ok | QMessageBox::Cancel);
    box.show();
    QTest::qWait(200);
    box.grab().save(QStringLiteral("/tmp/window-dialog.png"));
    DestroyWindows();
    return 0;
}
