// Speed of the course tree's filter on a shown tree of 10,000 items with markup captions: one
// keystroke (filter and lay out what is shown) and clearing (everything back, with the
// expansion and selection), against the tree laying itself out once with every branch open.
// Then typing six letters on 10^5 and 10^6 items: how long the window is kept from answering.
// Ratios are printed at the end.
//
//   cmake --preset release && cmake --build --preset release --target bench_treefilter
//   build/release/bench/viewer/bench_treefilter [--small]

#include "app/Fonts.h"
#include "bench/bench_ratio.h"
#include "markuptree/MarkupTreeView.h"
#include "viewer/TreeFilter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <climits>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace {

constexpr int kChapters = 200, kItems = 50; // 200 x (1 + 50) = 10,200 items

std::unique_ptr<TMarkupTreeView> ShownTree(int chapters = kChapters, int items = kItems) {
    auto tree = std::make_unique<TMarkupTreeView>();
    tree->setHeaderHidden(true);
    tree->SetItemHeight(18);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    tree->setFont(font);
    tree->setIndentation(19);
    int id = 0;
    QList<QTreeWidgetItem*> top;
    for (int a = 0; a < chapters; ++a) {
        auto chapter = std::make_unique<TContent>();
        chapter->id = ++id;
        chapter->text = QStringLiteral("<B>Глава %1.</B> Раздел <I>курса</I>").arg(a + 1);
        QTreeWidgetItem* node = TMarkupTreeView::NewContentNode(std::move(chapter));
        for (int b = 0; b < items; ++b) {
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
    for (int a = 0; a < chapters; a += 20)
        tree->topLevelItem(a)->setExpanded(true);
    tree->setCurrentItem(tree->topLevelItem(chapters / 2)->child(items / 2));
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
        while (filter.Busy())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        filter.SetQuery(QStringLiteral("пункт 1"));
        while (filter.Busy())
            QCoreApplication::processEvents();
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
        while (filter.Busy())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        filter.Clear();
        while (filter.Busy())
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
}

double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Typing text into the filter of a shown tree, a letter every gapMs (all at once with no gap),
// until the filter and the tree's own layout are done.
struct TTyping {
    double longestMs = 0;    // the longest stretch the event loop could not run, real time
    double longestCpuMs = 0; // the same stretch in the main thread's CPU time
    double totalMs = 0;      // from the first letter until the filter is done
    int matches = 0;
    double layoutMs = 0, layoutCpuMs = 0; // the tree laying out the rows shown at the end, once
};

TTyping TypeInto(TTreeFilter& filter, const QString& text, int gapMs) {
    QElapsedTimer clock;
    clock.start();
    double last = 0, lastCpu = ThreadCpuMs();
    TTyping result;
    // Runs at every turn of the event loop: the gaps between its runs are the blocked stretches.
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6, cpu = ThreadCpuMs();
        result.longestMs = std::max(result.longestMs, now - last);
        result.longestCpuMs = std::max(result.longestCpuMs, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
    });
    qsizetype typed = gapMs > 0 ? 1 : text.size();
    QTimer keys;
    keys.setInterval(gapMs);
    QObject::connect(&keys, &QTimer::timeout, [&] {
        filter.SetQuery(text.left(++typed));
        if (typed == text.size())
            keys.stop();
    });
    probe.start();
    filter.SetQuery(text.left(typed));
    if (typed < text.size())
        keys.start();
    while (typed < text.size() || filter.Busy())
        QCoreApplication::processEvents();
    result.totalMs = double(clock.nsecsElapsed()) / 1e6;
    // The deferred layout of the rows and the painting come after, and count as blocking.
    QElapsedTimer tail;
    tail.start();
    while (tail.elapsed() < 300)
        QCoreApplication::processEvents();
    result.matches = filter.MatchCount();
    return result;
}

// The tree laying out the rows it shows once, as it does after any change of them.
void TimeLayout(QTreeWidget& tree, TTyping& result) {
    QElapsedTimer clock;
    clock.start();
    const double cpu = ThreadCpuMs();
    tree.doItemsLayout();
    result.layoutMs = double(clock.nsecsElapsed()) / 1e6;
    result.layoutCpuMs = ThreadCpuMs() - cpu;
}

// The worst keystroke while typing six letters, done in slices against the same filter doing
// each text in one pass, and (on the largest tree, where one pass takes minutes) the whole
// typing against filtering by the last text alone: near 1 when work for older text is dropped.
void Typing(int chapters, bool onePass) {
    const QString text = QStringLiteral("функ 7");
    const auto run = [&](int sliceItems, int gapMs) {
        auto tree = ShownTree(chapters, 100);
        TTreeFilter filter(tree.get());
        filter.SetSlice(sliceItems, sliceItems == INT_MAX ? 0 : 15);
        TTyping result = TypeInto(filter, text, gapMs);
        TimeLayout(*tree, result);
        return result;
    };
    const int items = chapters * 101;
    std::printf("\ntyping \"%s\" (a letter every 80 ms) into the filter of %d items\n", qPrintable(text),
                items);
    const TTyping sliced = run(1024, 80);
    std::printf("%-34s %10s %10s %8s   %s\n", "", "baseline", "measured", "ratio", "target");
    if (onePass) {
        const TTyping whole = run(INT_MAX, 80);
        std::printf("%-34s %8.1f ms %8.1f ms %8.3f   under 100 ms\n", "longest block, real", whole.longestMs,
                    sliced.longestMs, sliced.longestMs / whole.longestMs);
        std::printf("%-34s %8.1f ms %8.1f ms %8.3f   under 100 ms\n", "longest block, cpu",
                    whole.longestCpuMs, sliced.longestCpuMs, sliced.longestCpuMs / whole.longestCpuMs);
        std::printf("%-34s %8.1f ms %8.1f ms %8.3f\n", "first letter to done", whole.totalMs, sliced.totalMs,
                    sliced.totalMs / whole.totalMs);
    } else {
        const TTyping alone = run(1024, 0);
        std::printf("%-34s %8.1f ms %8.1f ms\n", "longest block, real / cpu", sliced.longestMs,
                    sliced.longestCpuMs);
        std::printf("%-34s %8.1f ms %8.1f ms %8.3f   near 1\n", "last text alone vs typing, to done",
                    alone.totalMs, sliced.totalMs, sliced.totalMs / alone.totalMs);
    }
    // What is left in one piece is Qt's own layout of the rows the filter leaves shown.
    std::printf("%-34s %8.1f ms %8.1f ms %8.3f\n", "longest block vs own layout, real", sliced.layoutMs,
                sliced.longestMs, sliced.longestMs / sliced.layoutMs);
    std::printf("%-34s %8.1f ms %8.1f ms %8.3f\n", "longest block vs own layout, cpu", sliced.layoutCpuMs,
                sliced.longestCpuMs, sliced.longestCpuMs / sliced.layoutCpuMs);
    std::printf("matches %d\n", sliced.matches);
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
    // Six letters on 10^5 items, then on 10^6 (skipped with --small).
    const bool small = std::find(argv, argv + argc, std::string("--small")) != argv + argc;
    Typing(1000, true);
    if (!small)
        Typing(10000, false);
    benchmark::Shutdown();
    return 0;
}
