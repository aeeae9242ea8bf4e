// The catalogue scan at library sizes of 1,000 and 10,000 descriptors: the whole scan into an
// offscreen catalogue window (files found, parsed, pages and buttons built) against libxml2
// parsing the same files and nothing else, in the same run. Prints both and their ratio.

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

void WholeScanIntoWindow(benchmark::State& state) {
    const QString folder = Library(int(state.range(0)));
    QTemporaryDir registryDir;
    TIniRegistry registry(registryDir.filePath(QStringLiteral("registry.ini")));
    TAppContext context;
    context.ProgramFolder = folder;
    context.Registry = &registry;
    for (auto _ : state) {
        auto form = std::make_unique<TMainForm>(context);
        benchmark::DoNotOptimize(form->PageCount());
        state.PauseTiming();
        form.reset();
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
        state.ResumeTiming();
    }
}

BENCHMARK(EmptyWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ParseOnlyByName)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ListOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ScanWithoutWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WholeScanIntoWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_defaultLoader = xmlGetExternalEntityLoader(); // before any document of the player exists
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-8s %16s %16s %8s   (target: whole scan of 10000 under 1000 ms, ratio under 3)\n",
                "files", "parse-only ms", "whole scan ms", "ratio");
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
    benchmark::Shutdown();
    return 0;
}
