#include "player/StartupSearch.h"

#include "player/Startup.h"

#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "catalogue/Main.h"
#include "core/DiscFiles.h"
#include "markup/Markup.h"
#include "search/PageHighlight.h"
#include "search/SearchForm.h"
#include "search/SearchIndex.h"
#include "viewer/CourseLayout.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QPointer>
#include <memory>

namespace {

struct TSearchState {
    std::unique_ptr<TSearchForm> Window;
    std::unique_ptr<TSearchIndex> Index;
    QString Library;   // the library folder of Index
    QString CacheRoot; // empty: the index picks the user's cache folder
};

TSearchState& State() {
    static TSearchState state;
    return state;
}

QString CurrentLibrary() {
    return Roster().MainForm ? Roster().MainForm->ProgramFolder() : QString();
}

// The index of the open library, made and brought up to date the first time it is asked for.
TSearchIndex* LibraryIndex() {
    TSearchState& state = State();
    const QString library = CurrentLibrary();
    if (state.Index && state.Library == library)
        return state.Index.get();
    if (state.Window)
        state.Window->SetIndex(nullptr);
    state.Index.reset();
    QString cache;
    if (!state.CacheRoot.isEmpty())
        cache =
            state.CacheRoot + u'/' +
            QString::fromLatin1(QCryptographicHash::hash(library.toUtf8(), QCryptographicHash::Sha1).toHex());
    state.Index = std::make_unique<TSearchIndex>(library, cache);
    state.Library = library;
    state.Index->StartUpdate();
    return state.Index.get();
}

QString SectionName(int section) {
    const QString caption = SectionCaption(section);
    return caption.isEmpty() ? QStringLiteral("№%1").arg(section) : caption;
}

} // namespace

void ConnectCatalogueSearch() {
    TRoster& roster = Roster();
    if (roster.MainForm)
        QObject::connect(roster.MainForm->actSearchAll, &QAction::triggered, roster.MainForm,
                         [] { ShowSearch(-1); });
}

void ConnectViewerSearch() {
    TRoster& roster = Roster();
    if (roster.Form1)
        QObject::connect(roster.Form1->actSearchCourse, &QAction::triggered, roster.Form1, [] {
            if (TForm1* viewer = Roster().Form1)
                ShowSearch(viewer->CourseNumber, viewer->CourseTitle);
        });
}

void ShowSearch(int course, const QString& courseName) {
    TSearchState& state = State();
    if (!state.Window) {
        state.Window = std::make_unique<TSearchForm>();
        state.Window->OnOpenResult = &OpenSearchResult;
    }
    TSearchIndex* index = LibraryIndex();
    state.Window->SetIndex(index);
    state.Window->SetScope(course, courseName);
    state.Window->ShowSearch();
}

TSearchForm* SearchWindow() {
    return State().Window.get();
}

void SearchLibraryChanged(const QString& folder) {
    TSearchState& state = State();
    if (state.Library == folder)
        return;
    if (state.Window)
        state.Window->SetIndex(nullptr);
    state.Index.reset();
    state.Library.clear();
    // A window left open goes on with the new library's index at once.
    if (state.Window && state.Window->isVisible()) {
        state.Window->SetIndex(LibraryIndex());
        state.Window->SetScope(-1);
    }
}

void DestroySearch() {
    TSearchState& state = State();
    state.Window.reset();
    state.Index.reset();
    state.Library.clear();
}

void SetSearchCacheRoot(const QString& folder) {
    State().CacheRoot = folder;
}

QString OpenSearchResult(const TSearchHit& hit, const QString& query) {
    CreateOtherWindows();
    TRoster& roster = Roster();
    TForm1* viewer = roster.Form1;
    if (!viewer)
        return QStringLiteral("Окно просмотра курса недоступно.");
    const QString library = CurrentLibrary();
    const QString course = hit.CourseName.isEmpty() ? QString::number(hit.Course) : hit.CourseName;
    const bool shown = viewer->isVisible() && viewer->CourseNumber == hit.Course &&
                       viewer->CourseDir == CourseFolder(library, hit.Course);
    if (!shown) {
        // A course folder that is gone is told before the viewer tries it: its try would leave the
        // viewer pointing at the missing folder while it still shows the course it had.
        if (!QFileInfo(FindDiscFile(CourseFolder(library, hit.Course))).isDir())
            return QStringLiteral("Курса «%1» больше нет в библиотеке. Поиск обновится, когда будет "
                                  "перечитана библиотека.")
                .arg(course);
        bool opened = false;
        try {
            opened = roster.MainForm && roster.MainForm->LaunchCourse(hit.Course, hit.CourseName);
        } catch (const std::exception& e) {
            return QStringLiteral("Курс «%1» не открывается:\n%2").arg(course, QString::fromUtf8(e.what()));
        }
        if (!opened)
            return QStringLiteral("Курса «%1» больше нет в библиотеке. Поиск обновится, когда будет "
                                  "перечитана библиотека.")
                .arg(course);
    }
    const QString caption = StripMarkup(hit.Caption).simplified();
    try {
        if (!viewer->SelectItem(hit.Section, hit.ID)) {
            if (!viewer->IsSectionAvailable(hit.Section))
                return QStringLiteral("В курсе «%1» больше нет раздела «%2».")
                    .arg(course, SectionName(hit.Section));
            return QStringLiteral("Материала «%1» больше нет в разделе «%2» курса «%3».")
                .arg(caption, SectionName(hit.Section), course);
        }
    } catch (const std::exception& e) {
        return QStringLiteral("Раздел «%1» курса «%2» не открывается:\n%3")
            .arg(SectionName(hit.Section), course, QString::fromUtf8(e.what()));
    }
    const QString page = FindDiscFile(ItemPagePath(viewer->CourseDir, hit.Section, hit.ID));
    viewer->raise();
    viewer->activateWindow();
    if (!QFileInfo(page).isFile())
        return QStringLiteral("Страницы материала «%1» больше нет на диске.").arg(caption);
    QPointer<TSearchIndex> index = State().Index.get();
    HighlightWhenLoaded(viewer->wMain->page(), page, [index, query](const QString& text) {
        return index ? index->MatchedWords(query, text) : QStringList();
    });
    return {};
}
