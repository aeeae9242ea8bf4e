// The right-click hook: right clicks over a plain browser never reach its page, and the release
// shows the browser's own pop-up menu; everything else passes untouched.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PlainBrowser.h"
#include "browser/WbPopup.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace {

class TDerivedBrowser final : public TPlainBrowser {
public:
    using TPlainBrowser::TPlainBrowser;
};

// A plain widget that counts the presses it gets.
class TPressCounter final : public QWidget {
public:
    int RightPresses = 0;
    int RightReleases = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton)
            ++RightPresses;
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton)
            ++RightReleases;
    }
};

enum class TKind { Plain, Derived, Embedded };

const QPoint kInside(300, 300);

} // namespace

Q_DECLARE_METATYPE(TKind)

class TestWbPopup : public QObject {
    Q_OBJECT

    QObject m_owner;

    std::unique_ptr<TWebBrowser> Make(TKind kind) {
        std::unique_ptr<TWebBrowser> browser;
        switch (kind) {
        case TKind::Plain:
            browser.reset(new TPlainBrowser(nullptr));
            break;
        case TKind::Derived:
            browser.reset(new TDerivedBrowser(nullptr));
            break;
        case TKind::Embedded:
            browser.reset(new TEmbeddedBrowser());
            break;
        }
        ShowForInput(browser.get());
        return browser;
    }

    // The mouse buttons the page saw pressed, once a closing left click has arrived.
    static QList<int> PageButtons(TWebBrowser* browser) {
        QTest::mouseClick(InputWidget(browser), Qt::LeftButton, Qt::NoModifier, kInside);
        QList<int> buttons;
        (void)WaitUntil(
            [&] {
                buttons.clear();
                for (const QVariant& b : RunScript(browser->page(), QStringLiteral("downs")).toList())
                    buttons.append(b.toInt());
                return !buttons.isEmpty() && buttons.last() == 0;
            },
            kWebTimeout);
        if (!buttons.isEmpty())
            buttons.removeLast();
        return buttons;
    }

private slots:
    void rightClicks_data() {
        QTest::addColumn<TKind>("kind");
        QTest::addColumn<bool>("withMenu");
        QTest::addColumn<bool>("hooked");
        QTest::addColumn<bool>("pageSeesRight");
        QTest::addColumn<bool>("menuShown");
        QTest::newRow("plain, menu") << TKind::Plain << true << true << false << true;
        QTest::newRow("plain, no menu") << TKind::Plain << false << true << false << false;
        QTest::newRow("derived from plain") << TKind::Derived << true << true << false << true;
        QTest::newRow("embedded passes") << TKind::Embedded << true << true << true << false;
        QTest::newRow("plain, hook removed") << TKind::Plain << true << false << true << false;
    }

    void rightClicks() {
        QFETCH(TKind, kind);
        QFETCH(bool, withMenu);
        QFETCH(bool, hooked);
        QFETCH(bool, pageSeesRight);
        QFETCH(bool, menuShown);

        std::unique_ptr<TWbPopup> hook(new TWbPopup);
        if (!hooked)
            hook.reset();
        const auto browser = Make(kind);
        QVERIFY(NavigateAndWait(browser.get(), Fixture(QStringLiteral("start.html"))));
        QMenu menu;
        menu.addAction(QStringLiteral("Открыть"));
        if (auto* plain = dynamic_cast<TPlainBrowser*>(browser.get()); plain && withMenu)
            plain->PopupMenu = &menu;

        QWidget* input = InputWidget(browser.get());
        QTest::mouseMove(input, kInside);
        QTest::mousePress(input, Qt::RightButton, Qt::NoModifier, kInside);
        QVERIFY(!menu.isVisible()); // the press alone shows nothing
        QTest::mouseRelease(input, Qt::RightButton, Qt::NoModifier, kInside);
        if (menuShown) {
            QTRY_VERIFY_WITH_TIMEOUT(menu.isVisible(), kWebTimeout);
            QCOMPARE(menu.property("PopupComponent").value<QObject*>(), browser.get());
            menu.hide();
        }
        const QList<int> buttons = PageButtons(browser.get());
        QCOMPARE(buttons.contains(2), pageSeesRight);
        QCOMPARE(RunScript(browser->page(), QStringLiteral("menus")).toInt() > 0, pageSeesRight);
        QCOMPARE(menu.isVisible(), false);
    }

    void otherWidgetsGetTheirRightClicks() {
        TWbPopup hook;
        TPressCounter widget;
        widget.resize(200, 100);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QTest::mouseClick(&widget, Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
        QCOMPARE(widget.RightPresses, 1);
        QCOMPARE(widget.RightReleases, 1);
    }

    void plainBrowserAtFindsTheBrowserFromItsChildren() {
        const auto browser = Make(TKind::Plain);
        QVERIFY(QTest::qWaitForWindowExposed(browser.get()));
        const QPoint global = InputWidget(browser.get())->mapToGlobal(kInside);
        QCOMPARE(TWbPopup::PlainBrowserAt(global), browser.get());
        QCOMPARE(TWbPopup::PlainBrowserAt(global + QPoint(5000, 5000)), nullptr);
    }
};

CP_BROWSER_TEST_MAIN(TestWbPopup)
#include "test_wbpopup.moc"
