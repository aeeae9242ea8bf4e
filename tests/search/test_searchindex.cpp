// The search index over a small library written by the test: Russian word forms, ё, case,
// phrases, prefixes, ranking, the course filter, snippets, incremental updates, damaged and
// old indexes, a read-only library, and updates on the worker thread.

#include "search/SearchIndex.h"
#include "tests/search/SearchLibraryFixture.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QLockFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sqlite3.h>

namespace {

// The corpus every query test runs on.
void WriteCorpus(TSearchLibraryFixture& lib) {
    lib.AddCourse(1, QStringLiteral("Математика"));
    lib.AddCourse(2, QStringLiteral("Физика"));
    lib.SetSection(1, 5,
                   {{1, QStringLiteral("Теорема <B>Пифагора</B>"),
                     QStringLiteral("Квадрат гипотенузы равен сумме квадратов катетов.")},
                    {2, QStringLiteral("Уравнения"),
                     QStringLiteral("Решение квадратных уравнений. Уравнение второй степени.")},
                    {3, QStringLiteral("Неравенства"),
                     QStringLiteral("Система: уравнения и неравенства. Теорема Виета для корней.")},
                    {4, QStringLiteral("Ёлочные игрушки"), QStringLiteral("Новогодняя ёлка в школе и Елки.")},
                    {5, QStringLiteral("Сравнения"), QStringLiteral("Если x < y & y < z, то x < z.")}});
    lib.SetSection(1, 2010,
                   {{7, QStringLiteral("Задача о теореме"), QStringLiteral("Докажите теорему Пифагора.")}});
    lib.SetSection(
        2, 12,
        {{10, QStringLiteral("Закон Ома"), QStringLiteral("Сила тока прямо пропорциональна напряжению.")},
         {11, QStringLiteral("Электрическое поле"), QStringLiteral("Теорема Гаусса для электрического поля."),
          true},
         {12, QStringLiteral("Без страницы"), QString()}});
}

// A copy of the corpus of its own, with the folder for its index.
struct TCorpusCopy {
    QTemporaryDir Dir;
    TSearchLibraryFixture Lib{Dir.filePath(QStringLiteral("library"))};
    QString IndexFolder = Dir.filePath(QStringLiteral("index"));
    TCorpusCopy() { WriteCorpus(Lib); }
};

// Course 3, section 5: `count` items, the page of item i reading `page` with i for %1.
QList<TFixtureItem> WriteLargeCourse(TSearchLibraryFixture& lib, int count, const QString& page) {
    lib.AddCourse(3, QStringLiteral("Большой курс"));
    QList<TFixtureItem> items;
    for (int i = 1; i <= count; ++i)
        items.append({i, QStringLiteral("Материал %1").arg(i), page.arg(i)});
    lib.SetSection(3, 5, items);
    return items;
}

QString Key(const TSearchHit& hit) {
    return QStringLiteral("%1/%2/%3").arg(hit.Course).arg(hit.Section).arg(hit.ID);
}

QStringList Keys(const std::vector<TSearchHit>& hits) {
    QStringList keys;
    for (const TSearchHit& hit : hits)
        keys << Key(hit);
    return keys;
}

// Every file below a folder with its size and time: what "nothing written" is checked against.
QStringList Snapshot(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QStringLiteral("%1 %2 %3")
                       .arg(info.filePath())
                       .arg(info.isDir() ? -1 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

void SetWritable(const QString& folder, bool writable) {
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (it.hasNext())
        paths << it.next();
    for (const QString& path : paths) {
        QFile::Permissions p = QFile::permissions(path);
        const QFile::Permissions write =
            QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        QFile::setPermissions(path, writable ? p | QFile::WriteOwner | QFile::WriteUser : p & ~write);
    }
}

// The total of the last Progress signal of an update: how many items it (re)indexed.
int LastTotal(const QSignalSpy& spy) {
    return spy.isEmpty() ? -1 : spy.last().at(1).toInt();
}

} // namespace

class TestSearchIndex final : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<TSearchIndex> m_index; // over the corpus, built once

    QString LibraryFolder() const { return m_dir.filePath(QStringLiteral("library")); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        TSearchLibraryFixture lib(LibraryFolder());
        WriteCorpus(lib);
        m_index = std::make_unique<TSearchIndex>(LibraryFolder(), m_dir.filePath(QStringLiteral("index")));
        m_index->UpdateNow();
    }

    void cleanupTestCase() { m_index.reset(); }

    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("course");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("ordered"); // false: the same items in any order

        QTest::newRow("stem finds the forms, caption first")
            << "уравнение" << -1 << QStringList{"1/5/2", "1/5/3"} << true;
        QTest::newRow("another form") << "уравнений" << -1 << QStringList{"1/5/2", "1/5/3"} << true;
        QTest::newRow("capitals") << "УРАВНЕНИЯ" << -1 << QStringList{"1/5/2", "1/5/3"} << true;
        QTest::newRow("ё in the query") << "ёлка" << -1 << QStringList{"1/5/4"} << true;
        QTest::newRow("е in the query, ё in the page") << "елка" << -1 << QStringList{"1/5/4"} << true;
        QTest::newRow("ё in the caption") << "елочные" << -1 << QStringList{"1/5/4"} << true;
        QTest::newRow("caption markup is not a word") << "b" << -1 << QStringList{} << true;
        QTest::newRow("both words") << "теорема пифагора" << -1 << QStringList{"1/5/1", "1/2010/7"} << false;
        QTest::newRow("phrase") << "\"теорема пифагора\"" << -1 << QStringList{"1/5/1"} << true;
        QTest::newRow("phrase in the page") << "\"теорема виета\"" << -1 << QStringList{"1/5/3"} << true;
        QTest::newRow("phrase in the wrong order") << "\"виета теорема\"" << -1 << QStringList{} << true;
        QTest::newRow("phrase across caption and page")
            << "\"пифагора квадрат\"" << -1 << QStringList{} << true;
        QTest::newRow("prefix") << "теорем*" << -1 << QStringList{"1/5/1", "1/5/3", "1/2010/7", "2/12/11"}
                                << false;
        QTest::newRow("prefix in capitals") << "ГИПОТЕН*" << -1 << QStringList{"1/5/1"} << true;
        QTest::newRow("page through its stylesheet") << "гаусса" << -1 << QStringList{"2/12/11"} << true;
        QTest::newRow("item without a page, by caption")
            << "страницы" << -1 << QStringList{"2/12/12"} << true;
        QTest::newRow("course filter") << "теорема" << 2 << QStringList{"2/12/11"} << true;
        QTest::newRow("course filter, other course")
            << "теорема" << 1 << QStringList{"1/5/1", "1/5/3", "1/2010/7"} << false;
        QTest::newRow("course filter, either word")
            << "гаусса ома" << 2 << QStringList{"2/12/10", "2/12/11"} << false;
        QTest::newRow("course filter, prefix") << "теорем*" << 2 << QStringList{"2/12/11"} << true;
        QTest::newRow("course filter, phrase") << "\"теорема пифагора\"" << 1 << QStringList{"1/5/1"} << true;
        QTest::newRow("course filter, phrase elsewhere")
            << "\"теорема пифагора\"" << 2 << QStringList{} << true;
        QTest::newRow("course without such words") << "гаусса" << 1 << QStringList{} << true;
        QTest::newRow("no page has both: either")
            << "пифагора гаусса" << -1 << QStringList{"1/5/1", "1/2010/7", "2/12/11"} << false;
        QTest::newRow("excluded word")
            << "теорема -пифагора" << -1 << QStringList{"1/5/3", "2/12/11"} << false;
        QTest::newRow("script text is not searched") << "скрипт" << -1 << QStringList{} << true;
        QTest::newRow("search syntax is only text")
            << "body:гаусса NEAR(" << -1 << QStringList{"2/12/11"} << true;
        QTest::newRow("stray brackets and stars") << "(гаусс*))" << -1 << QStringList{"2/12/11"} << true;
        QTest::newRow("the course filter's marks are not words") << "c1 c2" << -1 << QStringList{} << true;
        QTest::newRow("unbalanced quote") << "\"теорема виета" << -1 << QStringList{"1/5/3"} << true;
        QTest::newRow("nothing") << "гиппопотам" << -1 << QStringList{} << true;
        QTest::newRow("empty") << "   " << -1 << QStringList{} << true;
    }
    void search() {
        QFETCH(QString, query);
        QFETCH(int, course);
        QFETCH(QStringList, expected);
        QFETCH(bool, ordered);
        const std::vector<TSearchHit> hits = m_index->Search(query, course);
        QStringList keys = Keys(hits);
        if (!ordered) {
            keys.sort();
            expected.sort();
        }
        QCOMPARE(keys, expected);
        for (size_t i = 1; i < hits.size(); ++i)
            QVERIFY(hits[i - 1].Relevance >= hits[i].Relevance);
    }

    void hitFields() {
        const std::vector<TSearchHit> hits = m_index->Search(QStringLiteral("пифагора"), 1);
        QVERIFY(!hits.empty());
        const TSearchHit& hit = hits.front();
        QCOMPARE(Key(hit), QStringLiteral("1/5/1"));
        QCOMPARE(hit.CourseName, QStringLiteral("Математика"));
        QCOMPARE(hit.Caption, QStringLiteral("Теорема <B>Пифагора</B>"));
        QVERIFY(hit.Relevance > 0);
        QVERIFY(m_index->Search(QStringLiteral("пифагора"), -1, 1).size() == 1);
    }

    void snippet_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("part");
        QTest::newRow("hit marked") << "гипотенузы"
                                    << "<b>гипотенузы</b>";
        QTest::newRow("form marked by stem") << "уравнение"
                                             << "<b>уравнений</b>";
        QTest::newRow("capital form marked") << "решения"
                                             << "<b>Решение</b>";
        QTest::newRow("html escaped") << "сравнения"
                                      << "x &lt; y &amp; y";
        QTest::newRow("ё page marked for е query, spelt as the page") << "елка"
                                                                      << "Новогодняя <b>ёлка</b>";
        QTest::newRow("phrase marked") << "\"теорема виета\""
                                       << "<b>Теорема Виета</b>";
        QTest::newRow("prefix marked") << "гипотен*"
                                       << "<b>гипотенузы</b>";
        QTest::newRow("hit where the page begins") << "если"
                                                   << "<b>Если</b> x &lt; y &amp; y &lt; z";
        QTest::newRow("caption when no page") << "страницы"
                                              << "<b>страницы</b>";
    }
    void snippet() {
        QFETCH(QString, query);
        QFETCH(QString, part);
        const std::vector<TSearchHit> hits = m_index->Search(query);
        QVERIFY(!hits.empty());
        QVERIFY2(hits.front().Snippet.contains(part), qPrintable(hits.front().Snippet));
        QVERIFY(!hits.front().Snippet.contains(QStringLiteral("< y")));
    }

    void matchedWords() {
        QCOMPARE(
            m_index->MatchedWords(QStringLiteral("уравнение"), QStringLiteral("Уравнения, уравнений и ёлка")),
            (QStringList{"Уравнения", "уравнений"}));
        QCOMPARE(m_index->MatchedWords(QStringLiteral("елка"), QStringLiteral("Ёлка")), QStringList{"Ёлка"});
    }

    void unchangedLibraryReindexesNothing() {
        TSearchIndex again(LibraryFolder(), m_index->IndexFolder());
        QSignalSpy progress(&again, &TSearchIndex::Progress);
        again.UpdateNow();
        QCOMPARE(LastTotal(progress), 0);
        QCOMPARE(Keys(again.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
    }

    // Each row changes one thing in a fresh copy of the corpus and updates its index.
    void incremental_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("reindexed");
        QTest::newRow("page changed") << "change"
                                      << "катет" << QStringList{"1/5/1"} << QStringList{} << 1;
        QTest::newRow("page changed, new word")
            << "change"
            << "треугольник" << QStringList{} << QStringList{"1/5/1"} << 1;
        QTest::newRow("page deleted") << "delete page"
                                      << "гипотенузы" << QStringList{"1/5/1"} << QStringList{} << 1;
        QTest::newRow("item removed from the tree")
            << "remove item"
            << "гипотенузы" << QStringList{"1/5/1"} << QStringList{} << 0;
        QTest::newRow("item added") << "add item"
                                    << "косинусов" << QStringList{} << QStringList{"1/5/6"} << 1;
        QTest::newRow("caption changed") << "caption"
                                         << "катеты" << QStringList{"1/5/1"} << QStringList{"1/5/1"} << 1;
        QTest::newRow("caption changed, old word gone")
            << "caption"
            << "теорема пифагора" << QStringList{"1/2010/7", "1/5/1"} << QStringList{"1/2010/7"} << 1;
        QTest::newRow("course removed") << "remove course"
                                        << "сила тока" << QStringList{"2/12/10"} << QStringList{} << 0;
    }
    void incremental() {
        QFETCH(QString, change);
        QFETCH(QString, query);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(int, reindexed);
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        TSearchIndex index(lib.Folder(), dir.filePath(QStringLiteral("index")));
        index.UpdateNow();
        QStringList found = Keys(index.Search(query));
        found.sort();
        QCOMPARE(found, before);

        const TFixtureItem pythagoras{1, QStringLiteral("Теорема <B>Пифагора</B>"),
                                      QStringLiteral("Квадрат гипотенузы равен сумме квадратов катетов.")};
        if (change == QLatin1String("change")) {
            lib.WritePage(1, 5, {1, pythagoras.Caption, QStringLiteral("Прямоугольный треугольник.")});
        } else if (change == QLatin1String("delete page")) {
            lib.Remove(QStringLiteral("1/5/1.xml"));
        } else if (change == QLatin1String("remove item")) {
            lib.Write(QStringLiteral("1/5/tree.xml"),
                      QStringLiteral(
                          "<tree><item id=\"2\" text=\"Уравнения\"/><item id=\"3\" text=\"Неравенства\"/>"
                          "<item id=\"4\" text=\"Ёлочные игрушки\"/><item id=\"5\" text=\"Сравнения\"/>"
                          "</tree>"));
        } else if (change == QLatin1String("add item")) {
            lib.WritePage(1, 5, {6, QString(), QStringLiteral("Теорема косинусов.")});
            lib.Write(
                QStringLiteral("1/5/tree.xml"),
                QStringLiteral("<tree><item id=\"1\" text=\"Теорема &lt;B&gt;Пифагора&lt;/B&gt;\"/>"
                               "<item id=\"2\" text=\"Уравнения\"/><item id=\"3\" text=\"Неравенства\"/>"
                               "<item id=\"4\" text=\"Ёлочные игрушки\"/><item id=\"5\" text=\"Сравнения\"/>"
                               "<item id=\"6\" text=\"Косинусы\"/></tree>"));
        } else if (change == QLatin1String("caption")) {
            lib.Write(
                QStringLiteral("1/5/tree.xml"),
                QStringLiteral("<tree><item id=\"1\" text=\"Катеты\"/>"
                               "<item id=\"2\" text=\"Уравнения\"/><item id=\"3\" text=\"Неравенства\"/>"
                               "<item id=\"4\" text=\"Ёлочные игрушки\"/><item id=\"5\" text=\"Сравнения\"/>"
                               "</tree>"));
        } else if (change == QLatin1String("remove course")) {
            lib.Remove(QStringLiteral("course2.xml"));
        }

        QSignalSpy progress(&index, &TSearchIndex::Progress);
        QSignalSpy updated(&index, &TSearchIndex::Updated);
        index.UpdateNow();
        QCOMPARE(updated.size(), 1);
        QCOMPARE(LastTotal(progress), reindexed);
        found = Keys(index.Search(query));
        found.sort();
        QCOMPARE(found, after);
    }

    // Small updates merge a bounded share of the index each time; many of them in a row leave
    // every page findable as it is now, and none as it was.
    void manySmallUpdates() {
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        QList<TFixtureItem> items = WriteLargeCourse(lib, 40, QStringLiteral("Страница слово%1."));
        TSearchIndex index(lib.Folder(), dir.filePath(QStringLiteral("index")));
        index.UpdateNow();
        for (int round = 1; round <= 12; ++round) {
            items[round].PageBody = QStringLiteral("Страница новое%1.").arg(round);
            lib.WritePage(3, 5, items[round]);
            QSignalSpy progress(&index, &TSearchIndex::Progress);
            index.UpdateNow();
            QCOMPARE(LastTotal(progress), 1);
        }
        for (int i = 1; i <= 40; ++i) {
            const bool changed = i >= 2 && i <= 13;
            const QString now =
                changed ? QStringLiteral("новое%1").arg(i - 1) : QStringLiteral("слово%1").arg(i);
            QCOMPARE(Keys(index.Search(now)), QStringList{QStringLiteral("3/5/%1").arg(i)});
            if (changed)
                QVERIFY(index.Search(QStringLiteral("слово%1").arg(i)).empty());
        }
    }

    // A damaged index is replaced silently by a new one on the next update.
    void damagedIndex_data() {
        QTest::addColumn<QString>("file");  // in the index folder
        QTest::addColumn<int>("keepBytes"); // the file is cut to this size, then garbage is added
        QTest::newRow("header garbage") << "0.db" << 0;
        QTest::newRow("header cut") << "1.db" << 10;
        QTest::newRow("table of tables damaged") << "0.db" << 100;
        QTest::newRow("tables cut off") << "1.db" << 4096;
    }
    void damagedIndex() {
        QFETCH(QString, file);
        QFETCH(int, keepBytes);
        TCorpusCopy copy;
        TSearchLibraryFixture& lib = copy.Lib;
        const QString& indexFolder = copy.IndexFolder;
        TSearchIndex(lib.Folder(), indexFolder).UpdateNow();

        QFile damaged(indexFolder + u'/' + file);
        QVERIFY(damaged.exists());
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        QVERIFY(damaged.resize(keepBytes));
        damaged.seek(keepBytes);
        damaged.write(QByteArray(8192, '\x5a'));
        damaged.close();

        TSearchIndex index(lib.Folder(), indexFolder);
        index.Search(QStringLiteral("гаусса")); // must not crash or throw, whatever it finds
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
        QStringList found = Keys(index.Search(QStringLiteral("уравнение")));
        QCOMPARE(found, (QStringList{"1/5/2", "1/5/3"}));
    }

    // A search that comes upon damage the update did not see has the next update build anew.
    void damageFoundBySearch() {
        TCorpusCopy copy;
        TSearchLibraryFixture& lib = copy.Lib;
        const QString& indexFolder = copy.IndexFolder;
        TSearchIndex index(lib.Folder(), indexFolder);
        index.UpdateNow();
        QVERIFY(!index.Search(QStringLiteral("гаусса")).empty());
        for (const QString& shard : {QStringLiteral("0.db"), QStringLiteral("1.db")}) {
            QFile file(indexFolder + u'/' + shard);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(0));
            file.write(QByteArray(8192, '\x5a'));
        }
        QVERIFY(index.Search(QStringLiteral("гаусса")).empty());
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
    }

    // Quitting does not wait for a page that takes long to read: destroying the index cancels the
    // page being transformed and the update, and the part written before stays usable.
    void destroyedDuringALongPage() {
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        lib.AddCourse(1, QStringLiteral("Курс"));
        QList<TFixtureItem> items;
        for (int i = 1; i <= 6; ++i)
            items.append({i, QStringLiteral("Долгая страница %1").arg(i), QString()});
        lib.SetSection(1, 5, items);
        // Each page costs the square of its size: minutes without a bound, seconds with one.
        lib.Write(QStringLiteral("1/5/slow.xsl"),
                  QStringLiteral(
                      "<?xml version=\"1.0\"?>\n<xsl:stylesheet version=\"1.0\" "
                      "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"/\">"
                      "<html><body><xsl:for-each select=\"//b\"><xsl:value-of select=\"count(/page/t)\"/>"
                      "</xsl:for-each></body></html></xsl:template></xsl:stylesheet>\n"));
        const QString page = QStringLiteral("<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" "
                                            "href=\"slow.xsl\"?>\n<page>") +
                             QStringLiteral("<b/><t/>").repeated(60000) + QStringLiteral("</page>\n");
        for (int i = 1; i <= 6; ++i)
            lib.Write(QStringLiteral("1/5/%1.xml").arg(i), page);
        auto index = std::make_unique<TSearchIndex>(lib.Folder(), dir.filePath(QStringLiteral("index")));
        index->StartUpdate();
        QTest::qWait(700); // the update is inside a page by now
        QElapsedTimer timer;
        timer.start();
        index.reset();
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    }

    // Damage that only a search meets, and files that no update can open, are mended by the next
    // update, also in the next run of the program (coursetool searches once and exits).
    void damageIsMendedByTheNextUpdate_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("a page of the postings zeroed") << "postings";
        QTest::newRow("a shard replaced by a folder") << "shard folder";
        QTest::newRow("the index folder replaced by a file") << "index file";
    }
    void damageIsMendedByTheNextUpdate() {
        QFETCH(QString, damage);
        TCorpusCopy copy;
        const QString& indexFolder = copy.IndexFolder;
        TSearchIndex(copy.Lib.Folder(), indexFolder).UpdateNow();
        if (damage == QLatin1String("postings")) {
            // The header and the table of tables stay whole; the update reads neither postings
            // nor snippets of an unchanged library, so only a search meets the damage.
            for (const QString& shard : {QStringLiteral("0.db"), QStringLiteral("1.db")}) {
                const QByteArray path = QFile::encodeName(indexFolder + u'/' + shard);
                sqlite3* db = nullptr;
                QCOMPARE(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
                sqlite3_stmt* root = nullptr;
                QCOMPARE(sqlite3_prepare_v2(db,
                                            "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM "
                                            "sqlite_schema WHERE name = 'pages_data'",
                                            -1, &root, nullptr),
                         SQLITE_OK);
                QCOMPARE(sqlite3_step(root), SQLITE_ROW);
                const qint64 offset = (sqlite3_column_int64(root, 0) - 1) * sqlite3_column_int64(root, 1);
                const qint64 pageSize = sqlite3_column_int64(root, 1);
                sqlite3_finalize(root);
                sqlite3_close(db);
                QFile file(QFile::decodeName(path));
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.seek(offset));
                QCOMPARE(file.write(QByteArray(pageSize, '\0')), pageSize);
            }
            TSearchIndex damaged(copy.Lib.Folder(), indexFolder);
            damaged.UpdateNow();
            QVERIFY(damaged.Search(QStringLiteral("гаусса")).empty());
        } else if (damage == QLatin1String("shard folder")) {
            QVERIFY(QFile::remove(indexFolder + QStringLiteral("/1.db")));
            QVERIFY(QDir().mkpath(indexFolder + QStringLiteral("/1.db/x")));
        } else {
            QVERIFY(QDir(indexFolder).removeRecursively());
            QFile file(indexFolder);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not an index");
        }
        // The next run of the program.
        TSearchIndex index(copy.Lib.Folder(), indexFolder);
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
        QCOMPARE(Keys(index.Search(QStringLiteral("уравнение"))), (QStringList{"1/5/2", "1/5/3"}));
    }

    // Indexes of other layouts and formats in the index folder are replaced as a whole.
    void oldFormatIndexRebuilt_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("first versions: one database in the folder") << "folder";
        QTest::newRow("first versions: shard folders") << "shard folders";
        QTest::newRow("older format in a shard") << "version 2";
        QTest::newRow("future format") << "version 99";
        QTest::newRow("another program's database") << "foreign";
    }
    void oldFormatIndexRebuilt() {
        QFETCH(QString, kind);
        TCorpusCopy copy;
        TSearchLibraryFixture& lib = copy.Lib;
        const QString& indexFolder = copy.IndexFolder;
        const auto touch = [](const QString& path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write("old index") > 0;
        };
        if (kind == QLatin1String("folder")) {
            QVERIFY(touch(indexFolder + QStringLiteral("/iamglass")));
        } else if (kind == QLatin1String("shard folders")) {
            QVERIFY(touch(indexFolder + QStringLiteral("/0/iamglass")));
            QVERIFY(touch(indexFolder + QStringLiteral("/1/iamglass")));
        } else {
            TSearchIndex(lib.Folder(), indexFolder).UpdateNow();
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(indexFolder + QStringLiteral("/0.db")).constData(), &db),
                     SQLITE_OK);
            // A stale item the current index would not have, then the mark of the format.
            QCOMPARE(sqlite3_exec(db,
                                  "INSERT INTO items(key, stamp, course, course_name, section, item, caption)"
                                  " VALUES('9/5/1', 'x', 9, 'Старый', 5, 1, 'гаусс')",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            const QByteArray mark = kind == QLatin1String("foreign") ? "PRAGMA application_id=0"
                                    : kind.endsWith(u'2')            ? "PRAGMA user_version=2"
                                                                     : "PRAGMA user_version=99";
            QCOMPARE(sqlite3_exec(db, mark.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        TSearchIndex index(lib.Folder(), indexFolder);
        QSignalSpy progress(&index, &TSearchIndex::Progress);
        index.UpdateNow();
        QCOMPARE(LastTotal(progress), 9); // every item of the corpus indexed again
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
        int items = 0;
        for (const QString& shard : {QStringLiteral("0.db"), QStringLiteral("1.db")}) {
            sqlite3* db = nullptr;
            QCOMPARE(sqlite3_open_v2(QFile::encodeName(indexFolder + u'/' + shard).constData(), &db,
                                     SQLITE_OPEN_READONLY, nullptr),
                     SQLITE_OK);
            sqlite3_stmt* count = nullptr;
            QCOMPARE(sqlite3_prepare_v2(db, "SELECT count(*) FROM items", -1, &count, nullptr), SQLITE_OK);
            QCOMPARE(sqlite3_step(count), SQLITE_ROW);
            items += sqlite3_column_int(count, 0);
            sqlite3_finalize(count);
            sqlite3_close(db);
        }
        QCOMPARE(items, 9);
        QVERIFY(!QFileInfo::exists(indexFolder + QStringLiteral("/iamglass")));
        QVERIFY(!QFileInfo::exists(indexFolder + QStringLiteral("/0/iamglass")));
    }

    // One update of an index at a time: another program's update leaves it alone.
    void lockedIndexIsLeftAlone() {
        TCorpusCopy copy;
        TSearchLibraryFixture& lib = copy.Lib;
        const QString& indexFolder = copy.IndexFolder;
        TSearchIndex index(lib.Folder(), indexFolder);
        {
            QLockFile other(indexFolder + QStringLiteral(".lock"));
            QVERIFY(other.tryLock(0));
            QSignalSpy updated(&index, &TSearchIndex::Updated);
            index.UpdateNow();
            QCOMPARE(updated.size(), 1);
            QVERIFY(index.Search(QStringLiteral("гаусса")).empty());
            QVERIFY(!QFileInfo::exists(indexFolder + QStringLiteral("/0.db")));
        }
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
    }

    void readOnlyLibrary() {
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        SetWritable(lib.Folder(), false);
        const QStringList before = Snapshot(lib.Folder());
        {
            // An index asked for inside the library goes to the cache folder instead.
            TSearchIndex inside(lib.Folder(), lib.Folder() + QStringLiteral("/index"));
            QVERIFY(!inside.IndexFolder().startsWith(lib.Folder()));
            QVERIFY(inside.IndexFolder().startsWith(
                QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                QStringLiteral("/search/")));
            inside.UpdateNow();
            QCOMPARE(Keys(inside.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
            QDir(inside.IndexFolder()).removeRecursively();
        }
        TSearchIndex index(lib.Folder(), dir.filePath(QStringLiteral("index")));
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
        QCOMPARE(Snapshot(lib.Folder()), before);
        SetWritable(lib.Folder(), true);
    }

    void defaultFolderIsPerLibrary() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a"));
        const QString b = dir.filePath(QStringLiteral("b"));
        QDir().mkpath(a);
        QDir().mkpath(b);
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QVERIFY(TSearchIndex(a).IndexFolder().startsWith(cache + QStringLiteral("/search/")));
        QVERIFY(TSearchIndex(a).IndexFolder() != TSearchIndex(b).IndexFolder());
        // The same library by another spelling of its path shares the index.
        QCOMPARE(TSearchIndex(a + QStringLiteral("/")).IndexFolder(), TSearchIndex(a).IndexFolder());
        QCOMPARE(TSearchIndex(b + QStringLiteral("/../a")).IndexFolder(), TSearchIndex(a).IndexFolder());
    }

    void missingLibraryKeepsItsIndex() {
        TCorpusCopy copy;
        TSearchLibraryFixture& lib = copy.Lib;
        const QString& indexFolder = copy.IndexFolder;
        TSearchIndex(lib.Folder(), indexFolder).UpdateNow();
        QVERIFY(QDir().rename(lib.Folder(), copy.Dir.filePath(QStringLiteral("away")))); // the disc taken out
        TSearchIndex index(lib.Folder(), indexFolder);
        index.UpdateNow();
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
    }

    void backgroundUpdate() {
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        TSearchIndex index(lib.Folder(), dir.filePath(QStringLiteral("index")));
        QList<QThread*> threads;
        connect(&index, &TSearchIndex::Progress, this, [&threads] { threads << QThread::currentThread(); });
        QSignalSpy updated(&index, &TSearchIndex::Updated);
        index.StartUpdate();
        QVERIFY(index.IsUpdating());             // until Updated is emitted
        index.Search(QStringLiteral("теорема")); // searchable meanwhile
        QVERIFY(updated.wait(60000));
        QVERIFY(!index.IsUpdating());
        QVERIFY(!threads.isEmpty());
        for (QThread* t : threads)
            QCOMPARE(t, QThread::currentThread());
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
    }

    // Destroying the index while its update runs stops the update; the partial index is usable.
    void destroyedDuringUpdate() {
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteLargeCourse(lib, 1500, QStringLiteral("Текст страницы номер %1 о теореме и уравнениях."));
        const QString indexFolder = dir.filePath(QStringLiteral("index"));
        for (int round = 0; round < 3; ++round) {
            auto index = std::make_unique<TSearchIndex>(lib.Folder(), indexFolder);
            QSignalSpy progress(index.get(), &TSearchIndex::Progress);
            index->StartUpdate();
            if (round > 0)
                progress.wait(30000);
            index.reset();
        }
        TSearchIndex index(lib.Folder(), indexFolder);
        index.UpdateNow();
        QCOMPARE(int(index.Search(QStringLiteral("теорема"), -1, 5000).size()), 1500);
    }
};

QTEST_MAIN(TestSearchIndex)
#include "test_searchindex.moc"
