// Links to documents the browser cannot show: inside the library they open with the desktop's
// program and the page stays, on a user's click only (a script's navigation or click opens
// nothing); outside it nothing opens; pages still navigate.

#include "BrowserTestSupport.h"
#include "app/Shell.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Records what would have been opened instead of starting a program.
class TFakeShell final : public TShell {
public:
    bool Open(const QString& pathOrUrl) override {
        Opened.append(pathOrUrl);
        return !Refuses;
    }
    QStringList Opened;
    bool Refuses = false; // as a desktop with no program for the file
};

bool WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestDocumentNavigation : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_library;
    QString m_page;
    TFakeShell m_shell;
    TEmbeddedBrowser* m_browser = nullptr;
    QStringList m_navigations;
    QStringList m_failures; // "file name, allowed" for each report of a document that did not open

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        m_library = m_root.path() + QStringLiteral("/library/");
        m_page = m_library + QStringLiteral("course/links.html");
        QByteArray links;
        for (const char* name : {"slides.ppt", "SHOW.PPS", "notes.doc", "sheet.xls", "text.rtf",
                                 "../../outside/slides.ppt", "next.htm"})
            links += QByteArray("<p><a id='") + name + "' href='" + name + "'>" + name + "</a>";
        QVERIFY(WriteFile(m_page, links));
        for (const char* name : {"course/slides.ppt", "course/SHOW.PPS", "course/notes.doc",
                                 "course/sheet.xls", "course/text.rtf", "../outside/slides.ppt"})
            QVERIFY(WriteFile(m_library + QString::fromUtf8(name), "document"));
        QVERIFY(WriteFile(m_library + QStringLiteral("course/next.htm"), "<title>Next</title>next"));

        SetAllowedFileRoots({m_library});
        SetDocumentShell(&m_shell);
        SetDocumentFailureReporter([this](const QString& path, bool allowed) {
            m_failures << QFileInfo(path).fileName() + (allowed ? QStringLiteral(", allowed") : QString());
        });
        m_browser = new TEmbeddedBrowser();
        m_browser->OnBeforeNavigate2 = [this](TWebBrowser*, const QString& url, const std::optional<QString>&,
                                              bool&) { m_navigations.append(url); };
        ShowForInput(m_browser);
        QVERIFY(NavigateAndWait(m_browser, m_page));
    }

    void cleanupTestCase() {
        delete m_browser;
        SetDocumentShell(nullptr);
        SetDocumentFailureReporter({});
        SetAllowedFileRoots({QStringLiteral(CP_TEST_DATA "/browser")});
    }

    void links_data() {
        QTest::addColumn<QString>("link");   // the element's id, its href as written
        QTest::addColumn<QString>("how");    // "click" (the user's), "location" or "click()" (a script's)
        QTest::addColumn<QString>("opened"); // below the library; empty: nothing opens
        QTest::addColumn<bool>("stays");     // the links page stays shown
        QTest::newRow("presentation") << "slides.ppt"
                                      << "click"
                                      << "course/slides.ppt" << true;
        QTest::newRow("show, upper case") << "SHOW.PPS"
                                          << "click"
                                          << "course/SHOW.PPS" << true;
        QTest::newRow("word") << "notes.doc"
                              << "click"
                              << "course/notes.doc" << true;
        QTest::newRow("excel") << "sheet.xls"
                               << "click"
                               << "course/sheet.xls" << true;
        QTest::newRow("rtf") << "text.rtf"
                             << "click"
                             << "course/text.rtf" << true;
        QTest::newRow("outside the library") << "../../outside/slides.ppt"
                                             << "click" << QString() << true;
        QTest::newRow("a script sets the location") << "notes.doc"
                                                    << "location" << QString() << true;
        QTest::newRow("a script clicks the link") << "sheet.xls"
                                                  << "click()" << QString() << true;
        QTest::newRow("page") << "next.htm"
                              << "click" << QString() << false;
    }

    void links() {
        QFETCH(QString, link);
        QFETCH(QString, how);
        QFETCH(QString, opened);
        QFETCH(bool, stays);
        const QString pageUrl = QUrl::fromLocalFile(m_page).toString();
        if (m_browser->LocationURL() != pageUrl)
            QVERIFY(NavigateAndWait(m_browser, m_page));
        m_shell.Opened.clear();
        m_navigations.clear();

        const QString target = QUrl(pageUrl).resolved(QUrl(link)).toString();
        if (how == QLatin1String("click"))
            QVERIFY(ClickElement(m_browser, link));
        else if (how == QLatin1String("location"))
            RunScript(m_browser->page(), QStringLiteral("location.href = '%1'").arg(link));
        else
            RunScript(m_browser->page(), QStringLiteral("document.getElementById('%1').click()").arg(link));
        QTRY_COMPARE_WITH_TIMEOUT(m_navigations.value(0), target, kWebTimeout);
        if (stays) {
            // The document opens while the navigation is dropped, before the handler's record
            // is seen here; a download of it as well would show as a second opening.
            QVERIFY(WaitComplete(m_browser));
            const QStringList expected = opened.isEmpty()
                                             ? QStringList()
                                             : QStringList{QDir(m_library).canonicalPath() + u'/' + opened};
            QTRY_COMPARE_WITH_TIMEOUT(m_shell.Opened, expected, kWebTimeout);
            QCOMPARE(m_browser->LocationURL(), pageUrl);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), target, kWebTimeout);
            QVERIFY(WaitComplete(m_browser));
            QVERIFY(m_shell.Opened.isEmpty());
        }
    }

    // A clicked document that does not open says so once, with what the message needs; one
    // that opens says nothing.
    void failuresReported_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("refuses");
        QTest::addColumn<QStringList>("failures");
        QTest::newRow("no program for it") << "notes.doc" << true << QStringList{"notes.doc, allowed"};
        QTest::newRow("outside the library")
            << "../../outside/slides.ppt" << false << QStringList{"slides.ppt"};
        QTest::newRow("opened") << "sheet.xls" << false << QStringList{};
    }
    void failuresReported() {
        QFETCH(QString, link);
        QFETCH(bool, refuses);
        QFETCH(QStringList, failures);
        if (m_browser->LocationURL() != QUrl::fromLocalFile(m_page).toString())
            QVERIFY(NavigateAndWait(m_browser, m_page));
        m_shell.Refuses = refuses;
        m_shell.Opened.clear();
        m_failures.clear();
        QVERIFY(ClickElement(m_browser, link));
        QTRY_VERIFY_WITH_TIMEOUT(!m_shell.Opened.isEmpty() || !m_failures.isEmpty(), kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        m_shell.Refuses = false;
        QCOMPARE(m_failures, failures);
    }
};

CP_BROWSER_TEST_MAIN(TestDocumentNavigation)
#include "test_documentnavigation.moc"
