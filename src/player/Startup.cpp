#include "player/Startup.h"

#include "player/StartupSearch.h"

#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/WebBrowser.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "core/ComponentStaging.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "popups/ResourceFailure.h"
#include "viewer/ShowCourse.h"

#include <QApplication>
#include <QMessageBox>
#include <initializer_list>

namespace {

template <typename T> T* Create(const TAppContext& context) {
    T* window = nullptr;
    RunReported([&] { window = new T(context); });
    return window;
}

// The collection windows lie below the viewer, so their calls into it are wired here.
void ConnectCollections(TRoster& roster) {
    if (roster.Form1 && roster.FavoriteForm)
        roster.Form1->AddFavoriteCommands(roster.FavoriteForm->actShowAll, roster.FavoriteForm->actLoad,
                                          roster.FavoriteForm->actSave);
    if (roster.ShowFavorForm) {
        roster.ShowFavorForm->OnShowToolTip = [](const QString& url) {
            if (Roster().Form1)
                Roster().Form1->ShowToolTip(url);
        };
        roster.ShowFavorForm->OnShowTest = [](const QString& url) {
            if (Roster().Form1)
                Roster().Form1->ShowTest(url);
        };
    }
}

} // namespace

namespace {

// Pages read local files only inside the library and the folder of the player's staged
// components. The executable's own folder is no more than that: installed, it is /usr/bin; it is
// the library when a disc runs in place.
void AllowFilesOf(const QString& library) {
    SetAllowedFileRoots({library, StagedComponentsFolder()});
}

// A document clicked in any page window that does not open says why, as the viewer says it for
// the files it opens itself.
void TellDocumentFailure(const QString& path, bool allowed) {
    const QString reason = allowed ? ShellFailureReason(path) : OutsideLibraryReason(path);
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                             FailureMessage(kResourceUnavailable, reason));
}

} // namespace

namespace {

struct TStartupState {
    TAppContext Context; // for the other windows: the catalogue's, with its command images
    std::function<void()> BeforeBrowsers;
    bool OthersPending = false;
};

TStartupState& State() {
    static TStartupState state;
    return state;
}

} // namespace

void CreateWindows(const TAppContext& context) {
    CreateCatalogue(context);
    CreateOtherWindows();
}

void CreateCatalogue(const TAppContext& context, std::function<void()> beforeBrowsers) {
    AllowFilesOf(context.ProgramFolder);
    SetDocumentShell(context.Shell);
    SetDocumentFailureReporter(&TellDocumentFailure);
    // The viewer reads the catalogue's plug-in flags when it is created, so the catalogue
    // comes first.
    TRoster& roster = Roster();
    roster.MainForm = Create<TMainForm>(context);
    // The catalogue owns the command images; every later window gets them from start-up.
    TStartupState& state = State();
    state.Context = context;
    if (roster.MainForm && !state.Context.CommandImages)
        state.Context.CommandImages = &roster.MainForm->LargeImages();
    state.BeforeBrowsers = std::move(beforeBrowsers);
    state.OthersPending = true;
    if (!roster.MainForm)
        return;
    // The catalogue's library stands below the viewer's, so the launch of a course is wired here.
    roster.MainForm->SetCourseViewer({
        [](const QString& title) {
            CreateOtherWindows();
            if (Roster().Form1)
                Roster().Form1->CourseTitle = title;
        },
        [](int courseNumber) {
            CreateOtherWindows();
            return Roster().Form1 && Roster().Form1->OpenCourse(courseNumber);
        },
        [] {
            if (Roster().Form1)
                Roster().Form1->showMaximized();
        },
    });
    // Closing the catalogue ends the program: an unsaved collection is offered for saving first.
    roster.MainForm->SetQuitGuard([] { return !Roster().FavoriteForm || Roster().FavoriteForm->CanQuit(); });
    ConnectCatalogueSearch();
}

void CreateOtherWindows() {
    TStartupState& state = State();
    if (!state.OthersPending)
        return;
    state.OthersPending = false;
    if (state.BeforeBrowsers)
        state.BeforeBrowsers();
    TRoster& roster = Roster();
    // The library may have changed since the catalogue was made.
    TAppContext context = state.Context;
    if (roster.MainForm)
        context.ProgramFolder = roster.MainForm->ProgramFolder();
    roster.Form1 = Create<TForm1>(context);
    roster.ToolTipForm = Create<TToolTipForm>(context);
    roster.TestForm = Create<TTestForm>(context);
    roster.FavoriteForm = Create<TFavoriteForm>(context);
    roster.ShowFavorForm = Create<TShowFavorForm>(context);
    // The editor reaches the viewer the same way: collections stand below the viewer.
    if (roster.FavoriteForm)
        roster.FavoriteForm->SetViewerLink({
            [](const QString& fragment) {
                if (Roster().Form1)
                    Roster().Form1->ShowFavorPage(fragment);
            },
            [](const QString& url) {
                if (Roster().Form1)
                    Roster().Form1->ShowTest(url);
            },
            [] { return Roster().Form1 ? Roster().Form1->CourseDir : QString(); },
            [] { return Roster().Form1 ? Roster().Form1->CourseNumber : 0; },
        });
    ConnectCollections(roster);
    ConnectViewerSearch();
    // While the user looks at the catalogue, not when the first course opens.
    if (roster.Form1)
        roster.Form1->wMain->StartRenderer();
}

void SwitchLibrary(const QString& folder) {
    // The pages of the new library must load, and those of the old one no longer.
    AllowFilesOf(folder);
    TRoster& roster = Roster();
    if (roster.Form1)
        roster.Form1->SetProgramFolder(folder);
    if (roster.MainForm)
        roster.MainForm->SetProgramFolder(folder);
    // "Назад" into the old library would end on the browser's blocked-page notice.
    for (QWidget* window : std::initializer_list<QWidget*>{roster.Form1, roster.ToolTipForm, roster.TestForm,
                                                           roster.ShowFavorForm})
        ClearHistoryOf(window);
    SearchLibraryChanged(folder);
}

void OpenCollection(const QString& fileName) {
    CreateOtherWindows();
    TFavoriteForm* editor = Roster().FavoriteForm;
    if (!editor)
        return;
    // The editor's own load, with the file given instead of the one its dialog would ask for.
    editor->SetOpenFileChooser([fileName] { return fileName; });
    editor->actLoadExecute();
    editor->SetOpenFileChooser({});
    editor->show();
    editor->raise();
}

void DestroyWindows() {
    TRoster& roster = Roster();
    // The search window was made last, on first use.
    DestroySearch();
    // Pages go before their browser profile; windows in the reverse order of creation.
    delete roster.ShowFavorForm;
    delete roster.FavoriteForm;
    delete roster.TestForm;
    delete roster.ToolTipForm;
    delete roster.Form1;
    delete roster.MainForm;
    roster = TRoster();
    State() = TStartupState();
    // The shell goes with main(); nothing may open documents through it afterwards.
    SetDocumentShell(nullptr);
    SetDocumentFailureReporter({});
}
