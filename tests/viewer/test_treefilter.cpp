// The tree filter on a course tree with markup captions: what matches, what is shown and
// opened, what comes back when the filter is cleared, and the filter box's keys.

#include "markuptree/MarkupTreeView.h"
#include "tests/TypeText.h"
#include "tests/support/Screenshot.h"
#include "viewer/TreeFilter.h"
#include "viewer/TreeFilterBox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeWidgetItemIterator>
#include <memory>

using TIds = QList<int>;

namespace {

struct TItem {
    int id;
    int parent; // 0: top level
    const char* caption;
};

// An outline as course discs write them: bold words, a tag inside a word, entities, a hidden
// section, "ё" and capitals, three levels deep.
const TItem kOutline[] = {
    {1, 0, "<b>Глава</b> 1. Числа"},
    {2, 1, "Натуральные <i>числа</i>"},
    {3, 2, "Ёлочка и <font color=\"#FF0000\">ежи</font>"},
    {4, 1, "Дроби&nbsp;и проценты"},
    {5, 0, "Глава 2. Геометрия"},
    {6, 5, "Теорема <b>Пифа</b>гора"},
    {7, 5, "Площадь треугольника"},
    {8, 7, "Формула Герона<Z> секрет</Z>"},
    {9, 0, "Ответы &lt;b&gt; — к&nbsp;задачам"},
};

void Fill(QTreeWidget& tree) {
    QHash<int, QTreeWidgetItem*> nodes;
    for (const TItem& item : kOutline) {
        auto content = std::make_unique<TContent>();
        content->id = item.id;
        content->text = QString::fromUtf8(item.caption);
        QTreeWidgetItem* node = TMarkupTreeView::NewContentNode(std::move(content));
        nodes.insert(item.id, node);
        if (item.parent)
            nodes.value(item.parent)->addChild(node);
        else
            tree.addTopLevelItem(node);
    }
}

QTreeWidgetItem* Node(QTreeWidget& tree, int id) {
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if (TMarkupTreeView::NodeContent(*it)->id == id)
            return *it;
    return nullptr;
}

int Id(const QTreeWidgetItem* node) {
    return node ? TMarkupTreeView::NodeContent(node)->id : 0;
}

// Nodes a user can see, in tree order: not hidden, and every ancestor shown and open.
TIds Visible(QTreeWidget& tree) {
    TIds ids;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        bool seen = !(*it)->isHidden();
        for (QTreeWidgetItem* p = (*it)->parent(); p && seen; p = p->parent())
            seen = !p->isHidden() && p->isExpanded();
        if (seen)
            ids << Id(*it);
    }
    return ids;
}

TIds Expanded(QTreeWidget& tree) {
    TIds ids;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->isExpanded())
            ids << Id(*it);
    return ids;
}

TIds Selected(const TMarkupTreeView& tree) {
    TIds ids;
    for (const QTreeWidgetItem* node : tree.SelectedNodes())
        ids << Id(node);
    return ids;
}

// Selects ids in that order as a user does with Ctrl, the last one current.
void SelectInOrder(TMarkupTreeView& tree, const TIds& ids) {
    tree.clearSelection();
    for (int id : ids)
        tree.selectionModel()->select(tree.indexFromItem(Node(tree, id)),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!ids.isEmpty())
        tree.selectionModel()->setCurrentIndex(tree.indexFromItem(Node(tree, ids.last())),
                                               QItemSelectionModel::NoUpdate);
}

} // namespace

class TestTreeFilter : public QObject {
    Q_OBJECT

private slots:
    void folding_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        QTest::newRow("case") << "Теорема Пифагора"
                              << "ТЕОРЕМА" << true;
        QTest::newRow("ё in the caption") << "Ёлочка"
                                          << "елочка" << true;
        QTest::newRow("ё in the query") << "Елочка"
                                        << "ЁЛОЧКА" << true;
        QTest::newRow("е and и stay apart from й") << "Бой"
                                                   << "бои" << false;
        QTest::newRow("decomposed ё") << QString::fromUtf8("е\u0308лка") << "елка" << true;
        QTest::newRow("stress mark inside a word") << QString::fromUtf8("доро\u0301га") << "дорога" << true;
        QTest::newRow("tag inside a word") << "Пифа<b>гора</b>"
                                           << "пифагора" << true;
        QTest::newRow("tag names are not text") << "<b>Глава</b>"
                                                << "b" << false;
        QTest::newRow("font attributes are not text") << "<font color=\"red\">Ежи</font>"
                                                      << "red" << false;
        QTest::newRow("a whole tag is not text") << "<b>Глава</b>"
                                                 << "<b>" << false;
        QTest::newRow("an escaped tag is text") << "Ответы &lt;b&gt;"
                                                << "<b>" << true;
        QTest::newRow("hidden section") << "Герон<Z>секрет</Z>"
                                        << "секрет" << false;
        QTest::newRow("nbsp reads as a blank") << "Дроби&nbsp;и"
                                               << "дроби и" << true;
        QTest::newRow("an entity is not its name") << "Дроби&nbsp;и"
                                                   << "nbsp" << false;
        QTest::newRow("amp") << "Tom &amp; Jerry"
                             << "&" << true;
        QTest::newRow("entity in capitals") << "a&NBSP;b&LT;"
                                            << "<" << true;
        QTest::newRow("line break between words") << "Первая<BR>вторая"
                                                  << "первая вторая" << true;
        QTest::newRow("several words in any order") << "Площадь треугольника"
                                                    << "треугольника площадь" << true;
        QTest::newRow("every word must match") << "Площадь треугольника"
                                               << "площадь круга" << false;
        QTest::newRow("blanks round and between") << "Площадь"
                                                  << "  \tплощ   " << true;
        QTest::newRow("dash typed as hyphen") << "1 — введение"
                                              << "1 - введение" << true;
        QTest::newRow("part of a word") << "Натуральные"
                                        << "тура" << true;
        QTest::newRow("no match") << "Натуральные"
                                  << "дроби" << false;
    }
    void folding() {
        QFETCH(QString, caption);
        QFETCH(QString, query);
        QFETCH(bool, matches);
        QCOMPARE(TFilterQuery(query).Matches(FilterCaptionText(caption)), matches);
    }

    void blankQueryIsNoFilter_data() {
        QTest::addColumn<QString>("query");
        QTest::newRow("empty") << "";
        QTest::newRow("spaces") << "   ";
        QTest::newRow("tabs and a line break") << "\t\n ";
        QTest::newRow("no-break space") << QString::fromUtf8("\u00A0");
    }
    void blankQueryIsNoFilter() {
        QFETCH(QString, query);
        QVERIFY(TFilterQuery(query).IsEmpty());
        TMarkupTreeView tree;
        Fill(tree);
        TTreeFilter filter(&tree);
        filter.SetQuery(query);
        QVERIFY(!filter.IsActive());
        QCOMPARE(Visible(tree), TIds({1, 5, 9}));
    }

    void showsMatchesWithAncestors_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<TIds>("visible");
        QTest::addColumn<TIds>("expanded");
        QTest::addColumn<int>("matches");
        QTest::newRow("top-level only") << "глава" << TIds{1, 5} << TIds{} << 2;
        QTest::newRow("two words") << "ГЛАВА 2" << TIds{5} << TIds{} << 1;
        QTest::newRow("deep match opens its branch") << "елочка" << TIds{1, 2, 3} << TIds{1, 2} << 1;
        QTest::newRow("coloured word") << "ЁЖИ" << TIds{1, 2, 3} << TIds{1, 2} << 1;
        QTest::newRow("parent and child both match") << "числа" << TIds{1, 2} << TIds{1} << 2;
        QTest::newRow("ancestor shown though it fails a word")
            << "числа натуральные" << TIds{1, 2} << TIds{1} << 1;
        QTest::newRow("tag inside a word") << "пифагора" << TIds{5, 6} << TIds{5} << 1;
        QTest::newRow("words in another order, deep") << "герона формула" << TIds{5, 7, 8} << TIds{5, 7} << 1;
        QTest::newRow("entity text") << "<b>" << TIds{9} << TIds{} << 1;
        QTest::newRow("tag letter matches only real text") << "b" << TIds{9} << TIds{} << 1;
        QTest::newRow("nbsp") << "дроби и" << TIds{1, 4} << TIds{1} << 1;
        QTest::newRow("dash") << "- к задачам" << TIds{9} << TIds{} << 1;
        QTest::newRow("hidden section") << "секрет" << TIds{} << TIds{} << 0;
        QTest::newRow("no match") << "синус" << TIds{} << TIds{} << 0;
        QTest::newRow("blanks round") << "   треугольника  " << TIds{5, 7} << TIds{5} << 1;
    }
    void showsMatchesWithAncestors() {
        QFETCH(QString, query);
        QFETCH(TIds, visible);
        QFETCH(TIds, expanded);
        QFETCH(int, matches);
        TMarkupTreeView tree;
        Fill(tree);
        TTreeFilter filter(&tree);
        // A query typed letter by letter passes through shorter ones first.
        for (qsizetype n = 1; n <= query.size(); ++n)
            filter.SetQuery(query.left(n));
        QVERIFY(filter.IsActive());
        QCOMPARE(Visible(tree), visible);
        QCOMPARE(filter.MatchCount(), matches);
        TIds shownExpanded;
        for (int id : Expanded(tree))
            if (visible.contains(id))
                shownExpanded << id;
        QCOMPARE(shownExpanded, expanded);
        filter.Clear();
        QVERIFY(!filter.IsActive());
        QCOMPARE(Visible(tree), TIds({1, 5, 9}));
        QCOMPARE(Expanded(tree), TIds{});
    }

    void restoresTheTree_data() {
        QTest::addColumn<TIds>("expanded");
        QTest::addColumn<TIds>("selected"); // in selection order; the last one current
        QTest::addColumn<QStringList>("queries");
        QTest::addColumn<TIds>("selectedWhileFiltering");
        QTest::newRow("selected node hidden")
            << TIds{1, 2} << TIds{3} << QStringList{"гео", "геометрия"} << TIds{};
        QTest::newRow("selected node shown") << TIds{} << TIds{6} << QStringList{"пифагора"} << TIds{6};
        QTest::newRow("selected inside a closed branch")
            << TIds{} << TIds{3} << QStringList{"елочка", "синус", "ежи"} << TIds{3};
        QTest::newRow("open branches stay open, opened ones close")
            << TIds{5, 7} << TIds{8} << QStringList{"ел", "елочка"} << TIds{};
        QTest::newRow("several, in their order")
            << TIds{1, 5, 7} << TIds{8, 2, 9} << QStringList{"а", "ответы", "нат"} << TIds{2};
        QTest::newRow("nothing selected") << TIds{1} << TIds{} << QStringList{"числа"} << TIds{};
        QTest::newRow("no match at all") << TIds{1, 2} << TIds{4, 3} << QStringList{"синус"} << TIds{};
    }
    void restoresTheTree() {
        QFETCH(TIds, expanded);
        QFETCH(TIds, selected);
        QFETCH(QStringList, queries);
        QFETCH(TIds, selectedWhileFiltering);
        TMarkupTreeView tree;
        Fill(tree);
        for (int id : expanded)
            Node(tree, id)->setExpanded(true);
        SelectInOrder(tree, selected);
        const QTreeWidgetItem* current = tree.currentItem();
        TTreeFilter filter(&tree);
        for (const QString& query : queries) {
            filter.SetQuery(query);
            // Commands act on the selection: nothing the user cannot see stays in it.
            const TIds visible = Visible(tree);
            for (int id : Selected(tree))
                QVERIFY2(visible.contains(id), qPrintable(query));
            if (tree.currentItem())
                QVERIFY(visible.contains(Id(tree.currentItem())));
        }
        QCOMPARE(Selected(tree), selectedWhileFiltering);
        filter.Clear();
        QCOMPARE(Expanded(tree), expanded);
        QCOMPARE(Selected(tree), selected);
        QCOMPARE(tree.currentItem(), current);
        QVERIFY(!filter.UserChoseSelection());
        for (QTreeWidgetItemIterator it(&tree); *it; ++it)
            QVERIFY(!(*it)->isHidden());
    }

    // The user picks another node while the filter is on: clearing keeps it and shows it.
    void userChoiceWins_data() {
        QTest::addColumn<TIds>("before");
        QTest::addColumn<QString>("query");
        QTest::addColumn<TIds>("chosen");
        QTest::addColumn<TIds>("expandedAfter");
        QTest::newRow("another node") << TIds{3} << "пифагора" << TIds{6} << TIds{5};
        QTest::newRow("the same branch") << TIds{2} << "ежи" << TIds{3} << TIds{1, 2};
        QTest::newRow("two with Ctrl") << TIds{9} << "а" << TIds{8, 2} << TIds{1, 5, 7};
        // The current node stays where the user left it, and in view.
        QTest::newRow("nothing at all") << TIds{6} << "пифагора" << TIds{} << TIds{5};
    }
    void userChoiceWins() {
        QFETCH(TIds, before);
        QFETCH(QString, query);
        QFETCH(TIds, chosen);
        QFETCH(TIds, expandedAfter);
        TMarkupTreeView tree;
        Fill(tree);
        SelectInOrder(tree, before);
        TTreeFilter filter(&tree);
        filter.SetQuery(query);
        SelectInOrder(tree, chosen);
        QVERIFY(filter.UserChoseSelection());
        QVERIFY(filter.IsActive());
        filter.Clear();
        QCOMPARE(Selected(tree), chosen);
        if (!chosen.isEmpty())
            QCOMPARE(Id(tree.currentItem()), chosen.last());
        QCOMPARE(Expanded(tree), expandedAfter);
        // The choice is also what a second filter starts from and puts back.
        filter.SetQuery(QStringLiteral("синус"));
        filter.Clear();
        QCOMPARE(Selected(tree), chosen);
    }

    // A search result selects a node the filter hides: the filter gives way at once.
    void hiddenNodeChosenFromOutsideEndsTheFilter() {
        TMarkupTreeView tree;
        Fill(tree);
        TTreeFilter filter(&tree);
        QSignalSpy ended(&filter, &TTreeFilter::Ended);
        filter.SetQuery(QStringLiteral("пифагора"));
        tree.setCurrentItem(Node(tree, 3));
        QVERIFY(!filter.IsActive());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(Selected(tree), TIds{3});
        QCOMPARE(Visible(tree), TIds({1, 2, 3, 4, 5, 9}));
    }

    // The window opens a page when the selection moves; it can tell the filter's own moves only
    // if every one of them happens while Applying() says so.
    void everySelectionSignalIsMarked_data() {
        QTest::addColumn<TIds>("selected");
        QTest::addColumn<QStringList>("queries"); // "" clears
        QTest::newRow("hidden, shown, hidden, cleared") << TIds{3} << QStringList{"гео", "ежи", "синус", ""};
        QTest::newRow("several") << TIds{8, 2, 9} << QStringList{"а", "ответы", "ежи", ""};
        QTest::newRow("cleared while hidden") << TIds{6} << QStringList{"числа", ""};
    }
    void everySelectionSignalIsMarked() {
        QFETCH(TIds, selected);
        QFETCH(QStringList, queries);
        TMarkupTreeView tree;
        Fill(tree);
        SelectInOrder(tree, selected);
        TTreeFilter filter(&tree);
        int marked = 0;
        int unmarked = 0;
        const auto record = [&] { ++(filter.Applying() ? marked : unmarked); };
        connect(&tree, &QTreeWidget::currentItemChanged, this, record);
        connect(&tree, &QTreeWidget::itemSelectionChanged, this, record);
        for (const QString& query : queries)
            filter.SetQuery(query);
        QCOMPARE(unmarked, 0);
        QVERIFY(marked > 0); // the filter did move the selection
        QVERIFY(!filter.Applying());
    }

    void scrollPositionComesBack() {
        TMarkupTreeView tree;
        for (int i = 1; i <= 300; ++i) {
            auto content = std::make_unique<TContent>();
            content->id = i;
            content->text = QStringLiteral("Пункт <b>%1</b>").arg(i);
            tree.addTopLevelItem(TMarkupTreeView::NewContentNode(std::move(content)));
        }
        tree.resize(220, 160);
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        tree.setCurrentItem(Node(tree, 120));
        tree.scrollToItem(Node(tree, 120), QAbstractItemView::PositionAtTop);
        const int position = tree.verticalScrollBar()->value();
        QVERIFY(position > 0);
        TTreeFilter filter(&tree);
        // In slices, as a slow machine would run it: the position is kept across turns of the
        // event loop, not only within one call.
        filter.SetSlice(64, 0);
        filter.SetQuery(QStringLiteral("пункт 7"));
        QTRY_VERIFY(!filter.Busy());
        QCOMPARE(tree.verticalScrollBar()->value(), 0);
        filter.Clear();
        QTRY_VERIFY(!filter.Busy());
        QCOMPARE(tree.verticalScrollBar()->value(), position);
        QCOMPARE(Id(tree.currentItem()), 120);
    }

    // A new section replaces the tree: the filter forgets it and puts nothing back.
    void treeReplacedWhileFiltering() {
        TMarkupTreeView tree;
        Fill(tree);
        Node(tree, 1)->setExpanded(true);
        TTreeFilter filter(&tree);
        QSignalSpy ended(&filter, &TTreeFilter::Ended);
        filter.SetQuery(QStringLiteral("гео"));
        tree.ClearTree();
        QVERIFY(!filter.IsActive());
        QCOMPARE(ended.count(), 1);
        Fill(tree);
        QCOMPARE(Visible(tree), TIds({1, 5, 9}));
        filter.Clear(); // nothing to restore, nothing to touch
        QCOMPARE(Expanded(tree), TIds{});
        filter.SetQuery(QStringLiteral("ежи"));
        QCOMPARE(Visible(tree), TIds({1, 2, 3}));
    }

    void nodesAddedWhileFilteringAreFiltered() {
        TMarkupTreeView tree;
        Fill(tree);
        TTreeFilter filter(&tree);
        filter.SetQuery(QStringLiteral("гео"));
        auto content = std::make_unique<TContent>();
        content->id = 10;
        content->text = QStringLiteral("Стереометрия");
        Node(tree, 5)->addChild(TMarkupTreeView::NewContentNode(std::move(content)));
        filter.SetQuery(QStringLiteral("геом"));
        QCOMPARE(Visible(tree), TIds({5}));
        filter.SetQuery(QStringLiteral("метрия"));
        QCOMPARE(Visible(tree), TIds({5, 10}));
        delete Node(tree, 10);
        filter.SetQuery(QStringLiteral("метри"));
        QCOMPARE(Visible(tree), TIds({5}));
        filter.Clear();
        QCOMPARE(Visible(tree), TIds({1, 5, 9}));
    }

    void forgetShowsEverythingAndRestoresNothing() {
        TMarkupTreeView tree;
        Fill(tree);
        SelectInOrder(tree, {3});
        TTreeFilter filter(&tree);
        filter.SetQuery(QStringLiteral("ответы"));
        filter.Forget();
        QVERIFY(!filter.IsActive());
        QCOMPARE(Visible(tree), TIds({1, 5, 9}));
        QCOMPARE(Selected(tree), TIds{});
    }

    // On a huge tree the work goes on between turns of the event loop, and a newer text drops
    // the work for older ones wherever it was: the end state is the one of the last text alone.
    void quickChangesEndAsTheLastTextAlone_data() {
        QTest::addColumn<QStringList>("texts"); // "" clears
        QTest::addColumn<TIds>("turns");        // of the event loop after each text
        QTest::newRow("typed at once") << QStringList{"г", "ге", "гео"} << TIds{0, 0, 0};
        QTest::newRow("changed while collecting") << QStringList{"ежи", "числа"} << TIds{3, 0};
        QTest::newRow("changed while showing") << QStringList{"а", "пифагора"} << TIds{22, 0};
        QTest::newRow("emptied while showing") << QStringList{"а", ""} << TIds{22, 0};
        QTest::newRow("emptied, then typed") << QStringList{"а", "", "ежи"} << TIds{22, 2, 0};
        QTest::newRow("typed while restoring") << QStringList{"ежи", "", "ответы"} << TIds{99, 12, 0};
        QTest::newRow("restoring interrupted twice") << QStringList{"а", "", "ежи", ""} << TIds{99, 5, 20, 0};
    }
    void quickChangesEndAsTheLastTextAlone() {
        QFETCH(QStringList, texts);
        QFETCH(TIds, turns);
        struct TState {
            TIds visible, expanded, selected;
            int current, matches;
            bool active;
            bool operator==(const TState&) const = default;
        };
        const auto run = [&](const QStringList& typed, const TIds& waits, bool sliced) {
            TMarkupTreeView tree;
            Fill(tree);
            Node(tree, 5)->setExpanded(true);
            SelectInOrder(tree, {6, 3});
            TTreeFilter filter(&tree);
            if (sliced)
                filter.SetSlice(1, 0);
            for (qsizetype i = 0; i < typed.size(); ++i) {
                filter.SetQuery(typed[i]);
                if (sliced && i == 0)
                    [&] { QVERIFY(filter.Busy()); }();
                for (int n = 0; n < waits.value(i); ++n)
                    QCoreApplication::processEvents();
            }
            [&] { QTRY_VERIFY(!filter.Busy()); }();
            TIds expanded;
            for (int id : Expanded(tree))
                if (Visible(tree).contains(id))
                    expanded << id;
            TState filtered{Visible(tree),       expanded,         Selected(tree), Id(tree.currentItem()),
                            filter.MatchCount(), filter.IsActive()};
            filter.Clear();
            [&] { QTRY_VERIFY(!filter.Busy()); }();
            const TState restored{Visible(tree), Expanded(tree), Selected(tree), Id(tree.currentItem()), 0,
                                  false};
            return std::pair(filtered, restored);
        };
        const auto [filtered, restored] = run(texts, turns, true);
        const auto [expectedFiltered, expectedRestored] = run({texts.last()}, {}, false);
        QCOMPARE(filtered.visible, expectedFiltered.visible);
        QVERIFY(filtered == expectedFiltered);
        QCOMPARE(restored.expanded, expectedRestored.expanded);
        QVERIFY(restored == expectedRestored);
    }

    // --- the box --------------------------------------------------------------------------------

    void boxKeys_data() {
        QTest::addColumn<TIds>("selected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("filtering"); // after the key
        QTest::addColumn<TIds>("selectedAfter");
        QTest::addColumn<bool>("treeFocused");
        QTest::newRow("Esc clears") << TIds{3} << "гео" << int(Qt::Key_Escape) << false << TIds{3} << true;
        QTest::newRow("Esc with nothing typed")
            << TIds{3} << "" << int(Qt::Key_Escape) << false << TIds{3} << true;
        QTest::newRow("Down onto the first match")
            << TIds{3} << "треугольника" << int(Qt::Key_Down) << true << TIds{7} << true;
        QTest::newRow("Down keeps a shown choice")
            << TIds{8} << "а" << int(Qt::Key_Down) << true << TIds{8} << true;
        QTest::newRow("Enter as Down") << TIds{} << "ежи" << int(Qt::Key_Return) << true << TIds{3} << true;
        QTest::newRow("Down with no match stays")
            << TIds{3} << "синус" << int(Qt::Key_Down) << true << TIds{} << false;
        QTest::newRow("Down unfiltered") << TIds{6} << "" << int(Qt::Key_Down) << false << TIds{6} << true;
    }
    void boxKeys() {
        QFETCH(TIds, selected);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, filtering);
        QFETCH(TIds, selectedAfter);
        QFETCH(bool, treeFocused);
        QWidget window;
        auto* tree = new TMarkupTreeView;
        Fill(*tree);
        SelectInOrder(*tree, selected);
        auto* pane = new TTreeFilterPane(tree, &window);
        pane->resize(300, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        TTreeFilterBox* box = pane->Box();
        box->setFocus();
        Type(box, typed);
        QCOMPARE(box->Filter().IsActive(), !typed.isEmpty());
        QTest::keyClick(box, Qt::Key(key));
        QCOMPARE(box->Filter().IsActive(), filtering);
        if (key == Qt::Key_Escape)
            QVERIFY(box->text().isEmpty());
        QCOMPARE(Selected(*tree), selectedAfter);
        QTRY_COMPARE(tree->hasFocus(), treeFocused);
    }

    // A range taken with Shift while filtering holds only the nodes between that are shown.
    void shiftRangeSkipsHiddenNodes() {
        QWidget window;
        auto* tree = new TMarkupTreeView;
        tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
        Fill(*tree);
        auto* pane = new TTreeFilterPane(tree, &window);
        pane->resize(300, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        pane->Box()->setText(QStringLiteral("а"));
        QCOMPARE(Visible(*tree), TIds({1, 2, 3, 5, 6, 7, 8, 9}));
        const auto click = [&](int id, Qt::KeyboardModifiers modifiers) {
            const QRect row = tree->visualItemRect(Node(*tree, id));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, modifiers,
                              QPoint(row.left() + tree->indentation() * 3, row.center().y()));
        };
        click(2, Qt::NoModifier);
        click(6, Qt::ShiftModifier);
        QCOMPARE(Selected(*tree).size(), 4);
        for (int id : {2, 3, 5, 6})
            QVERIFY(Selected(*tree).contains(id));
        pane->Box()->clear();
        QCOMPARE(Selected(*tree).size(), 4); // the user's choice, and no hidden node (4) in it
        QVERIFY(!Selected(*tree).contains(4));
    }

    void clearButtonRestores() {
        QWidget window;
        auto* tree = new TMarkupTreeView;
        Fill(*tree);
        SelectInOrder(*tree, {3});
        auto* pane = new TTreeFilterPane(tree, &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TTreeFilterBox* box = pane->Box();
        const TIds expanded = Expanded(*tree);
        Type(box, QStringLiteral("пифагор"));
        QVERIFY(box->Filter().IsActive());
        // Qt's own clear button of the line edit, pressed.
        const QAction* clear = box->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"));
        QVERIFY(clear);
        QToolButton* button = nullptr;
        for (QToolButton* b : box->findChildren<QToolButton*>())
            if (b->defaultAction() == clear)
                button = b;
        QVERIFY(button);
        QTRY_VERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(box->text().isEmpty());
        QVERIFY(!box->Filter().IsActive());
        QCOMPARE(Selected(*tree), TIds{3});
        QCOMPARE(Expanded(*tree), expanded);
    }

    void emptyResultHint_data() {
        QTest::addColumn<QStringList>("typed"); // in turn
        QTest::addColumn<bool>("shown");
        QTest::newRow("no match") << QStringList{"синус"} << true;
        QTest::newRow("a match") << QStringList{"синус", "ежи"} << false;
        QTest::newRow("cleared") << QStringList{"синус", ""} << false;
        QTest::newRow("markup only") << QStringList{"font"} << true;
    }
    void emptyResultHint() {
        QFETCH(QStringList, typed);
        QFETCH(bool, shown);
        QWidget window;
        auto* tree = new TMarkupTreeView;
        Fill(*tree);
        auto* pane = new TTreeFilterPane(tree, &window);
        pane->resize(260, 240);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TTreeFilterBox* box = pane->Box();
        for (const QString& text : typed)
            box->setText(text);
        QCOMPARE(box->EmptyHint()->isVisible(), shown);
        QCOMPARE(box->EmptyHint()->text(), QStringLiteral("Ничего не найдено"));
        if (shown) {
            QVERIFY(tree->viewport()->rect().contains(box->EmptyHint()->geometry()));
            SaveShot(window, "treefilter_empty.png");
        }
    }

    void placeholderAndShortcut() {
        QWidget window;
        auto* tree = new TMarkupTreeView;
        auto* pane = new TTreeFilterPane(tree, &window);
        QVERIFY(pane->Box()->placeholderText().startsWith(QStringLiteral("Фильтр")));
        QCOMPARE(pane->Box()->FocusAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        QVERIFY(pane->actions().contains(pane->Box()->FocusAction()));
    }
};

QTEST_MAIN(TestTreeFilter)
#include "test_treefilter.moc"
