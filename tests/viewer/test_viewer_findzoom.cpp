// Find in page and zoom in the player's page windows, started as the player starts them: each
// window has the find bar under its page and the keys; one zoom for all of them, kept in the
// test's own settings file; a search in a course page of the demo library.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/FindBar.h"
#include "collections/ShowFavor.h"
#include "look/Theme.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "tests/browser/FindMarks.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>

namespace {

struct TWindowAndPage {
    QMainWindow* Window = nullptr;
    TEmbeddedBrowser* Browser = nullptr;
};

TWindowAndPage PageWindow(const QString& name) {
    TRoster& roster = Roster();
    if (name == "viewer")
        return {roster.Form1, roster.Form1->wMain};
    if (name == "hint")
        return {roster.ToolTipForm, roster.ToolTipForm->wbToolTip};
    if (name == "test")
        return {roster.TestForm, roster.TestForm->wbToolTip};
    return {roster.ShowFavorForm, roster.ShowFavorForm->wbToolTip};
}

const QStringList kPageWindows{"viewer", "hint", "test", "presentation"};

// Every shortcut a window answers to, with the actions that carry it.
QMultiHash<QKeySequence, QAction*> WindowShortcuts(QWidget* window) {
    QSet<QAction*> actions;
    for (QAction* action : window->actions())
        actions.insert(action);
    for (QWidget* widget : window->findChildren<QWidget*>())
        for (QAction* action : widget->actions())
            actions.insert(action);
    QMultiHash<QKeySequence, QAction*> keys;
    // A disabled command's keys are no one's (Esc closes the find bar only while it is open).
    for (QAction* action : std::as_const(actions))
        if (action->isEnabled())
            for (const QKeySequence& key : action->shortcuts())
                keys.insert(key, action);
    return keys;
}

} // namespace

class TestViewerFindZoom : public QObject {
    Q_OBJECT

    TTestPlayer m_player;

    bool Activate(QWidget* window) {
        window->show();
        window->raise();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_player.Start(CP_SOURCE_DIR "/content"));
        QVERIFY(Roster().Form1 && Roster().ToolTipForm && Roster().TestForm && Roster().ShowFavorForm);
        QVERIFY(m_player.Errors.isEmpty());
    }

    void cleanupTestCase() { m_player.Stop(); }

    void everyPageWindowHasTheTools_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : kPageWindows)
            QTest::newRow(qPrintable(name)) << name;
    }

    void everyPageWindowHasTheTools() {
        QFETCH(QString, name);
        const TWindowAndPage page = PageWindow(name);
        // The new keys take no key another command of the window already has: Qt would run
        // neither of two commands on one key.
        const auto keys = WindowShortcuts(page.Window);
        for (const QKeySequence& key : keys.uniqueKeys())
            QVERIFY2(keys.count(key) == 1, qPrintable(key.toString()));
        for (const char* key : {"Ctrl+F", "F3", "Shift+F3", "Ctrl+=", "Ctrl+-", "Ctrl+0"})
            QVERIFY2(keys.contains(QKeySequence(QString::fromLatin1(key))), key);

        auto* bar = page.Window->findChild<TFindBar*>();
        QVERIFY(bar);
        QVERIFY(bar->isHidden());
        // Under the page, in the place the browser had.
        QCOMPARE(bar->parentWidget(), page.Browser->parentWidget());
        QVERIFY(Activate(page.Window));
        QVERIFY(WaitUntil([&] { return page.Browser->focusProxy() != nullptr; }));
        QWidget* inPage = page.Browser->focusProxy();
        inPage->setFocus();
        QTest::keyClick(inPage, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar->isVisible());
        QVERIFY(bar->TextBox()->hasFocus());
        QVERIFY(bar->geometry().top() >= page.Browser->geometry().bottom());
        QTest::keyClick(bar->TextBox(), Qt::Key_Escape);
        QVERIFY(bar->isHidden());

        // One zoom for every page window, remembered in the player's settings file.
        inPage->setFocus();
        QTest::keyClick(inPage, Qt::Key_Equal, Qt::ControlModifier);
        for (const QString& other : kPageWindows)
            QCOMPARE(PageWindow(other).Browser->zoomFactor(), 1.1);
        QCOMPARE(QSettings(m_player.Dir.filePath("settings.ini"), QSettings::IniFormat)
                     .value("Page/Zoom")
                     .toString(),
                 QStringLiteral("1.1"));
        QTest::keyClick(inPage, Qt::Key_0, Qt::ControlModifier);
        for (const QString& other : kPageWindows)
            QCOMPARE(PageWindow(other).Browser->zoomFactor(), 1.0);
        if (page.Window != Roster().Form1)
            page.Window->hide();
    }

    void findsInACoursePage() {
        TForm1* viewer = Roster().Form1;
        viewer->CourseTitle = QStringLiteral("Алгебра, 7 класс");
        QVERIFY(viewer->OpenCourse(101));
        QVERIFY(Activate(viewer));
        viewer->LeftTree->setCurrentItem(FindItem(viewer->LeftTree, 4));
        QTRY_VERIFY_WITH_TIMEOUT(Location(viewer->wMain).endsWith("/101/5/4.xml"), kWebTimeout);
        QVERIFY(WaitComplete(viewer->wMain));
        // What the page shows, counted by the page itself.
        const int shown = RunScript(viewer->wMain->page(),
                                    "(document.body.innerText.toLowerCase().match(/уравнен/g) || []).length")
                              .toInt();
        QVERIFY(shown >= 2);

        auto* bar = viewer->findChild<TFindBar*>();
        QWidget* inPage = viewer->wMain->focusProxy();
        QVERIFY(inPage);
        inPage->setFocus();
        QTest::keyClick(inPage, Qt::Key_F, Qt::ControlModifier);
        QSignalSpy answered(bar, &TFindBar::ResultShown);
        for (const QChar ch : QStringLiteral("УРАВНЕН"))
            QTest::sendKeyEvent(QTest::Click, bar->TextBox(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QVERIFY(answered.wait(kWebTimeout));
        QCOMPARE(bar->MatchCount(), shown);
        QCOMPARE(bar->CountText(), QStringLiteral("1 из %1").arg(shown));
        answered.clear();
        QTest::keyClick(viewer, Qt::Key_F3);
        QVERIFY(answered.wait(kWebTimeout));
        QCOMPARE(bar->CountText(), QStringLiteral("2 из %1").arg(shown));
        QTRY_VERIFY_WITH_TIMEOUT(FindMarkPixels(viewer->wMain) > 0, kWebTimeout);
        // A developer can look at the window as the user sees it.
        if (const QByteArray folder = qgetenv("CP_GRAB_DIR"); !folder.isEmpty())
            viewer->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/viewer-find.png"));
        // Another item's page is searched afresh while the bar stays open.
        answered.clear();
        viewer->LeftTree->setCurrentItem(FindItem(viewer->LeftTree, 5));
        QTRY_VERIFY_WITH_TIMEOUT(Location(viewer->wMain).endsWith("/101/5/5.xml"), kWebTimeout);
        QVERIFY(WaitComplete(viewer->wMain));
        const int onNext = RunScript(viewer->wMain->page(),
                                     "(document.body.innerText.toLowerCase().match(/уравнен/g) || []).length")
                               .toInt();
        QTRY_COMPARE_WITH_TIMEOUT(bar->MatchCount(), onNext, kWebTimeout);
        QCOMPARE(bar->CountText(),
                 onNext ? QStringLiteral("1 из %1").arg(onNext) : QStringLiteral("Не найдено"));
        QVERIFY(bar->isVisible());
        // Esc in the tree is the tree's: the bar stays.
        viewer->LeftTree->setFocus();
        QTest::keyClick(viewer->LeftTree, Qt::Key_Escape);
        QVERIFY(bar->isVisible());
        QTest::keyClick(bar->TextBox(), Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(FindMarkPixels(viewer->wMain), 0, kWebTimeout);
        QVERIFY(m_player.Errors.isEmpty());
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TCourseApplication app(argc, argv);
    // The player's own look, so that a grab shows the bar as users see it.
    ApplyTheme(app);
    TestViewerFindZoom test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_viewer_findzoom.moc"
