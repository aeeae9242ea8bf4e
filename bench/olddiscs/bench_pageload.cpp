// Loading a plain lesson page (no Flash, no formulas) in the player's browser, which puts its
// scripts for old discs into every page (IE objects before the page's scripts, the look for
// Flash and MathML once the document is ready), against a bare QWebEngineView with a profile of
// its own loading the same page, both in the same run. Prints each time and their ratio; the
// player's load should take at most 1.1 times the bare one.
//
//   bench_pageload [--benchmark_...]   (offscreen: QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "core/ComponentStaging.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

struct TFixture {
    QTemporaryDir Dir;
    QUrl Page;
    TEmbeddedBrowser* Player = nullptr;
    QWebEngineView* Bare = nullptr;
};

TFixture* Fixture = nullptr;

// A lesson page as the discs have them: windows-1251 text without a declared charset, a table,
// a picture-less list, a small script of its own.
bool WriteLesson(const QString& path) {
    QString html =
        QStringLiteral("<html><head><title>Урок</title><style>td{border:1px solid}</style>"
                       "<script>function mark(id){document.getElementById(id).className='seen';}"
                       "</script></head><body onload=\"mark('t')\"><h1>Дроби</h1><table id=\"t\">");
    for (int i = 1; i <= 60; ++i)
        html +=
            QStringLiteral("<tr><td>%1</td><td>Числитель показывает, сколько долей взято.</td></tr>").arg(i);
    html += QStringLiteral("</table><ul>");
    for (int i = 1; i <= 40; ++i)
        html += QStringLiteral("<li>Пример %1: 1/2 + 1/4 = 3/4</li>").arg(i);
    html += QStringLiteral("</ul></body></html>");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // windows-1251 bytes, as the discs store them.
    QByteArray encoded;
    for (const QChar c : html) {
        const ushort u = c.unicode();
        if (u < 0x80)
            encoded.append(char(u));
        else if (u >= 0x410 && u <= 0x44F)
            encoded.append(char(0xC0 + (u - 0x410)));
        else if (u == 0x401)
            encoded.append(char(0xA8));
        else if (u == 0x451)
            encoded.append(char(0xB8));
        else
            encoded.append('?');
    }
    return file.write(encoded) == encoded.size();
}

// Loads url in page and returns the milliseconds to its load-finished report (-1 on failure).
double TimedLoad(QWebEnginePage* page, const QUrl& url) {
    QEventLoop loop;
    bool ok = false;
    const auto connection = QObject::connect(page, &QWebEnginePage::loadFinished, &loop, [&](bool success) {
        ok = success;
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    page->load(url);
    loop.exec();
    const double ms = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    return ok ? ms : -1;
}

void Blank(QWebEnginePage* page) {
    TimedLoad(page, QUrl(QStringLiteral("about:blank")));
}

void BM_PlainPageLoad(benchmark::State& state) {
    double playerMs = 0;
    double bareMs = 0;
    bool playerFirst = true;
    for (auto _ : state) {
        QWebEnginePage* player = Fixture->Player->page();
        QWebEnginePage* bare = Fixture->Bare->page();
        Blank(player);
        Blank(bare);
        // Alternate which goes first, so that neither always meets a warmed-up cache.
        double p = 0;
        double b = 0;
        if (playerFirst) {
            p = TimedLoad(player, Fixture->Page);
            b = TimedLoad(bare, Fixture->Page);
        } else {
            b = TimedLoad(bare, Fixture->Page);
            p = TimedLoad(player, Fixture->Page);
        }
        playerFirst = !playerFirst;
        if (p < 0 || b < 0) {
            state.SkipWithError("a load failed");
            return;
        }
        state.SetIterationTime(p / 1000.0);
        playerMs += p;
        bareMs += b;
    }
    const double n = double(state.iterations());
    state.counters["player_ms"] = playerMs / n;
    state.counters["bare_ms"] = bareMs / n;
    state.counters["ratio"] = bareMs > 0 ? playerMs / bareMs : 0;
}

} // namespace

BENCHMARK(BM_PlainPageLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        TFixture fixture;
        Fixture = &fixture;
        const QString page = fixture.Dir.filePath(QStringLiteral("lesson.htm"));
        if (!WriteLesson(page))
            return 1;
        fixture.Page = QUrl::fromLocalFile(page);
        // The lesson's folder is the library, as the player allows its library.
        SetAllowedFileRoots({fixture.Dir.path()});
        // With the web components staged, as the player runs: library pages then also get the
        // Flash entry point at document creation.
        SetStagedComponentsFolder(QStringLiteral(CP_STAGED_COMPONENTS));
        if (!FlashEmulatorStaged()) {
            std::fprintf(stderr, "the web components are not staged in %s\n", CP_STAGED_COMPONENTS);
            return 1;
        }
        TEmbeddedBrowser player;
        player.resize(800, 600);
        fixture.Player = &player;
        // The baseline: an off-the-record profile of its own with the engine's defaults, beyond
        // what a local page needs to load at all.
        QWebEngineProfile bareProfile;
        QWebEngineView bare;
        bare.setPage(new QWebEnginePage(&bareProfile, &bare));
        bare.resize(800, 600);
        fixture.Bare = &bare;
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
