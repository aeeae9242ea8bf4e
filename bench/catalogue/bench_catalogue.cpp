// The catalogue scan at library sizes of 1,000 and 10,000 descriptors: the whole scan into an
// offscreen catalogue window (files found, parsed, pages built, the buttons in view on the first
// page made) against libxml2 parsing the same files and nothing else, in the same run. Prints
// both and their ratio, and beside them the work left for later: the first page's other buttons,
// made in idle moments, showing the window (where the captions in view are fitted), and every
// page's buttons, as when the user has looked at every subject.

#include "bench/bench_ratio.h"
#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "catalogue/Main.h"
#include "core/Registry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <libxml/parser.h>
#include <map>
#include <memory>
#include <set>
#include <unistd.h>

namespace {

const char* const kGroups[] = {"Математика", "Информатика", "Физика",    "Химия",
                               "Биология",   "История",     "География", "Литература"};

// One generated library per size, made once and removed at exit.
const QString& Library(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> libraries;
    static std::map<int, QString> paths;
    auto& dir = libraries[count];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        for (int i = 0; i < count; ++i) {
            QFile file(dir->filePath(QStringLiteral("course%1.xml").arg(i, 5, 10, QLatin1Char('0'))));
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write the generated library");
            const QString group = QString::fromUtf8(kGroups[i % std::size(kGroups)]);
            file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                      "<CourseInfo Id=\"%1\" Group=\"%2\" Name=\"Курс номер %1\" "
                                      "Description=\"Описание курса номер %1 в одну строку.\"/>\n")
                           .arg(i)
                           .arg(group)
                           .toUtf8());
        }
        paths[count] = dir->path() + u'/';
    }
    return paths[count];
}

QStringList SortedFiles(const QString& folder) {
    QStringList files;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name))
        files << folder + name;
    return files;
}

// The baseline: libxml2 parsing every file from an open descriptor, nothing else. Every
// document must come back; a baseline that failed quickly would flatter the ratio.
void ParseOnly(benchmark::State& state) {
    const QStringList files = SortedFiles(Library(int(state.range(0))));
    std::vector<QByteArray> names;
    for (const QString& file : files)
        names.push_back(QFile::encodeName(file));
    for (auto _ : state) {
        for (const QByteArray& name : names) {
            const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
            xmlDocPtr doc = fd >= 0 ? xmlReadFd(fd, nullptr, nullptr, XML_PARSE_NONET) : nullptr;
            if (fd >= 0)
                ::close(fd);
            if (!doc) {
                state.SkipWithError("libxml2 did not parse a generated descriptor");
                return;
            }
            benchmark::DoNotOptimize(doc);
            xmlFreeDoc(doc);
        }
    }
    state.counters["files"] = double(files.size());
}

// For reference: libxml2 opening the files by name through its default entity loader (the
// player installs a loader that refuses every outside file, so the default one is put back
// for the run and restored after it).
xmlExternalEntityLoader g_defaultLoader = nullptr;

void ParseOnlyByName(benchmark::State& state) {
    const QStringList files = SortedFiles(Library(int(state.range(0))));
    const xmlExternalEntityLoader playerLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(g_defaultLoader);
    for (auto _ : state) {
        for (const QString& file : files) {
            xmlDocPtr doc = xmlReadFile(QFile::encodeName(file).constData(), nullptr, XML_PARSE_NONET);
            if (!doc) {
                state.SkipWithError("libxml2 did not parse a generated descriptor");
                break;
            }
            benchmark::DoNotOptimize(doc);
            xmlFreeDoc(doc);
        }
    }
    xmlSetExternalEntityLoader(playerLoader);
}

// Finding the descriptors alone: listing, filtering and sorting the folder.
void ListOnly(benchmark::State& state) {
    const QString folder = Library(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ListDescriptorFiles(folder).size());
}

void ScanWithoutWindow(benchmark::State& state) {
    const QString folder = Library(int(state.range(0)));
    for (auto _ : state) {
        TCatalogueModel model;
        TCourseScan(model).LoadCourses(folder);
        benchmark::DoNotOptimize(model.PageCount());
    }
}

// A registry and context of its own for a window on the folder.
struct TWindowContext {
    QTemporaryDir RegistryDir;
    TIniRegistry Registry{RegistryDir.filePath(QStringLiteral("registry.ini"))};
    TAppContext Context;

    explicit TWindowContext(const QString& folder) {
        Context.ProgramFolder = folder;
        Context.Registry = &Registry;
    }
};

// Runs the idle moments in which the window makes the rest of the shown page's buttons.
void MakePendingButtons(TMainForm& form) {
    while (form.ButtonsPending())
        QCoreApplication::processEvents();
}

void WholeScanIntoWindow(benchmark::State& state) {
    TWindowContext window(Library(int(state.range(0))));
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>(window.Context);
        benchmark::DoNotOptimize(form->PageCount());
        state.PauseTiming();
        // Not measured: the destruction, and the posted events of the window, which a running
        // program handles as they come and which would make the next window's cost grow.
        MakePendingButtons(*form);
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Deferred by the window: the rest of the first page's buttons, made in idle moments.
void RestOfFirstPage(benchmark::State& state) {
    TWindowContext window(Library(int(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TMainForm>(window.Context);
        state.ResumeTiming();
        MakePendingButtons(*form);
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Deferred to the window's showing: polishing the controls and fitting the captions in view
// (the first paint itself is left out, as for the empty window). 0 is the empty library.
void ShowWindow(benchmark::State& state) {
    QTemporaryDir empty;
    TWindowContext window(state.range(0) ? Library(int(state.range(0))) : empty.path() + u'/');
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<TMainForm>(window.Context);
        state.ResumeTiming();
        form->show();
        state.PauseTiming();
        MakePendingButtons(*form);
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// For reference: the whole scan and then every page's buttons, as the window made them before
// it made them on demand.
void EveryPage(benchmark::State& state) {
    TWindowContext window(Library(int(state.range(0))));
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>(window.Context);
        for (int page = 0; page < form->PageCount(); ++page)
            benchmark::DoNotOptimize(form->CourseButtons(page).size());
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// The window's own making (icons, controls) on an empty library, for reference: the part of
// the whole scan that does not grow with the library. The banner is drawn at the window's first
// paint, at the screen's density, so it is not part of either.
void EmptyWindow(benchmark::State& state) {
    QTemporaryDir empty;
    QTemporaryDir registryDir;
    TIniRegistry registry(registryDir.filePath(QStringLiteral("registry.ini")));
    TAppContext context;
    context.ProgramFolder = empty.path() + u'/';
    context.Registry = &registry;
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>(context);
        benchmark::DoNotOptimize(form->PageCount());
        state.PauseTiming();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(EmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseOnlyByName)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ListOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ScanWithoutWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WholeScanIntoWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RestOfFirstPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ShowWindow)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EveryPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultLoader = xmlGetExternalEntityLoader(); // before any document of the player exists
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-8s %16s %16s %8s   (target: ratio at most 1.5)\n", "files", "parse-only ms",
                "whole scan ms", "ratio");
    const auto empty = reporter.Real.find("EmptyWindow/real_time");
    for (int n : {1000, 10000}) {
        char baseName[64];
        char wholeName[64];
        std::snprintf(baseName, sizeof baseName, "ParseOnly/%d/real_time", n);
        std::snprintf(wholeName, sizeof wholeName, "WholeScanIntoWindow/%d/real_time", n);
        const auto base = reporter.Real.find(baseName);
        const auto whole = reporter.Real.find(wholeName);
        if (base == reporter.Real.end() || whole == reporter.Real.end())
            continue;
        std::printf("%-8d %16.1f %16.1f %8.2f\n", n, base->second, whole->second,
                    whole->second / base->second);
    }
    if (empty != reporter.Real.end())
        std::printf("(of each whole scan, %.1f ms is the window's own making, as on an empty library)\n",
                    empty->second);
    const auto real = [&](const char* name, int n) {
        char key[64];
        std::snprintf(key, sizeof key, "%s/%d/real_time", name, n);
        const auto found = reporter.Real.find(key);
        return found == reporter.Real.end() ? -1.0 : found->second;
    };
    std::printf("\nDeferred, not in the whole scan (ms):\n%-8s %16s %16s %16s\n", "files", "rest of page 1",
                "show (empty 0)", "every page");
    for (int n : {0, 1000, 10000})
        std::printf("%-8d %16.1f %16.1f %16.1f\n", n, real("RestOfFirstPage", n), real("ShowWindow", n),
                    real("EveryPage", n));
    benchmark::Shutdown();
    return 0;
}
