// Old course discs in the player's browser: IE-era scripts (ActiveXObject XML documents and
// XMLHTTP, attachEvent, document.selection, showModalDialog), pages that test for Flash before
// writing their movie, and pages without a charset, read through `coursetool page`; the Flash
// emulator and the MathML typesetter loaded only into the pages that need them, checked in the
// page's DOM.

#include "BrowserTestSupport.h"
#include "TinySwf.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "core/ComponentStaging.h"
#include "tests/CoursetoolRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The profile puts the components' folder into its scripts when it is made, which the test
// main does before the test runs: the folder is set before main.
const bool kComponentsSet = [] {
    SetStagedComponentsFolder(QStringLiteral(CP_COMPONENTS));
    return true;
}();

using TRun = TCoursetoolRun;

TRun Coursetool(const QStringList& args) {
    return RunCoursetool(QStringLiteral(CP_COURSETOOL), args);
}

} // namespace

class TestOldDiscs : public QObject {
    Q_OBJECT
    QTemporaryDir m_disc;
    QMap<QString, TRun> m_runs; // one coursetool run per page serves all its rows
    std::unique_ptr<TEmbeddedBrowser> m_browser;
    QString m_loaded;

    QString Page(const QString& name) const { return m_disc.filePath(name); }

    const TRun& PageRun(const QString& name) {
        if (!m_runs.contains(name))
            m_runs.insert(name, Coursetool({QStringLiteral("page"), Page(name), QStringLiteral("--wait-ms"),
                                            QStringLiteral("0")}));
        return m_runs[name];
    }

    void Show(const QString& name) {
        if (m_loaded == name)
            return;
        QVERIFY(NavigateAndWait(m_browser.get(), Page(name)));
        m_loaded = name;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_disc.isValid());
        const QDir data(QStringLiteral(CP_TEST_DATA "/olddisc"));
        for (const QString& name : data.entryList(QDir::Files))
            QVERIFY(QFile::copy(data.filePath(name), m_disc.filePath(name)));
        // The viewer's test course has the page with all of it at once.
        QVERIFY(QFile::copy(data.filePath(QStringLiteral("course/1/5/combined.htm")),
                            m_disc.filePath(QStringLiteral("combined.htm"))));
        QFile swf(m_disc.filePath(QStringLiteral("movie.swf")));
        QVERIFY(swf.open(QIODevice::WriteOnly));
        swf.write(TinySwf());
        swf.close();
        // As in the player: the library, and the components staged for it.
        SetAllowedFileRoots({m_disc.path(), StagedComponentsFolder()});
        QVERIFY2(FlashEmulatorStaged() && MathTypesetterStaged(), "run scripts/install-deps, then build");
        m_browser = std::make_unique<TEmbeddedBrowser>();
        m_browser->resize(800, 600);
    }

    void cleanupTestCase() { m_browser.reset(); }

    // What a page's own scripts read through the IE objects, and pages without a charset, as
    // `coursetool page` prints them.
    void pageText_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        const QString ie = QStringLiteral("ie.htm");
        QTest::newRow("windows-1251 page without charset")
            << ie << QStringLiteral("съешь же ещё этих мягких");
        QTest::newRow("synchronous load of a local file") << ie << QStringLiteral("load:true error:0");
        QTest::newRow("documentElement") << ie << QStringLiteral("root:task");
        QTest::newRow("selectSingleNode, text, windows-1251 XML")
            << ie << QStringLiteral("question:Сколько будет дважды два?");
        QTest::newRow("selectNodes, item") << ie << QStringLiteral("answers:2 second:четыре");
        QTest::newRow("xml of a node") << ie << QStringLiteral("right:<answer right=\"1\">четыре</answer>");
        QTest::newRow("text of the document")
            << ie << QStringLiteral("text:Сколько будет дважды два? три четыре");
        QTest::newRow("loadXML of xml") << ie << QStringLiteral("loadXML:true t7");
        QTest::newRow("parseError of bad XML") << ie << QStringLiteral("bad:false true");
        QTest::newRow("parseError of a missing file") << ie << QStringLiteral("missing:false true");
        QTest::newRow("XMLHTTP of a local file") << ie << QStringLiteral("http:200 t7");
        QTest::newRow("unknown object refused") << ie << QStringLiteral("unknown:refused");
        QTest::newRow("attachEvent, detachEvent") << ie << QStringLiteral("clicks:1");
        QTest::newRow("document.selection.empty") << ie << QStringLiteral("selection:0");
        // A swfobject-style page finds Flash every way it looks, then writes its movie.
        const QString swfobject = QStringLiteral("swfobject.htm");
        QTest::newRow("Flash found in navigator.plugins, mimeTypes and ActiveXObject")
            << swfobject << QStringLiteral("plugin:32.0.0 mime:true activex:WIN 32,0,0,0");
        QTest::newRow("movie written once Flash is found") << swfobject << QStringLiteral("ролик вставлен");
        // Each showModalDialog returns only when its dialog has closed, with its returnValue.
        const QString dialog = QStringLiteral("dialog.htm");
        QTest::newRow("dialog closed by its script: returnValue and dialogArguments")
            << dialog << QStringLiteral("closed by script:{\"sum\":5,\"text\":\"привет!\"}");
        QTest::newRow("dialog closed by its window")
            << dialog << QStringLiteral("closed by its window:[\"оставлен\",1]");
        QTest::newRow("dialog without returnValue") << dialog << QStringLiteral("no returnValue:undefined");
        QTest::newRow("dialog without arguments") << dialog << QStringLiteral("no arguments:args:undefined");
        QTest::newRow("a window as arguments arrives as null")
            << dialog << QStringLiteral("live object:args:null");
        QTest::newRow("dialog of a missing page") << dialog << QStringLiteral("missing page:undefined");
        const QString combined = QStringLiteral("combined.htm");
        QTest::newRow("course page without charset")
            << combined << QStringLiteral("Съешь же ещё этих мягких французских булок");
        QTest::newRow("course page finds Flash before writing the movie")
            << combined << QStringLiteral("Flash 32");
        QTest::newRow("UTF-8 page without charset")
            << QStringLiteral("utf8.htm")
            << QStringLiteral("Страница в UTF-8 без объявления кодировки: ёжик");
    }
    void pageText() {
        QFETCH(QString, page);
        QFETCH(QString, line);
        const TRun& run = PageRun(page);
        QCOMPARE(run.ExitCode, 0);
        QVERIFY2(run.Out.contains(line), qPrintable(run.Out));
        QVERIFY2(!run.Out.contains(QLatin1String("failed:")), qPrintable(run.Out));
    }

    void pageFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("missing page")
            << QStringList{QStringLiteral("page"), QStringLiteral("/no/such/page.htm")} << 1;
        QTest::newRow("address that does not load")
            << QStringList{QStringLiteral("page"), QStringLiteral("file:///no/such/folder/page.htm")} << 1;
        QTest::newRow("bad wait") << QStringList{QStringLiteral("page"), QStringLiteral("x.htm"),
                                                 QStringLiteral("--wait-ms"), QStringLiteral("soon")}
                                  << 2;
        QTest::newRow("no page") << QStringList{QStringLiteral("page")} << 2;
    }
    void pageFailures() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QCOMPARE(Coursetool(args).ExitCode, exitCode);
    }

    // Which components a page gets, and that they work there.
    void components_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QVariant>("expected");
        const QString flash = QStringLiteral("flash.htm");
        const QString plain = QStringLiteral("plain.htm");
        const QString math = QStringLiteral("math.htm");
        const QString swfobject = QStringLiteral("swfobject.htm");
        const QString swftext = QStringLiteral("swftext.htm");
        QTest::newRow("Flash page plays in the emulator")
            << flash << QStringLiteral("document.querySelectorAll('ruffle-object, ruffle-embed').length > 0")
            << QVariant(true);
        QTest::newRow("the movie is read and started")
            << flash
            << QStringLiteral("(function () { var p = document.querySelector('ruffle-object, ruffle-embed');"
                              " var m = p && (p.ruffle ? p.ruffle().metadata : p.metadata);"
                              " return m ? m.backgroundColor + ' ' + m.numFrames : null; })()")
            << QVariant(QStringLiteral("#3366CC 1"));
        QTest::newRow("movie written by a script after testing for Flash plays")
            << swfobject
            << QStringLiteral("(function () { var p = document.querySelector('ruffle-object, ruffle-embed');"
                              " var m = p && (p.ruffle ? p.ruffle().metadata : p.metadata);"
                              " return m ? m.backgroundColor + ' ' + m.width + 'x' + m.height : null; })()")
            << QVariant(QStringLiteral("#3366CC 200x100"));
        QTest::newRow("Flash found, no movie: no emulator")
            << swftext
            << QStringLiteral("document.querySelector('#says a') !== null && typeof window.RufflePlayer === "
                              "'undefined' && !document.querySelector('script[src*=\"ruffle\"]')")
            << QVariant(true);
        QTest::newRow("no play button or unmute overlay")
            << flash
            << QStringLiteral("(function () { var p = document.querySelector('ruffle-object, ruffle-embed');"
                              " var r = p && p.shadowRoot;"
                              " if (!r) return null;"
                              " var shown = function (id) { var e = r.getElementById(id);"
                              "   return !!e && getComputedStyle(e).display !== 'none'; };"
                              " return shown('play-button') || shown('unmute-overlay'); })()")
            << QVariant(false);
        QTest::newRow("MathML typeset")
            << math << QStringLiteral("document.querySelector('mjx-container') !== null") << QVariant(true);
        QTest::newRow("no emulator for a page without Flash")
            << plain
            << QStringLiteral("typeof window.RufflePlayer === 'undefined' && !document.querySelector("
                              "'script[src*=\"ruffle\"], ruffle-object, ruffle-embed, ruffle-player')")
            << QVariant(true);
        QTest::newRow("no typesetter for a page without MathML")
            << plain
            << QStringLiteral("typeof window.MathJax === 'undefined' && "
                              "!document.querySelector('script[src*=\"mathjax\"]')")
            << QVariant(true);
    }
    void components() {
        QFETCH(QString, page);
        QFETCH(QString, script);
        QFETCH(QVariant, expected);
        Show(page);
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(m_browser->page(), script), expected, kWebTimeout);
    }
};

CP_BROWSER_TEST_MAIN(TestOldDiscs)
#include "test_olddiscs.moc"
