// Speed of the course tree's filter on a shown tree of 10,000 items with markup captions: one
// keystroke (filter and lay out what is shown) and clearing (everything back, with the
// expansion and selection), against the tree laying itself out once with every branch open.
// Ratios are printed at the end.
//
//   cmake --preset release && cmake --build --preset release --target bench_treefilter
//   build/release/bench/viewer/bench_treefilter

#include "app/Fonts.h"
#include "bench/bench_ratio.h"
#include "markuptree/MarkupTreeView.h"
#include "viewer/TreeFilter.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int kChapters = 200, kItems = 50; // 200 x (1 + 50) = 10,200 items

std::unique_ptr<TMarkupTreeView> ShownTree() {
    auto tree = std::make_unique<TMarkupTreeView>();
    tree->setHeaderHidden(true);
    tree->SetItemHeight(18);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    tree->setFont(font);
    tree->setIndentation(19);
    int id = 0;
    QList<QTreeWidgetItem*> top;
    for (int a = 0; a < kChapters; ++a) {
        auto chapter = std::make_unique<TContent>();
        chapter->id = ++id;
        chapter->text = QStringLiteral("<B>Глава %1.</B> Раздел <I>курса</I>").arg(a + 1);
        QTreeWidgetItem* node = TMarkupTreeView::NewContentNode(std::move(chapter));
        for (int b = 0; b < kItems; ++b) {
            auto item = std::make_unique<TContent>();
            item->id = ++id;
            item->text =
                QStringLiteral("Пункт %1.%2: <U>уравнения</U> и <FONT COLOR=\"#A03000\">функции</FONT>")
                    .arg(a + 1)
                    .arg(b + 1);
            node->addChild(TMarkupTreeView::NewContentNode(std::move(item)));
        }
        top.append(node);
    }
    tree->addTopLevelItems(top);
    tree->resize(370, 700);
    tree->show();
    // The user is on an item deep in the tree, with a few branches open.
    for (int a = 0; a < kChapters; a += 20)
        tree->topLevelItem(a)->setExpanded(true);
    tree->setCurrentItem(tree->topLevelItem(kChapters / 2)->child(kItems / 2));
    QCoreApplication::processEvents();
    return tree;
}

// Baseline: one layout of the whole tree, every branch opening at once.
void BM_ExpandAllLayout(benchmark::State& state) {
    auto tree = ShownTree();
    for (auto _ : state) {
        state.PauseTiming();
        tree->collapseAll();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        tree->expandAll();
        QCoreApplication::processEvents();
    }
}

// A keystroke that narrows the shown items to some hundreds in every chapter, each branch open.
void BM_FilterKeystroke(benchmark::State& state) {
    auto tree = ShownTree();
    TTreeFilter filter(tree.get());
    for (auto _ : state) {
        state.PauseTiming();
        filter.Clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        filter.SetQuery(QStringLiteral("пункт 1"));
        QCoreApplication::processEvents();
    }
    state.counters["matches"] = filter.MatchCount();
}

// Clearing the filter: every item shown again, the old expansion, selection and scroll back.
void BM_FilterClear(benchmark::State& state) {
    auto tree = ShownTree();
    TTreeFilter filter(tree.get());
    for (auto _ : state) {
        state.PauseTiming();
        filter.SetQuery(QStringLiteral("пункт 1"));
        QCoreApplication::processEvents();
        state.ResumeTiming();
        filter.Clear();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_ExpandAllLayout)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_FilterClear)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterOriginalFonts();
    benchmark::Initialize(&argc, argv);
    std::printf("course tree of %d items, captions with markup, shown\n", kChapters * (1 + kItems));
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* kind : {"real", "cpu"}) {
        const auto& ms = std::string(kind) == "real" ? reporter.Real : reporter.Cpu;
        const auto get = [&](const char* prefix) { return TRatioReporter::Time(ms, prefix); };
        const double layout = get("BM_ExpandAllLayout"), keystroke = get("BM_FilterKeystroke");
        const double clear = get("BM_FilterClear");
        std::printf("\n%-4s time %-29s %10s %10s %8s   %s\n", kind, "", "baseline", "measured", "ratio",
                    "target");
        if (layout > 0 && keystroke > 0)
            std::printf("%-39s %8.1f ms %8.1f ms %8.2f   ratio under 3\n", "keystroke vs one layout", layout,
                        keystroke, keystroke / layout);
        if (layout > 0 && clear > 0)
            std::printf("%-39s %8.1f ms %8.1f ms %8.2f   ratio under 3\n", "clearing vs one layout", layout,
                        clear, clear / layout);
    }
    benchmark::Shutdown();
    return 0;
}
