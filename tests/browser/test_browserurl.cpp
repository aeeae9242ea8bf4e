// What Navigate loads for a URL or a local path.

#include "browser/BrowserUrl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestBrowserUrl : public QObject {
    Q_OBJECT
private slots:
    void urls_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("blank") << "about:blank"
                               << "about:blank"
                               << "";
        QTest::newRow("empty is blank") << ""
                                        << "about:blank"
                                        << "";
        QTest::newRow("file url") << "file:///srv/c/5/1.xml"
                                  << "file:///srv/c/5/1.xml"
                                  << "";
        QTest::newRow("http") << "http://example.org/a?b=1#c"
                              << "http://example.org/a?b=1#c"
                              << "c";
        QTest::newRow("path") << "/srv/c/5/1.xml"
                              << "file:///srv/c/5/1.xml"
                              << "";
        QTest::newRow("path, run") << "/srv/c/2010/15.xml#run"
                                   << "file:///srv/c/2010/15.xml#run"
                                   << "run";
        QTest::newRow("path, task list") << "/srv/c/2010/runtest.html#tid=12_1;-1"
                                         << "file:///srv/c/2010/runtest.html#tid=12_1;-1"
                                         << "tid=12_1;-1";
        QTest::newRow("path, collection") << "/srv/ShowFavor.htm#12,5,3;12,7,4"
                                          << "file:///srv/ShowFavor.htm#12,5,3;12,7,4"
                                          << "12,5,3;12,7,4";
        // A second '#' belongs to the fragment; as in any URL it travels percent-encoded.
        QTest::newRow("only the first # splits") << "/srv/a.html#x#y"
                                                 << "file:///srv/a.html#x%23y"
                                                 << "x#y";
        // Folders may hold '#': the fragment starts where the file name ends.
        QTest::newRow("# in a folder") << "/srv/Курсы #2/2010/15.xml#run"
                                       << "file:///srv/%D0%9A%D1%83%D1%80%D1%81%D1%8B%20%232/2010/15.xml#run"
                                       << "run";
        QTest::newRow("# in a folder, no fragment") << "/srv/a#b/5/1.xml"
                                                    << "file:///srv/a%23b/5/1.xml"
                                                    << "";
        QTest::newRow("# in a folder, backslashes") << "/srv/a#b\\2010\\15.xml#run"
                                                    << "file:///srv/a%23b%5C2010%5C15.xml#run"
                                                    << "run";
        QTest::newRow("spaces in a path") << "/srv/My Courses/1.xml"
                                          << "file:///srv/My%20Courses/1.xml"
                                          << "";
        QTest::newRow("cyrillic path") << "/srv/Курсы/1.xml#run"
                                       << "file:///srv/%D0%9A%D1%83%D1%80%D1%81%D1%8B/1.xml#run"
                                       << "run";
        QTest::newRow("percent in a path") << "/srv/100%/1.xml"
                                           << "file:///srv/100%25/1.xml"
                                           << "";
        QTest::newRow("question mark in a path") << "/srv/why?/1.xml"
                                                 << "file:///srv/why%3F/1.xml"
                                                 << "";
        QTest::newRow("surrounding blanks") << "  /srv/1.xml \n"
                                            << "file:///srv/1.xml"
                                            << "";
    }

    void urls() {
        QFETCH(QString, text);
        QFETCH(QString, url);
        QFETCH(QString, fragment);
        const QUrl result = BrowserUrlFromText(text);
        QVERIFY(result.isValid());
        QCOMPARE(result.toString(QUrl::FullyEncoded), url);
        QCOMPARE(result.fragment(QUrl::FullyDecoded), fragment);
    }

    // Real files decide where the path ends, even when the fragment holds a '/' or the file's
    // own name holds a '#'; an existing file is named by its canonical path.
    void existingFilesDecideTheSplit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("run") << "lib #1/2010/15.xml#run"
                             << "lib #1/2010/15.xml"
                             << "run";
        QTest::newRow("no fragment") << "lib #1/2010/15.xml"
                                     << "lib #1/2010/15.xml"
                                     << "";
        QTest::newRow("slash in the fragment") << "lib #1/2010/15.xml#a/b"
                                               << "lib #1/2010/15.xml"
                                               << "a/b";
        QTest::newRow("# in the file name") << "lib #1/2010/a#b.html#run"
                                            << "lib #1/2010/a#b.html"
                                            << "run";
        QTest::newRow("dot segments") << "lib #1/2010/../2010/15.xml#run"
                                      << "lib #1/2010/15.xml"
                                      << "run";
        QTest::newRow("through a link") << "link/2010/15.xml#run"
                                        << "lib #1/2010/15.xml"
                                        << "run";
    }

    void existingFilesDecideTheSplit() {
        QFETCH(QString, text);
        QFETCH(QString, file);
        QFETCH(QString, fragment);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = QFileInfo(dir.path()).canonicalFilePath() + u'/';
        QVERIFY(QDir().mkpath(root + QStringLiteral("lib #1/2010")));
        for (const char* name : {"lib #1/2010/15.xml", "lib #1/2010/a#b.html"}) {
            QFile page(root + QString::fromUtf8(name));
            QVERIFY(page.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(root + QStringLiteral("lib #1"), root + QStringLiteral("link")));
        const QUrl result = BrowserUrlFromText(root + text);
        QCOMPARE(result.toLocalFile(), root + file);
        QCOMPARE(result.fragment(QUrl::FullyDecoded), fragment);
        QCOMPARE(result.hasFragment(), !fragment.isEmpty());
    }

    void relativePathIsTakenFromTheCurrentFolder() {
        const QUrl result = BrowserUrlFromText(QStringLiteral("sub/page.html#run"));
        QCOMPARE(result.toLocalFile(), QDir::current().absoluteFilePath(QStringLiteral("sub/page.html")));
        QCOMPARE(result.fragment(), QStringLiteral("run"));
    }
};

QTEST_APPLESS_MAIN(TestBrowserUrl)
#include "test_browserurl.moc"
