// Publishing a library as a web site, on the search benchmark's generated library (50 courses,
// 50,000 item pages, about 100 MB of text). Measured in one run:
//   - the baseline: copying the library's files with `cp -r`, plus the first search index of it
//     (the walk, the visible text of every page through its stylesheet, the full-text tables);
//   - the export (every file copied, pages made fit for a web server, XML pages transformed to
//     HTML, the course and catalogue pages), its ratio to the baseline, and the site's size.
// `--pages=N` (or CP_BENCH_SEARCH_PAGES=N) makes a smaller library for a quick run.

#include "bench/bench_ratio.h"
#include "bench/search/BenchLibrary.h"
#include "core/ComponentStaging.h"
#include "publish/SiteExport.h"
#include "search/SearchIndex.h"

#include <QApplication>
#include <QDirIterator>
#include <QProcess>
#include <benchmark/benchmark.h>

namespace {

int g_pages = 50000;
qint64 g_siteBytes = 0;
qint64 g_libraryBytes = 0;

QString Work() {
    static QTemporaryDir dir;
    return dir.path();
}

qint64 FolderBytes(const QString& folder) {
    qint64 bytes = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        bytes += QFileInfo(files.next()).size();
    return bytes;
}

void BM_CopyFiles(benchmark::State& state) {
    const QString library = GeneratedLibrary(g_pages).Dir.path();
    for (auto _ : state) {
        QDir(Work() + QStringLiteral("/copy")).removeRecursively();
        if (QProcess::execute(QStringLiteral("cp"),
                              {QStringLiteral("-r"), library, Work() + QStringLiteral("/copy")}) != 0)
            state.SkipWithError("cp -r failed");
    }
    g_libraryBytes = FolderBytes(library);
    QDir(Work() + QStringLiteral("/copy")).removeRecursively();
}

void BM_SearchIndex(benchmark::State& state) {
    const QString library = GeneratedLibrary(g_pages).Dir.path();
    for (auto _ : state) {
        QDir(Work() + QStringLiteral("/index")).removeRecursively();
        TSearchIndex index(library, Work() + QStringLiteral("/index"));
        index.UpdateNow();
    }
    QDir(Work() + QStringLiteral("/index")).removeRecursively();
}

void BM_Export(benchmark::State& state) {
    TExportOptions options;
    options.Library = GeneratedLibrary(g_pages).Dir.path();
    options.Out = Work() + QStringLiteral("/site");
    for (auto _ : state) {
        const TExportResult result = ExportSite(options);
        if (!result.Ok || !result.Problems.isEmpty())
            state.SkipWithError(qPrintable(result.Error + result.Problems.join(QLatin1Char(' '))));
        state.counters["pages"] = result.Pages;
        state.counters["html_pages"] = result.TransformedPages;
    }
    g_siteBytes = FolderBytes(options.Out);
    QDir(options.Out).removeRecursively();
}

BENCHMARK(BM_CopyFiles)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SearchIndex)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Export)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    g_pages = TakeLibraryPages(argc, argv);
    // The course trees are read by the player's tree control, which needs a GUI application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The site's search scripts, as the build staged them beside the player.
    SetStagedComponentsFolder(QStringLiteral(CP_COMPONENTS));
    benchmark::Initialize(&argc, argv);
    GeneratedLibrary(g_pages);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double copy = TRatioReporter::Time(reporter.Real, "BM_CopyFiles");
    const double index = TRatioReporter::Time(reporter.Real, "BM_SearchIndex");
    const double site = TRatioReporter::Time(reporter.Real, "BM_Export");
    std::printf("\n%-44s %10s %10s %8s   %s\n", "real time", "baseline", "measured", "ratio", "target");
    if (copy > 0 && index > 0 && site > 0)
        std::printf("%-44s %8.1f s %8.1f s %8.2f   ratio at most 3\n",
                    "export vs cp -r plus the search index", copy + index, site, site / (copy + index));
    std::printf("%-44s %8.1f MB %8.1f MB\n", "library files, site files", double(g_libraryBytes) / 1e6,
                double(g_siteBytes) / 1e6);
    benchmark::Shutdown();
    return 0;
}
