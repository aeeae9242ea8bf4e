// Old course discs in the player's browser: IE-era scripts (ActiveXObject XML documents and
// XMLHTTP, attachEvent, document.selection) and pages without a charset, read through
// `coursetool page`; the Flash emulator and the MathML typesetter loaded only into the pages that
// need them, checked in the page's DOM.

#include "BrowserTestSupport.h"
#include "app/ComponentStaging.h"
#include "app/browser/BrowserProfile.h"
#include "app/browser/EmbeddedBrowser.h"
#include "tests/CoursetoolRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Writes value in bits bits, most significant first, as SWF's bit fields are stored.
class TBitWriter final {
public:
    void Write(quint32 value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            m_current = static_cast<quint8>((m_current << 1) | ((value >> i) & 1u));
            if (++m_used == 8)
                Flush();
        }
    }
    QByteArray Finish() {
        if (m_used)
            Flush(8 - m_used);
        return m_bytes;
    }

private:
    void Flush(int padding = 0) {
        m_bytes.append(static_cast<char>(m_current << padding));
        m_current = 0;
        m_used = 0;
    }
    QByteArray m_bytes;
    quint8 m_current = 0;
    int m_used = 0;
};

void AppendLe(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xffu));
}

// A valid uncompressed movie: 200×100 px, 24 frames a second, one frame on a #3366CC background.
QByteArray TinySwf() {
    TBitWriter rect;
    const int bits = 13; // 4000 twips need 13 bits with the sign
    rect.Write(bits, 5);
    for (quint32 twips : {0u, 200u * 20u, 0u, 100u * 20u})
        rect.Write(twips, bits);
    QByteArray body = rect.Finish();
    body.append('\0').append('\x18');  // frame rate 24.0 (8.8 fixed point)
    AppendLe(body, 1, 2);              // frame count
    AppendLe(body, (9u << 6) | 3u, 2); // SetBackgroundColor, 3 bytes
    body.append('\x33').append('\x66').append('\xCC');
    AppendLe(body, 1u << 6, 2); // ShowFrame
    AppendLe(body, 0, 2);       // End
    QByteArray swf("FWS");
    swf.append('\x0a'); // version 10
    AppendLe(swf, static_cast<quint32>(8 + body.size()), 4);
    return swf + body;
}

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
        QTest::newRow("Flash page plays in the emulator")
            << flash << QStringLiteral("document.querySelectorAll('ruffle-object, ruffle-embed').length > 0")
            << QVariant(true);
        QTest::newRow("the movie is read and started")
            << flash
            << QStringLiteral("(function () { var p = document.querySelector('ruffle-object, ruffle-embed');"
                              " var m = p && (p.ruffle ? p.ruffle().metadata : p.metadata);"
                              " return m ? m.backgroundColor + ' ' + m.numFrames : null; })()")
            << QVariant(QStringLiteral("#3366CC 1"));
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
