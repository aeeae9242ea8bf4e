// From the course button press to the tree shown and the first item's page complete, against
// loading the same page in a bare QWebEngineView in the same run. The first press comes a second
// after the windows are made, as a user's first click would, and the bare view has that second
// too. browser_ms is the same load in a bare browser of the player's own (its profile, with the
// scripts old discs need in every document): the part of the press that is the page itself.
//
//   bench_viewer [--benchmark_...]   (offscreen: QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/WebBrowser.h"
#include "catalogue/Main.h"
#include "core/Registry.h"
#include "markuptree/MarkupTreeView.h"
#include "player/Startup.h"
#include "viewer/ShowCourse.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

const QString Demo = QStringLiteral(CP_SOURCE_DIR "/content/");
constexpr int GeneratedCourse = 900;

// Pumps events with 1 ms pauses until done() holds (the way the player itself waits).
void WaitFor(const std::function<bool()>& done) {
    while (!done()) {
        QEventLoop pass;
        QTimer::singleShot(1, &pass, &QEventLoop::quit);
        pass.exec();
    }
}

bool Copy(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).path());
    return QFile::copy(from, to);
}

bool CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        if (!Copy(source, to + source.mid(from.size())))
            return false;
    }
    return true;
}

// A library with the demo course 101 and one course of about 10,000 items in three levels (100 x 10 x 9),
// whose first item shows the demo course's first page with its stylesheet.
bool WriteGeneratedLibrary(const QString& library) {
    const QString course = library + QString::number(GeneratedCourse) + u'/';
    QDir().mkpath(course + "5");
    QFile tree(course + "5/tree.xml");
    if (!tree.open(QIODevice::WriteOnly))
        return false;
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>\n";
    int id = 1;
    for (int chapter = 0; chapter < 100; ++chapter) {
        xml += "<item id=\"" + QByteArray::number(id++) + "\" text=\"&lt;b&gt;Глава " +
               QByteArray::number(chapter + 1) + ".&lt;/b&gt; Раздел\">\n";
        for (int section = 0; section < 10; ++section) {
            xml += " <item id=\"" + QByteArray::number(id++) + "\" text=\"Параграф &lt;i&gt;" +
                   QByteArray::number(section + 1) + "&lt;/i&gt;\">\n";
            for (int item = 0; item < 9; ++item)
                xml += "  <item id=\"" + QByteArray::number(id++) +
                       "\" text=\"Пункт с &lt;font color=&quot;#A03000&quot;&gt;цветом&lt;/font&gt;\"/>\n";
            xml += " </item>\n";
        }
        xml += "</item>\n";
    }
    xml += "</tree>\n";
    tree.write(xml);
    tree.close();
    return CopyTree(Demo + "101", library + "101") && CopyTree(Demo + "common", library + "common") &&
           Copy(Demo + "101/5/1.xml", course + "5/1.xml");
}

struct TFixture {
    QTemporaryDir Dir;
    TIniRegistry Registry{Dir.filePath("registry.ini")};
    TShell Shell;
    QString Library;
    QWebEngineView* Bare = nullptr;
    QWebEngineView* PlayerBrowser = nullptr;
};

TFixture* Fixture = nullptr;

QTreeWidgetItem* FirstItem(TForm1* viewer) {
    return viewer->LeftTree->topLevelItem(0);
}

// One press of a course button, as the catalogue does it, up to the first page complete.
double OpenAndShowFirstPage(int course, const QString& title, int firstItem) {
    TForm1* viewer = Roster().Form1;
    QElapsedTimer timer;
    timer.start();
    viewer->CourseTitle = title;
    if (!viewer->OpenCourse(course))
        return -1;
    Roster().MainForm->hide();
    viewer->showMaximized();
    QTreeWidgetItem* first = FirstItem(viewer);
    if (!first || TMarkupTreeView::NodeContent(first)->id != firstItem)
        return -1;
    viewer->LeftTree->setCurrentItem(first);
    WaitFor([&] {
        return viewer->wMain->ReadyState() == TWebBrowser::ReadyComplete &&
               viewer->wMain->LocationURL().endsWith(QStringLiteral("/%1.xml").arg(firstItem));
    });
    const double ms = timer.nsecsElapsed() / 1e6;
    viewer->close(); // back to the catalogue for the next press
    return ms;
}

double BarePageLoad(QWebEngineView* view, const QString& page) {
    bool finished = false;
    const auto connection = QObject::connect(view, &QWebEngineView::loadFinished, [&] { finished = true; });
    view->setUrl(QUrl(QStringLiteral("about:blank")));
    WaitFor([&] { return finished; });
    finished = false;
    QElapsedTimer timer;
    timer.start();
    view->setUrl(QUrl::fromLocalFile(page));
    WaitFor([&] { return finished; });
    const double ms = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    return ms;
}

void Measure(benchmark::State& state, const QString& library, int course, int firstItem) {
    double viewerTotal = 0;
    double bareTotal = 0;
    double browserTotal = 0;
    const QString page = library + QStringLiteral("%1/5/%2.xml").arg(course).arg(firstItem);
    for (auto _ : state) {
        const double bare = BarePageLoad(Fixture->Bare, page);
        browserTotal += BarePageLoad(Fixture->PlayerBrowser, page);
        const double viewer = OpenAndShowFirstPage(course, QStringLiteral("Курс"), firstItem);
        if (viewer < 0) {
            state.SkipWithError("the course did not open on its first item");
            return;
        }
        state.SetIterationTime(viewer / 1000.0);
        viewerTotal += viewer;
        bareTotal += bare;
    }
    const double n = double(state.iterations());
    state.counters["viewer_ms"] = viewerTotal / n;
    state.counters["bare_ms"] = bareTotal / n;
    state.counters["browser_ms"] = browserTotal / n;
    state.counters["added_ms"] = (viewerTotal - bareTotal) / n;
    state.counters["ratio"] = bareTotal > 0 ? viewerTotal / bareTotal : 0;
    state.counters["items"] = Roster().Form1->LeftTree->topLevelItemCount();
}

void BM_DemoCourse(benchmark::State& state) {
    Measure(state, Fixture->Library, 101, 10);
}

void BM_Generated10000Items(benchmark::State& state) {
    Measure(state, Fixture->Library, GeneratedCourse, 1);
}

} // namespace

BENCHMARK(BM_DemoCourse)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_Generated10000Items)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TCourseApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        TFixture fixture;
        Fixture = &fixture;
        fixture.Library = fixture.Dir.filePath("lib") + u'/';
        if (!WriteGeneratedLibrary(fixture.Library))
            return 1;
        TAppContext context;
        context.ProgramFolder = fixture.Library;
        context.Registry = &fixture.Registry;
        context.Shell = &fixture.Shell;
        CreateWindows(context);
        QWebEngineView bare;
        bare.resize(800, 600);
        bare.show();
        fixture.Bare = &bare;
        TWebBrowser playerBrowser;
        playerBrowser.resize(800, 600);
        playerBrowser.show();
        fixture.PlayerBrowser = &playerBrowser;
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
        benchmark::RunSpecifiedBenchmarks();
        DestroyWindows();
    }
    benchmark::Shutdown();
    return 0;
}
