// Navigation of a browser: fragments, before-navigate and its cancel, ready state, back and
// forward states, and pages that go wrong.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PlainBrowser.h"

#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QWebEngineHistory>

class TestNavigation : public QObject {
    Q_OBJECT

    TEmbeddedBrowser* m_browser = nullptr;
    QStringList m_navigations;
    QList<QPair<int, bool>> m_states;
    int m_completed = 0;

    // What the browser last reported for a command; nullopt when it never did.
    std::optional<bool> LastState(int command) const {
        for (qsizetype i = m_states.size() - 1; i >= 0; --i)
            if (m_states.at(i).first == command)
                return m_states.at(i).second;
        return std::nullopt;
    }

    // Both commands as last reported, "back,forward", with "?" for one never reported.
    QString States() const {
        const auto text = [](const std::optional<bool>& state) {
            return state ? QString::fromLatin1(*state ? "1" : "0") : QStringLiteral("?");
        };
        return text(LastState(TWebBrowser::CommandBack)) + u',' +
               text(LastState(TWebBrowser::CommandForward));
    }

    void Watch() {
        m_browser->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                              const std::optional<QString>& name, bool&) {
            QCOMPARE(sender, m_browser);
            QVERIFY(!name.has_value());
            m_navigations.append(url);
        };
        m_browser->OnCommandStateChange = [this](TWebBrowser* sender, int command, bool enable) {
            QCOMPARE(sender, m_browser);
            m_states.append({command, enable});
        };
        m_browser->OnNavigateComplete2 = [this](TWebBrowser* sender) {
            QCOMPARE(sender, m_browser);
            ++m_completed;
        };
    }

    // A browser that has never loaded anything, for the tests of a browser's first steps.
    void NewBrowser() {
        delete m_browser;
        m_browser = new TEmbeddedBrowser();
        ShowForInput(m_browser);
        Watch();
    }

private slots:
    // One browser serves the tests: starting one is the slowest thing a test can do.
    void initTestCase() { NewBrowser(); }

    void cleanupTestCase() {
        delete m_browser;
        m_browser = nullptr;
    }

    // Each test starts on a blank page, its handlers in place and nothing counted.
    void init() {
        Watch();
        m_browser->SetDropsEnabled(true);
        m_browser->LoadBlankAndWait();
        m_navigations.clear();
        m_states.clear();
        m_completed = 0;
    }

    void firstPageReportsNoHistory() {
        // Windows start with both commands enabled and rely on the browser to turn them off.
        NewBrowser();
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("0,0"), kWebTimeout);
        QVERIFY(m_states.contains({TWebBrowser::CommandForward, false}));
        QVERIFY(m_states.contains({TWebBrowser::CommandBack, false}));
        QCOMPARE(m_completed, 1);
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->DocumentLoaded(), kWebTimeout);

        // A move within the page is a step of the history without a load of its own.
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html#run"))));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);
        m_states.clear();
        m_browser->GoBack();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")),
                                  kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("0,1"), kWebTimeout);
        m_states.clear();
        m_browser->GoForward();
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(),
                 QStringLiteral("#run"));
    }

    // A new start of the history: grey at once, the page shown next is the first one, whether or
    // not a blank page loaded in between, and the pages after it have their history again.
    void historyStartsWithTheNextPage_data() {
        QTest::addColumn<QString>("blank"); // "waited", "not waited" or "none"
        QTest::addColumn<QString>("next");
        QTest::newRow("blank waited") << "waited"
                                      << "page3.html";
        QTest::newRow("blank not waited") << "not waited"
                                          << "page3.html";
        QTest::newRow("the page shown again") << "none"
                                              << "hint.html";
    }
    void historyStartsWithTheNextPage() {
        QFETCH(QString, blank);
        QFETCH(QString, next);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);
        m_browser->ClearHistoryUntilNextPage();
        QCOMPARE(States(), QStringLiteral("0,0"));
        if (blank != "none")
            m_browser->Navigate(QStringLiteral("about:blank"));
        if (blank == "waited")
            QVERIFY(WaitComplete(m_browser));
        QVERIFY(NavigateAndWait(m_browser, Fixture(next)));
        QVERIFY(!m_browser->history()->canGoBack());
        QCOMPARE(States(), QStringLiteral("0,0"));
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);
        QCOMPARE(m_browser->history()->count(), 2);
    }

    void nothingLoadedAtFirst() {
        NewBrowser();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyUninitialized));
        QVERIFY(!m_browser->DocumentLoaded());
        // Without history nothing happens.
        m_browser->GoBack();
        m_browser->GoForward();
        m_browser->Stop();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyUninitialized));
    }

    // Started early for a window not yet shown: no load is reported, and the first page,
    // asked for at once, loads as ever.
    void rendererStartsWithoutALoad() {
        TEmbeddedBrowser hidden;
        int loads = 0;
        connect(hidden.page(), &QWebEnginePage::loadStarted, this, [&] { ++loads; });
        QCOMPARE(hidden.page()->renderProcessPid(), 0);
        hidden.StartRenderer();
        QTRY_VERIFY_WITH_TIMEOUT(hidden.page()->renderProcessPid() > 0, kWebTimeout);
        QCOMPARE(loads, 0);
        QCOMPARE(hidden.ReadyState(), int(TWebBrowser::ReadyUninitialized));
        hidden.StartRenderer();
        QVERIFY(NavigateAndWait(&hidden, Fixture(QStringLiteral("start.html"))));
        QCOMPARE(hidden.LocationURL(), FixtureUrl(QStringLiteral("start.html")));
        QCOMPARE(loads, 1);
    }

    void fragmentsReachThePage_data() {
        QTest::addColumn<QString>("fragment");
        QTest::newRow("run") << "#run";
        QTest::newRow("task list") << "#tid=12_1;-1";
        QTest::newRow("collection") << "#12,5,3;12,7,4";
        QTest::newRow("none") << "";
    }

    void fragmentsReachThePage() {
        QFETCH(QString, fragment);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html")) + fragment));
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(), fragment);
        QCOMPARE(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")) + fragment);
        QCOMPARE(m_navigations, QStringList{FixtureUrl(QStringLiteral("start.html")) + fragment});
        QCOMPARE(m_completed, 1);
        QVERIFY(m_browser->DocumentLoaded());
    }

    void fragmentOfTheShownPageCompletes_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("adds a fragment") << ""
                                         << "#run";
        QTest::newRow("changes the fragment") << "#tid=1"
                                              << "#tid=2";
        QTest::newRow("same fragment again") << "#run"
                                             << "#run";
    }

    void fragmentOfTheShownPageCompletes() {
        // Chromium moves within the document; the ready state must still come back to complete.
        QFETCH(QString, first);
        QFETCH(QString, second);
        const QString page = Fixture(QStringLiteral("start.html"));
        QVERIFY(NavigateAndWait(m_browser, page + first));
        QVERIFY(NavigateAndWait(m_browser, page + second));
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(),
                                  second, kWebTimeout);
        QCOMPARE(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")) + second);
        // Each Navigate passed the before-navigate handler once and completed once.
        QCOMPARE(m_navigations.size(), 2);
        QCOMPARE(m_completed, 2);
    }

    void cancelledNavigationKeepsThePage() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        m_browser->OnBeforeNavigate2 = [this](TWebBrowser*, const QString& url, const std::optional<QString>&,
                                              bool& cancel) {
            m_navigations.append(url);
            cancel = true;
        };
        m_browser->Navigate(Fixture(QStringLiteral("page2.html")));
        QVERIFY(WaitComplete(m_browser));
        QVERIFY(ClickElement(m_browser, QStringLiteral("next")));
        QTRY_COMPARE_WITH_TIMEOUT(m_navigations.size(), 3, kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        QCOMPARE(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")));
        QCOMPARE(m_navigations.mid(1), (QStringList{FixtureUrl(QStringLiteral("page2.html")),
                                                    FixtureUrl(QStringLiteral("page2.html"))}));
    }

    void handlerMayRedirectFromInside() {
        // The viewer cancels a task link and navigates to it again with "#run".
        m_browser->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                              const std::optional<QString>&, bool& cancel) {
            m_navigations.append(url);
            if (!url.contains(QLatin1Char('#'))) {
                cancel = true;
                sender->Navigate(url + QStringLiteral("#run"));
            }
        };
        m_browser->Navigate(Fixture(QStringLiteral("start.html")));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(),
                                  FixtureUrl(QStringLiteral("start.html")) + QStringLiteral("#run"),
                                  kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("location.hash")).toString(),
                 QStringLiteral("#run"));
        QCOMPARE(m_navigations,
                 (QStringList{FixtureUrl(QStringLiteral("start.html")),
                              FixtureUrl(QStringLiteral("start.html")) + QStringLiteral("#run")}));
    }

    void fragmentChangeInsidePageSkipsBeforeNavigate() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        RunScript(m_browser->page(), QStringLiteral("location.hash = 'inside'; 0"));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(),
                                  FixtureUrl(QStringLiteral("start.html")) + QStringLiteral("#inside"),
                                  kWebTimeout);
        QCOMPARE(m_navigations.size(), 1);
    }

    void backAndForwardFollowClicks() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        // The blank page of init is forgotten: start.html is where the history begins.
        m_browser->history()->clear();
        QVERIFY(ClickElement(m_browser, QStringLiteral("next")));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), FixtureUrl(QStringLiteral("page2.html")),
                                  kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);

        m_states.clear();
        m_browser->GoBack();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")),
                                  kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("0,1"), kWebTimeout);

        m_states.clear();
        m_browser->GoForward();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), FixtureUrl(QStringLiteral("page2.html")),
                                  kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);

        // A new page after going back drops the forward history.
        m_browser->GoBack();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->LocationURL(), FixtureUrl(QStringLiteral("start.html")),
                                  kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("0,1"), kWebTimeout);
        m_states.clear();
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("page3.html"))));
        QTRY_COMPARE_WITH_TIMEOUT(States(), QStringLiteral("1,0"), kWebTimeout);
    }

    void loadBlankAndWaitCompletes() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("long.html"))));
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyComplete));
        QCOMPARE(m_browser->LocationURL(), QStringLiteral("about:blank"));
        // And once more straight away, with the page already blank.
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyComplete));
        QCOMPARE(m_navigations.count(QStringLiteral("about:blank")), 2);
    }

    // The next step runs once the blank page is complete, and only the last one asked for; with
    // the blank page refused each runs at once.
    void loadBlankThenRunsAfterTheBlank_data() {
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QStringList>("ran");
        QTest::newRow("loads") << false << QStringList{"blank 4"};
        QTest::newRow("refused") << true << QStringList{"long.html 4", "long.html 4"};
    }
    void loadBlankThenRunsAfterTheBlank() {
        QFETCH(bool, refused);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("long.html"))));
        m_browser->OnBeforeNavigate2 = [refused](TWebBrowser*, const QString& url,
                                                 const std::optional<QString>&, bool& cancel) {
            cancel = refused && url.startsWith("about:");
        };
        QStringList ran;
        const auto step = [&] {
            ran << QUrl(m_browser->LocationURL()).fileName() + u' ' +
                       QString::number(m_browser->ReadyState());
        };
        m_browser->LoadBlankThen(step);
        m_browser->LoadBlankThen(step);
        QTRY_VERIFY_WITH_TIMEOUT(!ran.isEmpty(), kWebTimeout);
        QTest::qWait(100);
        QTEST(ran, "ran");
    }

    void loadBlankAndWaitWhenCancelled() {
        NewBrowser();
        m_browser->OnBeforeNavigate2 = [](TWebBrowser*, const QString& url, const std::optional<QString>&,
                                          bool& cancel) { cancel = url.startsWith(QLatin1String("about:")); };
        // Nothing to wait for: the call returns and the browser stays as it was.
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyUninitialized));
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyComplete));
        QCOMPARE(m_browser->LocationURL(), FixtureUrl(QStringLiteral("hint.html")));
    }

    void hiddenPlainBrowserLoads() {
        QObject owner;
        QPointer<TPlainBrowser> plain = new TPlainBrowser(&owner);
        plain->LoadBlankAndWait();
        QVERIFY(NavigateAndWait(plain, Fixture(QStringLiteral("hint.html"))));
        QCOMPARE(plain->page()->title(), QStringLiteral("Hint"));
        QVERIFY(!plain->isVisible());
        QVERIFY(!plain->parentWidget());
        // It goes with its owner.
    }

    void plainBrowserGoesWithItsOwner() {
        QPointer<TPlainBrowser> plain;
        {
            QObject owner;
            plain = new TPlainBrowser(&owner);
        }
        QVERIFY(plain.isNull());
    }

    void documents_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("result");
        QTest::newRow("xml with xslt, windows-1251") << "page.xml"
                                                     << "XML page"
                                                     << "document.getElementById('para').textContent"
                                                     << "Текст из XML";
        QTest::newRow("script errors") << "broken.html"
                                       << "Broken script"
                                       << "document.body.textContent.trim()"
                                       << "still shown";
    }

    void documents() {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFETCH(QString, script);
        QFETCH(QString, result);
        QVERIFY(NavigateAndWait(m_browser, Fixture(page)));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->page()->title(), title, kWebTimeout);
        QCOMPARE(RunScript(m_browser->page(), script).toString(), result);
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->DocumentLoaded(), kWebTimeout);
    }

    void missingFileCompletes() {
        const QString missing = Fixture(QStringLiteral("no-such-page.html"));
        QVERIFY(NavigateAndWait(m_browser, missing));
        QCOMPARE(m_completed, 1);
        QVERIFY(m_browser->LocationURL().endsWith(QStringLiteral("no-such-page.html")));
        // The error page speaks Russian.
        QTRY_VERIFY_WITH_TIMEOUT(RunScript(m_browser->page(), QStringLiteral("document.body.innerText"))
                                     .toString()
                                     .contains(QRegularExpression(QStringLiteral("[А-Яа-я]{4}"))),
                                 kWebTimeout);
    }

    void contextMenuIsRussianWithoutDeadEntries() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        const auto text = [this](QWebEnginePage::WebAction action) {
            return m_browser->pageAction(action)->text();
        };
        const QStringList dead{text(QWebEnginePage::SavePage), text(QWebEnginePage::ViewSource),
                               text(QWebEnginePage::InspectElement)};
        const QRegularExpression russian(QStringLiteral("^[^A-Za-z]*[А-Яа-я][^A-Za-z]*$"));
        for (const QString& name : dead + QStringList{text(QWebEnginePage::Back), text(QWebEnginePage::Copy)})
            QVERIFY2(russian.match(name).hasMatch(), qPrintable(name));

        // A right click on an empty part of the page.
        QTest::mouseClick(InputWidget(m_browser), Qt::RightButton, Qt::NoModifier, QPoint(450, 600));
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QMenu*>(QApplication::activePopupWidget()), kWebTimeout);
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QStringList entries;
        for (const QAction* action : menu->actions())
            if (action->isVisible() && !action->isSeparator())
                entries << action->text();
        menu->close();
        QVERIFY2(entries.contains(text(QWebEnginePage::Back)), qPrintable(entries.join(u';')));
        for (const QString& name : dead)
            QVERIFY2(!entries.contains(name), qPrintable(entries.join(u';')));
    }

    void pageThatNeverFinishesCanBeStopped() {
        // A server that takes the connection and never answers.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        m_browser->Navigate(QStringLiteral("http://127.0.0.1:%1/never").arg(server.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), kWebTimeout);
        QCOMPARE(m_browser->ReadyState(), int(TWebBrowser::ReadyLoading));
        m_browser->Stop();
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->ReadyState(), int(TWebBrowser::ReadyComplete), kWebTimeout);
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->LocationURL(), QStringLiteral("about:blank"));
    }

    void pageAfterBlankLoadIsTheOneReported_data() {
        QTest::addColumn<QString>("moment");
        QTest::newRow("blank load started") << "started";
        QTest::newRow("blank page committed") << "committed";
        QTest::newRow("a millisecond later") << "1 ms";
    }

    void pageAfterBlankLoadIsTheOneReported() {
        // A window blanks its page, and the user or the window asks for the next one while the
        // blank page still loads: the load reported complete is the page's, with the page shown.
        QFETCH(QString, moment);
        for (int round = 0; round < 5; ++round) {
            QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
            bool started = false;
            bool committed = false;
            const auto onStart =
                connect(m_browser->page(), &QWebEnginePage::loadStarted, this, [&] { started = true; });
            const auto onUrl =
                connect(m_browser->page(), &QWebEnginePage::urlChanged, this, [&] { committed = true; });
            m_browser->Navigate(QStringLiteral("about:blank"));
            if (moment == QLatin1String("1 ms"))
                QTest::qWait(1);
            else
                QVERIFY(WaitUntil([&] { return moment == QLatin1String("started") ? started : committed; }));
            disconnect(onStart);
            disconnect(onUrl);
            m_completed = 0;
            QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
            QCOMPARE(m_browser->LocationURL(), FixtureUrl(QStringLiteral("hint.html")));
            QCOMPARE(RunScript(m_browser->page(), QStringLiteral("document.readyState")).toString(),
                     QStringLiteral("complete"));
            QCOMPARE(m_completed, 1);
        }
    }

    void newLoadReplacesOneUnderWay_data() {
        QTest::addColumn<QString>("next");
        QTest::newRow("blank page") << "about:blank";
        QTest::newRow("local page") << "hint.html";
        QTest::newRow("local page, fragment") << "hint.html#run";
    }

    void newLoadReplacesOneUnderWay() {
        // The viewer opens another section, or another page, while a page still loads.
        QFETCH(QString, next);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        m_browser->Navigate(QStringLiteral("http://127.0.0.1:%1/never").arg(server.serverPort()));
        QTRY_VERIFY_WITH_TIMEOUT(server.hasPendingConnections(), kWebTimeout);
        const QString target = next.startsWith(QLatin1String("about:")) ? next : Fixture(next);
        QVERIFY(NavigateAndWait(m_browser, target));
        QTRY_VERIFY_WITH_TIMEOUT(m_browser->LocationURL().endsWith(next), kWebTimeout);
        m_browser->LoadBlankAndWait();
        QCOMPARE(m_browser->LocationURL(), QStringLiteral("about:blank"));
    }

    void dropsCanBeRefused_data() {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }

    void dropsCanBeRefused() {
        QFETCH(bool, enabled);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("start.html"))));
        m_browser->SetDropsEnabled(enabled);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(Fixture(QStringLiteral("hint.html")))});
        QWidget* input = InputWidget(m_browser);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::LinkAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(input, &enter);
        QCOMPARE(enter.isAccepted(), enabled);
    }

    void contextMenuCanBeSwitchedOff() {
        m_browser->SetContextMenuEnabled(false);
        QCOMPARE(m_browser->contextMenuPolicy(), Qt::NoContextMenu);
        m_browser->SetContextMenuEnabled(true);
        QCOMPARE(m_browser->contextMenuPolicy(), Qt::DefaultContextMenu);
    }

    // Last, as a failure leaves the renderer stuck: the shown page's script never returns, and
    // the next page must still show, in a fresh renderer, with the user told.
    void pageWhoseRendererHangsGivesWay() {
        int notResponding = 0;
        m_browser->OnNotResponding = [&](TWebBrowser* sender) {
            QCOMPARE(sender, m_browser);
            ++notResponding;
        };
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        m_browser->page()->runJavaScript(QStringLiteral("for (;;) {}"));
        QElapsedTimer shown;
        shown.start();
        m_browser->Navigate(Fixture(QStringLiteral("page2.html")));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->page()->title(), QStringLiteral("Second page"), kWebTimeout);
        QVERIFY(WaitComplete(m_browser));
        qInfo("the next page showed after %lld ms", shown.elapsed());
        QCOMPARE(notResponding, 1);
        QCOMPARE(RunScript(m_browser->page(), QStringLiteral("document.getElementById('next').textContent"))
                     .toString(),
                 QStringLiteral("next"));
        m_browser->OnNotResponding = nullptr;
    }
};

CP_BROWSER_TEST_MAIN(TestNavigation)
#include "test_navigation.moc"
