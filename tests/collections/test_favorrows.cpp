// The collection rows and their rules, the page lists and the task list, without a window.

#include "collections/FavorLists.h"
#include "collections/FavorRows.h"
#include "core/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// "course;folder;id" for each row, joined by spaces.
QString Keys(const TFavorRows& rows) {
    QStringList out;
    for (int i = 0; i < rows.Count(); ++i)
        out << QStringLiteral("%1;%2;%3").arg(rows.At(i).Course).arg(rows.At(i).Folder).arg(rows.At(i).ID);
    return out.join(u' ');
}

// Rows from "c;f;i c;f;i ..."; captions say where each row came from.
TFavorRows Rows(const QString& layout) {
    TFavorRows rows;
    for (const QString& entry : layout.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList n = entry.split(u';');
        rows.Append({n[0].toInt(), n[1].toInt(), QStringLiteral("row %1").arg(rows.Count()), n[2].toInt()});
    }
    return rows;
}

} // namespace

class TestFavorRows final : public QObject {
    Q_OBJECT

private slots:
    void addFavor_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("added"); // course;folder;id
        QTest::addColumn<bool>("appended");
        QTest::addColumn<QString>("rows");
        QTest::newRow("into empty") << ""
                                    << "3;12;15" << true << "3;12;15";
        QTest::newRow("already there") << "3;12;15 3;8;1"
                                       << "3;12;15" << false << "3;12;15 3;8;1";
        QTest::newRow("same id, other section") << "3;12;15"
                                                << "3;8;15" << true << "3;12;15 3;8;15";
        QTest::newRow("same id, other course") << "3;12;15"
                                               << "4;12;15" << true << "3;12;15 4;12;15";
        QTest::newRow("appended last") << "1;5;1 1;5;2"
                                       << "1;5;0" << true << "1;5;1 1;5;2 1;5;0";
        QTest::newRow("loaded duplicate still blocks") << "3;12;15 3;12;15"
                                                       << "3;12;15" << false << "3;12;15 3;12;15";
    }
    void addFavor() {
        QFETCH(QString, start);
        QFETCH(QString, added);
        QFETCH(bool, appended);
        QFETCH(QString, rows);
        TFavorRows list = Rows(start);
        const QStringList n = added.split(u';');
        QCOMPARE(list.AddFavor({n[0].toInt(), n[1].toInt(), QStringLiteral("другая подпись"), n[2].toInt()}),
                 appended);
        QCOMPARE(Keys(list), rows);
    }

    void captionIsKeptFromTheFirstAdd() {
        TFavorRows list;
        QVERIFY(list.AddFavor({3, 12, QStringLiteral("первая"), 15}));
        QVERIFY(!list.AddFavor({3, 12, QStringLiteral("вторая"), 15}));
        QCOMPARE(list.At(0).Caption, QStringLiteral("первая"));
    }

    void deleteFavor_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("rows");
        QTest::newRow("middle") << "1;5;1 1;5;2 1;5;3"
                                << "1;5;2" << 1 << "1;5;1 1;5;3";
        QTest::newRow("first of two duplicates only") << "1;5;2 1;8;9 1;5;2"
                                                      << "1;5;2" << 0 << "1;8;9 1;5;2";
        QTest::newRow("not there") << "1;5;1"
                                   << "1;8;1" << -1 << "1;5;1";
        QTest::newRow("empty list") << ""
                                    << "1;8;1" << -1 << "";
    }
    void deleteFavor() {
        QFETCH(QString, start);
        QFETCH(QString, deleted);
        QFETCH(int, index);
        QFETCH(QString, rows);
        TFavorRows list = Rows(start);
        const QStringList n = deleted.split(u';');
        QCOMPARE(list.DeleteFavor({n[0].toInt(), n[1].toInt(), n[2].toInt()}), index);
        QCOMPARE(Keys(list), rows);
    }

    // After deleting one of two duplicates the other still counts; after deleting both, the
    // item can be added again.
    void identityCountFollowsDeletes() {
        TFavorRows list = Rows(QStringLiteral("1;5;2 1;5;2"));
        list.DeleteFavor({1, 5, 2});
        QVERIFY(!list.AddFavor({1, 5, QString(), 2}));
        list.DeleteFavor({1, 5, 2});
        QVERIFY(list.AddFavor({1, 5, QString(), 2}));
        list.Clear();
        QVERIFY(list.AddFavor({1, 5, QString(), 2}));
        QCOMPARE(list.Count(), 1);
    }

    void move_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("rows");
        QTest::newRow("third to first") << 2 << 0 << "1;5;3 1;5;1 1;5;2 1;5;4 1;5;5";
        QTest::newRow("second to last") << 1 << 4 << "1;5;1 1;5;3 1;5;4 1;5;5 1;5;2";
        QTest::newRow("onto itself") << 3 << 3 << "1;5;1 1;5;2 1;5;3 1;5;4 1;5;5";
        QTest::newRow("out of range") << 5 << 0 << "1;5;1 1;5;2 1;5;3 1;5;4 1;5;5";
    }
    void move() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, rows);
        TFavorRows list = Rows(QStringLiteral("1;5;1 1;5;2 1;5;3 1;5;4 1;5;5"));
        const TFavor* record = from < list.Count() ? &list.At(from) : nullptr;
        list.Move(from, to);
        QCOMPARE(Keys(list), rows);
        // The record itself travels: the same object is now at its new place.
        if (record && to < list.Count())
            QCOMPARE(&list.At(to), record);
    }

    void dropRule_data() {
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("landing");
        QTest::newRow("third onto first") << 2 << 0 << 3 << 0;
        QTest::newRow("third onto fifth") << 2 << 4 << 70 << 3;
        QTest::newRow("third below the last") << 2 << -1 << 200 << 4;
        QTest::newRow("third in the top 5 px, no row") << 2 << -1 << 4 << 0;
        QTest::newRow("third at y 5, no row") << 2 << -1 << 5 << 4;
        QTest::newRow("onto itself") << 2 << 2 << 40 << 2;
        QTest::newRow("onto the row after it") << 2 << 3 << 55 << 2;
        QTest::newRow("fifth onto second") << 4 << 1 << 20 << 1;
        QTest::newRow("nothing dragged") << -1 << 0 << 3 << -1;
    }
    void dropRule() {
        QFETCH(int, dragged);
        QFETCH(int, target);
        QFETCH(int, y);
        QFETCH(int, landing);
        QCOMPARE(RowAfterDrop(dragged, target, y, 5), landing);
    }

    void moveCommands_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        QTest::newRow("middle") << 2 << 5 << 1 << 3;
        QTest::newRow("first") << 0 << 5 << -1 << 1;
        QTest::newRow("last") << 4 << 5 << 3 << -1;
        QTest::newRow("single row") << 0 << 1 << -1 << -1;
        QTest::newRow("no selection") << -1 << 5 << -1 << -1;
    }
    void moveCommands() {
        QFETCH(int, selected);
        QFETCH(int, count);
        QFETCH(int, up);
        QFETCH(int, down);
        QCOMPARE(RowAfterUp(selected, count), up);
        QCOMPARE(RowAfterDown(selected, count), down);
    }

    void moveActionsState_data() {
        QTest::addColumn<int>("selectedCount");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("first of five") << 1 << 0 << 5 << false << true;
        QTest::newRow("middle of five") << 1 << 2 << 5 << true << true;
        QTest::newRow("last of five") << 1 << 4 << 5 << true << false;
        QTest::newRow("single row") << 1 << 0 << 1 << false << false;
        QTest::newRow("nothing selected") << 0 << -1 << 5 << false << false;
        QTest::newRow("two selected") << 2 << 2 << 5 << false << false;
    }
    void moveActionsState() {
        QFETCH(int, selectedCount);
        QFETCH(int, row);
        QFETCH(int, count);
        QFETCH(bool, up);
        QFETCH(bool, down);
        QCOMPARE(MoveActionsState(selectedCount, row, count), (TMoveActionsState{up, down}));
    }

    void pageLists_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("favorList");
        QTest::addColumn<QString>("theoryList");
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("two items") << "3;12;15 3;2010;7"
                                   << "#3;12;15$3;2010;7"
                                   << "#3;12;15";
        QTest::newRow("every section") << "1;5;1 1;7;2 1;8;3 1;12;4 1;68;5 1;2010;6 1;30;7 1;99;8"
                                       << "#1;5;1$1;7;2$1;8;3$1;12;4$1;68;5$1;2010;6$1;30;7$1;99;8"
                                       << "#1;5;1$1;8;3$1;12;4$1;68;5";
        QTest::newRow("tasks only") << "3;2010;7 3;2010;8"
                                    << "#3;2010;7$3;2010;8"
                                    << "";
        QTest::newRow("course 0 left out") << "0;12;1 3;12;15 0;5;2"
                                           << "#3;12;15"
                                           << "#3;12;15";
        QTest::newRow("only course 0") << "0;12;1"
                                       << ""
                                       << "";
        QTest::newRow("negative numbers") << "-3;12;-15"
                                          << "#-3;12;-15"
                                          << "#-3;12;-15";
    }
    void pageLists() {
        QFETCH(QString, rows);
        QFETCH(QString, favorList);
        QFETCH(QString, theoryList);
        const TFavorRows list = Rows(rows);
        QCOMPARE(FavorPageList(list), favorList);
        QCOMPARE(TheoryPageList(list), theoryList);
    }

    void pageEntry_data() {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("entry");
        QTest::newRow("item") << "3;12;15"
                              << "#3;12;15";
        QTest::newRow("task") << "3;2010;7"
                              << "#3;2010;7";
        QTest::newRow("course 0") << "0;12;15"
                                  << "";
    }
    void pageEntry() {
        QFETCH(QString, row);
        QFETCH(QString, entry);
        QCOMPARE(FavorPageEntry(Rows(row).At(0)), entry);
    }

    void taskList_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("course");
        QTest::addColumn<QString>("tasks");
        // Course 3 task 7: three tasks, the third without type. Task 8: leading zeros and bad
        // values. Course 4 task 7: its own tasks.
        QTest::newRow("one page, third lacks type") << "3;2010;7" << 3 << "12_1;13_2;";
        QTest::newRow("collection order, then document order")
            << "3;2010;8 3;12;7 3;2010;7" << 3 << "7_1;-5_0;12_1;13_2;";
        QTest::newRow("only the open course") << "4;2010;7 3;2010;7" << 4 << "40_3;";
        QTest::newRow("other sections skipped") << "3;12;7 3;8;8" << 3 << "";
        QTest::newRow("no open course") << "3;2010;7" << 0 << "";
        QTest::newRow("same page twice") << "3;2010;7 3;2010;7" << 3 << "12_1;13_2;12_1;13_2;";
    }
    void taskList() {
        QFETCH(QString, rows);
        QFETCH(int, course);
        QFETCH(QString, tasks);
        QTemporaryDir library;
        const auto write = [&](const QString& relative, const QByteArray& bytes) {
            QDir().mkpath(QFileInfo(library.filePath(relative)).path());
            QFile f(library.filePath(relative));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        write(QStringLiteral("3/2010/7.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<task_page>\n <task id=\"12\" type=\"1\"/>\n"
              " <note/>\n <task id=\"13\" type=\"2\">text</task>\n <task id=\"14\"/>\n</task_page>\n");
        write(QStringLiteral("3/2010/8.xml"),
              "<page><task id=\"007\" type=\"01\"/><task id=\"x\" type=\"1\"/><task id=\"9\" type=\"1.5\"/>"
              "<Task id=\"10\" type=\"1\"/><task id=\"-5\" type=\"+0\"/><task type=\"3\"/></page>");
        write(QStringLiteral("4/2010/7.xml"), "<page><task id=\"40\" type=\"3\"/></page>");
        TXMLDocument doc;
        const QString courseDir = library.path() + u'/' + QString::number(course) + u'/';
        QCOMPARE(FavorTaskList(Rows(rows), course, courseDir, doc), tasks);
    }

    void taskListRaisesOnBadPage_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not well-formed") << QByteArray("<page><task id=\"1\" type=\"1\"></page>");
    }
    void taskListRaisesOnBadPage() {
        QFETCH(QByteArray, page);
        QTemporaryDir library;
        QDir().mkpath(library.filePath(QStringLiteral("3/2010")));
        if (!page.isEmpty()) {
            QFile f(library.filePath(QStringLiteral("3/2010/7.xml")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(page);
        }
        TXMLDocument doc;
        QVERIFY_THROWS_EXCEPTION(TXmlError, FavorTaskList(Rows(QStringLiteral("3;2010;7")), 3,
                                                          library.path() + QStringLiteral("/3/"), doc));
    }

    void itemKeyFromURL_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("key");
        QTest::newRow("file url") << "file:///home/u/lib/3/12/15.xml" << true << "3;12;15";
        QTest::newRow("run fragment") << "file:///home/u/lib/3/2010/7.xml#run" << true << "3;2010;7";
        QTest::newRow("backslashes") << "C:\\Courses\\3\\12\\15.xml" << true << "3;12;15";
        QTest::newRow("mixed slashes") << "file:///D:/disc\\3\\8/0015.xml" << true << "3;8;15";
        QTest::newRow("extra dots") << "file:///lib/3/12/15.tar.xml" << true << "3;12;15";
        QTest::newRow("query") << "file:///lib/3/12/15.xml?x=1" << true << "3;12;15";
        QTest::newRow("runner page") << "file:///lib/3/2010/runtest.html#tid=12_1;-1" << false << "";
        QTest::newRow("web page") << "https://fipi.ru/" << false << "";
        QTest::newRow("web page with numbers") << "http://example.org/1/2/3" << false << "";
        QTest::newRow("no dot") << "file:///lib/3/12/15" << false << "";
        QTest::newRow("too few segments") << "12/15.xml" << false << "";
        QTest::newRow("blank page") << "about:blank" << false << "";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("name not a number") << "file:///lib/3/12/tree.xml" << false << "";
        QTest::newRow("presentation page") << "file:///lib/ShowFavor.htm#3;12;15" << false << "";
    }
    void itemKeyFromURL() {
        QFETCH(QString, url);
        QFETCH(bool, valid);
        QFETCH(QString, key);
        const std::optional<TFavorKey> parsed = ItemKeyFromURL(url);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(QStringLiteral("%1;%2;%3").arg(parsed->Course).arg(parsed->Folder).arg(parsed->ID), key);
    }

    void rowText_data() {
        QTest::addColumn<int>("folder");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5 << "<B>a</B>$$$$$$$Учебный курс";
        QTest::newRow("7") << 7 << "<B>a</B>$$$$$$$Вспомогательные ресурсы";
        QTest::newRow("8") << 8 << "<B>a</B>$$$$$$$Понятийный аппарат";
        QTest::newRow("12") << 12 << "<B>a</B>$$$$$$$Теоретические материалы";
        QTest::newRow("68") << 68 << "<B>a</B>$$$$$$$Дополнительные материалы";
        QTest::newRow("2010") << 2010 << "<B>a</B>$$$$$$$Учебные задания";
        QTest::newRow("30") << 30 << "<B>a</B>$$$$$$$";
        QTest::newRow("unknown") << 11 << "<B>a</B>$$$$$$$";
    }
    void rowText() {
        QFETCH(int, folder);
        QFETCH(QString, text);
        QCOMPARE(FavorRowText({1, folder, QStringLiteral("<B>a</B>"), 1}), text);
    }
};

QTEST_GUILESS_MAIN(TestFavorRows)
#include "test_favorrows.moc"
