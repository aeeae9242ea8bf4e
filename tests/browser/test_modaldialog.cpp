// window.showModalDialog of library pages: the request the page's shim sends, the script the
// dialog's page gets, and real dialogs in real windows: the call waits for the dialog and returns
// its returnValue, and whatever ends the dialog (its own window.close(), its window closed, the
// opener's window closed, the opener gone) lets the opener go on.

#include "BrowserTestSupport.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/ModalDialog.h"
#include "browser/RendererWatch.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineProfile>

namespace {

QUrl OpenUrl(const QString& query) {
    return QUrl(QStringLiteral("courseplayer-dialog:open?") + query);
}

const char kOut[] = "document.getElementById('out').textContent";

} // namespace

class TestModalDialog : public QObject {
    Q_OBJECT
    QTemporaryDir m_disc;
    QWidget* m_dialogWindow = nullptr;
    TEmbeddedBrowser* m_dialogBrowser = nullptr;

    TModalDialogBroker* Broker() const { return TModalDialogBroker::Of(SharedBrowserProfile()); }
    QString Page(const QString& name) const { return m_disc.filePath(name); }

    QString DialogText() {
        return RunScript(m_dialogBrowser->page(),
                         QStringLiteral("document.body ? document.body.innerText : ''"))
            .toString()
            .trimmed();
    }

    // An opener shown in a window of its own, its page asking for a dialog in mode once loaded;
    // returns when the dialog's page shows and waits.
    std::unique_ptr<TEmbeddedBrowser> OpenDialog(const QString& mode) {
        auto opener = std::make_unique<TEmbeddedBrowser>();
        opener->resize(500, 400);
        opener->show();
        const QString url =
            QUrl::fromLocalFile(Page(QStringLiteral("modal-opener.htm"))).toString() + u'#' + mode;
        opener->Navigate(url);
        return opener;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_disc.isValid());
        for (const char* name : {"modal-opener.htm", "dialog-page.htm"})
            QVERIFY(QFile::copy(QStringLiteral(CP_TEST_DATA "/olddisc/") + QLatin1String(name),
                                m_disc.filePath(QLatin1String(name))));
        SetAllowedFileRoots({m_disc.path()});
        m_dialogWindow = new QWidget;
        m_dialogBrowser = new TEmbeddedBrowser;
        auto* layout = new QVBoxLayout(m_dialogWindow);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_dialogBrowser);
        m_dialogWindow->resize(600, 500);
        QVERIFY(Broker());
        Broker()->SetDialogWindow(m_dialogBrowser, m_dialogWindow);
    }
    void cleanupTestCase() { delete m_dialogWindow; }
    // Each dialog starts from an empty window, so that its page is known when it shows.
    void cleanup() {
        QTRY_VERIFY_WITH_TIMEOUT(!Broker()->IsOpen(), kWebTimeout);
        m_dialogWindow->hide();
        QVERIFY(NavigateAndWait(m_dialogBrowser, QStringLiteral("about:blank")));
    }

    void request_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("arguments"); // as the dialog's script gets them
        const QString page = QStringLiteral("file:///disc/1/5/d.htm");
        const QString encodedPage = QString::fromLatin1(QUrl::toPercentEncoding(page));
        QTest::newRow("page and arguments")
            << OpenUrl("id=a1&url=" + encodedPage + "&args=%7B%22value%22%3A%5B1%2C%22%D1%8F%22%5D%7D")
            << true << page << QStringLiteral("{\"value\":[1,\"я\"]}");
        QTest::newRow("no arguments: undefined")
            << OpenUrl("id=a1&url=" + encodedPage + "&args=%7B%7D") << true << page << QStringLiteral("{}");
        // What reaches the dialog's script is JSON the player wrote itself, never the page's text.
        QTest::newRow("arguments that are no JSON")
            << OpenUrl("id=a1&url=" + encodedPage + "&args=%7D)%3Balert(1)%3B(%7B") << true << page
            << QStringLiteral("{}");
        QTest::newRow("extra members dropped")
            << OpenUrl("id=a1&url=" + encodedPage + "&args=%7B%22value%22%3A1%2C%22x%22%3A2%7D") << true
            << page << QStringLiteral("{\"value\":1}");
        QTest::newRow("web page") << OpenUrl("id=a1&url=https%3A%2F%2Fexample.org%2F&args=%7B%7D") << true
                                  << QStringLiteral("https://example.org/") << QStringLiteral("{}");
        QTest::newRow("javascript: refused")
            << OpenUrl("id=a1&url=javascript%3Aalert(1)&args=%7B%7D") << false << QString() << QString();
        QTest::newRow("no id") << OpenUrl("url=" + encodedPage) << false << QString() << QString();
        QTest::newRow("no page") << OpenUrl("id=a1") << false << QString() << QString();
        QTest::newRow("close request is no dialog")
            << QUrl(QStringLiteral("courseplayer-dialog:close?id=a1")) << false << QString() << QString();
        QTest::newRow("another scheme")
            << QUrl("file:///open?id=a1&url=" + encodedPage) << false << QString() << QString();
    }
    void request() {
        QFETCH(QUrl, url);
        QFETCH(bool, valid);
        const std::optional<TDialogRequest> request = ParseDialogRequest(url);
        QCOMPARE(request.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(request->Id, QStringLiteral("a1"));
        QTEST(request->Url.toString(), "page");
        QTEST(request->Arguments, "arguments");
        QFETCH(QString, arguments);
        QVERIFY(DialogPageScript(request->Id, request->Arguments)
                    .contains(QStringLiteral("(\"a1\", ") + arguments + QStringLiteral(");")));
    }

    void features_data() {
        QTest::addColumn<QString>("features");
        QTest::addColumn<QSize>("size");
        QTest::newRow("px") << "dialogWidth:300px;dialogHeight:200px" << QSize(300, 200);
        QTest::newRow("spaces, no unit, other order")
            << "dialogHeight: 250; dialogWidth: 410; center: yes" << QSize(410, 250);
        QTest::newRow("case and =") << "DIALOGWIDTH=320px,DialogHeight=240px" << QSize(320, 240);
        QTest::newRow("em is no pixel size") << "dialogWidth:30em;dialogHeight:20em" << QSize();
        QTest::newRow("width only") << "dialogWidth:300px" << QSize();
        QTest::newRow("absurd size") << "dialogWidth:99999px;dialogHeight:200px" << QSize();
        QTest::newRow("none") << "" << QSize();
    }
    void features() {
        QFETCH(QString, features);
        QTEST(DialogSizeFromFeatures(features), "size");
    }

    // How the dialog ends, and what the opener's call then returns.
    void dialogEnds_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("result");
        QTest::newRow("its own window.close()") << "close"
                                                << ""
                                                << "result:{\"sum\":5,\"text\":\"x!\"}";
        QTest::newRow("its window closed by the user") << "stay"
                                                       << "hide dialog"
                                                       << "result:[\"оставлен\",1]";
        QTest::newRow("nothing returned") << "silent"
                                          << "hide dialog"
                                          << "result:undefined";
        QTest::newRow("closed before its page came") << "away"
                                                     << "hide at once"
                                                     << "result:undefined";
        QTest::newRow("the opener's window closed") << "stay"
                                                    << "hide opener"
                                                    << "result:undefined";
    }
    void dialogEnds() {
        QFETCH(QString, mode);
        QFETCH(QString, ending);
        QFETCH(QString, result);
        if (ending == QLatin1String("hide at once")) {
            // The window still shows an earlier page, with a returnValue of its own.
            QVERIFY(NavigateAndWait(m_dialogBrowser,
                                    QUrl::fromLocalFile(Page(QStringLiteral("dialog-page.htm"))).toString()));
            QCOMPARE(RunScript(m_dialogBrowser->page(), QStringLiteral("window.returnValue = 7")),
                     QVariant(7));
        }
        auto opener = OpenDialog(mode);
        if (ending == QLatin1String("hide at once")) {
            QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen() && m_dialogWindow->isVisible(), kWebTimeout);
            m_dialogWindow->hide();
        } else if (!ending.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen() && m_dialogWindow->isVisible(), kWebTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(DialogText().startsWith(QStringLiteral("Диалог")), kWebTimeout);
            QCOMPARE(m_dialogBrowser->size(), QSize(320, 240)); // from the features
            if (ending == QLatin1String("hide dialog"))
                m_dialogWindow->hide();
            else
                opener->hide();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!Broker()->IsOpen(), kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(opener->page(), QString::fromLatin1(kOut)).toString(), result,
                                  kWebTimeout);
        QVERIFY(!m_dialogWindow->isVisible());
    }

    // A page waiting for its dialog does not answer, on purpose: another page asked of its
    // browser waits for the dialog as well, and its renderer is never taken for a stuck one.
    void waitingOpenerIsNotStuck() {
        auto opener = OpenDialog(QStringLiteral("stay"));
        QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen(), kWebTimeout);
        QSignalSpy ended(opener->page(), &QWebEnginePage::renderProcessTerminated);
        opener->Navigate(QUrl::fromLocalFile(Page(QStringLiteral("modal-opener.htm"))).toString());
        QTest::qWait(2 * TRendererWatch::kAnswerMs + 1000);
        QCOMPARE(ended.size(), 0);
        QVERIFY(Broker()->IsOpen());
        m_dialogWindow->hide();
        QTRY_VERIFY_WITH_TIMEOUT(!Broker()->IsOpen(), kWebTimeout);
    }

    // The opener's page goes while it waits: the dialog is forgotten, nothing hangs.
    void openerGoes() {
        auto opener = OpenDialog(QStringLiteral("stay"));
        QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen(), kWebTimeout);
        opener.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!Broker()->IsOpen(), kWebTimeout);
        // The dialog window still closes as usual.
        m_dialogWindow->hide();
    }

    // The dialog's window goes (the application quits) while the opener waits: the opener goes
    // on with undefined.
    void dialogWindowGoes() {
        auto* window = new QWidget;
        auto* browser = new TEmbeddedBrowser(window);
        Broker()->SetDialogWindow(browser, window);
        auto opener = OpenDialog(QStringLiteral("stay"));
        QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen() && window->isVisible(), kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(
            RunScript(browser->page(), QStringLiteral("document.getElementById('says').textContent"))
                .toString(),
            QStringLiteral("Диалог ждёт закрытия"), kWebTimeout);
        delete window;
        QTRY_VERIFY_WITH_TIMEOUT(!Broker()->IsOpen(), kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(opener->page(), QString::fromLatin1(kOut)).toString(),
                                  QStringLiteral("result:undefined"), kWebTimeout);
        Broker()->SetDialogWindow(m_dialogBrowser, m_dialogWindow);
    }

    // One dialog at a time: a second opener goes on at once with undefined; so does the dialog
    // window's own page, whose dialog then replaces it.
    void onlyOneDialog() {
        auto first = OpenDialog(QStringLiteral("stay"));
        QTRY_VERIFY_WITH_TIMEOUT(Broker()->IsOpen(), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(DialogText() == QStringLiteral("Диалог ждёт закрытия"), kWebTimeout);
        auto second = OpenDialog(QStringLiteral("close"));
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(second->page(), QString::fromLatin1(kOut)).toString(),
                                  QStringLiteral("result:undefined"), kWebTimeout);
        QVERIFY(Broker()->IsOpen());
        m_dialogWindow->hide();
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(first->page(), QString::fromLatin1(kOut)).toString(),
                                  QStringLiteral("result:[\"оставлен\",1]"), kWebTimeout);

        // The dialog window's page asks for a dialog itself.
        m_dialogBrowser->Navigate(QUrl::fromLocalFile(Page(QStringLiteral("modal-opener.htm"))).toString() +
                                  QStringLiteral("#stay"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dialogBrowser->url().fileName() == QStringLiteral("dialog-page.htm"),
                                 kWebTimeout);
        QVERIFY(!Broker()->IsOpen());
    }
};

CP_BROWSER_TEST_MAIN(TestModalDialog)
#include "test_modaldialog.moc"
