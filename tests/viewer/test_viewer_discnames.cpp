// The viewer on a disc made on Windows (tests/data/olddisc/names): tree documents and pages are
// named in upper case on disc (TREE.XML, 1.XML), the page names its pictures, stylesheet, script,
// frame and data in other cases and with backslashes, and tries to leave the library.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "player/Startup.h"
#include "viewer/ShowCourse.h"

#include <QAction>

class TestViewerDiscNames : public QObject {
    Q_OBJECT

    TTestPlayer m_player;
    QString m_pageText; // the item page's text once all its checks have reported

    TForm1* Viewer() const { return Roster().Form1; }

private slots:
    // lib/ is the disc; outside/ beside it holds what its links must not reach, also through
    // the link lib/7/5/LinkOut.
    void initTestCase() {
        QVERIFY(m_player.Start(CP_TEST_DATA "/olddisc/names"));
        const QString outside = m_player.Dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(
            QFile::copy(m_player.Library + QStringLiteral("7/5/Images/Pic.GIF"), outside + "/secret.gif"));
        QVERIFY(QFile::link(outside, m_player.Library + QStringLiteral("7/5/LinkOut")));
        Viewer()->SetMessagePresenter([](const QString&) {});
    }

    void cleanupTestCase() { m_player.Stop(); }

    // The course opens on its first section although no name on disc is in the case the viewer
    // asks for, the other section is offered, and the item page loads from its name on disc.
    void opensTheCourse() {
        TForm1* form = Viewer();
        form->CourseTitle = QStringLiteral("Имена Windows");
        QVERIFY(form->OpenCourse(7));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(WaitComplete(form->wMain));
        QCOMPARE(form->CurrentSection(), 5);
        QVERIFY(form->SectionAction(5)->isVisible());
        QVERIFY(form->SectionAction(7)->isVisible());
        QVERIFY(!form->SectionAction(8)->isVisible());
        QVERIFY(m_player.Errors.isEmpty());

        QTreeWidgetItem* item = FindItem(form->LeftTree, 1);
        QVERIFY(item);
        form->LeftTree->setCurrentItem(item);
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(QLatin1String("/7/5/1.XML")), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        // The page reports when it has loaded, the frame by a message from its own document.
        QTRY_VERIFY_WITH_TIMEOUT(
            (m_pageText =
                 RunScript(form->wMain->page(), QStringLiteral("document.body.textContent")).toString())
                    .contains(QLatin1String("[frameOnDisc:")) &&
                m_pageText.contains(QLatin1String("[link:")),
            kWebTimeout);
    }

    void pageChecks_data() {
        QTest::addColumn<QString>("check");
        QTest::addColumn<bool>("ok");
        QTest::newRow("stylesheet") << "css" << true;
        QTest::newRow("script") << "js" << true;
        QTest::newRow("picture, backslashes") << "backslashes" << true;
        QTest::newRow("picture, other case") << "wrongcase" << true;
        QTest::newRow("picture, encoded backslash") << "encoded" << true;
        QTest::newRow("frame") << "frame" << true;
        QTest::newRow("frame from its name on disc") << "frameOnDisc" << true;
        QTest::newRow("XHR") << "xhr" << true;
        QTest::newRow("picture out by dot-dots") << "outDots" << false;
        QTest::newRow("picture out by encoded dot-dots") << "outEncoded" << false;
        QTest::newRow("picture out by a link") << "outLink" << false;
    }
    void pageChecks() {
        QFETCH(QString, check);
        QFETCH(bool, ok);
        const QString line = u'[' + check + (ok ? QStringLiteral(":ok]") : QStringLiteral(":broken]"));
        QVERIFY2(m_pageText.contains(line), qPrintable(m_pageText));
    }

    // Item links written as "..\\7\\12.xml" open in the viewer as its own links do, a task's
    // with "#run" when tasks run at once.
    void followsBackslashItemLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("runAtOnce");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("text");
        QTest::newRow("other section") << "otherSection" << false << "/7/7/12.XML"
                                       << "Страница 12 раздела 7";
        QTest::newRow("task") << "task" << false << "/7/2010/3.XML"
                              << "Задание 3";
        QTest::newRow("task, run at once") << "task" << true << "/7/2010/3.XML#run"
                                           << "Задание 3";
    }
    void followsBackslashItemLinks() {
        QFETCH(QString, link);
        QFETCH(bool, runAtOnce);
        QFETCH(QString, location);
        QFETCH(QString, text);
        TForm1* form = Viewer();
        form->actRunTask->setChecked(false);
        if (!Location(form->wMain).endsWith(QLatin1String("/7/5/1.XML"))) {
            form->wMain->Navigate(m_player.Library + QStringLiteral("7/5/1.XML"));
            QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(QLatin1String("/7/5/1.XML")),
                                     kWebTimeout);
            QVERIFY(WaitComplete(form->wMain));
        }
        form->actRunTask->setChecked(runAtOnce);
        QVERIFY(ClickElement(form->wMain, link));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(location), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(RunScript(form->wMain->page(), QStringLiteral("document.body.textContent"))
                    .toString()
                    .contains(text));
        form->actRunTask->setChecked(false);
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestViewerDiscNames>(argc, argv);
}
#include "test_viewer_discnames.moc"
