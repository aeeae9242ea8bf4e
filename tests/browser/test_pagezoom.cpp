// The zoom of the pages: its steps and bounds, the keys anywhere in a window (the page and the
// find box included), Ctrl+wheel, one factor for every window and for pages loaded later, and
// the factor remembered in a settings file of the test's own.

#include "BrowserTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/FindBar.h"
#include "browser/PageTools.h"
#include "browser/PageZoom.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

namespace {

// A window as the player builds one: the browser with its find bar and zoom keys.
struct TPageWindow {
    QWidget Window;
    TEmbeddedBrowser* Browser = new TEmbeddedBrowser;

    explicit TPageWindow(TPageZoom* zoom) {
        auto* layout = new QVBoxLayout(&Window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(AddPageTools(&Window, Browser, zoom));
    }
};

void SendWheel(QWidget* target, int angle, Qt::KeyboardModifiers modifiers) {
    const QPointF at(200, 200);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestPageZoom : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TPageZoom> m_zoom;
    std::unique_ptr<TPageWindow> m_first;
    std::unique_ptr<TPageWindow> m_second;

    // The page's own width in CSS pixels: the view's width divided by the zoom.
    int PageWidth(TWebBrowser* browser) {
        return RunScript(browser->page(), QStringLiteral("window.innerWidth")).toInt();
    }

private slots:
    void initTestCase() {
        // Nothing here may reach the user's own settings.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        m_zoom = std::make_unique<TPageZoom>(m_dir.filePath("settings.ini"));
        QCOMPARE(m_zoom->Factor(), 1.0);
        m_first = std::make_unique<TPageWindow>(m_zoom.get());
        m_second = std::make_unique<TPageWindow>(m_zoom.get());
        ShowForInput(&m_second->Window);
        ShowForInput(&m_first->Window);
        m_first->Window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_first->Window));
        QVERIFY(NavigateAndWait(m_first->Browser, Fixture("find.html")));
    }

    void cleanupTestCase() {
        m_first.reset();
        m_second.reset();
    }

    void init() { m_zoom->Reset(); }

    void stepsLikeABrowser_data() {
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("direction");
        QTest::addColumn<double>("next");
        QTest::newRow("up from 100") << 1.0 << 1 << 1.1;
        QTest::newRow("down from 100") << 1.0 << -1 << 0.9;
        QTest::newRow("up from 90") << 0.9 << 1 << 1.0;
        QTest::newRow("up from 33") << 0.33 << 1 << 0.5;
        QTest::newRow("top stays") << 5.0 << 1 << 5.0;
        QTest::newRow("bottom stays") << 0.25 << -1 << 0.25;
        QTest::newRow("between steps, up") << 1.05 << 1 << 1.1;
        QTest::newRow("between steps, down") << 1.05 << -1 << 1.0;
        QTest::newRow("110 read back inexactly") << 1.1000001 << 1 << 1.25;
        QTest::newRow("below the bottom") << 0.1 << 1 << 0.33;
        QTest::newRow("above the top") << 7.0 << -1 << 4.0;
        QTest::newRow("no direction") << 1.25 << 0 << 1.25;
    }

    void stepsLikeABrowser() {
        QFETCH(double, factor);
        QFETCH(int, direction);
        QFETCH(double, next);
        QCOMPARE(TPageZoom::NextStep(factor, direction), next);
    }

    void settingReadBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("factor");
        QTest::newRow("a step") << "1.25" << 1.25;
        QTest::newRow("between steps") << "1.3" << 1.3;
        QTest::newRow("spaces") << " 1.5 " << 1.5;
        QTest::newRow("too big") << "9" << 5.0;
        QTest::newRow("too small") << "0.1" << 0.25;
        QTest::newRow("missing") << "" << 1.0;
        QTest::newRow("words") << "большой" << 1.0;
        QTest::newRow("zero") << "0" << 1.0;
        QTest::newRow("negative") << "-2" << 1.0;
        QTest::newRow("not a number") << "nan" << 1.0;
        QTest::newRow("infinite") << "inf" << 1.0;
        QTest::newRow("comma") << "1,5" << 1.0;
    }

    void settingReadBack() {
        QFETCH(QString, text);
        QFETCH(double, factor);
        QCOMPARE(TPageZoom::FactorFromSetting(text), factor);
    }

    void keysStepTheZoom_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QList<QKeyCombination>>("keys");
        QTest::addColumn<int>("percent");
        const auto ctrl = [](Qt::Key key, Qt::KeyboardModifiers more = {}) {
            return QKeyCombination(Qt::ControlModifier | more, key);
        };
        QTest::newRow("Ctrl+=") << "window" << QList{ctrl(Qt::Key_Equal)} << 110;
        QTest::newRow("Ctrl++") << "window" << QList{ctrl(Qt::Key_Plus)} << 110;
        QTest::newRow("Ctrl+Shift+=") << "window" << QList{ctrl(Qt::Key_Equal, Qt::ShiftModifier)} << 110;
        QTest::newRow("keypad plus") << "window" << QList{ctrl(Qt::Key_Plus, Qt::KeypadModifier)} << 110;
        QTest::newRow("Ctrl+- twice") << "window" << QList{ctrl(Qt::Key_Minus), ctrl(Qt::Key_Minus)} << 80;
        QTest::newRow("keypad minus") << "window" << QList{ctrl(Qt::Key_Minus, Qt::KeypadModifier)} << 90;
        QTest::newRow("no further than 500")
            << "window" << QList<QKeyCombination>(20, ctrl(Qt::Key_Equal)) << 500;
        QTest::newRow("no further than 25")
            << "window" << QList<QKeyCombination>(20, ctrl(Qt::Key_Minus)) << 25;
        QTest::newRow("Ctrl+0") << "window"
                                << QList{ctrl(Qt::Key_Equal), ctrl(Qt::Key_Equal), ctrl(Qt::Key_0)} << 100;
        QTest::newRow("keyboard in the page")
            << "page" << QList{ctrl(Qt::Key_Equal), ctrl(Qt::Key_Equal)} << 125;
        QTest::newRow("Ctrl+0 in the page") << "page" << QList{ctrl(Qt::Key_Minus), ctrl(Qt::Key_0)} << 100;
        QTest::newRow("keyboard in the find box") << "find box" << QList{ctrl(Qt::Key_Minus)} << 90;
        QTest::newRow("plain = is not zoom") << "page" << QList{QKeyCombination(Qt::Key_Equal)} << 100;
    }

    void keysStepTheZoom() {
        QFETCH(QString, where);
        QFETCH(QList<QKeyCombination>, keys);
        QFETCH(int, percent);
        TFindBar* bar = m_first->Window.findChild<TFindBar*>();
        QVERIFY(bar);
        QWidget* target = &m_first->Window;
        if (where == "page") {
            target = InputWidget(m_first->Browser);
        } else if (where == "find box") {
            bar->Open();
            target = bar->TextBox();
        }
        target->setFocus();
        for (const QKeyCombination& key : keys)
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
        bar->Close();
        QCOMPARE(m_zoom->Percent(), percent);
        // Every window follows, not only the one the keys went to.
        QCOMPARE(m_first->Browser->zoomFactor(), percent / 100.0);
        QCOMPARE(m_second->Browser->zoomFactor(), percent / 100.0);
        if (where == "find box")
            QCOMPARE(bar->TextBox()->text(), QString());
    }

    void ctrlWheelZooms_data() {
        QTest::addColumn<QList<int>>("angles");
        QTest::addColumn<bool>("control");
        QTest::addColumn<int>("percent");
        QTest::newRow("one notch up") << QList{120} << true << 110;
        QTest::newRow("two notches down") << QList{-120, -120} << true << 80;
        QTest::newRow("without Ctrl the page scrolls") << QList{120, 120} << false << 100;
        QTest::newRow("touch pad halves") << QList{60, 60} << true << 110;
        QTest::newRow("less than a notch") << QList{40} << true << 100;
        QTest::newRow("a notch up and back") << QList{120, -120} << true << 100;
        QTest::newRow("fast wheel, three notches at once") << QList{360} << true << 150;
    }

    void ctrlWheelZooms() {
        QFETCH(QList<int>, angles);
        QFETCH(bool, control);
        QFETCH(int, percent);
        for (int angle : angles)
            SendWheel(InputWidget(m_first->Browser), angle, control ? Qt::ControlModifier : Qt::NoModifier);
        QCOMPARE(m_zoom->Percent(), percent);
        QCOMPARE(m_second->Browser->zoomFactor(), percent / 100.0);
    }

    void pagesLoadedLaterTakeTheFactor() {
        const int wide = PageWidth(m_first->Browser);
        QVERIFY(wide > 0);
        QTest::keyClick(&m_first->Window, Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(&m_first->Window, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(m_zoom->Percent(), 125);
        // The window the keys went to shows the factor reached for a moment; the other does not.
        const auto* badge = m_first->Window.findChild<QLabel*>("ZoomBadge");
        QVERIFY(badge && badge->isVisible());
        QCOMPARE(badge->text(), QStringLiteral("125 %"));
        QVERIFY(m_first->Browser->geometry().contains(badge->geometry()));
        QVERIFY(m_second->Window.findChild<QLabel*>("ZoomBadge")->isHidden());
        // The page on show is laid out anew at 125 %.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(PageWidth(m_first->Browser) - qRound(wide / 1.25)) <= 2, kWebTimeout);
        // A page the other window loads afterwards opens at the same factor.
        m_second->Browser->resize(m_first->Browser->size());
        QVERIFY(NavigateAndWait(m_second->Browser, Fixture("find.html")));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(PageWidth(m_second->Browser) - qRound(wide / 1.25)) <= 2, kWebTimeout);
        // A browser made later starts at the factor too.
        TEmbeddedBrowser later;
        m_zoom->Attach(&later);
        QCOMPARE(later.zoomFactor(), 1.25);
        // Ctrl+0 in one window is 100 % in both pages.
        QTest::keyClick(&m_second->Window, Qt::Key_0, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(PageWidth(m_first->Browser), wide, kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(PageWidth(m_second->Browser), wide, kWebTimeout);
        QCOMPARE(later.zoomFactor(), 1.0);
    }

    void rememberedBetweenRuns_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<double>("remembered");
        QTest::newRow("two steps up") << QStringList{"in", "in"} << 1.25;
        QTest::newRow("one step down") << QStringList{"out"} << 0.9;
        QTest::newRow("back to 100") << QStringList{"in", "reset"} << 1.0;
        QTest::newRow("a factor between steps") << QStringList{"set 1.3"} << 1.3;
        QTest::newRow("too big") << QStringList{"set 12"} << 5.0;
        QTest::newRow("the bottom") << QStringList{"set 0.25", "out"} << 0.25;
        QTest::newRow("nothing changed") << QStringList{} << 1.0;
    }

    void rememberedBetweenRuns() {
        QFETCH(QStringList, steps);
        QFETCH(double, remembered);
        const QString file =
            m_dir.filePath(QStringLiteral("run-%1/settings.ini").arg(QTest::currentDataTag()));
        // The file keeps the chosen library as well: zooming leaves that alone.
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSettings(file, QSettings::IniFormat).setValue("Library/Last", "/media/disc/");
        {
            TPageZoom zoom(file);
            for (const QString& step : steps) {
                if (step == "in")
                    zoom.ZoomIn();
                else if (step == "out")
                    zoom.ZoomOut();
                else if (step == "reset")
                    zoom.Reset();
                else
                    zoom.SetFactor(step.section(' ', 1).toDouble());
            }
            QCOMPARE(zoom.Factor(), remembered);
        }
        QCOMPARE(TPageZoom(file).Factor(), remembered);
        QCOMPARE(QSettings(file, QSettings::IniFormat).value("Library/Last").toString(),
                 QString("/media/disc/"));
    }

    void damagedOrUnwritableSettings() {
        // A damaged value: 100 %, and the next step is stored over it.
        const QString damaged = m_dir.filePath("damaged.ini");
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Page]\nZoom=@Variant(garbage\n");
        file.close();
        TPageZoom fromDamaged(damaged);
        QCOMPARE(fromDamaged.Factor(), 1.0);
        fromDamaged.ZoomIn();
        QCOMPARE(TPageZoom(damaged).Factor(), 1.1);
        // A file that cannot be written: the zoom still works for this run.
        QFile blocker(m_dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString unwritable = m_dir.filePath("blocker/settings.ini");
        TPageZoom zoom(unwritable);
        zoom.ZoomIn();
        QCOMPARE(zoom.Factor(), 1.1);
        QCOMPARE(TPageZoom(unwritable).Factor(), 1.0);
    }
};

CP_BROWSER_TEST_MAIN(TestPageZoom)
#include "test_pagezoom.moc"
