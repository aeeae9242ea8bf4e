// coursetool collection: the output shapes scripts read, the exit statuses, and --save writing
// what the editor writes.

#include "collections/FavorFile.h"
#include "core/XmlDocument.h"
#include "tests/CoursetoolRun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Data(const char* name) {
    return QStringLiteral(CP_TEST_DATA "/collections/") + QLatin1String(name);
}

// Expected JSON written with ' for " (and \\' for an escaped quote), for readability.
QString J(const QString& text) {
    return QString(text).replace(u'\'', u'"');
}

using TRun = TCoursetoolRun;

TRun Coursetool(const QStringList& args) {
    return RunCoursetool(QStringLiteral(CP_COURSETOOL), QStringList{QStringLiteral("collection")} + args);
}

QString GoodItems() {
    return QStringLiteral(
        "{'items':[{'course':3,'folder':12,'id':15,'caption':'<B>Тема</B> & "
        "\\'кавычки\\'','section':'Теоретические материалы'},"
        "{'course':3,'folder':2010,'id':7,'caption':'Задача','section':'Учебные задания'},"
        "{'course':0,'folder':8,'id':2,'caption':'скрытый','section':'Понятийный аппарат'},"
        "{'course':4,'folder':2010,'id':7,'caption':'Задача курса 4','section':'Учебные задания'},"
        "{'course':3,'folder':7,'id':1,'caption':'Ресурс 😀','section':'Вспомогательные ресурсы'}],");
}
QString GoodLists() {
    return QStringLiteral("'favorList':'#3;12;15$3;2010;7$4;2010;7$3;7;1','theoryList':'#3;12;15',");
}

} // namespace

class TestCoursetoolCollection final : public QObject {
    Q_OBJECT
private slots:
    void json_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("status");
        QTest::newRow("good file") << QStringList{Data("good.sff")}
                                   << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':null}\n")
                                   << 0;
        QTest::newRow("tasks of course 3")
            << QStringList{Data("good.sff"), QStringLiteral("--library"), Data("library"),
                           QStringLiteral("--course"), QStringLiteral("3")}
            << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':'12_1;13_2;'}\n") << 0;
        QTest::newRow("tasks of course 4, library with a slash")
            << QStringList{Data("good.sff"), QStringLiteral("--course"), QStringLiteral("4"),
                           QStringLiteral("--library"), Data("library/")}
            << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':'40_3;'}" + "\n") << 0;
        QTest::newRow("a course without tasks in the collection")
            << QStringList{Data("good.sff"), QStringLiteral("--library"), Data("library"),
                           QStringLiteral("--course"), QStringLiteral("9")}
            << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':''}" + "\n") << 0;
        QTest::newRow("course without library")
            << QStringList{Data("good.sff"), QStringLiteral("--course"), QStringLiteral("3")}
            << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':null}" + "\n") << 0;
        QTest::newRow("task page missing")
            << QStringList{Data("good.sff"), QStringLiteral("--library"), Data("."),
                           QStringLiteral("--course"), QStringLiteral("3")}
            << J(GoodItems() + "'error':null," + GoodLists() + "'taskList':null}" + "\n") << 1;
        QTest::newRow("stops at the third item")
            << QStringList{Data("broken.sff")}
            << J("{'items':[{'course':3,'folder':12,'id':15,'caption':'раз','section':'Теоретические "
                 "материалы'},"
                 "{'course':3,'folder':8,'id':1,'caption':'два','section':'Понятийный аппарат'}],"
                 "'error':'Ошибка загрузки файла','favorList':'#3;12;15$3;8;1','theoryList':'#3;12;15$3;8;1',"
                 "'taskList':null}"
                 "\n")
            << 1;
        const QString nothing =
            J("{'items':[],'error':'Ошибка загрузки файла','favorList':'','theoryList':'','taskList':null}"
              "\n");
        QTest::newRow("not well-formed") << QStringList{Data("notxml.sff")} << nothing << 1;
        QTest::newRow("no such file") << QStringList{Data("none.sff")} << nothing << 1;
    }
    void json() {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QFETCH(int, status);
        const TRun run = Coursetool(args + QStringList{QStringLiteral("--json")});
        QCOMPARE(run.Out, expected);
        QCOMPARE(run.ExitCode, status);
    }

    void text() {
        const TRun run = Coursetool({Data("broken.sff")});
        QCOMPARE(run.ExitCode, 1);
        QCOMPARE(run.Out,
                 QStringLiteral("3;12;15\tраз\tТеоретические материалы\n3;8;1\tдва\tПонятийный аппарат\n"
                                "favorList: #3;12;15$3;8;1\ntheoryList: #3;12;15$3;8;1\n"));
        QVERIFY(run.Err.contains(QStringLiteral("Ошибка загрузки файла")));
        QVERIFY(run.Err.contains(QStringLiteral("восемь")));
    }

    void badArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{};
        QTest::newRow("only options") << QStringList{QStringLiteral("--json")};
        QTest::newRow("course not a number")
            << QStringList{Data("good.sff"), QStringLiteral("--course"), QStringLiteral("три")};
        QTest::newRow("course without value") << QStringList{Data("good.sff"), QStringLiteral("--course")};
        QTest::newRow("empty library")
            << QStringList{Data("good.sff"), QStringLiteral("--library"), QString()};
        QTest::newRow("save without value") << QStringList{Data("good.sff"), QStringLiteral("--save")};
        QTest::newRow("unknown option") << QStringList{Data("good.sff"), QStringLiteral("--xml")};
        QTest::newRow("two files") << QStringList{Data("good.sff"), Data("broken.sff")};
    }
    void badArguments() {
        QFETCH(QStringList, args);
        const TRun run = Coursetool(args);
        QCOMPARE(run.ExitCode, 2);
        QVERIFY(run.Out.isEmpty());
        QVERIFY(run.Err.contains(QStringLiteral("usage")));
    }

    // --save writes the loaded rows exactly as the editor's own save writes them.
    void save_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("rows");
        QTest::newRow("good") << Data("good.sff") << 0 << 5;
        QTest::newRow("stopped: the rows before the bad item") << Data("broken.sff") << 1 << 2;
    }
    void save() {
        QFETCH(QString, file);
        QFETCH(int, status);
        QFETCH(int, rows);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out.sff"));
        const TRun run = Coursetool({file, QStringLiteral("--save"), out});
        QCOMPARE(run.ExitCode, status);
        TXMLDocument doc;
        const TFavorLoadResult loaded = LoadFavorFile(doc, file);
        QCOMPARE(int(loaded.Records.size()), rows);
        const QString expected = dir.filePath(QStringLiteral("expected.sff"));
        SaveFavorFile(doc, loaded.Records, expected);
        QFile a(out), b(expected);
        QVERIFY(a.open(QIODevice::ReadOnly));
        QVERIFY(b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());
    }

    void saveNothingWhenNothingLoaded() {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out.sff"));
        QCOMPARE(Coursetool({Data("notxml.sff"), QStringLiteral("--save"), out}).ExitCode, 1);
        QVERIFY(!QFile::exists(out));
    }

    void saveFailureIsReported() {
        const TRun run =
            Coursetool({Data("good.sff"), QStringLiteral("--save"), QStringLiteral("/proc/out.sff")});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY(run.Err.contains(QStringLiteral("/proc/out.sff")));
    }
};

QTEST_GUILESS_MAIN(TestCoursetoolCollection)
#include "test_coursetool_collection.moc"
