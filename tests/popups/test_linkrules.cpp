// URL and target-name rules of the viewer, hint and test windows.

#include "popups/LinkRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using OptName = std::optional<QString>;
Q_DECLARE_METATYPE(OptName)
Q_DECLARE_METATYPE(TViewerRoute)
Q_DECLARE_METATYPE(TTestRoute)
Q_DECLARE_METATYPE(TShowFavorRoute)

namespace {
OptName None() {
    return std::nullopt;
}
OptName Name(const char* text) {
    return QString::fromUtf8(text);
}
bool Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}
} // namespace

class TestLinkRules : public QObject {
    Q_OBJECT
private slots:
    void runFragment_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("option");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("slash form") << "file:///lib/101/2010/31.xml" << true << true;
        QTest::newRow("backslash form") << "C:\\lib\\101\\2010\\31.xml" << true << true;
        QTest::newRow("option off") << "file:///lib/101/2010/31.xml" << false << false;
        QTest::newRow("has #run") << "file:///lib/101/2010/31.xml#run" << true << false;
        QTest::newRow("any fragment") << "file:///lib/101/2010/31.xml#a" << true << false;
        QTest::newRow("bare #") << "file:///lib/101/2010/31.xml#" << true << false;
        QTest::newRow("2010 at the end") << "file:///lib/101/2010" << true << false;
        QTest::newRow("2010 in a name") << "file:///lib/101/12/2010.xml" << true << false;
        QTest::newRow("other section") << "file:///lib/101/12/3.xml" << true << false;
        QTest::newRow("mixed separators") << "file:///lib/101\\2010/3.xml" << true << false;
        QTest::newRow("runner with list") << "file:///lib/101/2010/runtest.html#tid=1;2" << true << false;
    }
    void runFragment() {
        QFETCH(QString, url);
        QFETCH(bool, option);
        QTEST(NeedsRunFragment(url, option), "replaced");
    }

    void testSuffix_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("hints");
        QTest::addColumn<QString>("result");
        QTest::newRow("hints on") << "file:///l/1/2010/runtest.html#tid=4;5" << true
                                  << "file:///l/1/2010/runtest.html#tid=4;5-1";
        QTest::newRow("hints off") << "file:///l/1/2010/runtest.html#tid=4;5" << false
                                   << "file:///l/1/2010/runtest.html#tid=4;5-0";
        QTest::newRow("no fragment") << "file:///l/1/12/t.html" << true << "file:///l/1/12/t.html-1";
        QTest::newRow("empty") << "" << false << "-0";
    }
    void testSuffix() {
        QFETCH(QString, url);
        QFETCH(bool, hints);
        QTEST(TestUrl(url, hints), "result");
    }

    void viewerRoutes_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<OptName>("target");
        QTest::addColumn<TViewerRoute>("route");
        const QString page = "file:///lib/101/12/5.xml";
        const QString content = "file:///lib/101/12_Content/a.html";
        QTest::newRow("tooltip") << page << Name("tooltip") << TViewerRoute::ToolTip;
        QTest::newRow("test") << page << Name("test") << TViewerRoute::Test;
        QTest::newRow("run to shell") << page << Name("run") << TViewerRoute::RunInShell;
        QTest::newRow("run _Content") << content << Name("run") << TViewerRoute::RunInMain;
        QTest::newRow("run _content lower")
            << "file:///l/_content/a" << Name("run") << TViewerRoute::RunInShell;
        QTest::newRow("ToolTip is a plain name") << page << Name("ToolTip") << TViewerRoute::Main;
        QTest::newRow("Test is a plain name") << page << Name("Test") << TViewerRoute::Main;
        QTest::newRow("RUN is a plain name") << page << Name("RUN") << TViewerRoute::Main;
        QTest::newRow("padded name") << page << Name(" tooltip") << TViewerRoute::Main;
        QTest::newRow("other name") << page << Name("frameX") << TViewerRoute::Main;
        QTest::newRow("_blank") << page << Name("_blank") << TViewerRoute::Main;
        QTest::newRow("empty name") << page << Name("") << TViewerRoute::Main;
        QTest::newRow("no name") << page << None() << TViewerRoute::Nothing;
        QTest::newRow("no name _Content") << content << None() << TViewerRoute::Nothing;
    }
    void viewerRoutes() {
        QFETCH(QString, url);
        QFETCH(OptName, target);
        QTEST(RouteViewerRequest(url, target), "route");
    }

    void testWindowRoutes_data() {
        QTest::addColumn<OptName>("target");
        QTest::addColumn<TTestRoute>("route");
        QTest::newRow("tooltip") << Name("tooltip") << TTestRoute::ToolTip;
        QTest::newRow("test") << Name("test") << TTestRoute::Test;
        QTest::newRow("run is ignored") << Name("run") << TTestRoute::Nothing;
        QTest::newRow("other") << Name("main") << TTestRoute::Nothing;
        QTest::newRow("Test") << Name("Test") << TTestRoute::Nothing;
        QTest::newRow("empty") << Name("") << TTestRoute::Nothing;
        QTest::newRow("none") << None() << TTestRoute::Nothing;
    }
    void testWindowRoutes() {
        QFETCH(OptName, target);
        QTEST(RouteTestRequest(target), "route");
    }

    void presentationWindowRoutes_data() {
        QTest::addColumn<OptName>("target");
        QTest::addColumn<TShowFavorRoute>("route");
        QTest::newRow("tooltip") << Name("tooltip") << TShowFavorRoute::ToolTip;
        QTest::newRow("test") << Name("test") << TShowFavorRoute::Test;
        QTest::newRow("run opens here") << Name("run") << TShowFavorRoute::Own;
        QTest::newRow("ToolTip is a plain name") << Name("ToolTip") << TShowFavorRoute::Own;
        QTest::newRow("test with a space") << Name("test ") << TShowFavorRoute::Own;
        QTest::newRow("other") << Name("frameX") << TShowFavorRoute::Own;
        QTest::newRow("_blank") << Name("_blank") << TShowFavorRoute::Own;
        QTest::newRow("empty") << Name("") << TShowFavorRoute::Own;
        QTest::newRow("none") << None() << TShowFavorRoute::Nothing;
    }
    void presentationWindowRoutes() {
        QFETCH(OptName, target);
        QTEST(RouteShowFavorRequest(target), "route");
    }

    // The hint window's "_Content" rule looks at the file the URL names, not at the URL text.
    void hintWindow_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("asUrl");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<OptName>("target");
        QTest::addColumn<bool>("shown");
        QTest::newRow("plain page") << "12/h.html" << true << "" << Name("tooltip") << true;
        QTest::newRow("plain page, missing") << "12/none.html" << true << "" << Name("tooltip") << true;
        QTest::newRow("_Content file: URL") << "12_Content/h.html" << true << "" << Name("tooltip") << true;
        QTest::newRow("_Content with fragment")
            << "12_Content/h.html" << true << "#p2" << Name("tooltip") << true;
        QTest::newRow("_Content Cyrillic name")
            << "12_Content/подсказка.html" << true << "" << Name("tooltip") << true;
        QTest::newRow("_Content plain path") << "12_Content/h.html" << false << "" << Name("tooltip") << true;
        QTest::newRow("_Content missing") << "12_Content/none.html" << true << "" << Name("tooltip") << false;
        QTest::newRow("_Content in other case")
            << "12_content/H.HTML" << true << "" << Name("tooltip") << true;
        QTest::newRow("_Content with backslashes")
            << "12_Content\\h.html" << false << "" << Name("tooltip") << true;
        QTest::newRow("_Content folder") << "12_Content" << true << "" << Name("tooltip") << false;
        QTest::newRow("test target") << "12/h.html" << true << "" << Name("test") << false;
        QTest::newRow("Tooltip") << "12/h.html" << true << "" << Name("Tooltip") << false;
        QTest::newRow("no name") << "12/h.html" << true << "" << None() << false;
    }
    void hintWindow() {
        QFETCH(QString, relative);
        QFETCH(bool, asUrl);
        QFETCH(QString, suffix);
        QFETCH(OptName, target);
        QTemporaryDir dir;
        QVERIFY(Touch(dir.filePath("12/h.html")));
        QVERIFY(Touch(dir.filePath("12_Content/h.html")));
        QVERIFY(Touch(dir.filePath("12_Content/подсказка.html")));
        const QString path = dir.filePath(relative);
        const QString url = (asUrl ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) : path) + suffix;
        QTEST(HintWindowShows(url, target), "shown");
    }

    // Only safe addresses reach the desktop from a "run" link.
    void shellTargets_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("expected"); // "" refused, "=" the URL itself, else a library path
        QTest::newRow("http") << "http://example.org/a"
                              << "=";
        QTest::newRow("https") << "https://example.org/a?b=c"
                               << "=";
        QTest::newRow("HTTPS upper") << "HTTPS://example.org/"
                                     << "=";
        QTest::newRow("mailto") << "mailto:teacher@example.org"
                                << "=";
        QTest::newRow("http without host") << "http:///a"
                                           << "";
        QTest::newRow("mailto empty") << "mailto:"
                                      << "";
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "";
        QTest::newRow("data") << "data:text/html,<b>x</b>"
                              << "";
        QTest::newRow("unknown scheme") << "ms-its:help.chm::/a.htm"
                                        << "";
        QTest::newRow("ftp") << "ftp://example.org/a"
                             << "";
        QTest::newRow("library file") << "@LIB/Plugins/setup.txt"
                                      << "Plugins/setup.txt";
        QTest::newRow("library file URL") << "@LIBURL/Plugins/setup.txt"
                                          << "Plugins/setup.txt";
        QTest::newRow("library file with fragment") << "@LIBURL/Plugins/setup.txt#x"
                                                    << "Plugins/setup.txt";
        QTest::newRow("library Cyrillic file URL") << "@LIBURL/Help/Руководство.doc"
                                                   << "Help/Руководство.doc";
        QTest::newRow("missing library file") << "@LIBURL/Plugins/none.exe"
                                              << "";
        QTest::newRow("library file in other case") << "@LIBURL/PLUGINS/Setup.TXT"
                                                    << "Plugins/setup.txt";
        QTest::newRow("library file with backslashes") << "@LIB/plugins\\SETUP.txt"
                                                       << "Plugins/setup.txt";
        QTest::newRow("dot-dot detour in other case") << "@LIB/Plugins/../../OUT/Secret.TXT"
                                                      << "";
        QTest::newRow("backslash detour") << "@LIB/Plugins\\..\\..\\out\\secret.txt"
                                          << "";
        QTest::newRow("link out, other case") << "@LIBURL/plugins/LINK.txt"
                                              << "";
        QTest::newRow("library folder") << "@LIBURL/Plugins"
                                        << "";
        QTest::newRow("outside the library") << "@OUTURL/secret.txt"
                                             << "";
        QTest::newRow("dot-dot detour") << "@LIB/Plugins/../../out/secret.txt"
                                        << "";
        QTest::newRow("link out of the library") << "@LIBURL/Plugins/link.txt"
                                                 << "";
        QTest::newRow("relative path") << "Plugins/setup.txt"
                                       << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void shellTargets() {
        QFETCH(QString, url);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString library = dir.filePath("lib") + "/";
        QVERIFY(Touch(library + "Plugins/setup.txt"));
        QVERIFY(Touch(library + "Help/Руководство.doc"));
        QVERIFY(Touch(dir.filePath("out/secret.txt")));
        QVERIFY(QFile::link(dir.filePath("out/secret.txt"), library + "Plugins/link.txt"));
        const QString libUrl = QUrl::fromLocalFile(dir.filePath("lib")).toString(QUrl::FullyEncoded);
        const QString outUrl = QUrl::fromLocalFile(dir.filePath("out")).toString(QUrl::FullyEncoded);
        url.replace("@LIBURL", libUrl).replace("@LIB", dir.filePath("lib")).replace("@OUTURL", outUrl);
        if (url.startsWith(libUrl))
            url = libUrl + QUrl::toPercentEncoding(url.mid(libUrl.size()), "/#");
        const std::optional<QString> target = ShellTargetOf(url, library);
        if (expected.isEmpty()) {
            QVERIFY2(!target, qPrintable(target.value_or(QString())));
        } else {
            QVERIFY(target);
            const QString want = expected == "=" ? url : QFileInfo(library + expected).canonicalFilePath();
            QCOMPARE(*target, want);
        }
    }
};

QTEST_GUILESS_MAIN(TestLinkRules)
#include "test_linkrules.moc"
