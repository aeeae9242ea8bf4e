// coursetool search: the JSON shape scripts read, the plain output, the exit statuses, and the
// index kept in the cache folder (the test's own), never in the library.

#include "tests/CoursetoolRun.h"
#include "tests/search/SearchLibraryFixture.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

TCoursetoolRun Search(const QStringList& args) {
    return RunCoursetool(QStringLiteral(CP_COURSETOOL), QStringList{QStringLiteral("search")} + args);
}

int FileCount(const QString& folder) {
    int count = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

} // namespace

class TestCoursetoolSearch final : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString Library() const { return m_dir.filePath(QStringLiteral("library")); }
    QString Cache() const { return m_dir.filePath(QStringLiteral("cache")); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        // coursetool keeps its index in the user's cache folder: the test's own here.
        qputenv("XDG_CACHE_HOME", Cache().toUtf8());
        TSearchLibraryFixture lib(Library());
        lib.AddCourse(4, QStringLiteral("Геометрия"));
        lib.SetSection(
            4, 12,
            {{1, QStringLiteral("Теорема <B>Пифагора</B>"),
              QStringLiteral("Квадрат гипотенузы равен сумме квадратов катетов. \"Цитата\"")},
             {2, QStringLiteral("Треугольники"), QStringLiteral("Катеты и гипотенуза треугольника.")}});
        lib.SetSection(4, 2010, {{3, QStringLiteral("Задача"), QStringLiteral("Найдите гипотенузу.")}});
    }

    void json_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("stem") << QStringList{"гипотенуза"} << QStringList{"4/12/1", "4/12/2", "4/2010/3"};
        QTest::newRow("caption ranks first") << QStringList{"пифагора"} << QStringList{"4/12/1"};
        QTest::newRow("nothing") << QStringList{"гиппопотам"} << QStringList{};
        QTest::newRow("other course") << QStringList{"гипотенуза", "--course", "5"} << QStringList{};
    }
    void json() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, keys);
        const TCoursetoolRun run = Search(QStringList{Library()} + args + QStringList{"--json"});
        QCOMPARE(run.ExitCode, 0);
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(run.Out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(run.Out));
        QCOMPARE(doc.object().keys(), (QStringList{"results", "total"}));
        QCOMPARE(doc.object().value("total").toInt(), keys.size());
        QStringList found;
        for (const QJsonValue& v : doc.object().value(QStringLiteral("results")).toArray()) {
            const QJsonObject r = v.toObject();
            QCOMPARE(r.keys(), (QStringList{"caption", "course", "id", "section", "snippet"}));
            found << QStringLiteral("%1/%2/%3")
                         .arg(r.value("course").toInt())
                         .arg(r.value("section").toInt())
                         .arg(r.value("id").toInt());
        }
        if (keys.size() > 1) {
            found.sort();
            keys.sort();
        }
        QCOMPARE(found, keys);
    }

    void exactJson() {
        const TCoursetoolRun run = Search({Library(), QStringLiteral("цитата"), QStringLiteral("--json")});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(run.Out,
                 QStringLiteral("{\"total\":1,\"results\":[{\"course\":4,\"section\":12,\"id\":1,"
                                "\"caption\":\"Теорема <B>Пифагора</B>\",\"snippet\":\"Квадрат "
                                "гипотенузы равен сумме квадратов катетов. \\\"<b>Цитата</b>\\\"\"}]}\n"));
    }

    // --limit keeps the best rows; the total still counts every item found.
    void limitAndTotal_data() {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("header");
        QTest::newRow("fewer than found") << "2" << 2 << "Найдено: 3, показаны первые 2";
        QTest::newRow("as many as found") << "3" << 3 << "Найдено: 3";
        QTest::newRow("more than found") << "50" << 3 << "Найдено: 3";
    }
    void limitAndTotal() {
        QFETCH(QString, limit);
        const QStringList args{Library(), QStringLiteral("гипотенуза"), QStringLiteral("--limit"), limit};
        const TCoursetoolRun json = Search(args + QStringList{"--json"});
        QCOMPARE(json.ExitCode, 0);
        const QJsonObject doc = QJsonDocument::fromJson(json.Out.toUtf8()).object();
        QCOMPARE(doc.value("total").toInt(), 3);
        QTEST(int(doc.value("results").toArray().size()), "rows");
        const TCoursetoolRun text = Search(args);
        QTEST(text.Out.section(u'\n', 0, 0), "header");
    }

    void plainText() {
        const TCoursetoolRun run = Search({Library(), QStringLiteral("катеты")});
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Out.contains(QStringLiteral("4/12/1  Теорема Пифагора  (Геометрия)")),
                 qPrintable(run.Out));
        QVERIFY2(run.Out.contains(QStringLiteral("[катетов]")), qPrintable(run.Out));
        QCOMPARE(Search({Library(), QStringLiteral("гиппопотам")}).Out,
                 QStringLiteral("Ничего не найдено.\n"));
    }

    void indexInTheCacheOnly() {
        const int libraryFiles = FileCount(Library());
        QCOMPARE(Search({Library(), QStringLiteral("задача")}).ExitCode, 0);
        QCOMPARE(FileCount(Library()), libraryFiles);
        QVERIFY(QFileInfo::exists(Cache() + QStringLiteral("/courseplayer")));
        QVERIFY(FileCount(Cache()) > 0);
    }

    // While another program updates the index, a search that finds nothing says so, in Russian,
    // instead of claiming that the library holds nothing.
    void anotherProgramUpdating() {
        const QString library = m_dir.filePath(QStringLiteral("second"));
        TSearchLibraryFixture lib(library);
        lib.AddCourse(6, QStringLiteral("Химия"));
        const QString searchFolder =
            Cache() + QStringLiteral("/courseplayer/Проигрыватель учебных курсов/search");
        const QStringList before = QDir(searchFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(Search({library, QStringLiteral("кислота")}).Out, QStringLiteral("Ничего не найдено.\n"));
        QStringList made = QDir(searchFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString& old : before)
            made.removeAll(old);
        QCOMPARE(made.size(), 1); // the new library's index
        lib.SetSection(6, 5, {{1, QStringLiteral("Кислоты"), QStringLiteral("Серная кислота.")}});
        QLockFile other(searchFolder + u'/' + made.first() + QStringLiteral(".lock"));
        QVERIFY(other.tryLock(0));
        const TCoursetoolRun run = Search({library, QStringLiteral("кислота")});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Out.isEmpty(), qPrintable(run.Out));
        QVERIFY2(run.Err.contains(QStringLiteral("Индекс обновляется другой программой, попробуйте позже")),
                 qPrintable(run.Err));
        QVERIFY2(!run.Err.contains(QLatin1String("index")), qPrintable(run.Err)); // no English warning
        other.unlock();
        QVERIFY(Search({library, QStringLiteral("кислота")}).Out.contains(QStringLiteral("6/5/1")));
    }

    void statuses_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no query") << QStringList{"LIB"} << 2;
        QTest::newRow("nothing") << QStringList{} << 2;
        QTest::newRow("unknown option") << QStringList{"LIB", "x", "--xml"} << 2;
        QTest::newRow("bad course") << QStringList{"LIB", "x", "--course", "x"} << 2;
        QTest::newRow("bad limit") << QStringList{"LIB", "x", "--limit", "0"} << 2;
        QTest::newRow("three words") << QStringList{"LIB", "x", "y"} << 2;
        QTest::newRow("missing folder") << QStringList{"/nonexistent/library", "x"} << 1;
    }
    void statuses() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        args.replaceInStrings(QStringLiteral("LIB"), Library());
        const TCoursetoolRun run = Search(args);
        QCOMPARE(run.ExitCode, status);
        QVERIFY(run.Out.isEmpty());
        QVERIFY(!run.Err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCoursetoolSearch)
#include "test_coursetool_search.moc"
