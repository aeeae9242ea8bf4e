#include "core/DiscFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

// Paths in the tables are relative to the test's folder; "disc" holds the files of a disc written
// on Windows, "outside" what no link from the disc should reach.
class TestDiscFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString At(const QString& relative) const { return m_dir.path() + u'/' + relative; }

    void Touch(const QString& relative) {
        QDir().mkpath(QFileInfo(At(relative)).path());
        QFile f(At(relative));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture %s", qPrintable(relative));
    }

    // Sets a folder's modification time an hour back, as on a disc copied long ago, so that its
    // listing is trusted until the folder changes.
    void Age(const QString& relative) {
        const timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        if (::utimensat(AT_FDCWD, QFile::encodeName(At(relative)).constData(), times, 0) != 0)
            qFatal("cannot age %s", qPrintable(relative));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        for (const char* name :
             {"disc/COURSE.XML", "disc/1/TREE.XML", "disc/1/Images/Pic.GIF", "disc/7/12.xml",
              "disc/Dup/A.txt", "disc/Dup/a.txt", "disc/Amb/Images/only.gif", "disc/Курс/Страница.HTM",
              "disc/with\\backslash.txt", "outside/secret.txt"})
            Touch(QString::fromUtf8(name));
        QVERIFY(QDir().mkpath(At("disc/Amb/IMAGES")));
        QVERIFY(QFile::link(At("outside"), At("disc/Link")));
    }

    void find_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected"); // empty: the path comes back unchanged
        QTest::newRow("exact file") << "disc/COURSE.XML"
                                    << "disc/COURSE.XML";
        QTest::newRow("exact folder") << "disc/1/Images"
                                      << "disc/1/Images";
        QTest::newRow("file in other case") << "disc/course.xml"
                                            << "disc/COURSE.XML";
        QTest::newRow("every level in other case") << "DISC/1/images/pic.gif"
                                                   << "disc/1/Images/Pic.GIF";
        QTest::newRow("folder in other case") << "disc/1/IMAGES"
                                              << "disc/1/Images";
        QTest::newRow("trailing separator") << "disc/1/images/"
                                            << "disc/1/Images";
        QTest::newRow("backslashes") << "disc\\1\\Images\\Pic.GIF"
                                     << "disc/1/Images/Pic.GIF";
        QTest::newRow("backslashes, other case") << "disc\\1\\IMAGES\\PIC.gif"
                                                 << "disc/1/Images/Pic.GIF";
        QTest::newRow("mixed separators") << "disc/7\\..\\1/tree.xml"
                                          << "disc/7/../1/TREE.XML";
        QTest::newRow("dot-dot kept as written") << "disc/7/../1/Tree.Xml"
                                                 << "disc/7/../1/TREE.XML";
        QTest::newRow("dot dropped") << "disc/./1/./tree.xml"
                                     << "disc/1/TREE.XML";
        QTest::newRow("doubled separators") << "disc//1\\\\tree.xml"
                                            << "disc/1/TREE.XML";
        QTest::newRow("cyrillic in other case") << "disc/КУРС/страница.htm"
                                                << "disc/Курс/Страница.HTM";
        QTest::newRow("missing file") << "disc/1/images/none.gif"
                                      << "";
        QTest::newRow("missing folder") << "disc/9/12.xml"
                                        << "";
        QTest::newRow("file used as folder") << "disc/course.xml/x"
                                             << "";
        QTest::newRow("exact of two wins (upper)") << "disc/Dup/A.txt"
                                                   << "disc/Dup/A.txt";
        QTest::newRow("exact of two wins (lower)") << "disc/Dup/a.txt"
                                                   << "disc/Dup/a.txt";
        QTest::newRow("neither exact: code-point order") << "disc/dup/A.TXT"
                                                         << "disc/Dup/A.txt";
        QTest::newRow("first choice leads nowhere") << "disc/amb/images/ONLY.GIF"
                                                    << "disc/Amb/Images/only.gif";
        QTest::newRow("name with a backslash on disc") << "disc/with\\backslash.txt"
                                                       << "disc/with\\backslash.txt";
        // The helper finds files; keeping links inside the library is its callers' job, which
        // is why ".." and symlinks come back as they are for them to check.
        QTest::newRow("dot-dot out of the disc") << "disc/1/../../OUTSIDE/Secret.txt"
                                                 << "disc/1/../../outside/secret.txt";
        QTest::newRow("symlink followed") << "disc/LINK/SECRET.TXT"
                                          << "disc/Link/secret.txt";
    }
    void find() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const QString input = At(path);
        const QString found = FindDiscFile(input);
        if (expected.isEmpty()) {
            QCOMPARE(found, input);
        } else {
            QCOMPARE(found, At(expected));
            QVERIFY(QFileInfo::exists(found));
        }
    }

    void emptyAndRoot() {
        QCOMPARE(FindDiscFile(QString()), QString());
        QCOMPARE(FindDiscFile("/"), QString("/"));
        QCOMPARE(FindDiscFile("\\"), QString("\\"));
    }

    void relativeToCurrentFolder() {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(At("disc")));
        const QString found = FindDiscFile("1\\images\\PIC.gif");
        const QString up = FindDiscFile("..\\DISC\\course.xml");
        // The same relative names in another current folder are that folder's files.
        Touch("disc2/1/Images/pic.gif");
        QVERIFY(QDir::setCurrent(At("disc2")));
        const QString other = FindDiscFile("1\\images\\PIC.gif");
        QDir::setCurrent(previous);
        QCOMPARE(found, QString("1/Images/Pic.GIF"));
        QCOMPARE(up, QString("../disc/COURSE.XML"));
        QCOMPARE(other, QString("1/Images/pic.gif"));
    }

    // The cache never answers with a name that is gone nor misses one that came, whether the
    // folder's listing was read just now or long after its last change.
    void cacheFollowsChanges_data() {
        QTest::addColumn<bool>("aged");
        QTest::newRow("fresh folder") << false;
        QTest::newRow("folder unchanged for an hour") << true;
    }
    void cacheFollowsChanges() {
        QFETCH(bool, aged);
        const QString folder = QStringLiteral("changes-%1").arg(aged);
        Touch(folder + "/Old.txt");
        if (aged)
            Age(folder);
        QCOMPARE(FindDiscFile(At(folder + "/old.TXT")), At(folder + "/Old.txt"));
        QCOMPARE(FindDiscFile(At(folder + "/NEW.txt")), At(folder + "/NEW.txt"));

        Touch(folder + "/new.txt");
        QCOMPARE(FindDiscFile(At(folder + "/NEW.txt")), At(folder + "/new.txt"));

        QVERIFY(QFile::rename(At(folder + "/Old.txt"), At(folder + "/Renamed.txt")));
        QCOMPARE(FindDiscFile(At(folder + "/old.txt")), At(folder + "/old.txt"));
        QCOMPARE(FindDiscFile(At(folder + "/RENAMED.TXT")), At(folder + "/Renamed.txt"));

        // A rename that changes only the case.
        QVERIFY(QFile::rename(At(folder + "/Renamed.txt"), At(folder + "/RENAMED.txt")));
        QCOMPARE(FindDiscFile(At(folder + "/renamed.txt")), At(folder + "/RENAMED.txt"));

        QVERIFY(QFile::remove(At(folder + "/new.txt")));
        QCOMPARE(FindDiscFile(At(folder + "/NEW.txt")), At(folder + "/NEW.txt"));
    }

    // Pictures of a page share a folder written in another case; once found, the folder is
    // remembered, and forgotten when it is no longer there.
    void foundFolderFollowsChanges() {
        Touch("memo/Pics/A.gif");
        Touch("memo/Pics/b.GIF");
        QCOMPARE(FindDiscFile(At("memo/PICS/a.gif")), At("memo/Pics/A.gif"));
        QCOMPARE(FindDiscFile(At("memo/PICS/B.gif")), At("memo/Pics/b.GIF"));
        QCOMPARE(FindDiscFile(At("memo/PICS/A.gif")), At("memo/Pics/A.gif"));
        QCOMPARE(FindDiscFile(At("memo/PICS/c.gif")), At("memo/PICS/c.gif"));
        Touch("memo/Pics/C.Gif");
        QCOMPARE(FindDiscFile(At("memo/PICS/c.gif")), At("memo/Pics/C.Gif"));
        QVERIFY(QDir().rename(At("memo/Pics"), At("memo/Old")));
        QCOMPARE(FindDiscFile(At("memo/PICS/a.gif")), At("memo/PICS/a.gif"));
        Touch("memo/PiCs/a.GIF");
        QCOMPARE(FindDiscFile(At("memo/PICS/a.gif")), At("memo/PiCs/a.GIF"));
        QCOMPARE(FindDiscFile(At("memo/PICS/b.gif")), At("memo/PICS/b.gif"));
    }

    // A file added in the same tick of the file system's clock leaves the folder's mtime as it
    // was; the change still shows in its ctime, which cannot be set back.
    void cacheSeesChangeWithOldMtime() {
        Touch("sametick/First.txt");
        Age("sametick");
        QCOMPARE(FindDiscFile(At("sametick/first.txt")), At("sametick/First.txt"));
        QCOMPARE(FindDiscFile(At("sametick/second.txt")), At("sametick/second.txt"));
        struct stat before;
        QCOMPARE(::stat(QFile::encodeName(At("sametick")).constData(), &before), 0);
        Touch("sametick/Second.txt");
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(At("sametick")).constData(), times, 0), 0);
        QCOMPARE(FindDiscFile(At("sametick/second.txt")), At("sametick/Second.txt"));
    }

    // The search indexer looks up names on a worker thread while the viewer does on the GUI
    // thread; files coming and going meanwhile must give either the file or the path unchanged.
    void concurrentLookups() {
        Touch("threads/Stay.txt");
        std::atomic<bool> stop{false};
        std::atomic<int> wrong{0};
        std::vector<std::thread> readers;
        for (int t = 0; t < 4; ++t) {
            readers.emplace_back([&] {
                while (!stop) {
                    if (FindDiscFile(At("threads/STAY.TXT")) != At("threads/Stay.txt"))
                        ++wrong;
                    const QString coming = FindDiscFile(At("threads/coming.txt"));
                    if (coming != At("threads/coming.txt") && coming != At("threads/Coming.TXT"))
                        ++wrong;
                }
            });
        }
        for (int i = 0; i < 200; ++i) {
            Touch("threads/Coming.TXT");
            QFile::remove(At("threads/Coming.TXT"));
        }
        stop = true;
        for (std::thread& reader : readers)
            reader.join();
        QCOMPARE(wrong.load(), 0);
    }

    void clearedCacheStillFinds() {
        QCOMPARE(FindDiscFile(At("disc/course.xml")), At("disc/COURSE.XML"));
        ClearDiscFileCache();
        QCOMPARE(FindDiscFile(At("disc/course.xml")), At("disc/COURSE.XML"));
    }
};

QTEST_GUILESS_MAIN(TestDiscFiles)
#include "test_discfiles.moc"
