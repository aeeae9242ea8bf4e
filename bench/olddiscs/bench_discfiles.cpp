// Finding the files of a disc written on Windows: 1,000 pages of one folder looked up by names in
// another case (FindDiscFile, after its first listing of the folder), against 1,000 checks of the
// exact names with QFileInfo::exists, in the same run. Also the exact names through
// FindDiscFile, which a correctly named disc pays, and the first listing itself. The 1,000
// lookups in another case should take under 5 ms in all.
//
//   bench_discfiles [--benchmark_...]

#include "bench/bench_ratio.h"

#include "core/DiscFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

constexpr int kFiles = 1000;

struct TFixture {
    QTemporaryDir Dir;
    QString Folder;
    QStringList Exact;     // the names on disc: "Pages/Page0001.HTM"
    QStringList OtherCase; // as the disc's links name them: "PAGES/page0001.htm"
};

TFixture* Fixture = nullptr;

bool MakeFolder(TFixture& fixture) {
    if (!fixture.Dir.isValid())
        return false;
    fixture.Folder = fixture.Dir.path() + QStringLiteral("/Pages");
    if (!QDir().mkpath(fixture.Folder))
        return false;
    for (int i = 1; i <= kFiles; ++i) {
        const QString name = QStringLiteral("Page%1.HTM").arg(i, 4, 10, QLatin1Char('0'));
        QFile file(fixture.Folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        fixture.Exact << fixture.Folder + u'/' + name;
        fixture.OtherCase << fixture.Dir.path() + QStringLiteral("/PAGES/") + name.toLower();
    }
    return true;
}

void BM_ExistsExact(benchmark::State& state) {
    for (auto _ : state) {
        int found = 0;
        for (const QString& path : Fixture->Exact)
            found += QFileInfo::exists(path) ? 1 : 0;
        if (found != kFiles)
            state.SkipWithError("an exact name was not found");
        benchmark::DoNotOptimize(found);
    }
}

void BM_FindOtherCase(benchmark::State& state) {
    FindDiscFile(Fixture->OtherCase.first()); // the first listing, not measured here
    for (auto _ : state) {
        int found = 0;
        for (qsizetype i = 0; i < Fixture->OtherCase.size(); ++i)
            found += FindDiscFile(Fixture->OtherCase[i]) == Fixture->Exact[i] ? 1 : 0;
        if (found != kFiles)
            state.SkipWithError("a name in another case was not found");
        benchmark::DoNotOptimize(found);
    }
}

void BM_FindExact(benchmark::State& state) {
    for (auto _ : state) {
        int found = 0;
        for (const QString& path : Fixture->Exact)
            found += FindDiscFile(path) == path ? 1 : 0;
        benchmark::DoNotOptimize(found);
    }
}

// One lookup that has to list the folder: what the first page of a folder pays once.
void BM_FirstListing(benchmark::State& state) {
    for (auto _ : state) {
        ClearDiscFileCache();
        benchmark::DoNotOptimize(FindDiscFile(Fixture->OtherCase.last()));
    }
}

} // namespace

BENCHMARK(BM_ExistsExact)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FindOtherCase)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FindExact)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FirstListing)->Unit(benchmark::kMillisecond)->MinTime(0.5);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TFixture fixture;
    if (!MakeFolder(fixture))
        return 1;
    Fixture = &fixture;
    std::printf("%d files in one folder, each lookup of all %d per iteration\n", kFiles, kFiles);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Real time, and CPU time: on a busy machine the real times wander, the CPU times show the
    // work itself.
    const auto real = [&](const char* name) { return TRatioReporter::Time(reporter.Real, name); };
    const auto cpu = [&](const char* name) { return TRatioReporter::Time(reporter.Cpu, name); };
    const double exists = real("BM_ExistsExact");
    const double existsCpu = cpu("BM_ExistsExact");
    if (exists > 0 && existsCpu > 0) {
        std::printf("\n%-46s %9s %9s %9s %9s\n", "", "real ms", "ratio", "CPU ms", "ratio");
        const auto row = [&](const char* label, const char* name, const char* note) {
            std::printf("%-46s %9.3f %9.2f %9.3f %9.2f   %s\n", label, real(name), real(name) / exists,
                        cpu(name), cpu(name) / existsCpu, note);
        };
        row("baseline: 1,000 QFileInfo::exists, exact", "BM_ExistsExact", "");
        row("1,000 FindDiscFile, names in another case", "BM_FindOtherCase", "under 5 ms in all");
        row("1,000 FindDiscFile, exact names", "BM_FindExact", "a correctly named disc");
        row("first listing of the folder (one lookup)", "BM_FirstListing", "");
    }
    benchmark::Shutdown();
    return 0;
}
