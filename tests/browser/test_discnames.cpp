// A disc made on Windows: its pages name files in another case than on disc and with
// backslashes. The rules that find such files inside the library and nowhere else, then the
// page of tests/data/olddisc/names loaded by `coursetool page` with the player's own profile.

#include "browser/FileAccess.h"
#include "tests/CoursetoolRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

bool CopyTree(const QString& from, const QString& to) {
    if (!QDir().mkpath(to))
        return false;
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files | QDir::NoDotAndDotDot))
        if (!QFile::copy(source.filePath(name), to + u'/' + name))
            return false;
    for (const QString& name : source.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!CopyTree(source.filePath(name), to + u'/' + name))
            return false;
    return true;
}

} // namespace

class TestDiscNames : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // canonical, holds lib/ (the disc) and outside/
    TCoursetoolRun m_page;

    QString Lib(const QString& relative) const { return m_root + QStringLiteral("/lib/") + relative; }

private slots:
    // lib/                    a copy of tests/data/olddisc/names
    // lib/7/5/LinkOut     ->  outside/ (a link out of the disc)
    // outside/secret.gif, outside/secret.txt
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_root = QDir(m_dir.path()).canonicalPath();
        QVERIFY(CopyTree(QStringLiteral(CP_TEST_DATA "/olddisc/names"), m_root + QStringLiteral("/lib")));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/outside")));
        QVERIFY(QFile::copy(Lib("7/5/Images/Pic.GIF"), m_root + QStringLiteral("/outside/secret.gif")));
        QFile secret(m_root + QStringLiteral("/outside/secret.txt"));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("secret\n");
        secret.close();
        QVERIFY(QFile::link(m_root + QStringLiteral("/outside"), Lib("7/5/LinkOut")));
        // The page is named in lower case; the disc has 1.XML. One load serves every row below.
        m_page = RunCoursetool(
            QStringLiteral(CP_COURSETOOL),
            {QStringLiteral("page"), Lib("7/5/1.xml"), QStringLiteral("--wait-ms"), QStringLiteral("300")});
    }

    void foundOnDisc_data() {
        QTest::addColumn<QString>("url");      // relative to the test folder, percent-encoded
        QTest::addColumn<QString>("expected"); // relative to the test folder; empty: nothing
        QTest::newRow("exact name") << "lib/7/5/Images/Pic.GIF"
                                    << "";
        QTest::newRow("other case") << "lib/7/5/images/PIC.gif"
                                    << "lib/7/5/Images/Pic.GIF";
        QTest::newRow("other case of the folders") << "LIB/7/5/IMAGES/Pic.GIF"
                                                   << "lib/7/5/Images/Pic.GIF";
        QTest::newRow("encoded backslashes") << "lib/7/5/Images%5Cpic.gif"
                                             << "lib/7/5/Images/Pic.GIF";
        QTest::newRow("encoded dot-dot backslash") << "lib/7/7/..%5C5%5CImages%5Cpic.gif"
                                                   << "lib/7/5/Images/Pic.GIF";
        QTest::newRow("folder in other case") << "lib/7/5/IMAGES"
                                              << "lib/7/5/Images";
        QTest::newRow("missing") << "lib/7/5/Images/none.gif"
                                 << "";
        QTest::newRow("outside, exact") << "outside/secret.gif"
                                        << "";
        QTest::newRow("outside, other case") << "OUTSIDE/SECRET.GIF"
                                             << "";
        QTest::newRow("out by encoded dot-dots") << "lib/7/5/..%5C..%5C..%5COUTSIDE%5Csecret.gif"
                                                 << "";
        QTest::newRow("out by a link, other case") << "lib/7/5/LINKOUT/Secret.gif"
                                                   << "";
        QTest::newRow("out by a link, encoded") << "lib/7/5/LinkOut%5CSECRET.GIF"
                                                << "";
    }
    void foundOnDisc() {
        QFETCH(QString, url);
        QFETCH(QString, expected);
        const TFileAccessRules rules({m_root + QStringLiteral("/lib")});
        const std::optional<QUrl> found =
            rules.FoundOnDisc(QUrl(QStringLiteral("file://") + m_root + u'/' + url, QUrl::StrictMode));
        if (expected.isEmpty()) {
            QVERIFY2(!found, qPrintable(found ? found->toString() : QString()));
            return;
        }
        QVERIFY(found);
        QCOMPARE(found->toLocalFile(), m_root + u'/' + expected);
    }

    // What the redirect keeps, and addresses that are no local files.
    void foundOnDiscKeepsQueryAndFragment() {
        const TFileAccessRules rules({m_root + QStringLiteral("/lib")});
        const QUrl base = QUrl::fromLocalFile(Lib("7/5/1.xml"));
        QUrl withBoth = base;
        withBoth.setQuery(QStringLiteral("a=1"));
        withBoth.setFragment(QStringLiteral("run"));
        const std::optional<QUrl> found = rules.FoundOnDisc(withBoth);
        QVERIFY(found);
        QCOMPARE(found->toLocalFile(), Lib("7/5/1.XML"));
        QCOMPARE(found->query(), QStringLiteral("a=1"));
        QCOMPARE(found->fragment(), QStringLiteral("run"));
        QVERIFY(!rules.FoundOnDisc(base)->hasQuery());
        QUrl remote = base;
        remote.setHost(QStringLiteral("server"));
        QVERIFY(!rules.FoundOnDisc(remote));
        QVERIFY(!rules.FoundOnDisc(QUrl(QStringLiteral("http://localhost/lib/7/5/1.xml"))));
        QVERIFY(!TFileAccessRules().FoundOnDisc(base));
    }

    // The page and the files it names, as the player's browser loads them.
    void pageLoads_data() {
        QTest::addColumn<QString>("check");
        QTest::addColumn<bool>("ok");
        QTest::newRow("stylesheet, backslash and other case") << "css" << true;
        QTest::newRow("script, backslash and other case") << "js" << true;
        QTest::newRow("picture, backslash and other case") << "backslashes" << true;
        QTest::newRow("picture, other case") << "wrongcase" << true;
        QTest::newRow("picture, dot-dot backslash") << "dotdot" << true;
        QTest::newRow("picture, encoded backslash") << "encoded" << true;
        QTest::newRow("frame, dot-dot backslash and other case") << "frame" << true;
        QTest::newRow("frame runs from its name on disc") << "frameOnDisc" << true;
        QTest::newRow("XHR, backslash and other case") << "xhr" << true;
        QTest::newRow("XHR, encoded backslash") << "xhrEncoded" << true;
        QTest::newRow("item link keeps its folders") << "link" << true;
        QTest::newRow("picture out by dot-dots, other case") << "outDots" << false;
        QTest::newRow("picture out by dot-dots, exact") << "outExact" << false;
        QTest::newRow("picture out by encoded dot-dots") << "outEncoded" << false;
        QTest::newRow("picture out by a link, other case") << "outLink" << false;
        QTest::newRow("picture out by a link, exact") << "outLinkExact" << false;
        QTest::newRow("XHR out by dot-dots, other case") << "xhrOutDots" << false;
        QTest::newRow("XHR out by a link") << "xhrOutLink" << false;
    }
    void pageLoads() {
        QFETCH(QString, check);
        QFETCH(bool, ok);
        QVERIFY2(m_page.ExitCode == 0, qPrintable(m_page.Err));
        const QString line = u'[' + check + (ok ? QStringLiteral(":ok]") : QStringLiteral(":broken]"));
        QVERIFY2(m_page.Out.contains(line), qPrintable(m_page.Out));
    }
};

QTEST_GUILESS_MAIN(TestDiscNames)
#include "test_discnames.moc"
