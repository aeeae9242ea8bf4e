// Speed of the collection editor with a 10,000-row collection: loading the file into the editor
// against parsing the same file and nothing else, saving it against writing the same bytes
// with a plain atomic file write, and 10,000 AddFavor calls against appending the same rows to a
// plain QTreeWidget. All in one run; the ratios are printed at the end.
//
//   cmake --preset release && cmake --build --preset release --target bench_collections
//   build/release/bench/collections/bench_collections

#include "bench/bench_ratio.h"
#include "collections/FavorFile.h"
#include "collections/Favorite.h"
#include "core/XmlDocument.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 10000;
const int kSections[] = {5, 7, 8, 12, 68, 2010, 30};

TFavor Row(int i) {
    return {1 + i % 3, kSections[i % 7],
            QStringLiteral(
                "<B>Тема %1.</B> Раздел <I>курса</I> с <FONT COLOR=\"#A03000\">цветом</FONT> & \"кавычками\"")
                .arg(i + 1),
            i + 1};
}

struct TFixture {
    QTemporaryDir Dir;
    QString File;
    QString SaveTo;
    QByteArray Bytes;

    TFixture() {
        std::vector<TFavor> rows;
        for (int i = 0; i < kRows; ++i)
            rows.push_back(Row(i));
        File = Dir.filePath(QStringLiteral("big.sff"));
        SaveTo = Dir.filePath(QStringLiteral("saved.sff"));
        TXMLDocument doc;
        SaveFavorFile(doc, rows, File);
        QFile f(File);
        if (f.open(QIODevice::ReadOnly))
            Bytes = f.readAll();
    }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

std::unique_ptr<TFavoriteForm> ShownEditor() {
    auto form = std::make_unique<TFavoriteForm>(TAppContext{});
    form->SetOpenFileChooser([] { return Fixture().File; });
    form->SetSaveFileChooser([] { return Fixture().SaveTo; });
    form->SetMessagePresenter([](const QString&) {});
    form->show();
    QCoreApplication::processEvents();
    return form;
}

void BM_ParseOnly(benchmark::State& state) {
    TXMLDocument doc;
    for (auto _ : state) {
        doc.LoadFromFile(Fixture().File);
        doc.SetActive(false);
    }
    state.counters["bytes"] = double(Fixture().Bytes.size());
}

void BM_LoadFileOnly(benchmark::State& state) {
    TXMLDocument doc;
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadFavorFile(doc, Fixture().File));
}

void BM_LoadIntoEditor(benchmark::State& state) {
    auto form = ShownEditor();
    for (auto _ : state) {
        state.PauseTiming();
        form->actClear->trigger();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form->actLoad->trigger();
        QCoreApplication::processEvents(); // the list's layout and first paint
    }
    if (form->Rows().Count() != kRows)
        state.SkipWithError("the collection did not load");
}

// Baseline of the save: the same bytes written through the same kind of atomic file.
void BM_WriteBytesOnly(benchmark::State& state) {
    for (auto _ : state) {
        QSaveFile file(Fixture().SaveTo);
        if (!file.open(QIODevice::WriteOnly) || file.write(Fixture().Bytes) != Fixture().Bytes.size() ||
            !file.commit())
            state.SkipWithError("cannot write");
    }
}

void BM_SaveFromEditor(benchmark::State& state) {
    auto form = ShownEditor();
    form->actLoad->trigger();
    QCoreApplication::processEvents();
    for (auto _ : state)
        form->actSave->trigger();
    QFile saved(Fixture().SaveTo);
    if (!saved.open(QIODevice::ReadOnly) || saved.readAll() != Fixture().Bytes)
        state.SkipWithError("the saved file differs from the loaded one");
}

// Baseline of AddFavor: the same rows appended one by one to a plain shown list.
void BM_PlainListAppend(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<QTreeWidget>();
        tree->setColumnCount(2);
        tree->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (int i = 0; i < kRows; ++i) {
            const TFavor f = Row(i);
            tree->addTopLevelItem(
                new QTreeWidgetItem(QStringList{f.Caption, TFavoriteForm::SectionName(f.Folder)}));
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}

void BM_AddFavor(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto form = ShownEditor();
        state.ResumeTiming();
        for (int i = 0; i < kRows; ++i) {
            const TFavor f = Row(i);
            form->AddFavor(f.Course, f.Folder, f.ID, f.Caption);
        }
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (form->Rows().Count() != kRows)
            state.SkipWithError("rows went missing");
        form.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadFileOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadIntoEditor)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WriteBytesOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_SaveFromEditor)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PlainListAppend)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AddFavor)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("collection file of %d rows, %lld bytes, captions with markup\n", kRows,
                static_cast<long long>(Fixture().Bytes.size()));
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* kind : {"real", "cpu"}) {
        const auto& ms = std::string(kind) == "real" ? reporter.Real : reporter.Cpu;
        const auto get = [&](const char* prefix) { return TRatioReporter::Time(ms, prefix); };
        const double parse = get("BM_ParseOnly"), load = get("BM_LoadIntoEditor");
        const double write = get("BM_WriteBytesOnly"), save = get("BM_SaveFromEditor");
        const double plain = get("BM_PlainListAppend"), add = get("BM_AddFavor");
        std::printf("\n%-4s time %-29s %10s %10s %8s   %s\n", kind, "", "baseline", "measured", "ratio",
                    "target");
        if (parse > 0 && load > 0)
            std::printf("%-39s %8.1f ms %8.1f ms %8.2f   under 500 ms, ratio at most 3\n",
                        "load into the editor vs parse only", parse, load, load / parse);
        if (write > 0 && save > 0)
            std::printf("%-39s %8.1f ms %8.1f ms %8.2f   under 300 ms\n", "save vs writing the bytes", write,
                        save, save / write);
        if (plain > 0 && add > 0)
            std::printf("%-39s %8.1f ms %8.1f ms %8.2f   under 1000 ms\n",
                        "10,000 AddFavor vs plain list append", plain, add, add / plain);
    }
    benchmark::Shutdown();
    return 0;
}
