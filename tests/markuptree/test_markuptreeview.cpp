// Behaviour of the markup tree view under the pointer and the keyboard: check and radio items,
// anchors with their cursor and events, the hint, selection that follows the painted caption,
// the row height.

#include "tests/markuptree/test_markuptree_support.h"

#include "markup/Markup.h"
#include "markuptree/MarkupHintWindow.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>

namespace {

struct TEvent {
    QString Kind;
    QTreeWidgetItem* Node;
    QString Value;
    bool operator==(const TEvent&) const = default;
};

// Records every event of a tree as "kind:value" strings, in order.
struct TEventLog {
    QStringList Entries;
    void Attach(TMarkupTreeView& tree) {
        tree.OnAnchorEnter = [this](QObject*, QTreeWidgetItem*, const QString& a) {
            Entries << "enter:" + a;
        };
        tree.OnAnchorExit = [this](QObject*, QTreeWidgetItem*, const QString& a) { Entries << "exit:" + a; };
        tree.OnAnchorClick = [this](QObject*, QTreeWidgetItem*, const QString& a) {
            Entries << "click:" + a;
        };
        tree.OnCheckBoxClick = [this](QObject*, QTreeWidgetItem* n, bool check) {
            Entries << QStringLiteral("check:%1:%2").arg(n->text(0)).arg(check ? 1 : 0);
        };
        tree.OnRadioClick = [this](QObject*, QTreeWidgetItem* n) { Entries << "radio:" + n->text(0); };
    }
};

class TTreeFixture {
public:
    TTreeFixture() {
        ConfigureLikeLeftTree(Tree);
        Tree.resize(360, 300);
        Tree.show();
    }
    QWidget* Viewport() { return Tree.viewport(); }
    // A point in the middle of a node's row, dx pixels right of its caption's left edge.
    QPoint At(QTreeWidgetItem* node, int dx) {
        const QRect row = Tree.visualItemRect(node);
        return QPoint(row.left() + dx, row.center().y());
    }
    // Horizontal positions of a node's row where the anchor under the pointer is `href`.
    QList<int> AnchorColumns(QTreeWidgetItem* node, const QString& href) {
        QList<int> xs;
        for (int x = 0; x < Viewport()->width(); ++x)
            if (Tree.AnchorAt(node, QPoint(x, At(node, 0).y())) == href)
                xs << x;
        return xs;
    }
    TMarkupTreeView Tree;
};

} // namespace

class TestMarkupTreeView final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterOriginalFonts(); }
    void glyphSlotClick_data();
    void glyphSlotClick();
    void spaceKey_data();
    void spaceKey();
    void anchorsUnderPointer();
    void anchorClick();
    void clickBesideCaptionSelectsNothing();
    void multipleSelectionOrder();
    void rightClick_data();
    void rightClick();
    void currentItemFollowsSelection();
    void hint_data();
    void hint();
    void hintStaysWhilePointerRests();
    void hintGoesAfterPause();
    void hintDroppedOnOtherNode();
    void itemHeightKept();
    void itemArea_data();
    void itemArea();
    void horizontalExtentFollowsItem_data();
    void horizontalExtentFollowsItem();
    void hotTrackAndAutoExpand();
    void typingFindsPlainCaption_data();
    void typingFindsPlainCaption();
    void readersGetPlainCaptionAndLevel();
    void firstArrowPicksCurrentNode_data();
    void firstArrowPicksCurrentNode();
};

void TestMarkupTreeView::glyphSlotClick_data() {
    QTest::addColumn<int>("image");
    QTest::addColumn<bool>("underParent");
    QTest::addColumn<int>("dx");           // from the caption's left edge
    QTest::addColumn<QList<int>>("after"); // image indexes of the three children afterwards
    QTest::addColumn<QStringList>("events");
    // Children: [clicked node with `image`, a radio on (4), a check off (1)].
    QTest::newRow("check off -> on") << 1 << true << 8 << QList<int>{2, 4, 1} << QStringList{"check:c:1"};
    QTest::newRow("check on -> off") << 2 << true << 8 << QList<int>{1, 4, 1} << QStringList{"check:c:0"};
    QTest::newRow("check, slot edge is outside") << 1 << true << 0 << QList<int>{1, 4, 1} << QStringList{};
    QTest::newRow("check, caption is not the slot")
        << 1 << true << 30 << QList<int>{1, 4, 1} << QStringList{};
    QTest::newRow("radio switches the group")
        << 3 << true << 8 << QList<int>{4, 3, 1} << QStringList{"radio:c"};
    QTest::newRow("radio already on") << 4 << true << 8 << QList<int>{4, 4, 1} << QStringList{};
    QTest::newRow("top-level radio has no group") << 3 << false << 8 << QList<int>{3, 4, 1} << QStringList{};
    QTest::newRow("plain item with a slot") << 6 << true << 8 << QList<int>{6, 4, 1} << QStringList{};
}

void TestMarkupTreeView::glyphSlotClick() {
    QFETCH(int, image);
    QFETCH(bool, underParent);
    QFETCH(int, dx);
    QFETCH(QList<int>, after);
    QFETCH(QStringList, events);
    TTreeFixture f;
    TEventLog log;
    log.Attach(f.Tree);
    QTreeWidgetItem* parent = AddNode(f.Tree, nullptr, 1, QStringLiteral("группа"));
    QTreeWidgetItem* clicked = AddNode(f.Tree, underParent ? parent : nullptr, 2, QStringLiteral("c"), image);
    QTreeWidgetItem* radio = AddNode(f.Tree, parent, 3, QStringLiteral("r"), 4);
    QTreeWidgetItem* check = AddNode(f.Tree, parent, 4, QStringLiteral("k"), 1);
    f.Tree.expandAll();
    Click(f.Viewport(), f.At(clicked, dx));
    const QList<int> images{TMarkupTreeView::ImageIndex(clicked), TMarkupTreeView::ImageIndex(radio),
                            TMarkupTreeView::ImageIndex(check)};
    QCOMPARE(images, after);
    QCOMPARE(log.Entries, events);
}

void TestMarkupTreeView::spaceKey_data() {
    QTest::addColumn<int>("image");
    QTest::addColumn<bool>("underParent");
    QTest::addColumn<int>("imageAfter");
    QTest::addColumn<int>("siblingAfter"); // a radio sibling that was on
    QTest::addColumn<QStringList>("events");
    QTest::newRow("check toggles") << 1 << true << 2 << 4 << QStringList{"check:c:1"};
    QTest::newRow("check toggles back") << 2 << true << 1 << 4 << QStringList{"check:c:0"};
    QTest::newRow("radio switches the two") << 3 << true << 4 << 3 << QStringList{"radio:c"};
    QTest::newRow("top-level radio stays") << 3 << false << 3 << 4 << QStringList{};
    QTest::newRow("plain item, space consumed") << 0 << true << 0 << 4 << QStringList{};
}

void TestMarkupTreeView::spaceKey() {
    QFETCH(int, image);
    QFETCH(bool, underParent);
    QFETCH(int, imageAfter);
    QFETCH(int, siblingAfter);
    QFETCH(QStringList, events);
    TTreeFixture f;
    TEventLog log;
    log.Attach(f.Tree);
    QTreeWidgetItem* parent = AddNode(f.Tree, nullptr, 1, QStringLiteral("группа"));
    QTreeWidgetItem* node = AddNode(f.Tree, underParent ? parent : nullptr, 2, QStringLiteral("c"), image);
    QTreeWidgetItem* sibling = AddNode(f.Tree, parent, 3, QStringLiteral("r"), 4);
    f.Tree.expandAll();
    f.Tree.setCurrentItem(node);
    QTest::keyClick(&f.Tree, Qt::Key_Space);
    QCOMPARE(TMarkupTreeView::ImageIndex(node), imageAfter);
    QCOMPARE(TMarkupTreeView::ImageIndex(sibling), siblingAfter);
    QCOMPARE(log.Entries, events);
    QCOMPARE(f.Tree.SelectedNodes(), QList<QTreeWidgetItem*>{node}); // space never changes the selection
}

void TestMarkupTreeView::anchorsUnderPointer() {
    TTreeFixture f;
    TEventLog log;
    log.Attach(f.Tree);
    QTreeWidgetItem* node = AddNode(
        f.Tree, nullptr, 1, QStringLiteral("текст <A HREF=\"a\">первая</A><A HREF=\"b\">вторая</A> конец"));
    const QList<int> onA = f.AnchorColumns(node, QStringLiteral("a"));
    const QList<int> onB = f.AnchorColumns(node, QStringLiteral("b"));
    QVERIFY(onA.size() > 10 && onB.size() > 10);
    QVERIFY(onA.last() < onB.first());
    const int y = f.At(node, 0).y();
    const QPoint plain(f.At(node, 0).x() + 8, y);
    QVERIFY(f.Tree.AnchorAt(node, plain).isEmpty());
    const Qt::CursorShape initial = f.Viewport()->cursor().shape();

    SendMouse(f.Viewport(), QEvent::MouseMove, plain);
    QCOMPARE(log.Entries, QStringList{});
    SendMouse(f.Viewport(), QEvent::MouseMove, QPoint(onA[onA.size() / 2], y));
    QCOMPARE(f.Viewport()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(log.Entries, (QStringList{"exit:", "enter:a"})); // arriving from plain text
    SendMouse(f.Viewport(), QEvent::MouseMove, QPoint(onA[onA.size() / 2] + 1, y));
    QCOMPARE(log.Entries.size(), 2); // same anchor: nothing new
    // Straight from one anchor to the next: the hand stays.
    SendMouse(f.Viewport(), QEvent::MouseMove, QPoint(onB[onB.size() / 2], y));
    QCOMPARE(log.Entries, (QStringList{"exit:", "enter:a", "exit:a", "enter:b"}));
    QCOMPARE(f.Viewport()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(f.Tree.CurrentAnchor(), QStringLiteral("b"));
    SendMouse(f.Viewport(), QEvent::MouseMove, plain);
    QCOMPARE(log.Entries, (QStringList{"exit:", "enter:a", "exit:a", "enter:b", "exit:b"}));
    QCOMPARE(f.Viewport()->cursor().shape(), initial);
    QVERIFY(f.Tree.CurrentAnchor().isEmpty());

    // A cursor of the control's own comes back after an anchor, and off the nodes the anchor is
    // left too.
    f.Tree.SetCursor(Qt::CrossCursor);
    SendMouse(f.Viewport(), QEvent::MouseMove, QPoint(onA.first() + 2, y));
    QCOMPARE(f.Viewport()->cursor().shape(), Qt::PointingHandCursor);
    SendMouse(f.Viewport(), QEvent::MouseMove, QPoint(10, f.Viewport()->height() - 2));
    QCOMPARE(f.Viewport()->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(log.Entries.last(), QStringLiteral("exit:a"));
}

void TestMarkupTreeView::anchorClick() {
    TTreeFixture f;
    TEventLog log;
    log.Attach(f.Tree);
    QTreeWidgetItem* node =
        AddNode(f.Tree, nullptr, 1, QStringLiteral("<A HREF=\"page.htm\">ссылка</A> и текст"), 1);
    const QList<int> on = f.AnchorColumns(node, QStringLiteral("page.htm"));
    QVERIFY(!on.isEmpty());
    const int y = f.At(node, 0).y();
    Click(f.Viewport(), QPoint(on[on.size() / 2], y));
    QCOMPARE(log.Entries, QStringList{"click:page.htm"});
    QCOMPARE(f.Tree.currentItem(), node);
    // A click on the glyph slot toggles the check and looks for no anchor.
    log.Entries.clear();
    Click(f.Viewport(), f.At(node, 8));
    QCOMPARE(log.Entries, QStringList{"check:<A HREF=\"page.htm\">ссылка</A> и текст:1"});
}

void TestMarkupTreeView::clickBesideCaptionSelectsNothing() {
    TTreeFixture f;
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, QStringLiteral("Короткий"));
    QTreeWidgetItem* b = AddNode(f.Tree, nullptr, 2, QStringLiteral("Второй"));
    f.Tree.setCurrentItem(a);
    Click(f.Viewport(), f.At(b, 250)); // far right of the caption
    QCOMPARE(f.Tree.currentItem(), a);
    QCOMPARE(f.Tree.SelectedNodes(), QList<QTreeWidgetItem*>{a});
    Click(f.Viewport(), f.At(b, 6));
    QCOMPARE(f.Tree.currentItem(), b);
    QCOMPARE(f.Tree.SelectedNodes(), QList<QTreeWidgetItem*>{b});
    QCOMPARE(f.Tree.NodeAt(f.At(b, 250)), nullptr);
    QCOMPARE(f.Tree.NodeAt(f.At(b, 6)), b);
}

void TestMarkupTreeView::multipleSelectionOrder() {
    TTreeFixture f;
    QList<QTreeWidgetItem*> n;
    for (int i = 0; i < 5; ++i)
        n << AddNode(f.Tree, nullptr, i, QStringLiteral("Пункт %1").arg(i));
    Click(f.Viewport(), f.At(n[3], 6));
    Click(f.Viewport(), f.At(n[0], 6), Qt::LeftButton, Qt::ControlModifier);
    Click(f.Viewport(), f.At(n[2], 6), Qt::LeftButton, Qt::ControlModifier);
    QCOMPARE(f.Tree.SelectedNodes(), (QList<QTreeWidgetItem*>{n[3], n[0], n[2]}));
    Click(f.Viewport(), f.At(n[0], 6), Qt::LeftButton, Qt::ControlModifier); // off again
    QCOMPARE(f.Tree.SelectedNodes(), (QList<QTreeWidgetItem*>{n[3], n[2]}));
    // Shift extends from the anchor of the last click over the visible rows.
    Click(f.Viewport(), f.At(n[1], 6));
    Click(f.Viewport(), f.At(n[3], 6), Qt::LeftButton, Qt::ShiftModifier);
    QCOMPARE(f.Tree.SelectedNodes().size(), 3);
    QCOMPARE(f.Tree.SelectedNodes().first(), n[1]);
    // Deleting a selected node drops it from the list rather than leaving a dangling pointer.
    delete n[2];
    QCOMPARE(f.Tree.SelectedNodes(), (QList<QTreeWidgetItem*>{n[1], n[3]}));
}

void TestMarkupTreeView::rightClick_data() {
    QTest::addColumn<bool>("rightClickSelect");
    QTest::addColumn<int>("dx");
    QTest::addColumn<bool>("selects");
    QTest::newRow("on caption, selects") << true << 6 << true;
    QTest::newRow("beside caption") << true << 250 << false;
    QTest::newRow("switched off") << false << 6 << false;
}

void TestMarkupTreeView::rightClick() {
    QFETCH(bool, rightClickSelect);
    QFETCH(int, dx);
    QFETCH(bool, selects);
    TTreeFixture f;
    f.Tree.SetRightClickSelect(rightClickSelect);
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, QStringLiteral("Первый"));
    QTreeWidgetItem* b = AddNode(f.Tree, nullptr, 2, QStringLiteral("Второй"));
    f.Tree.setCurrentItem(a);
    Click(f.Viewport(), f.At(b, dx), Qt::RightButton);
    QCOMPARE(f.Tree.currentItem(), selects ? b : a);
    QCOMPARE(f.Tree.SelectedNodes(), QList<QTreeWidgetItem*>{selects ? b : a});
}

void TestMarkupTreeView::currentItemFollowsSelection() {
    TTreeFixture f;
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, QStringLiteral("Первый"));
    QTreeWidgetItem* b = AddNode(f.Tree, nullptr, 2, QStringLiteral("Второй"));
    QSignalSpy changes(&f.Tree, &QTreeWidget::currentItemChanged);
    Click(f.Viewport(), f.At(a, 6));
    Click(f.Viewport(), f.At(b, 6));
    f.Tree.setFocus();
    QTest::keyClick(&f.Tree, Qt::Key_Up);
    QCOMPARE(changes.size(), 3);
    QCOMPARE(changes.at(1).at(0).value<QTreeWidgetItem*>(), b);
    QCOMPARE(f.Tree.currentItem(), a);
    QCOMPARE(f.Tree.SelectedNodes(), QList<QTreeWidgetItem*>{a});
}

void TestMarkupTreeView::hint_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("markupHint");
    QTest::addColumn<QString>("controlHint");
    QTest::addColumn<QString>("captionHint"); // text of the caption's own hint; empty: none
    QTest::addColumn<QString>("toolTip");     // text of the tool tip; empty: none
    const QString longCaption = QStringLiteral(
        "<B>Очень длинный заголовок</B>, который никак не помещается в ширину этого дерева &lt;целиком&gt;");
    QTest::newRow("long caption, plain text")
        << longCaption << false << QString()
        << QStringLiteral(
               "Очень длинный заголовок, который никак не помещается в ширину этого дерева &lt;целиком&gt;")
        << QString();
    QTest::newRow("long caption, markup")
        << longCaption << true << QStringLiteral("Подсказка дерева") << longCaption << QString();
    QTest::newRow("line break in a long caption")
        << QStringLiteral("<B>Первая строка, которая сама по себе шире дерева, чем дерево</B><BR>вторая")
        << false << QString()
        << QStringLiteral("Первая строка, которая сама по себе шире дерева, чем дерево\r\nвторая")
        << QString();
    QTest::newRow("short caption, no control hint")
        << QStringLiteral("<B>Коротко</B>") << false << QString() << QString() << QString();
    QTest::newRow("short caption, control hint")
        << QStringLiteral("<B>Коротко</B>") << false << QStringLiteral("Подсказка <b>дерева</b>") << QString()
        << QStringLiteral("Подсказка <b>дерева</b>");
}

void TestMarkupTreeView::hint() {
    QFETCH(QString, caption);
    QFETCH(bool, markupHint);
    QFETCH(QString, controlHint);
    QFETCH(QString, captionHint);
    QFETCH(QString, toolTip);
    TTreeFixture f;
    f.Tree.SetMarkupHint(markupHint);
    f.Tree.SetHint(controlHint);
    QTreeWidgetItem* node = AddNode(f.Tree, nullptr, 1, caption);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    const QPoint at = f.At(node, 20);
    QHelpEvent help(QEvent::ToolTip, at, f.Viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.Viewport(), &help);
    const TMarkupHintWindow* own = f.Tree.CaptionHint();
    if (captionHint.isEmpty()) {
        QVERIFY(!own || !own->isVisible());
    } else {
        QVERIFY(own);
        QTRY_VERIFY(own->isVisible());
        QCOMPARE(own->Text(), captionHint);
        // Over the item: the hint starts at the caption's left edge, covers the pointer and the row.
        const QRect row = f.Tree.visualItemRect(node);
        const QRect frame(f.Viewport()->mapFromGlobal(own->pos()), own->size());
        QVERIFY2(qAbs(frame.left() - row.left()) <= 1, qPrintable(QString::number(frame.left())));
        QVERIFY(frame.contains(at));
        QVERIFY2(frame.top() <= row.top() + 2 && frame.bottom() >= row.bottom() - 2,
                 qPrintable(QStringLiteral("%1..%2").arg(frame.top()).arg(frame.bottom())));
        QVERIFY(frame.width() > f.Viewport()->width() / 2);
    }
    if (toolTip.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), toolTip);
    }
}

void TestMarkupTreeView::hintStaysWhilePointerRests() {
    TTreeFixture f;
    QTreeWidgetItem* node = AddNode(
        f.Tree, nullptr, 1,
        QStringLiteral("<B>Очень длинный заголовок</B>, который никак не помещается в ширину этого дерева"));
    const QPoint at = f.At(node, 20);
    const QPoint global = f.Viewport()->mapToGlobal(at);
    // The pointer rests on the item, as far as the window system has one to move.
    QVERIFY(QTest::qWaitForWindowExposed(&f.Tree));
    QCursor::setPos(global);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        QTRY_VERIFY(f.Viewport()->underMouse());
    QHelpEvent help(QEvent::ToolTip, at, global);
    QApplication::sendEvent(f.Viewport(), &help);
    const TMarkupHintWindow* own = f.Tree.CaptionHint();
    QVERIFY(own);
    QTRY_VERIFY(own->isVisible());
    // The hint lies under the pointer and takes no input, so the pointer stays on the tree.
    QVERIFY(own->geometry().contains(global));
    QVERIFY(own->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    QVERIFY(own->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(!own->isActiveWindow());
    // A good while later, with the pointer resting or trembling on the item, it is still up.
    QElapsedTimer resting;
    resting.start();
    while (resting.elapsed() < 1500) {
        SendMouse(f.Viewport(), QEvent::MouseMove, at + QPoint(int(resting.elapsed() / 500), 0));
        QTest::qWait(100);
        QVERIFY2(own->isVisible(), qPrintable(QStringLiteral("gone after %1 ms").arg(resting.elapsed())));
    }
    // A leave of the tree (the pointer went elsewhere) takes it down.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&f.Tree, &leave);
    QVERIFY(!own->isVisible());
}

void TestMarkupTreeView::hintGoesAfterPause() {
    TTreeFixture f;
    QTreeWidgetItem* node = AddNode(
        f.Tree, nullptr, 1,
        QStringLiteral("Очень длинный заголовок, который никак не помещается в ширину этого дерева целиком"));
    const QPoint at = f.At(node, 20);
    QHelpEvent help(QEvent::ToolTip, at, f.Viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.Viewport(), &help);
    TMarkupHintWindow* own = f.Tree.CaptionHint();
    QVERIFY(own);
    QCOMPARE(own->HidePause(), 0); // the platform's tool-tip time by default
    QVERIFY(own->isVisible());
    own->SetHidePause(1000);
    QApplication::sendEvent(f.Viewport(), &help); // asked again: shown again, with the new pause
    QElapsedTimer shown;
    shown.start();
    QTRY_VERIFY_WITH_TIMEOUT(!own->isVisible(), 5000);
    QVERIFY2(shown.elapsed() >= 900, qPrintable(QString::number(shown.elapsed())));
}

void TestMarkupTreeView::hintDroppedOnOtherNode() {
    TTreeFixture f;
    const QString longCaption =
        QStringLiteral("Очень длинный заголовок, который никак не помещается в ширину этого дерева целиком");
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, longCaption);
    QTreeWidgetItem* b = AddNode(f.Tree, nullptr, 2, longCaption + QStringLiteral(" (второй)"));
    const QPoint at = f.At(a, 20);
    QHelpEvent help(QEvent::ToolTip, at, f.Viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.Viewport(), &help);
    const TMarkupHintWindow* own = f.Tree.CaptionHint();
    QVERIFY(own);
    QTRY_VERIFY(own->isVisible());
    SendMouse(f.Viewport(), QEvent::MouseMove, f.At(a, 40)); // same node: the hint stays
    QVERIFY(own->isVisible());
    SendMouse(f.Viewport(), QEvent::MouseMove, f.At(b, 40));
    QVERIFY(!own->isVisible());
    // A short caption after a long one: the caption hint goes, the control's hint comes.
    f.Tree.SetHint(QStringLiteral("Подсказка дерева"));
    QTreeWidgetItem* c = AddNode(f.Tree, nullptr, 3, QStringLiteral("Коротко"));
    QApplication::sendEvent(f.Viewport(), &help);
    QVERIFY(own->isVisible());
    const QPoint onC = f.At(c, 10);
    QHelpEvent helpC(QEvent::ToolTip, onC, f.Viewport()->mapToGlobal(onC));
    QApplication::sendEvent(f.Viewport(), &helpC);
    QVERIFY(!own->isVisible());
    QTRY_VERIFY(QToolTip::isVisible());
    QToolTip::hideText();
}

void TestMarkupTreeView::itemHeightKept() {
    TTreeFixture f;
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, QStringLiteral("Первый"));
    QTreeWidgetItem* b = AddNode(f.Tree, a, 2, QStringLiteral("<FONT SIZE=\"20\">Крупный</FONT> текст"));
    f.Tree.expandAll();
    QCOMPARE(f.Tree.ItemHeight(), 18);
    QCOMPARE(f.Tree.visualItemRect(b).height(), 18);
    QCOMPARE(f.Tree.visualItemRect(b).top(), 18);
    // A new font, style or native window: the rows keep their height.
    QFont big = f.Tree.font();
    big.setPixelSize(30);
    f.Tree.setFont(big);
    f.Tree.setStyle(QApplication::style());
    f.Tree.hide();
    f.Tree.setAttribute(Qt::WA_NativeWindow);
    f.Tree.show();
    QCOMPARE(f.Tree.visualItemRect(a).height(), 18);
    QCOMPARE(f.Tree.visualItemRect(b).top(), 18);
    f.Tree.SetItemHeight(24);
    QCOMPARE(f.Tree.ItemHeight(), 24);
    QCOMPARE(f.Tree.visualItemRect(b).top(), 24);
}

namespace {

// Right edge of the painted caption of node: the last column with ink darker than the rows.
int InkRight(TMarkupTreeView& tree, QTreeWidgetItem* node) {
    const QImage shot = tree.viewport()->grab().toImage();
    const QRect row = tree.visualItemRect(node);
    int right = -1;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 160)
                right = qMax(right, x);
    return right;
}

} // namespace

void TestMarkupTreeView::itemArea_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("imageIndex");
    QTest::addColumn<bool>("byText"); // the area is the plain text with eight w's, else the box
    QTest::newRow("plain") << QStringLiteral("Короткий") << 0 << true;
    QTest::newRow("bold words") << QStringLiteral("<B>Жирный</B> текст") << 0 << true;
    QTest::newRow("check item") << QStringLiteral("Флажок") << 2 << true;
    QTest::newRow("tags only count as their text") << QStringLiteral("<I><U>Да</U></I>") << 5 << true;
    QTest::newRow("no image: no letters added") << QStringLiteral("Без значка") << -1 << false;
    QTest::newRow("large font beyond the letters")
        << QStringLiteral("<FONT SIZE=\"28\">Крупный заголовок</FONT>") << 0 << false;
}

void TestMarkupTreeView::itemArea() {
    QFETCH(QString, caption);
    QFETCH(int, imageIndex);
    QFETCH(bool, byText);
    TTreeFixture f;
    f.Tree.resize(700, 300);
    f.Tree.SetColor(0x00FFFFFF);
    QTreeWidgetItem* node = AddNode(f.Tree, nullptr, 1, caption, imageIndex);
    const QRect row = f.Tree.visualItemRect(node);
    const int y = row.center().y();
    int end = row.left();
    while (end < f.Viewport()->width() && f.Tree.NodeAt(QPoint(end, y)) == node)
        ++end;
    QVERIFY2(end < f.Viewport()->width(), "the item ends inside the view");
    const int left = row.left(); // the caption's left edge: level 0 with root decoration
    const QFontMetrics metrics(f.Tree.font());
    const int textEnd = left + metrics.horizontalAdvance(StripMarkup(caption) + "wwwwwwww") + 4;
    if (byText)
        QCOMPARE(end, textEnd);
    else
        QVERIFY2(end != textEnd, qPrintable(QStringLiteral("ends at %1").arg(end)));
    // Whatever is painted of the caption can be clicked, and not much beyond the box.
    const int ink = InkRight(f.Tree, node);
    QVERIFY(ink > left);
    QVERIFY2(end > ink, qPrintable(QStringLiteral("ink to %1, item to %2").arg(ink).arg(end)));
    if (!byText)
        QVERIFY2(end <= ink + 8, qPrintable(QStringLiteral("ink to %1, item to %2").arg(ink).arg(end)));
    // A click just past the end selects nothing, one just before it the node.
    Click(f.Viewport(), QPoint(end, y));
    QCOMPARE(f.Tree.currentItem(), nullptr);
    Click(f.Viewport(), QPoint(end - 1, y));
    QCOMPARE(f.Tree.currentItem(), node);
}

// Widths are remembered by caption: a change of what they depend on must show all the same.
void TestMarkupTreeView::horizontalExtentFollowsItem_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("as added") << "";
    QTest::newRow("larger font") << "font";
    QTest::newRow("tree filled anew") << "refill";
}

void TestMarkupTreeView::horizontalExtentFollowsItem() {
    QFETCH(QString, change);
    TTreeFixture f;
    AddNode(f.Tree, nullptr, 1, QStringLiteral("Короткий"));
    QTRY_COMPARE(f.Tree.horizontalScrollBar()->maximum(), 0);
    const QString caption =
        QStringLiteral("Длинный заголовок, который шире дерева на добрую половину его ширины");
    QTreeWidgetItem* wide = AddNode(f.Tree, nullptr, 2, caption);
    QTRY_VERIFY(f.Tree.horizontalScrollBar()->maximum() > 0);
    const QString room = QStringLiteral("wwwwwwww");
    if (change == QLatin1String("font")) {
        QFont font = f.Tree.font();
        font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() * 3 / 2 : 20);
        f.Tree.setFont(font);
    } else if (change == QLatin1String("refill")) {
        f.Tree.clear();
        AddNode(f.Tree, nullptr, 1, QStringLiteral("Короткий"));
        wide = AddNode(f.Tree, nullptr, 2, caption);
    }
    f.Tree.doItemsLayout();
    // The range reaches to the end of the item: its plain text, eight w's and 4 pixels.
    const QFontMetrics metrics(f.Tree.font());
    const int itemRight = f.Tree.indentation() + metrics.horizontalAdvance(caption + room) + 4;
    int maximum = 0;
    const auto near = [&] {
        maximum = f.Tree.horizontalScrollBar()->maximum();
        return qAbs(maximum - (itemRight - f.Viewport()->width())) <= 2;
    };
    QTRY_VERIFY2(near(), qPrintable(QStringLiteral("maximum %1, item right %2").arg(maximum).arg(itemRight)));
    // Scrolled to the end, the last pixels of the view are still on the item.
    f.Tree.horizontalScrollBar()->setValue(maximum);
    const QRect row = f.Tree.visualItemRect(wide);
    QCOMPARE(f.Tree.NodeAt(QPoint(f.Viewport()->width() - 4, row.center().y())), wide);
}

void TestMarkupTreeView::hotTrackAndAutoExpand() {
    TTreeFixture f;
    QTreeWidgetItem* a = AddNode(f.Tree, nullptr, 1, QStringLiteral("Первый"));
    AddNode(f.Tree, a, 11, QStringLiteral("вложенный"));
    QTreeWidgetItem* b = AddNode(f.Tree, nullptr, 2, QStringLiteral("Второй"));
    AddNode(f.Tree, b, 21, QStringLiteral("вложенный"));
    SendMouse(f.Viewport(), QEvent::MouseMove, f.At(b, 6));
    QCOMPARE(f.Tree.currentItem(), nullptr); // no hot tracking by default
    f.Tree.SetHotTrack(true);
    SendMouse(f.Viewport(), QEvent::MouseMove, f.At(b, 6));
    QCOMPARE(f.Tree.currentItem(), b);
    f.Tree.SetHotTrack(false);
    f.Tree.SetAutoExpand(true);
    Click(f.Viewport(), f.At(a, 6));
    QVERIFY(a->isExpanded());
    Click(f.Viewport(), f.At(b, 6));
    QVERIFY(b->isExpanded());
    QVERIFY(!a->isExpanded()); // one branch open at a time
}

void TestMarkupTreeView::typingFindsPlainCaption_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("found"); // index of the node that becomes current; -1: stays on the first
    QTest::newRow("first letter") << "г" << 1;
    QTest::newRow("prefix across a tag") << "гра" << 2;
    QTest::newRow("same letter steps on") << "гг" << 2;
    QTest::newRow("wraps round") << "а" << 0;
    QTest::newRow("tags are not text") << "<" << -1;
    QTest::newRow("nested node while shown") << "ф" << 4;
}

void TestMarkupTreeView::typingFindsPlainCaption() {
    QFETCH(QString, typed);
    QFETCH(int, found);
    TTreeFixture f;
    QList<QTreeWidgetItem*> n;
    n << AddNode(f.Tree, nullptr, 1, QStringLiteral("<B>Алгебра</B>"));
    n << AddNode(f.Tree, nullptr, 2, QStringLiteral("Геометрия"));
    n << AddNode(f.Tree, nullptr, 3, QStringLiteral("<I>Г</I>рафы"));
    n << AddNode(f.Tree, nullptr, 4, QStringLiteral("<U>Задачи</U>"));
    n << AddNode(f.Tree, n[3], 5, QStringLiteral("Физика"));
    f.Tree.expandAll();
    f.Tree.setCurrentItem(n[0]);
    f.Tree.setFocus();
    for (const QChar c : typed) { // keyClicks takes only Latin-1 letters
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&f.Tree, &press);
    }
    QCOMPARE(f.Tree.currentItem(), n[found < 0 ? 0 : found]);
}

// Screen readers name an item by what it shows, not by its markup, and hear its depth.
void TestMarkupTreeView::readersGetPlainCaptionAndLevel() {
    TTreeFixture f;
    QTreeWidgetItem* chapter = AddNode(f.Tree, nullptr, 1, QStringLiteral("<b>Глава 1.</b> Выражения"));
    QTreeWidgetItem* lesson = AddNode(f.Tree, chapter, 2, QStringLiteral("Урок <i>&quot;один&quot;</i>"));
    QCOMPARE(chapter->data(0, Qt::AccessibleTextRole).toString(), QStringLiteral("Глава 1. Выражения"));
    QCOMPARE(lesson->data(0, Qt::AccessibleTextRole).toString(), StripMarkup(lesson->text(0)));
    QCOMPARE(chapter->data(0, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("уровень 1"));
    QCOMPARE(lesson->data(0, Qt::AccessibleDescriptionRole).toString(), QStringLiteral("уровень 2"));
    QCOMPARE(lesson->text(0), QStringLiteral("Урок <i>&quot;один&quot;</i>")); // drawn as before
}

// A fresh tree has a current node the user never chose (the view makes one when it gets the
// focus): the first arrow selects it rather than the node after it.
void TestMarkupTreeView::firstArrowPicksCurrentNode_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("selectedBefore");
    QTest::addColumn<int>("after");
    QTest::newRow("down, nothing selected") << int(Qt::Key_Down) << 0 << false << 0;
    QTest::newRow("up, nothing selected") << int(Qt::Key_Up) << 2 << false << 2;
    QTest::newRow("down, current selected") << int(Qt::Key_Down) << 0 << true << 1;
}

void TestMarkupTreeView::firstArrowPicksCurrentNode() {
    QFETCH(int, key);
    QFETCH(int, current);
    QFETCH(bool, selectedBefore);
    QFETCH(int, after);
    TTreeFixture f;
    QList<QTreeWidgetItem*> n;
    for (int i = 0; i < 3; ++i)
        n << AddNode(f.Tree, nullptr, i + 1, QStringLiteral("Пункт %1").arg(i + 1));
    f.Tree.setCurrentItem(
        n[current], 0, selectedBefore ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
    QTest::keyClick(&f.Tree, Qt::Key(key));
    QCOMPARE(f.Tree.currentItem(), n[after]);
    QCOMPARE(f.Tree.selectedItems(), QList<QTreeWidgetItem*>{n[after]});
}

QTEST_MAIN(TestMarkupTreeView)
#include "test_markuptreeview.moc"
