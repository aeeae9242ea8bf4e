// courseplayer [FOLDER] | [--library FOLDER] FILE.sff | --help | --version: the course player.
// `courseplayer --help` tells which library it opens without FOLDER.

#include "catalogue/Main.h"
#include "app/AppContext.h"
#include "app/ErrorReport.h"
#include "app/Fonts.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/EngineSetup.h"
#include "browser/PageZoom.h"
#include "browser/WbPopup.h"
#include "catalogue/EmptyLibrary.h"
#include "catalogue/LibraryChoice.h"
#include "catalogue/LibraryChooser.h"
#include "core/BytePaths.h"
#include "core/CommandLine.h"
#include "core/Registry.h"
#include "look/GradientPanel.h"
#include "look/Theme.h"
#include "player/FirstPaint.h"
#include "player/Startup.h"
#include "publish/PublishDialog.h"

#include <QCoreApplication>
#include <cstdio>

#ifndef CP_VERSION
#define CP_VERSION "0"
#endif

namespace {

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << PathArgument(QByteArray(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // Read before the application object, so that --help and --version need no display.
    const TCommandLine line = ParseCommandLine(ArgumentsOf(argc, argv), QStringLiteral(CP_VERSION));
    switch (line.Action) {
    case TCommandLine::TAction::Help:
    case TCommandLine::TAction::Version:
        std::fputs(line.Message.toLocal8Bit().constData(), stdout);
        return 0;
    case TCommandLine::TAction::Error:
        std::fputs(line.Message.toLocal8Bit().constData(), stderr);
        return 2;
    case TCommandLine::TAction::Run:
        break;
    }

    SetUpSandbox();
    SetUpAccessibility();
    // Sets Qt::AA_ShareOpenGLContexts for the engine, whose OpenGL waits for the first browser.
    DeferSharedOpenGl();
    TCourseApplication app(argc, argv);
    // The application name, not its display name: the display name would be appended to
    // every window's title.
    QCoreApplication::setApplicationName(QStringLiteral("Проигрыватель учебных курсов"));
    QCoreApplication::setOrganizationName(QStringLiteral("courseplayer"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CP_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.courseplayer.CoursePlayer"));
    app.setQuitOnLastWindowClosed(false);
    RegisterOriginalFonts();
    ApplyTheme(app);

    TLibraryHistory history;
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const TLibraryChoice library =
        ChooseLibrary({line.Folder, executableFolder, history.Last(), InstalledDemoLibrary(executableFolder)},
                      HoldsCourseDescriptors);

    TIniRegistry registry;
    TShell shell;
    TAppContext context;
    context.ProgramFolder = library.Folder;
    context.Registry = &registry;
    context.Shell = &shell;
    TPageZoom zoom;
    context.PageZoom = &zoom;

    // The right-click hook of the plain browsers: before the first window, removed at exit.
    const TWbPopup wbPopup;
    // The catalogue first, and on screen before the web engine starts: the other windows and
    // their browsers are made right after its first paint, or sooner when a click needs them.
    CreateCatalogue(context, &SetUpRendering);
    TRoster& roster = Roster();
    if (!roster.MainForm)
        return 1;
    auto* chooser = new TLibraryChooser(roster.MainForm->GradientPanel2, history);
    chooser->SetCurrent(library.Folder);
    QObject::connect(chooser, &TLibraryChooser::LibraryChosen, chooser, &SwitchLibrary);
    roster.MainForm->SetLibraryOpener([chooser] { chooser->OpenFolder(); });
    chooser->SetPublisher([](const QString& folder) { PublishForBrowsers(Roster().MainForm, folder); });
    // A disc not inserted, a mistyped folder: said on the terminal too, for whoever started it there.
    if (const QString empty = EmptyLibraryReason(library.Folder, roster.MainForm->Catalogue());
        !empty.isEmpty())
        std::fputs(QStringLiteral("courseplayer: в библиотеке нет курсов. %1\n")
                       .arg(empty)
                       .toLocal8Bit()
                       .constData(),
                   stderr);
    // For bench_startup: when the catalogue is first on screen and when every window is made.
    const bool probe = qEnvironmentVariableIsSet("COURSEPLAYER_STARTUP_PROBE");
    AfterFirstPaint(roster.MainForm, [probe] {
        if (probe) {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
        }
        CreateOtherWindows();
        if (probe) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
            QCoreApplication::quit();
        }
    });
    roster.MainForm->show();
    if (!line.Collection.isEmpty())
        OpenCollection(line.Collection);

    const int result = app.exec();
    DestroyWindows();
    return result;
}
