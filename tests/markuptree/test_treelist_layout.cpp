// Geometry of the markup tree list without a widget: cells split by the separator and spread over
// the columns, the column lines, the column a point belongs to, the header section under a click
// and where the bounds rule puts the list and its header.

#include "markuptree/TreeListLayout.h"

#include <QTest>

namespace {

const QString kSep = QStringLiteral("$$$$$$$");

TListColumns Columns(QList<int> widths, int listWidth, int scroll = 0, int gap = 2) {
    TListColumns c;
    c.Widths = std::move(widths);
    c.ListWidth = listWidth;
    c.ScrollX = scroll;
    c.CellGap = gap;
    return c;
}

QString Describe(const QList<TListCell>& cells) {
    QStringList parts;
    for (const TListCell& c : cells)
        parts << QStringLiteral("%1:%2[%3,%4)").arg(c.Column).arg(c.Text).arg(c.Left).arg(c.Right);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestTreeListLayout final : public QObject {
    Q_OBJECT
private slots:
    void rowCells_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("gap");
        QTest::addColumn<QString>("expected");
        const QList<int> two{400, 50};
        QTest::newRow("two cells, one per column") << "Введение" + kSep + "Теория" << kSep << two << 600 << 0
                                                   << 2 << "0:Введение[19,398) 1:Теория[400,598)";
        QTest::newRow("no separator: first cell only")
            << "Введение" << kSep << two << 600 << 0 << 2 << "0:Введение[19,398)";
        QTest::newRow("trailing separator draws no empty cell")
            << "Введение" + kSep << kSep << two << 600 << 0 << 2 << "0:Введение[19,398)";
        QTest::newRow("empty middle cell is still a cell")
            << "a;;c"
            << ";" << QList<int>{100, 100, 100} << 500 << 0 << 2 << "0:a[19,98) 1:[100,198) 2:c[200,498)";
        QTest::newRow("more cells than columns: each as wide as the list")
            << "a;b;c"
            << ";" << QList<int>{100, 50} << 300 << 0 << 2 << "0:a[19,98) 1:b[100,298) 2:c[300,598)";
        QTest::newRow("last column wider than the list stops at its edge")
            << "a;b"
            << ";" << QList<int>{100, 900} << 300 << 0 << 2 << "0:a[19,98) 1:b[100,298)";
        QTest::newRow("gap of 4 after the lines were switched")
            << "a;b"
            << ";" << two << 600 << 0 << 4 << "0:a[19,396) 1:b[400,596)";
        QTest::newRow("scrolled: the first column's edge moves, the last still ends at the list's edge")
            << "a;b"
            << ";" << two << 600 << 30 << 2 << "0:a[-11,368) 1:b[370,598)";
        QTest::newRow("indent past the first column: the cell is not drawn")
            << "a;b"
            << ";" << QList<int>{10, 50} << 300 << 0 << 2 << "1:b[10,298)";
        QTest::newRow("empty separator never splits") << "a;b"
                                                      << "" << two << 600 << 0 << 2 << "0:a;b[19,398)";
        QTest::newRow("no columns: one cell across the list")
            << "a;b"
            << ";" << QList<int>{} << 300 << 0 << 2 << "0:a[19,298) 1:b[300,598)";
    }
    void rowCells() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(QList<int>, widths);
        QFETCH(int, listWidth);
        QFETCH(int, scroll);
        QFETCH(int, gap);
        QFETCH(QString, expected);
        const TListColumns c = Columns(widths, listWidth, scroll, gap);
        QCOMPARE(Describe(RowCells(text, separator, c, 19 - scroll)), expected);
    }

    void cellText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first of two") << "Введение" + kSep + "Теория" << 0 << "Введение";
        QTest::newRow("second of two") << "Введение" + kSep + "Теория" << 1 << "Теория";
        QTest::newRow("past the cells") << "Введение" + kSep + "Теория" << 2 << "";
        QTest::newRow("trailing separator: no second cell") << "Введение" + kSep << 1 << "";
        QTest::newRow("no separator, second cell") << "Введение" << 1 << "";
        QTest::newRow("markup kept") << "<B>a</B>" + kSep + "<A HREF=\"x\">b</A>" << 1
                                     << "<A HREF=\"x\">b</A>";
        QTest::newRow("empty text") << "" << 0 << "";
    }
    void cellText() {
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(QString, expected);
        QCOMPARE(CellText(index, text, kSep), expected);
    }

    void columnLines_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("400 and 50, unscrolled") << QList<int>{400, 50} << 0 << QList<int>{398};
        QTest::newRow("400 and 50, scrolled by 30") << QList<int>{400, 50} << 30 << QList<int>{368};
        QTest::newRow("three columns") << QList<int>{100, 60, 50} << 0 << QList<int>{98, 158};
        QTest::newRow("one column: no line") << QList<int>{400} << 0 << QList<int>{};
        QTest::newRow("no columns") << QList<int>{} << 0 << QList<int>{};
    }
    void columnLines() {
        QFETCH(QList<int>, widths);
        QFETCH(int, scroll);
        QFETCH(QList<int>, expected);
        QCOMPARE(ColumnLineXs(Columns(widths, 600, scroll)), expected);
    }

    void columnSpan_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("inside the first") << 100 << 0 << 0 << 400;
        QTest::newRow("on the first's line") << 398 << 0 << 0 << 400;
        QTest::newRow("just past the line") << 399 << 1 << 400 << 600;
        QTest::newRow("in the last, past its nominal width") << 590 << 1 << 400 << 600;
        QTest::newRow("far beyond the list") << 5000 << 1 << 400 << 600;
    }
    void columnSpan() {
        QFETCH(int, x);
        QFETCH(int, column);
        QFETCH(int, left);
        QFETCH(int, right);
        const TColumnSpan span = ColumnSpanAt(Columns({400, 50}, 600), x);
        QCOMPARE(span.Column, column);
        QCOMPARE(span.Left, left);
        QCOMPARE(span.Right, right);
    }

    void headerSection_data() {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("expected");
        const QList<int> two{400, 50};
        QTest::newRow("x = 0") << two << 0 << -1;
        QTest::newRow("left of the strip") << two << -7 << -1;
        QTest::newRow("first pixel") << two << 1 << 0;
        QTest::newRow("on the first border") << two << 400 << 0;
        QTest::newRow("just right of the border") << two << 401 << 1;
        QTest::newRow("on the last border") << two << 450 << 1;
        QTest::newRow("right of all sections") << two << 900 << 1;
        QTest::newRow("no sections") << QList<int>{} << 10 << -1;
    }
    void headerSection() {
        QFETCH(QList<int>, widths);
        QFETCH(int, x);
        QFETCH(int, expected);
        QCOMPARE(HeaderSectionAt(widths, x), expected);
    }

    void bounds_data() {
        QTest::addColumn<QRect>("requested");
        QTest::addColumn<int>("headerHeight");
        QTest::addColumn<bool>("inside");
        QTest::addColumn<QRect>("list");
        QTest::addColumn<QRect>("header");
        QTest::newRow("filling a client area 364 high")
            << QRect(0, 0, 500, 364) << 18 << true << QRect(0, 16, 500, 348) << QRect(0, 0, 500, 18);
        QTest::newRow("aligned to the top, offset")
            << QRect(5, 30, 200, 100) << 24 << true << QRect(5, 52, 200, 78) << QRect(5, 30, 200, 24);
        QTest::newRow("not aligned: header just above")
            << QRect(10, 40, 300, 200) << 18 << false << QRect(10, 40, 300, 200) << QRect(10, 24, 300, 18);
    }
    void bounds() {
        QFETCH(QRect, requested);
        QFETCH(int, headerHeight);
        QFETCH(bool, inside);
        QFETCH(QRect, list);
        QFETCH(QRect, header);
        const TListBounds b = ListBounds(requested, headerHeight, inside);
        QCOMPARE(b.List, list);
        QCOMPARE(b.Header, header);
    }
};

QTEST_GUILESS_MAIN(TestTreeListLayout)
#include "test_treelist_layout.moc"
