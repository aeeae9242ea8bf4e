// The page control whose tabs wrap into rows: which tabs share a row, where the active row
// stands, and which changes count as the user's.

#include "look/PageControl.h"

#include <QSignalSpy>
#include <QTest>

using TRows = std::vector<std::vector<int>>;
Q_DECLARE_METATYPE(TRows)

class TestPageControl final : public QObject {
    Q_OBJECT
private slots:
    void wrap_data();
    void wrap();
    void activeRowStandsNextToThePage();
    void onlyTheUserChangesEmit();
    void hoverHighlightsTheTab();
    void manyRowsStayReachable();
};

void TestPageControl::wrap_data() {
    QTest::addColumn<std::vector<int>>("widths");
    QTest::addColumn<int>("rowWidth");
    QTest::addColumn<TRows>("rows");
    QTest::newRow("none") << std::vector<int>{} << 100 << TRows{};
    QTest::newRow("all fit") << std::vector<int>{30, 30, 40} << 100 << TRows{{0, 1, 2}};
    QTest::newRow("exact fit stays") << std::vector<int>{50, 50} << 100 << TRows{{0, 1}};
    QTest::newRow("one pixel over wraps") << std::vector<int>{50, 51} << 100 << TRows{{0}, {1}};
    QTest::newRow("several rows") << std::vector<int>{60, 30, 50, 50, 90} << 100
                                  << TRows{{0, 1}, {2, 3}, {4}};
    QTest::newRow("too wide gets its own row")
        << std::vector<int>{20, 150, 20} << 100 << TRows{{0}, {1}, {2}};
}

void TestPageControl::wrap() {
    QFETCH(std::vector<int>, widths);
    QFETCH(int, rowWidth);
    QFETCH(TRows, rows);
    QCOMPARE(WrapTabRows(widths, rowWidth), rows);
}

void TestPageControl::activeRowStandsNextToThePage() {
    TPageControl control;
    control.resize(401, 217);
    for (int i = 0; i < 8; ++i)
        control.AddPage(new QWidget, QStringLiteral("Предмет номер %1").arg(i));
    QVERIFY(control.RowCount() > 1);
    const int bottomRowTop = (control.RowCount() - 1) * TPageControl::TabHeight;
    for (int i = 0; i < control.Count(); ++i)
        QCOMPARE(control.TabRect(i).height(), TPageControl::TabHeight);
    for (int pick : {0, control.Count() - 1, 3}) {
        control.SetCurrentIndex(pick);
        QCOMPARE(control.TabRect(pick).top(), bottomRowTop);
        // Tabs never overlap and all stay inside the control.
        for (int i = 0; i < control.Count(); ++i) {
            QVERIFY(control.rect().contains(control.TabRect(i)));
            for (int j = i + 1; j < control.Count(); ++j)
                QVERIFY(!control.TabRect(i).intersects(control.TabRect(j)));
        }
    }
    // Rows of a multi-row strip fill the width.
    QCOMPARE(control.TabRect(control.Count() - 1).right(), 400);
}

void TestPageControl::onlyTheUserChangesEmit() {
    TPageControl control;
    control.resize(401, 217);
    control.AddPage(new QWidget, "A");
    control.AddPage(new QWidget, "B");
    control.AddPage(new QWidget, "C");
    QSignalSpy changed(&control, &TPageControl::Changed);
    control.SetCurrentIndex(2);
    QCOMPARE(control.CurrentIndex(), 2);
    QCOMPARE(changed.count(), 0);
    control.show();
    QTest::mouseClick(&control, Qt::LeftButton, {}, control.TabRect(1).center());
    QCOMPARE(control.CurrentIndex(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 1);
    QVERIFY(control.CurrentPage()->isVisible());
    // Clicking the active tab again is no change.
    QTest::mouseClick(&control, Qt::LeftButton, {}, control.TabRect(1).center());
    QCOMPARE(changed.count(), 1);
    QTest::keyClick(&control, Qt::Key_Right);
    QCOMPARE(control.CurrentIndex(), 2);
    QCOMPARE(changed.count(), 2);
}

void TestPageControl::hoverHighlightsTheTab() {
    TPageControl control;
    control.resize(401, 217);
    control.AddPage(new QWidget, "A");
    control.AddPage(new QWidget, "B");
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    QTest::mouseMove(&control, control.TabRect(1).center());
    QTRY_COMPARE(control.HotTab(), 1);
    QTest::mouseMove(&control, QPoint(200, 200));
    QTRY_COMPARE(control.HotTab(), -1);
}

void TestPageControl::manyRowsStayReachable() {
    // More groups than rows of full height fit: the rows squeeze, no tab leaves the control.
    TPageControl control;
    control.resize(401, 217);
    for (int i = 0; i < 40; ++i)
        control.AddPage(new QWidget, QStringLiteral("Очень длинное название предмета %1").arg(i));
    QVERIFY(control.RowCount() * control.RowHeight() <= control.height());
    for (int i = 0; i < control.Count(); ++i) {
        QVERIFY(control.rect().contains(control.TabRect(i)));
        QCOMPARE(control.TabAt(control.TabRect(i).center()), i);
    }
}

QTEST_MAIN(TestPageControl)
#include "test_pagecontrol.moc"
