// Waiting for a page that never loads ends at the wait's bound or when the application quits,
// and is never started again once it is quitting. In an executable of its own: the quit stays in
// force to the end.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestQuitWait : public QObject {
    Q_OBJECT

    QTcpServer m_server; // takes connections and never answers
    TEmbeddedBrowser* m_browser = nullptr;

private slots:
    void initTestCase() {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        m_browser = new TEmbeddedBrowser();
        // The blank page is refused, so only the endless page is left to wait for.
        m_browser->OnBeforeNavigate2 = [](TWebBrowser*, const QString& url, const std::optional<QString>&,
                                          bool& cancel) { cancel = url.startsWith(QLatin1String("about:")); };
        m_browser->Navigate(QStringLiteral("http://127.0.0.1:%1/never").arg(m_server.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(m_server.hasPendingConnections(), kWebTimeout);
    }

    void cleanupTestCase() {
        m_browser->Stop();
        delete m_browser;
    }

    void waitGivesUpAtItsBound() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("не загрузилась.*/never")));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!m_browser->WaitUntilComplete(300));
        QVERIFY(clock.elapsed() >= 250); // waited (a coarse timer may end a little early)
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyLoading));
    }

    void waitEndsWhenTheApplicationQuits() {
        bool quitAsked = false;
        QTimer::singleShot(0, this, [&] {
            quitAsked = true;
            QCoreApplication::exit(0);
        });
        m_browser->LoadBlankAndWait();
        QVERIFY(quitAsked);
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyLoading));
    }

    void noNewWaitOnceQuitting() {
        // Would wait for ever if it started waiting.
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyLoading));
    }

    void printingStillFinishesWhileQuitting() {
        // The page may not go while Chromium lays it out, so that wait ignores the quit.
        m_browser->Stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->ReadyState(), int(TWebBrowser::ReadyComplete), kWebTimeout);
        QTemporaryDir dir;
        QVERIFY(m_browser->SaveAsPdf(dir.filePath(QStringLiteral("page.pdf"))));
    }
};

CP_BROWSER_TEST_MAIN(TestQuitWait)
#include "test_quitwait.moc"
