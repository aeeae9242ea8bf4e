// New-window requests of a page: each reaches the receiving browser's OnBeforeNavigate2 once,
// with the URL and the window name exactly as the page wrote it; nothing opens a window.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PlainBrowser.h"
#include "browser/WebPage.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace {

struct TRequest {
    QString Url;
    std::optional<QString> Name;
};

// Keeps only the part of a fixture URL after the fixture folder.
QString Tail(const QString& url) {
    const QString folder = FixtureUrl(QString());
    return url.startsWith(folder) ? url.mid(folder.size()) : url;
}

int VisibleWindows() {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
}

} // namespace

class TestNewWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QObject> m_owner;
    TEmbeddedBrowser* m_source = nullptr;
    TPlainBrowser* m_receiver = nullptr;
    QList<TRequest> m_requests;
    QList<QString> m_sourceNavigations;
    int m_newWindowCalls = 0;
    int m_receiverLoads = 0;

    void ArmReceiver() {
        m_receiver->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                               const std::optional<QString>& name, bool& cancel) {
            QCOMPARE(sender, m_receiver);
            m_requests.append({Tail(url), name});
            cancel = true;
        };
    }

    // Asks for one more window and waits for it: a request handled twice would show up before it.
    void WaitForSentinel() {
        const qsizetype before = m_requests.size();
        RunScript(m_source->page(), QStringLiteral("window.open('hint.html?sentinel', 'sentinel'); 0"));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), before + 1, kWebTimeout);
        QCOMPARE(m_requests.last().Url, QStringLiteral("hint.html?sentinel"));
        QCOMPARE(m_requests.last().Name, std::optional<QString>(QStringLiteral("sentinel")));
        m_requests.removeLast();
    }

    int PendingWindows() const {
        int pending = 0;
        for (auto* catcher : m_source->page()->findChildren<TNewWindowCatcher*>())
            pending += catcher->IsPending() ? 1 : 0;
        return pending;
    }

    // Loads a fixture page and starts counting afresh.
    void Load(const QString& page) {
        QVERIFY(NavigateAndWait(m_source, Fixture(page)));
        m_requests.clear();
        m_sourceNavigations.clear();
        m_newWindowCalls = 0;
    }

    // Like Load, but keeps the page when it is already shown: the rows of a table click one
    // link each on the same page, which cancelled requests leave as it was.
    void Show(const QString& page) {
        if (m_source->LocationURL() != FixtureUrl(page) ||
            m_source->ReadyState() != TWebBrowser::ReadyComplete) {
            Load(page);
            return;
        }
        m_requests.clear();
        m_sourceNavigations.clear();
        m_newWindowCalls = 0;
    }

    void CreateSource() {
        m_source = new TEmbeddedBrowser();
        ShowForInput(m_source);
        Arm();
    }

    // The handlers every test starts with: the source hands each request to the receiver, which
    // records and cancels it.
    void Arm() {
        m_source->OnNewWindow2 = [this](TWebBrowser* sender, TWebBrowser*& ppDisp, bool&) {
            QCOMPARE(sender, m_source);
            ++m_newWindowCalls;
            ArmReceiver();
            ppDisp = m_receiver;
        };
        m_source->OnBeforeNavigate2 = [this](TWebBrowser*, const QString& url,
                                             const std::optional<QString>& name, bool&) {
            QVERIFY(!name.has_value());
            m_sourceNavigations.append(Tail(url));
        };
    }

private slots:
    // One source and one receiver serve every test: starting a browser is the slowest step of
    // all, and each test loads the page it needs anyway.
    void initTestCase() {
        m_owner = std::make_unique<QObject>();
        m_receiver = new TPlainBrowser(m_owner.get());
        connect(m_receiver->page(), &QWebEnginePage::loadStarted, this, [this] { ++m_receiverLoads; });
        CreateSource();
    }

    void cleanupTestCase() {
        delete m_source;
        m_owner.reset(); // takes the receiver with it
        m_source = nullptr;
        m_receiver = nullptr;
    }

    void init() {
        // Windows an earlier test named and never served would take this test's requests.
        qDeleteAll(m_source->page()->findChildren<TNewWindowCatcher*>());
        Arm();
        m_receiver->OnBeforeNavigate2 = nullptr;
        m_requests.clear();
        m_sourceNavigations.clear();
        m_newWindowCalls = 0;
        m_receiverLoads = 0;
    }

    void cleanup() {
        // A receiver that was let through must not carry its page into the next test.
        if (m_receiverLoads > 0) {
            m_receiver->OnBeforeNavigate2 = nullptr;
            m_receiver->LoadBlankAndWait();
        }
    }

    void clickedTargets_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        // page, element clicked, frame holding it, URL and name handed over
        const auto row = [](const char* tag, const char* page, const char* element, const char* frame,
                            const char* url, const char* name) {
            QTest::newRow(tag) << QString(page) << QString(element) << QString(frame) << QString(url)
                               << QString::fromUtf8(name);
        };
        row("tooltip", "links.html", "tooltip", "", "hint.html", "tooltip");
        row("test, fragment kept", "links.html", "test", "", "task.html#tid=5", "test");
        row("run", "links.html", "run", "", "run_Content.html", "run");
        row("case kept", "links.html", "ToolTip", "", "hint.html?case", "ToolTip");
        // target="" is the page's own window, as in any browser.
        row("_blank", "links.html", "blank", "", "hint.html?blank", "");
        row("cyrillic name", "links.html", "cyrillic", "", "hint.html?cyr", "Окно подсказки");
        row("area", "links.html", "map", "", "area.html", "test");
        row("form", "links.html", "submit", "", "form.html?q=1", "run");
        row("base target", "base.html", "link", "", "hint.html?base", "test");
        row("own target over base", "base.html", "own", "", "hint.html?own", "tooltip");
        row("link in a frame", "frames.html", "innerlink", "content", "hint.html?frame", "tooltip");
    }

    void clickedTargets() {
        QFETCH(QString, page);
        QFETCH(QString, element);
        QFETCH(QString, frame);
        QFETCH(QString, url);
        QFETCH(QString, name);
        Show(page);
        const QString sourceUrl = m_source->LocationURL();

        QVERIFY(ClickElement(m_source, element, frame));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, kWebTimeout);
        QCOMPARE(m_requests.first().Url, url);
        QCOMPARE(m_requests.first().Name, std::optional<QString>(name));
        WaitForSentinel();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_newWindowCalls, 2);
        // Cancelled: the hidden browser loaded nothing, the page stayed, no window appeared.
        QCOMPARE(m_receiverLoads, 0);
        QCOMPARE(m_source->LocationURL(), sourceUrl);
        QVERIFY(!m_receiver->isVisible());
        QCOMPARE(VisibleWindows(), 1);
    }

    void sameWindowLinks_data() {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("url");
        QTest::newRow("no target") << "same"
                                   << "hint.html?same";
        QTest::newRow("empty target") << "empty"
                                      << "hint.html?empty";
    }

    void sameWindowLinks() {
        QFETCH(QString, element);
        QFETCH(QString, url);
        Load(QStringLiteral("links.html"));
        QVERIFY(ClickElement(m_source, element));
        QTRY_COMPARE_WITH_TIMEOUT(m_source->LocationURL(), FixtureUrl(QString()) + url, kWebTimeout);
        QCOMPARE(m_sourceNavigations, QList<QString>{url});
        QCOMPARE(m_newWindowCalls, 0);
        QVERIFY(m_requests.isEmpty());
    }

    void scriptedWindows_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("named") << "window.open('hint.html?a', 'tooltip')"
                               << "hint.html?a"
                               << "tooltip";
        QTest::newRow("case kept") << "window.open('hint.html?b', 'Test')"
                                   << "hint.html?b"
                                   << "Test";
        QTest::newRow("no name") << "window.open('hint.html?c')"
                                 << "hint.html?c"
                                 << "";
        QTest::newRow("_blank") << "window.open('hint.html?d', '_blank')"
                                << "hint.html?d"
                                << "";
        QTest::newRow("from a frame") << "document.getElementById('content').contentWindow.openFromFrame()"
                                      << "task.html?frame"
                                      << "test";
        QTest::newRow("named later")
            << "var w = window.open('', 'later'); w.location.href = 'hint.html?later'"
            << "hint.html?later"
            << "later";
        QTest::newRow("unknown scheme") << "window.open('nosuchscheme:thing', 'odd')"
                                        << "nosuchscheme:thing"
                                        << "odd";
    }

    void scriptedWindows() {
        QFETCH(QString, script);
        QFETCH(QString, url);
        QFETCH(QString, name);
        Show(QStringLiteral("frames.html"));
        RunScript(m_source->page(), script + QStringLiteral("; 0"));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, kWebTimeout);
        QCOMPARE(m_requests.first().Url, url);
        QCOMPARE(m_requests.first().Name, std::optional<QString>(name));
        WaitForSentinel();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_receiverLoads, 0);
    }

    void sameNameTwiceGivesTwoRequests() {
        Load(QStringLiteral("links.html"));
        QVERIFY(ClickElement(m_source, QStringLiteral("tooltip")));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 1, kWebTimeout);
        QVERIFY(ClickElement(m_source, QStringLiteral("tooltip")));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 2, kWebTimeout);
        WaitForSentinel();
        QCOMPARE(m_requests.size(), 2);
        for (const TRequest& request : m_requests)
            QCOMPARE(request.Name, std::optional<QString>(QStringLiteral("tooltip")));
        QCOMPARE(m_newWindowCalls, 3);
    }

    void existingFrameTakesTheNavigation() {
        Load(QStringLiteral("frames.html"));
        QVERIFY(ClickElement(m_source, QStringLiteral("toframe")));
        QTRY_COMPARE_WITH_TIMEOUT(m_sourceNavigations, QList<QString>{QStringLiteral("inner2.html")},
                                  kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(
            RunScript(m_source->page(),
                      QStringLiteral("document.getElementById('content').contentWindow.location.href"))
                .toString(),
            FixtureUrl(QStringLiteral("inner2.html")), kWebTimeout);
        QCOMPARE(m_newWindowCalls, 0);
        QVERIFY(m_requests.isEmpty());
    }

    void receiverThatLetsItThroughLoadsOnce() {
        Load(QStringLiteral("links.html"));
        m_source->OnNewWindow2 = [this](TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
            m_receiver->OnBeforeNavigate2 = [this](TWebBrowser*, const QString& url,
                                                   const std::optional<QString>& name, bool&) {
                m_requests.append({Tail(url), name});
            };
            ppDisp = m_receiver;
        };
        QVERIFY(ClickElement(m_source, QStringLiteral("tooltip")));
        QTRY_COMPARE_WITH_TIMEOUT(m_receiver->LocationURL(), FixtureUrl(QStringLiteral("hint.html")),
                                  kWebTimeout);
        QVERIFY(WaitComplete(m_receiver));
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.first().Name, std::optional<QString>(QStringLiteral("tooltip")));
        QVERIFY(!m_receiver->isVisible());
    }

    void handlerThatClearsItselfServesOneRequest() {
        // The windows disarm their hidden browser inside its own handler.
        Load(QStringLiteral("links.html"));
        m_source->OnNewWindow2 = [this](TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
            m_receiver->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                                   const std::optional<QString>& name, bool& cancel) {
                sender->OnBeforeNavigate2 = nullptr;
                m_requests.append({Tail(url), name});
                cancel = true;
            };
            ppDisp = m_receiver;
        };
        QVERIFY(ClickElement(m_source, QStringLiteral("test")));
        QVERIFY(ClickElement(m_source, QStringLiteral("run")));
        QTRY_COMPARE_WITH_TIMEOUT(m_requests.size(), 2, kWebTimeout);
        QCOMPARE(m_requests.at(0).Name, std::optional<QString>(QStringLiteral("test")));
        QCOMPARE(m_requests.at(1).Name, std::optional<QString>(QStringLiteral("run")));
        QCOMPARE(m_receiverLoads, 0);
    }

    void refusedWindowOpensNothing_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("no receiver") << false;
        QTest::newRow("cancelled") << true;
    }

    void refusedWindowOpensNothing() {
        QFETCH(bool, cancel);
        Load(QStringLiteral("links.html"));
        const auto accept = m_source->OnNewWindow2;
        m_source->OnNewWindow2 = [&](TWebBrowser*, TWebBrowser*& ppDisp, bool& cancelOut) {
            ++m_newWindowCalls;
            if (cancel)
                ppDisp = m_receiver;
            cancelOut = cancel;
        };
        QVERIFY(ClickElement(m_source, QStringLiteral("tooltip")));
        QTRY_COMPARE_WITH_TIMEOUT(m_newWindowCalls, 1, kWebTimeout);
        m_source->OnNewWindow2 = accept;
        WaitForSentinel();
        QVERIFY(m_requests.isEmpty());
        QCOMPARE(m_receiverLoads, 0);
    }

    void javascriptTargetIsHarmless() {
        Load(QStringLiteral("links.html"));
        QVERIFY(ClickElement(m_source, QStringLiteral("script")));
        WaitForSentinel();
        // javascript: starts no navigation, so there is nothing to hand over: only the
        // sentinel asked for a receiver.
        QVERIFY(m_requests.isEmpty());
        QCOMPARE(m_newWindowCalls, 1);
        QCOMPARE(m_receiverLoads, 0);
        QCOMPARE(m_source->LocationURL(), FixtureUrl(QStringLiteral("links.html")));
    }

    void windowsInALoop_data() {
        QTest::addColumn<bool>("sameName");
        QTest::newRow("different names") << false;
        QTest::newRow("one name") << true;
    }

    void windowsInALoop() {
        QFETCH(bool, sameName);
        // More than a page may have pending at once, and not many more: each window Chromium
        // makes for the loop, served or refused, takes it the better part of a second.
        const int count = TWebPage::kMaxPendingWindows + 8;
        Load(QStringLiteral("flood.html"));
        RunScript(m_source->page(),
                  QStringLiteral("flood(%1, %2); 0").arg(count).arg(sameName ? "true" : "false"));
        // A page gets only so many windows at once (with one name, Chromium sends every request
        // to the one window and drops those a newer one overtakes). Each request that gets
        // through is handed over once, none twice.
        QTRY_VERIFY_WITH_TIMEOUT(!m_requests.isEmpty(), kWebTimeout);
        if (!sameName)
            QTRY_VERIFY_WITH_TIMEOUT(m_requests.size() >= TWebPage::kMaxPendingWindows, kWebTimeout);
        // The windows still to be served hold further requests back; let them finish.
        QTRY_COMPARE_WITH_TIMEOUT(PendingWindows(), 0, kWebTimeout);
        WaitForSentinel();
        QSet<QString> urls;
        for (const TRequest& request : m_requests)
            urls.insert(request.Url);
        QCOMPARE(urls.size(), m_requests.size());
        QVERIFY(m_requests.size() <= count);
        QCOMPARE(m_receiverLoads, 0);
        QCOMPARE(VisibleWindows(), 1);
    }

    void ctrlNOpensNothing() {
        Load(QStringLiteral("start.html"));
        QWidget* input = InputWidget(m_source);
        input->setFocus();
        QTest::keyClick(input, Qt::Key_N, Qt::ControlModifier);
        QTest::keyClick(input, Qt::Key_A);
        QTRY_COMPARE_WITH_TIMEOUT(
            RunScript(m_source->page(),
                      QStringLiteral("keys.filter(function (k) { return k !== 'Control'; }).join(',')"))
                .toString(),
            QStringLiteral("a"), kWebTimeout);
        QCOMPARE(m_newWindowCalls, 0);
    }

    void sourceDeletedWithARequestUnderWay() {
        Load(QStringLiteral("links.html"));
        QVERIFY(ClickElement(m_source, QStringLiteral("tooltip")));
        delete m_source;
        CreateSource();
        Load(QStringLiteral("links.html"));
        WaitForSentinel();
        QVERIFY(m_requests.isEmpty());
        QCOMPARE(m_receiverLoads, 0);
    }
};

CP_BROWSER_TEST_MAIN(TestNewWindow)
#include "test_newwindow.moc"
