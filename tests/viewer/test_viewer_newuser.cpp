// What a new user meets in the viewer: history that stays with its course and library, and
// failures that say why, the name "Сохранить как PDF" proposes, and signs that commands worked.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PageZoom.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "markuptree/MarkupTreeView.h"
#include "player/Startup.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QWebEngineHistory>

class TestViewerNewUser : public QObject {
    Q_OBJECT

    TTestPlayer m_player;
    QStringList m_messages;

    TForm1* Viewer() const { return Roster().Form1; }

    void OpenCourse(int course) {
        TForm1* form = Viewer();
        form->CourseTitle = QStringLiteral("Курс %1").arg(course);
        QVERIFY(form->OpenCourse(course));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(WaitComplete(form->wMain));
        m_messages.clear();
        m_player.Shell.Opened.clear();
    }

    void ShowItem(int id, const QString& ending) {
        TForm1* form = Viewer();
        form->LeftTree->clearSelection();
        QTreeWidgetItem* node = FindItem(form->LeftTree, id);
        QVERIFY(node);
        form->LeftTree->setCurrentItem(node);
        node->setSelected(true);
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(ending), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
    }

    // Course 1 with two of its pages shown one after the other: "Назад" has somewhere to go.
    void TwoPagesOfCourseOne() {
        OpenCourse(1);
        ShowItem(1, "/1/5/1.xml");
        ShowItem(2, "/1/5/2.xml");
        QTRY_VERIFY_WITH_TIMEOUT(Viewer()->actBack->isEnabled(), kWebTimeout);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_player.Start(CP_TEST_DATA "/viewer/library"));
        QVERIFY(QFile::copy(CP_TEST_DATA "/viewer/outside.txt", m_player.Dir.filePath("outside.txt")));
        QVERIFY(Viewer());
        Viewer()->SetMessagePresenter([this](const QString& message) { m_messages << message; });
    }
    void cleanupTestCase() { m_player.Stop(); }

    // Another course starts with no way back into the last one, also once a page is shown.
    void aCourseStartsItsHistoryAfresh() {
        TwoPagesOfCourseOne();
        TForm1* form = Viewer();
        form->close();
        OpenCourse(2);
        QVERIFY(!form->wMain->history()->canGoBack());
        QVERIFY(!form->actBack->isEnabled());
        QVERIFY(!form->actFoward->isEnabled());
        ShowItem(1, "/2/30/1.xml");
        for (int step = 0; step < 3 && form->wMain->history()->canGoBack(); ++step) {
            form->actBack->trigger();
            QVERIFY(WaitComplete(form->wMain));
            QVERIFY2(!Location(form->wMain).contains("/1/5/"), qPrintable(Location(form->wMain)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!form->wMain->history()->canGoBack(), kWebTimeout);
    }

    // After a library switch no window can go back to a page of the old library (its files are
    // no longer allowed, so Chromium would show its blocked-site page).
    void aLibrarySwitchClearsEveryPageWindow() {
        TwoPagesOfCourseOne();
        TForm1* form = Viewer();
        const QString hints = m_player.Library + "1/5/";
        form->ShowToolTip(hints + "hint.html");
        QVERIFY(WaitComplete(Roster().ToolTipForm->wbToolTip));
        form->ShowToolTip(hints + "hint2.html");
        QTRY_VERIFY_WITH_TIMEOUT(Roster().ToolTipForm->actBack->isEnabled(), kWebTimeout);
        QVERIFY(WaitComplete(Roster().ToolTipForm->wbToolTip));

        const QString other = m_player.Dir.filePath("other") + '/';
        QVERIFY(CopyTree(CP_TEST_DATA "/viewer/library", other.chopped(1)));
        SwitchLibrary(other);
        for (TWebBrowser* browser : {static_cast<TWebBrowser*>(form->wMain),
                                     static_cast<TWebBrowser*>(Roster().ToolTipForm->wbToolTip),
                                     static_cast<TWebBrowser*>(Roster().TestForm->wbToolTip),
                                     static_cast<TWebBrowser*>(Roster().ShowFavorForm->wbToolTip)}) {
            QVERIFY2(!browser->history()->canGoBack(), qPrintable(browser->window()->objectName()));
            QVERIFY(!browser->history()->canGoForward());
        }
        QVERIFY(!form->actBack->isEnabled());
        QVERIFY(!Roster().ToolTipForm->actBack->isEnabled());
        SwitchLibrary(m_player.Library);
    }

    // The first line stays "Данный ресурс недоступен" (or "Справка недоступна"); the second says why.
    void failuresSayWhy_data() {
        QTest::addColumn<QString>("command"); // a link of the page, or a command of the viewer
        QTest::addColumn<bool>("shellWorks");
        QTest::addColumn<QString>("message");
        const QString unavailable = QStringLiteral("Данный ресурс недоступен\n");
        QTest::newRow("missing file") << "lnRunMissing" << true << unavailable + "Нет файла «none.txt».";
        QTest::newRow("file outside the library")
            << "lnRunOutside" << true << unavailable + "Файл «outside.txt» лежит вне библиотеки курсов.";
        QTest::newRow("no program for the kind")
            << "lnRunShell" << false << unavailable + "Нет программы, которая открывает файлы вида «.txt».";
        QTest::newRow("no web browser")
            << "lnRunHttp" << false
            << unavailable + "Не найден веб-браузер, чтобы открыть адрес «https://example.org/page».";
        QTest::newRow("manual missing")
            << "actShowManual" << true
            << "Справка недоступна\nНет файла «Руководство пользователя.doc» в папке «Help» библиотеки.";
        QTest::newRow("site without a browser")
            << "actExamen" << false
            << unavailable + "Не найден веб-браузер, чтобы открыть адрес «https://fipi.ru/».";
    }
    void failuresSayWhy() {
        QFETCH(QString, command);
        QFETCH(bool, shellWorks);
        OpenCourse(1);
        ShowItem(1, "/1/5/1.xml");
        m_player.Shell.Result = shellWorks;
        if (command.startsWith("act"))
            Viewer()->findChild<QAction*>(command)->trigger();
        else
            QVERIFY(ClickElement(Viewer()->wMain, command));
        QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, kWebTimeout);
        m_player.Shell.Result = true;
        QTEST(m_messages.constFirst(), "message");
    }

    // The file name proposed is the page's own title, not the window's, so pages do not
    // overwrite one another.
    void pdfNameIsThePagesTitle() {
        OpenCourse(1);
        ShowItem(1, "/1/5/1.xml");
        QCOMPARE(Viewer()->ProposedPdfName(), QStringLiteral("Item 1.pdf"));
        ShowItem(2, "/1/5/2.xml");
        QCOMPARE(Viewer()->ProposedPdfName(), QStringLiteral("Item 2.pdf"));
    }

    void collectingTellsInTheStatusBar() {
        OpenCourse(1);
        ShowItem(1, "/1/5/1.xml");
        TForm1* form = Viewer();
        TFavoriteForm* editor = Roster().FavoriteForm;
        editor->actClearExecute();
        QVERIFY(editor->EmptyHint->isVisibleTo(editor));
        for (int id : {2, 3})
            FindItem(form->LeftTree, id)->setSelected(true);
        QTRY_VERIFY_WITH_TIMEOUT(form->wMain->DocumentLoaded(), kWebTimeout);
        form->actToFavor->trigger();
        QCOMPARE(editor->Rows().Count(), 3);
        QVERIFY(!editor->EmptyHint->isVisibleTo(editor));
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Добавлено в подборку: 3"));
        form->actToFavor->trigger();
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Уже в подборке: 3"));
        form->actRemoveFavor->trigger();
        QCOMPARE(editor->Rows().Count(), 2);
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Удалено из подборки"));
        form->actRemoveFavor->trigger();
        QCOMPARE(form->statusBar()->currentMessage(), QStringLiteral("Этой страницы нет в подборке"));
        editor->actClearExecute();
        QVERIFY(editor->EmptyHint->isVisibleTo(editor));
    }

    // "Масштаб" in the menu: in, out and 100 %, its title showing the factor reached.
    void zoomHasMenuEntries() {
        TForm1* form = Viewer();
        QMenu* zoom = form->findChild<QMenu*>("menuZoom");
        QVERIFY(zoom);
        QStringList names;
        for (const QAction* action : zoom->actions())
            names << action->objectName();
        QCOMPARE(names, (QStringList{"actZoomIn", "actZoomOut", "actZoomReset"}));
        m_player.Zoom->Reset();
        QCOMPARE(zoom->title(), QStringLiteral("Масштаб: 100 %"));
        zoom->actions().constFirst()->trigger();
        QCOMPARE(zoom->title(), QStringLiteral("Масштаб: 110 %"));
        zoom->actions().at(2)->trigger();
        QCOMPARE(zoom->title(), QStringLiteral("Масштаб: 100 %"));
    }
};

QTEST_MAIN(TestViewerNewUser)
#include "test_viewer_newuser.moc"
