// A course of an old disc in the real player: its descriptor and tree written in windows-1251
// without an XML declaration, and a page without a charset that tests for Flash before writing
// its movie and asks a question in a modal dialog, which shows in the hint window.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/ModalDialog.h"
#include "catalogue/Main.h"
#include "core/ComponentStaging.h"
#include "player/Startup.h"
#include "popups/CourseToolTip.h"
#include "tests/browser/TinySwf.h"
#include "viewer/ShowCourse.h"

#include <QAction>

namespace {

// The profile puts the components' folder into its scripts when the windows are made.
const bool kComponentsSet = [] {
    SetStagedComponentsFolder(QStringLiteral(CP_COMPONENTS));
    return true;
}();

QString Text(TWebBrowser* browser, const QString& script) {
    return RunScript(browser->page(), script).toString();
}

} // namespace

class TestViewerOldDisc : public QObject {
    Q_OBJECT
    TTestPlayer m_player;

private slots:
    void initTestCase() {
        QVERIFY(kComponentsSet && FlashEmulatorStaged());
        QVERIFY(m_player.Start(CP_TEST_DATA "/olddisc/course"));
        const QString section = m_player.Library + QStringLiteral("1/5/");
        QVERIFY(QFile::copy(CP_TEST_DATA "/olddisc/dialog-page.htm",
                            section + QStringLiteral("dialog-page.htm")));
        QFile swf(section + QStringLiteral("movie.swf"));
        QVERIFY(swf.open(QIODevice::WriteOnly));
        swf.write(TinySwf());
    }
    void cleanupTestCase() { m_player.Stop(); }

    // The catalogue and the tree read what old tools wrote.
    void descriptorAndTreeInWindows1251() {
        const TCatalogueModel& catalogue = Roster().MainForm->Catalogue();
        QCOMPARE(catalogue.PageCount(), 1);
        QCOMPARE(catalogue.Page(0).Caption, QStringLiteral("Старые диски"));
        QCOMPARE(catalogue.Page(0).Courses.size(), size_t(1));
        QCOMPARE(catalogue.Page(0).Courses[0].Name, QStringLiteral("Старый курс"));
        QVERIFY(catalogue.Skipped().empty());

        TForm1* form = Roster().Form1;
        form->CourseTitle = QStringLiteral("Старый курс");
        QVERIFY(form->OpenCourse(1));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTreeWidgetItem* item = FindItem(form->LeftTree, 1);
        QVERIFY(item);
        QCOMPARE(item->text(0), QStringLiteral("Страница со всем сразу"));
        QVERIFY(FindItem(form->LeftTree, 2));
        QVERIFY(m_player.Errors.isEmpty());
    }

    // One page of the course, reached from an item's page as a reader reaches it.
    void pageOfTheOldDisc() {
        TForm1* form = Roster().Form1;
        TToolTipForm* hint = Roster().ToolTipForm;
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 1));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(QStringLiteral("/1/5/1.xml")), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(ClickElement(form->wMain, QStringLiteral("go")));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(QStringLiteral("/1/5/combined.htm")),
                                 kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));

        // No charset: windows-1251.
        QVERIFY(Text(form->wMain, QStringLiteral("document.body.innerText"))
                    .contains(QStringLiteral("Съешь же ещё этих мягких французских булок")));
        // Flash was there before the page asked; its movie plays in the emulator.
        QCOMPARE(Text(form->wMain, QStringLiteral("document.getElementById('detected').innerText")),
                 QStringLiteral("Flash 32"));
        QTRY_COMPARE_WITH_TIMEOUT(
            Text(
                form->wMain,
                QStringLiteral("(function () { var p = document.querySelector('ruffle-embed, ruffle-object');"
                               " var m = p && (p.ruffle ? p.ruffle().metadata : p.metadata);"
                               " return m ? m.backgroundColor : ''; })()")),
            QStringLiteral("#3366CC"), kWebTimeout);

        // The dialog shows in the hint window, sized as asked; the page waits for it.
        hint->hide();
        QVERIFY(ClickElement(form->wMain, QStringLiteral("ask")));
        QTRY_VERIFY_WITH_TIMEOUT(hint->isVisible(), kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(
            Text(hint->wbToolTip, QStringLiteral("document.getElementById('says').textContent")),
            QStringLiteral("Диалог ждёт закрытия"), kWebTimeout);
        QCOMPARE(hint->wbToolTip->size(), QSize(320, 240));
        // "Закрыть" ends it: the page gets the dialog's returnValue.
        hint->actHide->trigger();
        QVERIFY(!hint->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(
            Text(form->wMain, QStringLiteral("document.getElementById('out').innerText")),
            QStringLiteral("ответ:[\"оставлен\",1]"), kWebTimeout);
        QVERIFY(m_player.Errors.isEmpty());
    }

    // The player quits while a dialog waits: the windows go (in cleanupTestCase) with the
    // dialog open, and nothing may crash or hang on the way.
    void quitWithADialogOpen() {
        TForm1* form = Roster().Form1;
        TToolTipForm* hint = Roster().ToolTipForm;
        // The hint window still shows the last dialog's page, whose text is the one awaited
        // below: left there, the wait ended at once and the windows went at any step of the
        // new dialog's opening (its request in flight, its page loading) instead of with the
        // dialog open.
        hint->wbToolTip->LoadBlankAndWait();
        QVERIFY(ClickElement(form->wMain, QStringLiteral("ask")));
        QTRY_VERIFY_WITH_TIMEOUT(hint->isVisible(), kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(
            Text(hint->wbToolTip, QStringLiteral("document.getElementById('says').textContent")),
            QStringLiteral("Диалог ждёт закрытия"), kWebTimeout);
        QVERIFY(TModalDialogBroker::Of(SharedBrowserProfile())->IsOpen());
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestViewerOldDisc>(argc, argv);
}
#include "test_viewer_olddisc.moc"
