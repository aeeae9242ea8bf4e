// courseplayer [FOLDER]: the course player. FOLDER is the course library; without it, the
// folder of the executable.

#include "catalogue/Main.h"
#include "app/AppContext.h"
#include "app/ErrorReport.h"
#include "app/Fonts.h"
#include "app/LibraryFolder.h"
#include "app/Registry.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "viewer/ShowCourse.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <unistd.h>

namespace {

// Chromium refuses to start its sandbox as root; a school machine may well run us as root.
void DisableSandboxForRoot() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

// Creates one window, reporting an error of its creation and going on with the next one.
template <typename T> T* Create(const TAppContext& context) {
    T* window = nullptr;
    RunReported([&] { window = new T(context); });
    return window;
}

} // namespace

int main(int argc, char** argv) {
    DisableSandboxForRoot();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TCourseApplication app(argc, argv);
    // The application name, not its display name: the display name would be appended to
    // every window's title.
    QCoreApplication::setApplicationName(QStringLiteral("Проигрыватель учебных курсов"));
    QCoreApplication::setOrganizationName(QStringLiteral("courseplayer"));
    app.setQuitOnLastWindowClosed(false);
    RegisterOriginalFonts();

    TIniRegistry registry;
    TShell shell;
    TAppContext context;
    context.ProgramFolder =
        LibraryFolderFromArguments(app.arguments(), QCoreApplication::applicationDirPath());
    context.Registry = &registry;
    context.Shell = &shell;

    // The roster's order is fixed: the viewer reads the catalogue's plug-in flags when it is
    // created, so the catalogue comes first.
    TRoster& roster = Roster();
    roster.MainForm = Create<TMainForm>(context);
    roster.Form1 = Create<TForm1>(context);
    roster.ToolTipForm = Create<TToolTipForm>(context);
    roster.TestForm = Create<TTestForm>(context);
    roster.FavoriteForm = Create<TFavoriteForm>(context);
    roster.ShowFavorForm = Create<TShowFavorForm>(context);
    if (!roster.MainForm)
        return 1;
    roster.MainForm->show();

    const int result = app.exec();
    // Pages go before their browser profile; windows go in the reverse order of creation.
    delete roster.ShowFavorForm;
    delete roster.FavoriteForm;
    delete roster.TestForm;
    delete roster.ToolTipForm;
    delete roster.Form1;
    delete roster.MainForm;
    roster = TRoster();
    return result;
}
