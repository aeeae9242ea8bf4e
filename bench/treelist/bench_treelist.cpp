// Speed of the markup tree list with 10,000 two-column rows, markup in both cells: painting a
// 40-row viewport against a plain two-column QTreeWidget painting the same rows as plain text, and
// a pointer move over a row with anchors (the anchor hit test) against the same move over the
// plain tree. All in one run; the ratios are printed at the end.
//
//   cmake --preset release && cmake --build --preset release --target bench_treelist
//   build/release/bench/treelist/bench_treelist

#include "app/Fonts.h"
#include "bench/bench_ratio.h"
#include "markup/Markup.h"
#include "markuptree/MarkupTreeList.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRows = 10000;
constexpr int kVisibleRows = 40;
constexpr int kRowHeight = 16;
const QString kSep = QStringLiteral("$$$$$$$");

QString Cell0(int i) {
    return QStringLiteral("<B>Урок %1.</B> Тема <I>курса</I> и <A HREF=\"page%1\">ссылка на страницу</A>")
        .arg(i + 1);
}

QString Cell1(int i) {
    return i % 2 ? QStringLiteral("<FONT COLOR=\"#A03000\">Теория</FONT>")
                 : QStringLiteral("<B>Задачи</B> <A HREF=\"task\">и тесты</A>");
}

// The list in a window, as the collection editor shows it.
struct TListWindow {
    QWidget Parent;
    TMarkupTreeList* List = new TMarkupTreeList(&Parent);

    TListWindow() {
        List->SetIndent(19);
        List->SetItemHeight(kRowHeight);
        List->SetColor(0x00E4FFFF);
        List->SetSeparator(kSep);
        List->Columns().Add(QStringLiteral("Элемент"), 400);
        List->Columns().Add(QStringLiteral("Раздел"), 50);
        List->SetAlign(TMarkupTreeList::alClient);
        QList<QTreeWidgetItem*> rows;
        for (int i = 0; i < kRows; ++i)
            rows.append(new QTreeWidgetItem(QStringList{Cell0(i) + kSep + Cell1(i)}));
        List->addTopLevelItems(rows);
        const int height = kVisibleRows * kRowHeight + 2 * List->frameWidth() + 16;
        Parent.resize(600, height);
        List->SetBounds(0, 0, 600, height);
        Parent.show();
        QCoreApplication::processEvents();
        List->scrollToItem(List->topLevelItem(kRows / 2), QAbstractItemView::PositionAtTop);
        List->setCurrentItem(List->topLevelItem(kRows / 2 + 3));
        QCoreApplication::processEvents();
    }
};

struct TPlainWindow {
    QTreeWidget Tree;

    TPlainWindow() {
        Tree.setColumnCount(2);
        Tree.setUniformRowHeights(true);
        Tree.setIndentation(19);
        Tree.setHeaderLabels({QStringLiteral("Элемент"), QStringLiteral("Раздел")});
        Tree.header()->resizeSection(0, 400);
        QList<QTreeWidgetItem*> rows;
        for (int i = 0; i < kRows; ++i)
            rows.append(new QTreeWidgetItem(QStringList{StripMarkup(Cell0(i)), StripMarkup(Cell1(i))}));
        Tree.addTopLevelItems(rows);
        Tree.resize(600, 400);
        Tree.show();
        QCoreApplication::processEvents();
        // As many rows as the list shows, at the plain tree's own row height.
        const int rowHeight = Tree.visualItemRect(Tree.topLevelItem(0)).height();
        Tree.resize(600, kVisibleRows * rowHeight + 2 * Tree.frameWidth() + Tree.header()->height());
        QCoreApplication::processEvents();
        Tree.scrollToItem(Tree.topLevelItem(kRows / 2), QAbstractItemView::PositionAtTop);
        Tree.setCurrentItem(Tree.topLevelItem(kRows / 2 + 3));
        QCoreApplication::processEvents();
    }
};

void PaintViewport(benchmark::State& state, QTreeWidget& tree) {
    QImage image(tree.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        tree.viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["rows"] =
        tree.viewport()->height() / tree.visualItemRect(tree.topLevelItem(kRows / 2)).height();
}

constexpr int kMoveRow = kRows / 2 + 5;

// Pointer moves to and fro across a row's first cell, in steps of 10 pixels from `first`, over
// plain text and over its anchor.
void MovePointer(benchmark::State& state, QTreeWidget& tree, int first) {
    QWidget* viewport = tree.viewport();
    const int y = tree.visualItemRect(tree.topLevelItem(kMoveRow)).center().y();
    if (y < 0 || y >= viewport->height())
        state.SkipWithError("the row is not in view");
    int step = 0;
    for (auto _ : state) {
        const QPointF pos(40 + (first - 40 + 10 * step++) % 320, y);
        QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
}

// Where the anchor of the row the pointer moves over starts.
int AnchorStart(TMarkupTreeList& list) {
    QTreeWidgetItem* row = list.topLevelItem(kMoveRow);
    const int y = list.visualItemRect(row).center().y();
    for (int x = 40; x < 360; ++x)
        if (!list.GetAnchorAt(row, x, y).isEmpty())
            return x + 2;
    return 40;
}

void BM_PaintPlainViewport(benchmark::State& state) {
    TPlainWindow window;
    PaintViewport(state, window.Tree);
}

void BM_PaintMarkupViewport(benchmark::State& state) {
    TListWindow window;
    PaintViewport(state, *window.List);
}

void BM_MovePlain(benchmark::State& state) {
    TPlainWindow window;
    window.Tree.setMouseTracking(true);
    MovePointer(state, window.Tree, 40);
}

void BM_MoveOverAnchors(benchmark::State& state) {
    TListWindow window;
    int enters = 0;
    window.List->OnAnchorEnter = [&](QObject*, QTreeWidgetItem*, const QString&) { ++enters; };
    MovePointer(state, *window.List, AnchorStart(*window.List));
    if (enters == 0)
        state.SkipWithError("the pointer never reached an anchor");
}

BENCHMARK(BM_PaintPlainViewport)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PaintMarkupViewport)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_MovePlain)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(BM_MoveOverAnchors)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterOriginalFonts();
    benchmark::Initialize(&argc, argv);
    std::printf("%d rows, two columns, markup in both cells\n", kRows);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* kind : {"real", "cpu"}) {
        const auto& times = std::string(kind) == "real" ? reporter.Real : reporter.Cpu;
        const auto get = [&](const char* name) { return TRatioReporter::Time(times, name); };
        const double plain = get("BM_PaintPlainViewport");
        const double markup = get("BM_PaintMarkupViewport");
        const double movePlain = get("BM_MovePlain");
        const double moveAnchors = get("BM_MoveOverAnchors");
        std::printf("\n%-4s time %-34s %12s %12s %8s   %s\n", kind, "", "baseline", "measured", "ratio",
                    "target");
        if (plain > 0 && markup > 0)
            std::printf("%-44s %9.2f ms %9.2f ms %8.2f   under 16 ms, ratio at most 2\n",
                        "40-row viewport vs plain QTreeWidget", plain, markup, markup / plain);
        if (movePlain > 0 && moveAnchors > 0)
            std::printf("%-44s %9.1f us %9.1f us %8.2f   under 1000 us\n",
                        "pointer move over anchors vs plain", movePlain, moveAnchors,
                        moveAnchors / movePlain);
    }
    benchmark::Shutdown();
    return 0;
}
