// The collection presentation window with real Qt WebEngine: its commands and tool bars, the
// back and forward state, and where the new-window requests of its page go.

#include "../viewer/ViewerTestSupport.h"
#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PlainBrowser.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

namespace {
const QString Links = QStringLiteral(CP_TEST_DATA "/collections/links.html");

// The object names along a tool bar, "-" for a separator.
QStringList BarItems(QToolBar* bar) {
    QStringList items;
    for (QAction* action : bar->actions()) {
        if (action->isSeparator())
            items << "-";
        else if (QWidget* widget = bar->widgetForAction(action);
                 widget && widget->objectName() == "tbtnShowTask")
            items << "tbtnShowTask";
        else
            items << action->objectName();
    }
    return items;
}
} // namespace

class TestShowFavor : public QObject {
    Q_OBJECT

    TShowFavorForm* m_form = nullptr;
    QStringList m_hints;
    QStringList m_tests;

    TEmbeddedBrowser* Browser() const { return m_form->wbToolTip; }

private slots:
    void initTestCase() {
        SetAllowedFileRoots({QStringLiteral(CP_TEST_DATA "/collections")});
        // The editor comes first, as at start-up: the tasks button runs its command.
        Roster().FavoriteForm = new TFavoriteForm(TAppContext());
        m_form = new TShowFavorForm(TAppContext());
        Roster().ShowFavorForm = m_form;
        m_form->OnShowToolTip = [this](const QString& url) { m_hints << url; };
        m_form->OnShowTest = [this](const QString& url) { m_tests << url; };
    }

    void cleanupTestCase() {
        delete m_form;
        delete Roster().FavoriteForm;
        Roster() = TRoster();
    }

    // Before any page: the commands, their order on the bars, and back and forward enabled.
    void startsWithItsCommands() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Подборка учебных материалов"));
        QCOMPARE(BarItems(m_form->NavigateToolBar), (QStringList{"actBack", "actForward"}));
        QCOMPARE(BarItems(m_form->ActionToolBar),
                 (QStringList{"tbtnShowTask", "-", "actPrint", "-", "actHide"}));
        QVERIFY(m_form->actBack->isEnabled());
        QVERIFY(m_form->actForward->isEnabled());
        QVERIFY(m_form->tbtnShowTask);
        QCOMPARE(m_form->tbtnShowTask->defaultAction(), Roster().FavoriteForm->actShowTasksOnly);
        QVERIFY(m_form->ShowTaskVisible());
        QVERIFY(!m_form->wbToolTip->DropsEnabled());
        const QList<std::pair<QAction*, const char*>> texts = {{m_form->actBack, "Назад"},
                                                               {m_form->actForward, "Вперед"},
                                                               {m_form->actPrint, "Печать"},
                                                               {m_form->actHide, "Закрыть"}};
        for (const auto& [action, text] : texts) {
            QCOMPARE(action->text(), QString::fromUtf8(text));
            QCOMPARE(action->toolTip(), QString::fromUtf8(text));
        }
        QCOMPARE(m_form->actBack->property("imageIndex").toInt(), 7);
        QCOMPARE(m_form->actForward->property("imageIndex").toInt(), 3);
        QCOMPARE(m_form->actPrint->property("imageIndex").toInt(), 10);
        QCOMPARE(m_form->actHide->property("imageIndex").toInt(), 6);
    }

    // The tasks button hides and shows in this window only: the editor's own button, bound to
    // the same command, stays.
    void tasksButtonIsThisWindowsOwn() {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        m_form->SetShowTaskVisible(false);
        QVERIFY(!m_form->ShowTaskVisible());
        QTRY_VERIFY(!m_form->tbtnShowTask->isVisible());
        QVERIFY(Roster().FavoriteForm->actShowTasksOnly->isVisible());
        m_form->SetShowTaskVisible(true);
        QVERIFY(m_form->ShowTaskVisible());
        QTRY_VERIFY(m_form->tbtnShowTask->isVisible());
        m_form->actHide->trigger();
        QVERIFY(!m_form->isVisible());
    }

    // One page load serves every link: requests for other windows leave the page; the ones that
    // open here are followed by a step back.
    void routesItsPagesRequests_data() {
        QTest::addColumn<QString>("link");  // "" a request without any target name
        QTest::addColumn<QString>("where"); // hint, test, here, nothing
        QTest::addColumn<QString>("ending");
        QTest::newRow("tooltip") << "toTooltip"
                                 << "hint"
                                 << "/collections/hint.html";
        QTest::newRow("test") << "toTest"
                              << "test"
                              << "/collections/runtest.html#tid=7_1;";
        QTest::newRow("no name") << ""
                                 << "nothing"
                                 << "";
        QTest::newRow("run opens here") << "toRun"
                                        << "here"
                                        << "/page2.html#run";
        QTest::newRow("other name") << "toOther"
                                    << "here"
                                    << "/page2.html#other";
        QTest::newRow("ToolTip is another name") << "toToolTipCase"
                                                 << "here"
                                                 << "/page2.html#case";
        QTest::newRow("_blank") << "toBlank"
                                << "here"
                                << "/page2.html#blank";
        QTest::newRow("empty name") << "toEmpty"
                                    << "here"
                                    << "/page2.html#empty";
    }
    void routesItsPagesRequests() {
        QFETCH(QString, link);
        QFETCH(QString, where);
        QFETCH(QString, ending);
        if (!m_form->isVisible()) {
            m_form->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_form));
        }
        if (!Location(Browser()).endsWith("/links.html")) {
            Browser()->Navigate(Links);
            QTRY_VERIFY_WITH_TIMEOUT(Location(Browser()).endsWith("/links.html"), kWebTimeout);
        }
        QVERIFY(WaitComplete(Browser()));
        m_hints.clear();
        m_tests.clear();

        if (link.isEmpty()) {
            // The browser names every window it opens; a request without a name is made here.
            TWebBrowser* popup = nullptr;
            bool cancel = false;
            m_form->wbToolTipNewWindow2(Browser(), popup, cancel);
            QVERIFY(popup && popup == m_form->PopupBrowser);
            popup->OnBeforeNavigate2(popup, QUrl::fromLocalFile(Links).toString(), std::nullopt, cancel);
            QVERIFY(cancel);
        } else {
            QVERIFY(ClickElement(Browser(), link));
        }
        // Every request passes the one hidden browser, which is disarmed after it.
        QTRY_VERIFY_WITH_TIMEOUT(m_form->PopupBrowser && !m_form->PopupBrowser->OnBeforeNavigate2,
                                 kWebTimeout);
        TPlainBrowser* popup = m_form->PopupBrowser;

        if (where == "hint") {
            QTRY_COMPARE_WITH_TIMEOUT(m_hints.size(), 1, kWebTimeout);
            QVERIFY2(QUrl::fromPercentEncoding(m_hints.first().toUtf8()).endsWith(ending),
                     qPrintable(m_hints.first()));
        } else if (where == "test") {
            QTRY_COMPARE_WITH_TIMEOUT(m_tests.size(), 1, kWebTimeout);
            QVERIFY2(QUrl::fromPercentEncoding(m_tests.first().toUtf8()).endsWith(ending),
                     qPrintable(m_tests.first()));
        } else if (where == "here") {
            QTRY_VERIFY_WITH_TIMEOUT(Location(Browser()).endsWith(ending), kWebTimeout);
            QVERIFY(WaitComplete(Browser()));
            // Back and forward follow the history the request made.
            QTRY_VERIFY_WITH_TIMEOUT(m_form->actBack->isEnabled(), kWebTimeout);
            m_form->actBack->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(Location(Browser()).endsWith("/links.html"), kWebTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(m_form->actForward->isEnabled(), kWebTimeout);
        }
        if (where != "here")
            QVERIFY(Location(Browser()).endsWith("/links.html"));
        if (where != "hint")
            QVERIFY(m_hints.isEmpty());
        if (where != "test")
            QVERIFY(m_tests.isEmpty());
        QCOMPARE(m_form->PopupBrowser, popup);
        QVERIFY(Location(popup).isEmpty() || Location(popup) == "about:blank");
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestShowFavor>(argc, argv);
}
#include "test_showfavor.moc"
