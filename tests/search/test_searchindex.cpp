// The search index over a small library written by the test: Russian word forms, ё, case,
// phrases, prefixes, ranking, the course filter, snippets, incremental updates, damaged and
// old indexes, a read-only library, and updates on the worker thread.

// Xapian before Qt: Qt's keyword macros (emit, slots) would break Xapian's headers.
#include <xapian.h>

#include "search/SearchIndex.h"
#include "tests/search/SearchLibraryFixture.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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
        QTest::newRow("course without such words") << "гаусса" << 1 << QStringList{} << true;
        QTest::newRow("no page has both: either")
            << "пифагора гаусса" << -1 << QStringList{"1/5/1", "1/2010/7", "2/12/11"} << false;
        QTest::newRow("excluded word")
            << "теорема -пифагора" << -1 << QStringList{"1/5/3", "2/12/11"} << false;
        QTest::newRow("script text is not searched") << "скрипт" << -1 << QStringList{} << true;
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

    // A damaged index is replaced silently by a new one on the next update.
    void damagedIndex_data() {
        QTest::addColumn<QString>("file");  // in the index folder
        QTest::addColumn<int>("keepBytes"); // the file is cut to this size, then garbage is added
        QTest::newRow("version file garbage") << "0/iamglass" << 0;
        QTest::newRow("version file cut") << "1/iamglass" << 10;
        QTest::newRow("postings garbage") << "0/postlist.glass" << 0;
        QTest::newRow("postings cut") << "1/postlist.glass" << 100;
        QTest::newRow("document data garbage") << "0/docdata.glass" << 0;
        QTest::newRow("term lists garbage") << "1/termlist.glass" << 0;
        QTest::newRow("positions garbage") << "0/position.glass" << 0;
    }
    void damagedIndex() {
        QFETCH(QString, file);
        QFETCH(int, keepBytes);
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        const QString indexFolder = dir.filePath(QStringLiteral("index"));
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

    void oldFormatIndexRebuilt_data() {
        QTest::addColumn<QString>("database"); // where the old index lies in the index folder
        QTest::addColumn<QString>("format");
        QTest::newRow("one database in the folder") << ""
                                                    << "1";
        QTest::newRow("older format in a shard") << "0"
                                                 << "1";
        QTest::newRow("no format in a shard") << "1"
                                              << "";
        QTest::newRow("future format") << "0"
                                       << "99";
    }
    void oldFormatIndexRebuilt() {
        QFETCH(QString, database);
        QFETCH(QString, format);
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        const QString indexFolder = dir.filePath(QStringLiteral("index"));
        if (!database.isEmpty())
            TSearchIndex(lib.Folder(), indexFolder).UpdateNow();
        {
            // An index of another format, holding a document the current one would not have.
            Xapian::WritableDatabase old((indexFolder + u'/' + database).toStdString(),
                                         Xapian::DB_CREATE_OR_OPEN);
            Xapian::Document doc;
            doc.add_term("Zгаусс");
            doc.add_term("XC2");
            doc.set_data("stale");
            old.add_document(doc);
            old.set_metadata("courseplayer-search-format", format.toStdString());
            old.commit();
        }
        TSearchIndex index(lib.Folder(), indexFolder);
        QSignalSpy progress(&index, &TSearchIndex::Progress);
        index.UpdateNow();
        QCOMPARE(LastTotal(progress), 9); // every item of the corpus indexed again
        QCOMPARE(Keys(index.Search(QStringLiteral("гаусса"))), QStringList{"2/12/11"});
        int documents = 0;
        for (const QString& shard : {QStringLiteral("0"), QStringLiteral("1")})
            documents += int(Xapian::Database((indexFolder + u'/' + shard).toStdString()).get_doccount());
        QCOMPARE(documents, 9);
        QVERIFY(!QFileInfo::exists(indexFolder + QStringLiteral("/iamglass")));
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
        QTemporaryDir dir;
        TSearchLibraryFixture lib(dir.filePath(QStringLiteral("library")));
        WriteCorpus(lib);
        const QString indexFolder = dir.filePath(QStringLiteral("index"));
        TSearchIndex(lib.Folder(), indexFolder).UpdateNow();
        QVERIFY(QDir().rename(lib.Folder(), dir.filePath(QStringLiteral("away")))); // the disc taken out
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
        lib.AddCourse(3, QStringLiteral("Большой курс"));
        QList<TFixtureItem> items;
        for (int i = 1; i <= 1500; ++i)
            items.append({i, QStringLiteral("Материал %1").arg(i),
                          QStringLiteral("Текст страницы номер %1 о теореме и уравнениях.").arg(i)});
        lib.SetSection(3, 5, items);
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
