// The columns of the markup tree list: every change of a column, and adding or removing one,
// is reported once (the list rebuilds its header then), a width stored from the header is not,
// and a new column starts with the list's font.

#include "markuptree/TreeListColumns.h"

#include <QTest>
#include <functional>
#include <map>

class TestTreeListColumns final : public QObject {
    Q_OBJECT
private slots:
    void changesReported_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("reports");
        QTest::newRow("width") << "width" << 1;
        QTest::newRow("caption") << "caption" << 1;
        QTest::newRow("font") << "font" << 1;
        QTest::newRow("new column") << "add" << 1;
        QTest::newRow("new column with caption and width") << "add2" << 1;
        QTest::newRow("removed column") << "delete" << 1;
        QTest::newRow("removing past the end") << "delete9" << 0;
        QTest::newRow("cleared") << "clear" << 1;
        QTest::newRow("assigned from another") << "assign" << 1;
        QTest::newRow("width from the header") << "store" << 0;
        QTest::newRow("three changes in one update") << "batch" << 1;
    }
    void changesReported() {
        QFETCH(QString, change);
        QFETCH(int, reports);
        int changed = 0;
        QFont listFont(QStringLiteral("Tahoma"));
        listFont.setPixelSize(13);
        TColumnCollection columns([&] { ++changed; }, [&] { return listFont; });
        columns.Add(QStringLiteral("Элемент"), 400);
        columns.Add(QStringLiteral("Раздел"), 50);
        changed = 0;
        QFont bold = listFont;
        bold.setBold(true);
        const std::map<QString, std::function<void()>> actions{
            {"width", [&] { columns[0]->SetWidth(300); }},
            {"caption", [&] { columns[1]->SetHeader(QStringLiteral("<B>Раздел</B>")); }},
            {"font", [&] { columns[1]->SetFont(bold); }},
            {"add", [&] { columns.Add(); }},
            {"add2", [&] { columns.Add(QStringLiteral("Третий"), 70); }},
            {"delete", [&] { columns.Delete(0); }},
            {"delete9", [&] { columns.Delete(9); }},
            {"clear", [&] { columns.Clear(); }},
            {"assign", [&] { columns[1]->Assign(*columns[0]); }},
            {"store", [&] { columns.StoreWidth(0, 120); }},
            {"batch",
             [&] {
                 columns.BeginUpdate();
                 columns[0]->SetWidth(1);
                 columns[1]->SetWidth(2);
                 columns.Add();
                 columns.EndUpdate();
             }},
        };
        actions.at(change)();
        QCOMPARE(changed, reports);
    }

    void columnValues() {
        QFont listFont(QStringLiteral("Tahoma"));
        listFont.setPixelSize(13);
        TColumnCollection columns({}, [&] { return listFont; });
        TColumnItem* first = columns.Add();
        QCOMPARE(first->Width(), 50);
        QCOMPARE(first->Header(), QString());
        QCOMPARE(first->Font(), listFont);
        TColumnItem* second = columns.Add(QStringLiteral("Раздел"), 80);
        QCOMPARE(second->Index(), 1);
        first->Assign(*second);
        QCOMPARE(first->Header(), QStringLiteral("Раздел"));
        QCOMPARE(first->Width(), 80);
        columns.StoreWidth(1, 33);
        QCOMPARE(second->Width(), 33);
        columns.Delete(0);
        QCOMPARE(columns.Count(), 1);
        QCOMPARE(second->Index(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTreeListColumns)
#include "test_treelist_columns.moc"
