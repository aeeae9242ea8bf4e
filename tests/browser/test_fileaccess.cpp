// Pages read local files only inside the allowed folders: the rules on their own, then a real
// page of a library under a folder whose name holds '#' that tries to reach beyond it.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/FileAccess.h"
#include "tests/support/PageFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char kSecret[] = "the secret of another folder";

const char kIndexPage[] = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Library page</title></head><body>
<img id="inside" src="pic.png"><img id="outside" src="../outside/pic.png">
<img id="linked" src="link/pic.png">
<p id="result"></p>
<script>
// What the page gets for a local address: its text, or "refused".
READ_FUNCTION
document.getElementById("result").textContent = read("../outside/secret.txt");
</script></body></html>
)";

QString BodyText(TWebBrowser* browser) {
    return RunScript(browser->page(), QStringLiteral("document.body ? document.body.innerText : ''"))
        .toString();
}

} // namespace

class TestFileAccess : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;    // canonical, ends with '/'
    QString m_library; // m_root + "lib #1/"
    TEmbeddedBrowser* m_browser = nullptr;
    TPipes m_pipes;

private slots:
    // lib #1/            the library: index.html, inside.txt, pic.png, page.xml + page.xsl, sub/
    // lib #1/link        -> outside/ (a linked folder)
    // lib #1/item.html   -> outside/secret.html (a linked page)
    // lib #1/pipe.txt, pipe.html, and pipe-link.txt -> pipe.txt: pipes nobody writes to
    // lib #1x/           a neighbour whose name begins with the library's
    // outside/           secret.txt, secret.html, pic.png
    // stage/             the player's staged components
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = QFileInfo(m_dir.path()).canonicalFilePath() + u'/';
        m_library = m_root + QStringLiteral("lib #1/");
        for (const char* folder : {"lib #1/sub", "lib #1x", "outside", "stage"})
            QVERIFY(QDir().mkpath(m_root + QString::fromUtf8(folder)));
        QFile picture(Fixture(QStringLiteral("map.png")));
        QVERIFY(picture.open(QIODevice::ReadOnly));
        const QByteArray png = picture.readAll();
        QVERIFY(WriteFile(m_library + QStringLiteral("index.html"), WithReadFunction(kIndexPage)));
        QVERIFY(WriteFile(m_library + QStringLiteral("inside.txt"), "inside"));
        QVERIFY(WriteFile(m_library + QStringLiteral("sub/page.html"), "<p>sub</p>"));
        QVERIFY(WriteFile(m_library + QStringLiteral("pic.png"), png));
        QVERIFY(WriteFile(m_root + QStringLiteral("lib #1x/page.html"), kSecret));
        QVERIFY(WriteFile(m_root + QStringLiteral("outside/secret.txt"), kSecret));
        QVERIFY(WriteFile(m_root + QStringLiteral("outside/secret.html"),
                          QByteArray("<title>Secret</title><p>") + kSecret + "</p>"));
        QVERIFY(WriteFile(m_root + QStringLiteral("outside/pic.png"), png));
        QVERIFY(WriteFile(m_root + QStringLiteral("stage/player.js"), "var staged = 1;"));
        for (const char* name : {"page.xml", "page.xsl"})
            QVERIFY(QFile::copy(Fixture(QString::fromUtf8(name)), m_library + QString::fromUtf8(name)));
        QVERIFY(QFile::link(m_root + QStringLiteral("outside"), m_library + QStringLiteral("link")));
        QVERIFY(QFile::link(m_root + QStringLiteral("outside/secret.html"),
                            m_library + QStringLiteral("item.html")));
        for (const char* pipe : {"pipe.txt", "pipe.html"})
            QVERIFY(m_pipes.Make(m_library + QString::fromUtf8(pipe)));
        QVERIFY(
            QFile::link(m_library + QStringLiteral("pipe.txt"), m_library + QStringLiteral("pipe-link.txt")));

        SetAllowedFileRoots(
            {m_library, m_root + QStringLiteral("stage"), m_root + QStringLiteral("missing")});
        m_browser = new TEmbeddedBrowser();
        QVERIFY(NavigateAndWait(m_browser, m_library + QStringLiteral("index.html#run")));
    }

    void cleanupTestCase() {
        m_pipes.Release();
        delete m_browser;
        SetAllowedFileRoots({QStringLiteral(CP_TEST_DATA "/browser")});
    }

    void missingFoldersAreDropped() {
        QCOMPARE(AllowedFileRoots(), (QStringList{m_library, m_root + QStringLiteral("stage/")}));
        QVERIFY(TFileAccessRules().Folders().isEmpty());
        QVERIFY(!TFileAccessRules().Allows(QUrl::fromLocalFile(m_library + QStringLiteral("inside.txt"))));
    }

    void rules_data() {
        QTest::addColumn<QString>("url"); // "@" stands for the temporary folder, "%20%23" for " #"
        QTest::addColumn<bool>("allowed");
        QTest::newRow("page") << "file://@lib%20%231/index.html" << true;
        QTest::newRow("in a subfolder") << "file://@lib%20%231/sub/page.html" << true;
        QTest::newRow("the folder itself") << "file://@lib%20%231/" << true;
        QTest::newRow("missing file inside") << "file://@lib%20%231/sub/none/x.html" << true;
        QTest::newRow("fragment and query") << "file://@lib%20%231/index.html?a=1#run" << true;
        QTest::newRow("localhost") << "file://localhost@lib%20%231/inside.txt" << true;
        QTest::newRow("staged component") << "file://@stage/player.js" << true;
        QTest::newRow("up and out") << "file://@lib%20%231/../outside/secret.txt" << false;
        QTest::newRow("escaped dots") << "file://@lib%20%231/sub/%2E%2E/%2E%2E/outside/secret.txt" << false;
        QTest::newRow("linked folder") << "file://@lib%20%231/link/secret.txt" << false;
        QTest::newRow("linked page") << "file://@lib%20%231/item.html" << false;
        QTest::newRow("neighbour with the same start") << "file://@lib%20%231x/page.html" << false;
        QTest::newRow("parent folder") << "file://@" << false;
        QTest::newRow("system file") << "file:///etc/passwd" << false;
        QTest::newRow("missing file outside") << "file:///nowhere/x.html" << false;
        QTest::newRow("another machine") << "file://server@lib%20%231/inside.txt" << false;
        QTest::newRow("upper-case scheme") << "FILE://@outside/secret.txt" << false;
        QTest::newRow("web page") << "http://example.org/secret.txt" << true;
        QTest::newRow("blank") << "about:blank" << true;
    }

    void rules() {
        QFETCH(QString, url);
        QFETCH(bool, allowed);
        const TFileAccessRules rules({m_library, m_root + QStringLiteral("stage")});
        QCOMPARE(rules.Allows(QUrl(url.replace(u'@', m_root))), allowed);
    }

    // The file is judged by what was opened, not by the name checked before: a name swapped
    // for a link that leads out, or a file moved after it was opened, is judged where it is.
    void openedFileJudgedByDescriptor_data() {
        QTest::addColumn<QString>("opened"); // under the temporary folder
        QTest::addColumn<QString>("movedTo");
        QTest::addColumn<bool>("served");
        QTest::newRow("ordinary file") << "lib #1/inside.txt"
                                       << "" << true;
        QTest::newRow("a pipe") << "lib #1/pipe.txt"
                                << "" << false;
        QTest::newRow("a folder") << "lib #1/sub"
                                  << "" << false;
        QTest::newRow("name swapped for a link out") << "lib #1/link/secret.txt"
                                                     << "" << false;
        QTest::newRow("moved out once opened") << "lib #1/moving.txt"
                                               << "outside/moved.txt" << false;
        QTest::newRow("moved in once opened") << "outside/coming.txt"
                                              << "lib #1/came.txt" << true;
    }

    void openedFileJudgedByDescriptor() {
        QFETCH(QString, opened);
        QFETCH(QString, movedTo);
        QFETCH(bool, served);
        const QString path = m_root + opened;
        if (!QFileInfo::exists(path))
            QVERIFY(WriteFile(path, "moving"));
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(fd >= 0);
        if (!movedTo.isEmpty())
            QVERIFY(QFile::rename(path, m_root + movedTo));
        // Named as the resolving found it: inside the library.
        const TFileAccessRules rules({m_library});
        QCOMPARE(rules.ServesOpenFile(fd, m_library + QStringLiteral("inside.txt")), served);
        ::close(fd);
    }

    // Read by the loaded page, as its own scripts would.
    void pageReads_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("result");
        QTest::newRow("own file") << "inside.txt"
                                  << "inside";
        QTest::newRow("own file by a detour") << "sub/../inside.txt"
                                              << "inside";
        QTest::newRow("up and out") << "../outside/secret.txt"
                                    << "refused";
        QTest::newRow("through a linked folder") << "link/secret.txt"
                                                 << "refused";
        QTest::newRow("a linked page") << "item.html"
                                       << "refused";
        QTest::newRow("neighbour") << "../lib%20%231x/page.html"
                                   << "refused";
        QTest::newRow("system file") << "file:///etc/passwd"
                                     << "refused";
        QTest::newRow("a pipe") << "pipe.txt"
                                << "refused";
        QTest::newRow("a link to a pipe") << "pipe-link.txt"
                                          << "refused";
        QTest::newRow("a folder") << "sub/"
                                  << "refused";
    }

    void pageReads() {
        QFETCH(QString, address);
        QFETCH(QString, result);
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("read(\"%1\")").arg(address)).toString(),
                 result);
    }

    void pageOfTheLoadItself() {
        // The "#" of the folder stayed in the path; the fragment reached the page.
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(),
                 QStringLiteral("#run"));
        QCOMPARE(m_browser->page()->title(), QStringLiteral("Library page"));
        // What the page's own script got while loading.
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("document.getElementById('result').textContent"))
                     .toString(),
                 QStringLiteral("refused"));
        // Pictures: its own shows, the others' do not.
        QCOMPARE(RunScript(m_browser->page(),
                           QStringLiteral("['inside', 'outside', 'linked'].map(function (id) {"
                                          "  return document.getElementById(id).naturalWidth > 0; }).join()"))
                     .toString(),
                 QStringLiteral("true,false,false"));
    }

    void navigations_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("linked item page") << "lib #1/item.html";
        QTest::newRow("up and out") << "lib #1/../outside/secret.html";
        QTest::newRow("outside") << "outside/secret.html";
        QTest::newRow("a pipe") << "lib #1/pipe.html";
    }

    void navigations() {
        QFETCH(QString, path);
        QVERIFY(NavigateAndWait(m_browser, m_root + path));
        QVERIFY(!BodyText(m_browser).contains(QLatin1String(kSecret)));
        QVERIFY(m_browser->page()->title() != QStringLiteral("Secret"));
    }

    void xmlPagesStillTransform() {
        // The stylesheet lies beside the page, inside the library.
        QVERIFY(NavigateAndWait(m_browser, m_library + QStringLiteral("page.xml#run")));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->page()->title(), QStringLiteral("XML page"), kWebTimeout);
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("document.getElementById('para').textContent"))
                     .toString(),
                 QStringLiteral("Текст из XML"));
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(),
                 QStringLiteral("#run"));
    }
};

CP_BROWSER_TEST_MAIN(TestFileAccess)
#include "test_fileaccess.moc"
