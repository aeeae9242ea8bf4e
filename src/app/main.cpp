// courseplayer [FOLDER]: the course player. FOLDER is the course library; without it, the
// folder of the executable.

#include "catalogue/Main.h"
#include "Startup.h"
#include "app/AppContext.h"
#include "app/ErrorReport.h"
#include "app/Fonts.h"
#include "app/LibraryFolder.h"
#include "app/Registry.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "app/Theme.h"
#include "app/browser/WbPopup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <unistd.h>

namespace {

// Chromium refuses to start its sandbox as root; a school machine may well run us as root.
void DisableSandboxForRoot() {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
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
    ApplyTheme(app);

    TIniRegistry registry;
    TShell shell;
    TAppContext context;
    context.ProgramFolder =
        LibraryFolderFromArguments(app.arguments(), QCoreApplication::applicationDirPath());
    context.Registry = &registry;
    context.Shell = &shell;

    // The right-click hook of the plain browsers: before the first window, removed at exit.
    const TWbPopup wbPopup;
    CreateWindows(context);
    TRoster& roster = Roster();
    if (!roster.MainForm)
        return 1;
    roster.MainForm->show();

    const int result = app.exec();
    DestroyWindows();
    return result;
}
