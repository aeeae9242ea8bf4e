// coursetool export on a copy of the demo library with an old-disc page and links out of it
// added: one export serves the checks of its files and of what a browser shows from a web server.
#include "tests/CoursetoolRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPublishSite final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_library;
    QString m_site;
    TCoursetoolRun m_export;
    QProcess m_server;
    int m_port = 0;

    QString Export(const QStringList& args) {
        m_export = RunCoursetool(QStringLiteral(CP_COURSETOOL), QStringList{QStringLiteral("export")} + args);
        // Qt's note about a missing runtime folder is not the command's.
        return m_export.Err.remove(QRegularExpression(QStringLiteral("QStandardPaths:[^\n]*\n")));
    }

    // The page as headless chromium has it after its scripts ran, from the web server, or from
    // the site's files for a path given as "file:PATH".
    QString BrowserDom(const QString& path) {
        QProcess chromium;
        chromium.start(QStandardPaths::findExecutable(QStringLiteral("chromium")),
                       {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                        QStringLiteral("--disable-gpu"), QStringLiteral("--disable-dev-shm-usage"),
                        QStringLiteral("--no-first-run"),
                        QStringLiteral("--user-data-dir=") + m_dir.filePath(QStringLiteral("profile")),
                        QStringLiteral("--virtual-time-budget=3000"), QStringLiteral("--dump-dom"),
                        path.startsWith(QLatin1String("file:"))
                            ? QStringLiteral("file://") + m_site + u'/' + path.mid(5)
                            : QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path)});
        if (!chromium.waitForFinished(120000))
            chromium.kill();
        return QString::fromUtf8(chromium.readAllStandardOutput());
    }

    // Python's web server on the site, started once for the checks that need a browser.
    void StartServer() {
        if (QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
            QSKIP("chromium is not installed (scripts/install-deps installs it)");
        if (m_port != 0)
            return;
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(QStringLiteral("python3"),
                       {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                        QStringLiteral("0"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--directory"), m_site});
        static const QRegularExpression port(QStringLiteral("port (\\d+)"));
        QString said;
        while (m_port == 0 && m_server.waitForReadyRead(20000)) {
            said += QString::fromUtf8(m_server.readAll());
            m_port = port.match(said).captured(1).toInt();
        }
        QVERIFY2(m_port > 0, qPrintable(said));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_library = m_dir.filePath(QStringLiteral("lib"));
        m_site = m_dir.filePath(QStringLiteral("site"));
        QCOMPARE(QProcess::execute(QStringLiteral("cp"),
                                   {QStringLiteral("-r"), QStringLiteral(CP_CONTENT), m_library}),
                 0);
        // An old-disc page: windows-1251 without a charset, links in another case and with backslashes.
        const QString section = m_library + QStringLiteral("/101/5/");
        Write(section + QStringLiteral("OLD.HTM"),
              QByteArray("<html><head><title>old</title></head><body><p>")
                  .append("\xd1\xf2\xe0\xf0\xfb\xe9 \xe4\xe8\xf1\xea")
                  .append("</p><a href=\"Sub\\Page.HTM#top\">next</a>"
                          "<img src=\"PIC.GIF\"><a href=\"http://x/Y\">w</a>"
                          "</body></html>"));
        Write(section + QStringLiteral("sub/page.htm"), "<p>page</p>");
        // Pages with the IE-era objects (names built at run time, in another case), a movie and a formula.
        Write(
            section + QStringLiteral("IE.HTM"),
            "<html><head><script>function go() {"
            "var x = new ActiveXObject('Microsoft.XMLDOM'); x.async = false; x.load('DATA\\\\TASKS.XML');"
            "document.getElementById('out').textContent = 'xml=' + x.selectSingleNode('//task').text;"
            "var img = new Image(), name = 'PIC.GIF';"
            "img.onload = function () { document.getElementById('pic').textContent = 'width=' + img.width; };"
            "img.src = 'IMG\\\\' + name; }</script></head>"
            "<body onload=\"go()\"><p id=\"out\"></p><p id=\"pic\"></p></body></html>");
        Write(section + QStringLiteral("Data/Tasks.xml"), "<tasks><task>task-from-file</task></tasks>");
        Write(section + QStringLiteral("Img/Pic.gif"),
              QByteArray::fromBase64("R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
        Write(section + QStringLiteral("FLASH.HTM"), "<html><body><embed src=\"movie.swf\"></body></html>");
        Write(section + QStringLiteral("movie.swf"), "FWS\x0a");
        Write(section + QStringLiteral("MATH.HTM"), "<html><body><math><mi>x</mi></math></body></html>");
        Write(section + QStringLiteral("pic.gif"), "GIF89a");
        // Links out of the library, and one inside it.
        Write(m_dir.filePath(QStringLiteral("secret/passwords.txt")), "secret");
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("secret")), section + QStringLiteral("outside")));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("secret/passwords.txt")),
                            section + QStringLiteral("p.htm")));
        QVERIFY(QFile::link(section + QStringLiteral("1.xml"), section + QStringLiteral("inside.xml")));
        QVERIFY(QFile::link(section, section + QStringLiteral("loop")));

        QCOMPARE(Export({m_library, m_site, QStringLiteral("--scorm")}), QString());
        QCOMPARE(m_export.ExitCode, 0);
    }

    void SkippedLinksAreListed() {
        for (const char* name : {"101/5/outside", "101/5/p.htm", "101/5/loop"})
            QVERIFY2(m_export.Out.contains(QString::fromLatin1(name)), qPrintable(m_export.Out));
        QVERIFY(!m_export.Out.contains(QLatin1String("inside.xml")));
    }

    void Files_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("contains"); // empty: the file must not exist
        QTest::addColumn<QString>("lacks");
        const auto row = [](const char* file, const char* contains, const char* lacks = "") {
            QTest::newRow(file) << QString::fromUtf8(file) << QString::fromUtf8(contains)
                                << QString::fromUtf8(lacks);
        };
        row("index.html", "<a href=\"101/index.html\">Алгебра, 7 класс</a>");
        row("101/index.html", "<span style=\"font-weight:bold\">Глава 1.</span> Выражения",
            ">&lt;b&gt;"); // markup shown as text
        row("101/5/1.html", "Запись, составленная из чисел");
        row("101/5/1.xml", "<?xml-stylesheet");
        row("101/5/OLD.HTM", "<head><meta charset=\"utf-8\"><title>old</title>", "_components");
        row("101/5/MATH.HTM",
            "<html><meta charset=\"utf-8\"><script src=\"../../_components/names-101.js\"></script>"
            "<script src=\"../../_components/legacy.js\"></script><body>");
        row("_components/names-101.js", "\"101/5/img/pic.gif\":\"101/5/Img/Pic.gif\"");
        row("101/5/inside.xml", "Числовые выражения");
        row("101/5/outside", "");
        row("101/5/p.htm", "");
        row("101/5/loop", "");
        row(".courseplayer-site", "");
    }
    void Files() {
        QFETCH(QString, file);
        QFETCH(QString, contains);
        QFETCH(QString, lacks);
        const QString path = m_site + u'/' + file;
        if (file.startsWith(u'.')) { // the marker: there, and empty
            QVERIFY(QFileInfo(path).isFile());
            return;
        }
        if (contains.isEmpty()) {
            QVERIFY2(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink(), qPrintable(path));
            return;
        }
        const QString text = QString::fromUtf8(Read(path));
        QVERIFY2(text.contains(contains), qPrintable(text.left(400)));
        if (!lacks.isEmpty())
            QVERIFY(!text.contains(lacks));
    }

    void OldDiscLinksNameTheFilesOnDisc() {
        const QString page = QString::fromUtf8(Read(m_site + QStringLiteral("/101/5/OLD.HTM")));
        QVERIFY2(page.contains(QLatin1String("href=\"sub/page.htm#top\"")), qPrintable(page));
        QVERIFY(page.contains(QLatin1String("src=\"pic.gif\"")));
        QVERIFY(page.contains(QLatin1String("href=\"http://x/Y\"")));
        QVERIFY(page.contains(QString::fromUtf8("Старый диск")));
        QVERIFY(QFileInfo::exists(m_site + QStringLiteral("/101/5/sub/page.htm")));
    }

    // Nothing half-written is left beside the site, and the library is as it was.
    void NothingLeftBeside() {
        const QStringList beside =
            QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(beside, QStringList({"lib", "secret", "site"}));
        QVERIFY(!QFileInfo::exists(m_library + QStringLiteral("/101/5/1.html")));
    }

    // A folder the program did not write is never replaced; its own site is, whole.
    void ReplacesOnlyItsOwnSite() {
        const QString foreign = m_dir.filePath(QStringLiteral("foreign"));
        Write(foreign + QStringLiteral("/keep.txt"), "mine");
        QVERIFY(Export({m_library, foreign}).contains(QString::fromUtf8("не будет заменена")));
        QCOMPARE(m_export.ExitCode, 1);
        QCOMPARE(Read(foreign + QStringLiteral("/keep.txt")), QByteArray("mine"));
        QVERIFY(!Export({m_library, m_library + QStringLiteral("/site")}).isEmpty());
        QCOMPARE(m_export.ExitCode, 1);
        QVERIFY(!QFileInfo::exists(m_library + QStringLiteral("/site")));

        const QString again = m_dir.filePath(QStringLiteral("again"));
        QCOMPARE(Export({m_library, again, QStringLiteral("--course"), QStringLiteral("102")}), QString());
        QCOMPARE(Export({m_library, again, QStringLiteral("--course"), QStringLiteral("201"),
                         QStringLiteral("--title"), QStringLiteral("Школа <1>")}),
                 QString());
        const QString index = QString::fromUtf8(Read(again + QStringLiteral("/index.html")));
        QVERIFY(index.contains(QLatin1String("201/index.html")));
        QVERIFY(index.contains(QString::fromUtf8("<h1>Школа &lt;1&gt;</h1>")));
        QVERIFY(!index.contains(QLatin1String("102/index.html")));
        QVERIFY(!QFileInfo::exists(again + QStringLiteral("/102")));
        QVERIFY(Export({m_library, again, QStringLiteral("--course"), QStringLiteral("999")})
                    .contains(QLatin1String("999")));
        QVERIFY(QFileInfo::exists(again + QStringLiteral("/201/index.html")));
    }

    void Browser_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("contains");
        QTest::addColumn<QString>("lacks");
        QTest::newRow("catalogue") << "index.html"
                                   << QStringList{"Алгебра, 7 класс", "Геометрия, 8 класс",
                                                  "href=\"101/index.html\""}
                                   << "";
        QTest::newRow("item by its link")
            << "101/index.html#s=5&i=3"
            << QStringList{"<span style=\"font-weight:bold\">Глава 1.</span>",
                           "<span style=\"color:#a03000\">тождественные преобразования</span>",
                           "class=\"item current\" tabindex=\"0\" data-i=\"3\"", "src=\"5/3.html\""}
            << ">&lt;b&gt;";
        QTest::newRow("other section")
            << "101/index.html#s=2010&i=31"
            << QStringList{"<ul class=\"tree\" data-s=\"5\" id=\"tree-5\" hidden=\"\">", "src=\"2010/31"}
            << "";
        QTest::newRow("stylesheet page as HTML")
            << "101/5/1.html" << QStringList{"Запись, составленная из чисел"} << "";
        QTest::newRow("old disc page") << "101/5/OLD.HTM" << QStringList{"Старый диск"} << "";
        QTest::newRow("IE-era page") << "101/5/IE.HTM" << QStringList{"xml=task-from-file", "width=1"} << "";
        QTest::newRow("Flash page") << "101/5/FLASH.HTM" << QStringList{"<ruffle-embed"} << "";
        QTest::newRow("MathML page") << "101/5/MATH.HTM" << QStringList{"<mjx-container"} << "";
        // The search: another form of the word, "е" for "ё", a word left out, nothing found.
        QTest::newRow("search by another form")
            << "index.html?q=%D1%83%D1%80%D0%B0%D0%B2%D0%BD%D0%B5%D0%BD%D0%B8%D0%B9" // уравнений
            << QStringList{"Найдено: ", "href=\"101/index.html#s=8&amp;i=83\">Корень уравнения</a>",
                           "Корень <mark>уравнения</mark>"}
            << "";
        QTest::newRow("search е for ё")
            << "index.html?q=%D1%87%D0%B5%D1%82%D1%8B%D1%80%D0%B5%D1%85%D1%83%D0%B3%D0%BE%D0%BB%D1%8C%D0%BD%"
               "D0%B8%D0%BA" // четырехугольник
            << QStringList{"<mark>Четырёхугольники</mark>", "href=\"102/index.html#s=5&amp;i=1\""} << "";
        QTest::newRow("search leaves a word out")
            << "index.html?q=%D1%83%D1%80%D0%B0%D0%B2%D0%BD%D0%B5%D0%BD%D0%B8%D0%B9+-%D0%BA%D0%BE%D1%80%D0%"
               "B5%D0%BD%D1%8C" // уравнений -корень
            << QStringList{"Найдено: "} << "Корень уравнения</a>";
        QTest::newRow("search finds nothing")
            << "index.html?q=zzqqxx" << QStringList{"Ничего не найдено"} << "";
        // From the site's files, without a server.
        QTest::newRow("file: item by its link")
            << "file:101/index.html#s=5&i=3"
            << QStringList{"class=\"item current\" tabindex=\"0\" data-i=\"3\"", "src=\"5/3.html\""} << "";
        QTest::newRow("file: search")
            << "file:index.html?q=%D1%83%D1%80%D0%B0%D0%B2%D0%BD%D0%B5%D0%BD%D0%B8%D0%B9" // уравнений
            << QStringList{"href=\"101/index.html#s=8&amp;i=83\">Корень уравнения</a>",
                           "Корень <mark>уравнения</mark>"}
            << "";
    }
    void Browser() {
        StartServer();
        QFETCH(QString, path);
        QFETCH(QStringList, contains);
        QFETCH(QString, lacks);
        const QString dom = BrowserDom(path);
        for (const QString& text : contains)
            QVERIFY2(dom.contains(text), qPrintable(text + QStringLiteral(" not in: ") + dom.left(1500)));
        if (!lacks.isEmpty())
            QVERIFY(!dom.contains(lacks));
    }

    // The package of a course, unpacked by another zip reader, in a SCORM 1.2 runtime: the course
    // says "incomplete" on start, "completed" once every item outside the tasks was opened, and
    // its session time when it is left.
    void ScormPackage() {
        const QString lms = m_site + QStringLiteral("/lms");
        QCOMPARE(QProcess::execute(QStringLiteral("python3"),
                                   {QStringLiteral("-m"), QStringLiteral("zipfile"), QStringLiteral("-e"),
                                    m_site + QStringLiteral("/scorm/101.zip"), lms}),
                 0);
        const QString manifest = QString::fromUtf8(Read(lms + QStringLiteral("/imsmanifest.xml")));
        for (const char* text :
             {"<schemaversion>1.2</schemaversion>", "adlcp:scormtype=\"sco\" href=\"101/index.html\"",
              "<file href=\"101/5/1.html\"/>", "<file href=\"common/course.css\"/>"})
            QVERIFY2(manifest.contains(QString::fromUtf8(text)), text);
        QVERIFY(!QFileInfo::exists(lms + QStringLiteral("/102")));
        QVERIFY(QFile::copy(QStringLiteral(CP_SCORM_RUNTIME), lms + QStringLiteral("/scorm12.js")));
        Write(lms + QStringLiteral("/run.html"), R"(<!DOCTYPE html><html><body><pre id="log"></pre>
<script src="scorm12.js"></script><script>
window.API = new Scorm12API({autocommit: false, logLevel: 5});
var log = [];
var set = API.LMSSetValue.bind(API);
API.LMSSetValue = function (k, v) { if (k !== 'cmi.suspend_data') log.push(k + '=' + v); return set(k, v); };
function show(text) { document.getElementById('log').textContent += text + '\n'; }
</script><iframe id="sco" src="101/index.html"></iframe><script>
var frame = document.getElementById('sco');
frame.onload = function () {
  frame.onload = null;
  var w = frame.contentWindow;
  show('start ' + API.LMSGetValue('cmi.core.lesson_status'));
  var items = w.document.querySelectorAll('.tree:not([data-s="2010"]) .item[data-page]');
  var i = 0;
  (function next() {
    if (i < items.length) {
      var item = items[i++];
      if (i === items.length) show('before last ' + API.LMSGetValue('cmi.core.lesson_status'));
      w.location.hash = 's=' + item.closest('.tree').dataset.s + '&i=' + item.dataset.i;
      setTimeout(next, 20);
      return;
    }
    show('end ' + API.LMSGetValue('cmi.core.lesson_status'));
    frame.src = 'about:blank';
    setTimeout(function () { show(log.join('\n')); }, 200);
  })();
};
</script></body></html>)");
        StartServer();
        const QString dom = BrowserDom(QStringLiteral("lms/run.html"));
        for (const char* text :
             {"start incomplete", "before last incomplete", "end completed",
              "cmi.core.lesson_status=completed", "cmi.core.session_time=0000:00:", "cmi.core.exit="})
            QVERIFY2(dom.contains(QString::fromUtf8(text)),
                     qPrintable(QString::fromUtf8(text) + QStringLiteral(" not in: ") + dom.left(3000)));
    }

    // Two items added in the course page (one of them twice) and listed on the collection page;
    // the file the browser saves reads back in the player's own collection reader, which writes
    // the same bytes; a file broken at its second item keeps the first and says so.
    void Collection() {
        QVERIFY(QFile::copy(QStringLiteral(CP_SOURCE_DIR "/tests/publish/favor-run.html"),
                            m_site + QStringLiteral("/favor-run.html")));
        StartServer();
        const QString dom = BrowserDom(QStringLiteral("favor-run.html"));
        for (const char* text :
             {"note: Уже в подборке (материалов: 2)",
              "row: Тождества и тождественные преобразования | ../101/index.html#s=5&amp;i=3 | Учебный курс",
              "row: Корень уравнения | ../101/index.html#s=8&amp;i=83 | Понятийный аппарат",
              "show: ../ShowFavor.htm#101;5;3$101;8;83", "loaded: 1 Ошибка загрузки файла"})
            QVERIFY2(dom.contains(QString::fromUtf8(text)),
                     qPrintable(QString::fromUtf8(text) + QStringLiteral(" not in: ") + dom.left(3000)));
        static const QRegularExpression sff(QStringLiteral("sff=([A-Za-z0-9+/=]*);"));
        const QByteArray saved = QByteArray::fromBase64(sff.match(dom).captured(1).toLatin1());
        const QString file = m_dir.filePath(QStringLiteral("browser.sff"));
        Write(file, saved);
        const QString again = m_dir.filePath(QStringLiteral("player.sff"));
        const TCoursetoolRun read = RunCoursetool(
            QStringLiteral(CP_COURSETOOL),
            {QStringLiteral("collection"), file, QStringLiteral("--json"), QStringLiteral("--save"), again});
        QCOMPARE(read.ExitCode, 0);
        // The caption with its markup, as the tree holds it.
        for (const char* text :
             {"{\"course\":101,\"folder\":5,\"id\":3,\"caption\":\"Тождества и <font color=", "A03000",
              ">тождественные преобразования</font>", "{\"course\":101,\"folder\":8,\"id\":83,"})
            QVERIFY2(read.Out.contains(QString::fromUtf8(text)), qPrintable(read.Out));
        QCOMPARE(Read(again), saved);
    }

    void cleanupTestCase() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestPublishSite)
#include "test_publish_site.moc"
