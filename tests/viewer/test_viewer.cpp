// The course viewer end to end, with real Qt WebEngine, on a copy of the fixture library.

#include "ViewerTestSupport.h"
#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PlainBrowser.h"
#include "catalogue/CourseButton.h"
#include "catalogue/Main.h"
#include "core/ComponentStaging.h"
#include "core/Registry.h"
#include "look/PageControl.h"
#include "markuptree/MarkupTreeView.h"
#include "player/Startup.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWindow>

namespace {
const QString CourseTitle = QStringLiteral("Курс один");
} // namespace

class TestViewer : public QObject {
    Q_OBJECT

    TTestPlayer m_player;
    QTemporaryDir& m_dir = m_player.Dir;
    QString& m_library = m_player.Library;
    std::unique_ptr<TIniRegistry>& m_registry = m_player.Registry;
    TRecordingShell& m_shell = m_player.Shell;
    QStringList& m_errors = m_player.Errors;
    QStringList m_messages;

    TForm1* Viewer() const { return Roster().Form1; }

    // Opens course 1 on its first section, with every option back at its initial state.
    void OpenCourseOne() {
        TForm1* form = Viewer();
        form->actRunTask->setChecked(false);
        form->actShowTaskHint->setChecked(true);
        form->actShowTaskInMain->setChecked(false);
        form->CourseTitle = CourseTitle;
        QVERIFY(form->OpenCourse(1));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(WaitComplete(form->wMain));
        Roster().ToolTipForm->hide();
        Roster().TestForm->hide();
        m_shell.Opened.clear();
        m_messages.clear();
    }

    // Shows the page of item 1 of section 5 (the links page).
    void ShowLinksPage() {
        OpenCourseOne();
        TForm1* form = Viewer();
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 1));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/1.xml"), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
    }

    // The links page with the options and windows as ShowLinksPage leaves them, loaded again only
    // when it is no longer shown: a link routed to a hint, a test or the shell leaves it as it was.
    void ReturnToLinksPage() {
        TForm1* form = Viewer();
        if (!form->isVisible() || form->CurrentSection() != 5 ||
            !Location(form->wMain).endsWith("/1/5/1.xml") ||
            form->wMain->ReadyState() != TWebBrowser::ReadyComplete) {
            ShowLinksPage();
            return;
        }
        form->actRunTask->setChecked(false);
        form->actShowTaskHint->setChecked(true);
        form->actShowTaskInMain->setChecked(false);
        Roster().ToolTipForm->hide();
        Roster().TestForm->hide();
        m_shell.Opened.clear();
        m_messages.clear();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_player.Start(CP_TEST_DATA "/viewer/library"));
        QVERIFY(QFile::copy(CP_TEST_DATA "/viewer/outside.txt", m_dir.filePath("outside.txt")));
        QVERIFY(Viewer());
        Viewer()->SetMessagePresenter([this](const QString& message) { m_messages << message; });
        Roster().MainForm->SetCourseViewer({
            [](const QString& title) { Roster().Form1->CourseTitle = title; },
            [](int courseNumber) { return Roster().Form1->OpenCourse(courseNumber); },
            [] { Roster().Form1->showMaximized(); },
        });
        QVERIFY(m_errors.isEmpty());
    }

    void cleanupTestCase() { m_player.Stop(); }

    void init() { m_errors.clear(); }

    // Every test leaves its browsers idle, so that the next one starts from settled pages.
    void cleanup() {
        QVERIFY(WaitIdle(Viewer()->wMain));
        QVERIFY(WaitIdle(Roster().ToolTipForm->wbToolTip));
        QVERIFY(WaitIdle(Roster().TestForm->wbToolTip));
    }

    void opensOnTheFirstAvailableSection_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("commands"); // visible section commands in probe order
        QTest::addColumn<int>("items");        // top-level items in the tree
        QTest::newRow("5, 12 and 2010") << 1 << true << 5 << "Учебный курс - Заголовок"
                                        << "5 12 2010" << 3;
        QTest::newRow("only 30") << 2 << true << 30 << " - Заголовок"
                                 << "" << 1;
        QTest::newRow("missing folder") << 99 << false << 0 << " - Заголовок"
                                        << "" << -1;
    }
    void opensOnTheFirstAvailableSection() {
        QFETCH(int, course);
        QFETCH(int, items);
        TForm1* form = Viewer();
        // A tree from an earlier course shows that a missing course loads nothing.
        form->CourseTitle = CourseTitle;
        QVERIFY(form->OpenCourse(1));
        const int before = form->LeftTree->topLevelItemCount();

        form->CourseTitle = QStringLiteral("Заголовок");
        QTEST(form->OpenCourse(course), "result");
        QTEST(form->CurrentSection(), "section");
        QTEST(form->windowTitle(), "caption");
        QStringList visible;
        for (int section : {5, 7, 8, 12, 68, 2010})
            if (form->SectionAction(section)->isVisible())
                visible << QString::number(section);
        QTEST(visible.join(' '), "commands");
        QCOMPARE(form->LeftTree->topLevelItemCount(), items < 0 ? before : items);
        QCOMPARE(form->ppRun->isVisible(), form->CurrentSection() == 2010);
        QVERIFY(m_errors.isEmpty());
    }

    // A course folder without a usable section: the load fails, the error is reported, and the
    // catalogue keeps the viewer hidden. The report says why no section could be used.
    void aCourseWithoutSectionsReportsAndStaysHidden_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<QString>("why");
        QTest::newRow("no tree document") << 3 << "нет ни одного раздела: ни в одной из папок 5, 7, 8";
        // Section 7 is malformed, section 30 (probed last) has no items: the last reason is told.
        QTest::newRow("every tree fails")
            << 4 << "Ни один раздел курса не загрузился. Последняя причина: В файле \"%1/4/30/tree.xml\" нет";
    }
    void aCourseWithoutSectionsReportsAndStaysHidden() {
        QFETCH(int, course);
        QFETCH(QString, why);
        TForm1* form = Viewer();
        form->hide();
        bool opened = false;
        QVERIFY(!RunReported([&] { opened = form->OpenCourse(course); }));
        QVERIFY(!opened);
        QCOMPARE(m_errors.size(), 1);
        if (why.contains(QStringLiteral("%1")))
            why = why.arg(m_dir.filePath("lib"));
        QVERIFY2(m_errors[0].contains(why), qPrintable(m_errors[0]));
        QVERIFY(!form->isVisible());
    }

    void catalogueButtonOpensAndCloseReturnsToTheSameTab() {
        TMainForm* catalogue = Roster().MainForm;
        catalogue->show();
        QVERIFY(QTest::qWaitForWindowExposed(catalogue));
        QCOMPARE(catalogue->MainPages->Count(), 2);
        catalogue->MainPages->SetCurrentIndex(1);
        const auto buttons = catalogue->CourseButtons(1);
        QCOMPARE(buttons.size(), 1);
        buttons.first()->click();
        QTRY_VERIFY_WITH_TIMEOUT(Viewer()->isVisible(), kWebTimeout);
        QVERIFY(!catalogue->isVisible());
        QVERIFY(Viewer()->windowState() & Qt::WindowMaximized);
        QCOMPARE(Viewer()->windowTitle(), QStringLiteral(" - Курс два"));
        QCOMPARE(Viewer()->CourseNumber, 2);

        Viewer()->actClose->trigger();
        QTRY_VERIFY(catalogue->isVisible());
        QVERIFY(!Viewer()->isVisible());
        QCOMPARE(catalogue->MainPages->CurrentIndex(), 1);
        catalogue->hide();
    }

    void selectingItemsNavigates_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("runTasks");
        QTest::addColumn<QString>("ending");
        QTest::newRow("page") << 5 << 2 << false << "/1/5/2.xml";
        QTest::newRow("nested three deep") << 5 << 3 << false << "/1/5/3.xml";
        QTest::newRow("id with leading zeros") << 5 << 5 << false << "/1/5/5.xml";
        QTest::newRow("option ignored outside tasks") << 5 << 2 << true << "/1/5/2.xml";
        QTest::newRow("other section") << 12 << 9 << false << "/1/12/9.xml";
        QTest::newRow("task") << 2010 << 31 << false << "/1/2010/31.xml";
        QTest::newRow("task run at once") << 2010 << 31 << true << "/1/2010/31.xml#run";
    }
    void selectingItemsNavigates() {
        QFETCH(int, section);
        QFETCH(int, item);
        QFETCH(bool, runTasks);
        QFETCH(QString, ending);
        OpenCourseOne();
        TForm1* form = Viewer();
        form->actRunTask->setChecked(runTasks);
        form->SectionAction(section)->trigger();
        QCOMPARE(form->CurrentSection(), section);
        QVERIFY(WaitComplete(form->wMain));
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, item));
        QTRY_COMPARE_WITH_TIMEOUT(Location(form->wMain).endsWith(ending), true, kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(Location(form->wMain).endsWith(ending));
    }

    void anItemWithoutAPageKeepsThePage() {
        ShowLinksPage();
        TForm1* form = Viewer();
        const QString shown = Location(form->wMain);
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 4));
        // Opening another page right after shows that nothing was queued for item 4.
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 2));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/2.xml"), kWebTimeout);
        QVERIFY(shown.endsWith("/1/5/1.xml"));
    }

    void linksToTasksRunWithTheOption_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("runTasks");
        QTest::addColumn<QString>("ending");
        QTest::newRow("on") << "lnTask" << true << "/1/2010/31.xml#run";
        QTest::newRow("off") << "lnTask" << false << "/1/2010/31.xml";
        QTest::newRow("on, own fragment") << "lnTaskFragment" << true << "/1/2010/31.xml#x";
    }
    void linksToTasksRunWithTheOption() {
        QFETCH(QString, link);
        QFETCH(bool, runTasks);
        QFETCH(QString, ending);
        ShowLinksPage();
        Viewer()->actRunTask->setChecked(runTasks);
        QVERIFY(ClickElement(Viewer()->wMain, link));
        QTRY_VERIFY_WITH_TIMEOUT(Location(Viewer()->wMain).contains("/2010/"), kWebTimeout);
        QVERIFY(WaitComplete(Viewer()->wMain));
        QCOMPARE(Location(Viewer()->wMain).right(ending.size()), ending);
    }

    void beforeNavigateRule_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("runTasks");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("backslash form") << "C:\\lib\\1\\2010\\31.xml" << true << true;
        QTest::newRow("backslash form, option off") << "C:\\lib\\1\\2010\\31.xml" << false << false;
        QTest::newRow("slash form") << "@/1/2010/31.xml" << true << true;
        QTest::newRow("with fragment") << "@/1/2010/31.xml|#run" << true << false;
        QTest::newRow("with empty fragment") << "@/1/2010/31.xml|#" << true << false;
        QTest::newRow("2010 at the end") << "@/1/2010" << true << false;
        QTest::newRow("other section") << "@/1/5/2.xml" << true << false;
    }
    void beforeNavigateRule() {
        QFETCH(QString, url);
        QFETCH(bool, runTasks);
        OpenCourseOne();
        TForm1* form = Viewer();
        form->actRunTask->setChecked(runTasks);
        const bool local = url.startsWith('@');
        if (local) {
            const QStringList parts = url.mid(1).split('|');
            url = QUrl::fromLocalFile(m_dir.filePath("lib") + parts.first()).toString() + parts.value(1);
        }
        bool cancel = false;
        form->wMainBeforeNavigate2(form->wMain, url, std::nullopt, cancel);
        QTEST(cancel, "cancelled");
        if (cancel && local)
            QTRY_COMPARE_WITH_TIMEOUT(Location(form->wMain), QUrl::fromPercentEncoding(url.toUtf8()) + "#run",
                                      kWebTimeout);
    }

    // Every target name routes where it belongs; names are compared case-sensitively.
    void targetNamesRoute_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("where"); // hint, test, main, shell, message
        QTest::addColumn<QString>("what");  // ending of the shown URL, or the opened path
        QTest::newRow("tooltip") << "lnTooltip"
                                 << "hint"
                                 << "/1/5/hint.html";
        QTest::newRow("test") << "lnTest"
                              << "test"
                              << "/1/2010/runtest.html#tid=31_1;-1";
        QTest::newRow("run _Content") << "lnRunContent"
                                      << "main"
                                      << "/1/5/Demo_Content/page.html";
        QTest::newRow("run library file") << "lnRunShell"
                                          << "shell"
                                          << "lib/1/5/doc.txt";
        QTest::newRow("run https") << "lnRunHttp"
                                   << "shell"
                                   << "https://example.org/page";
        QTest::newRow("run missing file") << "lnRunMissing"
                                          << "message"
                                          << "Нет файла «none.txt».";
        QTest::newRow("run outside the library") << "lnRunOutside"
                                                 << "message"
                                                 << "Файл «outside.txt» лежит вне библиотеки курсов.";
        QTest::newRow("other name") << "lnOther"
                                    << "main"
                                    << "/1/5/2.xml";
        QTest::newRow("_blank") << "lnBlank"
                                << "main"
                                << "/1/5/2.xml";
        QTest::newRow("ToolTip") << "lnToolTipCase"
                                 << "main"
                                 << "/1/5/hint.html";
        QTest::newRow("Test") << "lnTestCase"
                              << "main"
                              << "/1/5/3.xml";
        QTest::newRow("Run") << "lnRunCase"
                             << "main"
                             << "/1/5/doc.txt";
    }
    void targetNamesRoute() {
        QFETCH(QString, link);
        QFETCH(QString, where);
        QFETCH(QString, what);
        ReturnToLinksPage();
        TForm1* form = Viewer();
        QVERIFY(ClickElement(form->wMain, link));
        if (where == "hint") {
            QTRY_VERIFY_WITH_TIMEOUT(Roster().ToolTipForm->isVisible(), kWebTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(Location(Roster().ToolTipForm->wbToolTip).endsWith(what), kWebTimeout);
            QVERIFY(Location(form->wMain).endsWith("/1/5/1.xml"));
        } else if (where == "test") {
            QTRY_VERIFY_WITH_TIMEOUT(Roster().TestForm->isVisible(), kWebTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(Location(Roster().TestForm->wbToolTip).endsWith(what), kWebTimeout);
            QVERIFY(Location(form->wMain).endsWith("/1/5/1.xml"));
        } else if (where == "main") {
            QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(what), kWebTimeout);
            QVERIFY(!Roster().ToolTipForm->isVisible());
            QVERIFY(!Roster().TestForm->isVisible());
        } else if (where == "shell") {
            QTRY_COMPARE_WITH_TIMEOUT(m_shell.Opened.size(), 1, kWebTimeout);
            QVERIFY2(m_shell.Opened.first().endsWith(what), qPrintable(m_shell.Opened.first()));
            QVERIFY(m_messages.isEmpty());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(m_messages, QStringList{"Данный ресурс недоступен\n" + what},
                                      kWebTimeout);
            QVERIFY(m_shell.Opened.isEmpty());
        }
        if (where != "main")
            QVERIFY(Location(form->wMain).endsWith("/1/5/1.xml"));
        QVERIFY(m_errors.isEmpty());
    }

    void aShellFailureIsTold() {
        ShowLinksPage();
        m_shell.Result = false;
        QVERIFY(ClickElement(Viewer()->wMain, "lnRunShell"));
        QTRY_COMPARE_WITH_TIMEOUT(
            m_messages,
            QStringList{"Данный ресурс недоступен\nНет программы, которая открывает файлы вида «.txt»."},
            kWebTimeout);
        m_shell.Result = true;
        QCOMPARE(m_shell.Opened.size(), 1);
    }

    void requestsShareOneHiddenBrowser() {
        ShowLinksPage();
        TForm1* form = Viewer();
        QVERIFY(ClickElement(form->wMain, "lnRunShell"));
        QTRY_COMPARE_WITH_TIMEOUT(m_shell.Opened.size(), 1, kWebTimeout);
        TPlainBrowser* first = form->PopupBrowser;
        QVERIFY(first);
        QVERIFY(!first->OnBeforeNavigate2); // disarmed after serving the request
        QVERIFY(ClickElement(form->wMain, "lnRunShell"));
        QTRY_COMPARE_WITH_TIMEOUT(m_shell.Opened.size(), 2, kWebTimeout);
        QCOMPARE(form->PopupBrowser, first);
        QVERIFY(Location(first).isEmpty() || Location(first) == "about:blank");
    }

    void showTestHonoursTheOptions_data() {
        QTest::addColumn<bool>("hints");
        QTest::addColumn<bool>("inMain");
        QTest::addColumn<QString>("ending");
        QTest::newRow("hints, own window") << true << false << "#tid=31_1;32_1;-1";
        QTest::newRow("no hints, own window") << false << false << "#tid=31_1;32_1;-0";
        QTest::newRow("hints, in the viewer") << true << true << "#tid=31_1;32_1;-1";
        QTest::newRow("no hints, in the viewer") << false << true << "#tid=31_1;32_1;-0";
    }
    void showTestHonoursTheOptions() {
        QFETCH(bool, hints);
        QFETCH(bool, inMain);
        QFETCH(QString, ending);
        OpenCourseOne();
        TForm1* form = Viewer();
        form->actShowTaskHint->setChecked(hints);
        form->actShowTaskInMain->setChecked(inMain);
        form->ShowTest(form->CourseDir + "2010/runtest.html#tid=31_1;32_1;");
        TWebBrowser* shown = inMain ? static_cast<TWebBrowser*>(form->wMain) : Roster().TestForm->wbToolTip;
        QTRY_VERIFY_WITH_TIMEOUT(Location(shown).endsWith(ending), kWebTimeout);
        QCOMPARE(Roster().TestForm->isVisible(), !inMain);
        QVERIFY(WaitComplete(shown));
        // The runner page sees the list with the switch at its end.
        QCOMPARE(RunScript(shown->page(), "document.getElementById('tasks').textContent").toString(),
                 "#tid=31_1;32_1;" + ending.right(2));
    }

    void ppRunOnlyInTheTasksSection() {
        OpenCourseOne();
        TForm1* form = Viewer();
        QVERIFY(!form->ppRun->isVisible());
        form->actEduTask->trigger();
        QVERIFY(form->ppRun->isVisible());
        QVERIFY(WaitComplete(form->wMain));
        QTreeWidgetItem* task = FindItem(form->LeftTree, 32);
        form->LeftTree->setCurrentItem(task);
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/2010/32.xml"), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(!form->actRunTask->isChecked());
        form->ppRun->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/2010/32.xml#run"), kWebTimeout);

        form->actTheory->trigger();
        QVERIFY(!form->ppRun->isVisible());
        QVERIFY(WaitComplete(form->wMain));
        form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 9));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/12/9.xml"), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        form->ppRunExecute(); // outside the tasks section it does nothing
        form->ppOpenExecute();
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(Location(form->wMain).endsWith("/12/9.xml"));
    }

    void hintWindowRoutesItsOwnLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("ending"); // empty: the hint window keeps its page
        QTest::newRow("_Content that exists") << "hMissing"
                                              << "";
        QTest::newRow("_Content missing") << "hTooltip"
                                          << "/Hints_Content/more.html";
        QTest::newRow("plain tooltip") << "hPlain"
                                       << "/1/5/hint2.html";
        QTest::newRow("test does nothing") << "hTest"
                                           << "";
        QTest::newRow("other does nothing") << "hOther"
                                            << "";
    }
    void hintWindowRoutesItsOwnLinks() {
        QFETCH(QString, link);
        QFETCH(QString, ending);
        OpenCourseOne();
        // Offscreen windows all lie at one place: the pointer moved over the hint window would
        // also pass over the viewer's tree.
        Viewer()->hide();
        TToolTipForm* hint = Roster().ToolTipForm;
        Viewer()->ShowToolTip(Viewer()->CourseDir + "5/hint.html");
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->wbToolTip->ReadyState(), int(TWebBrowser::ReadyComplete)); // ShowToolTip waited
        QVERIFY(ClickElement(hint->wbToolTip, link));
        if (!ending.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(Location(hint->wbToolTip).endsWith(ending), kWebTimeout);
        } else {
            // A request that is ignored still passes through the hidden browser, which is
            // disarmed afterwards.
            QTRY_VERIFY_WITH_TIMEOUT(hint->PopupBrowser && !hint->PopupBrowser->OnBeforeNavigate2,
                                     kWebTimeout);
            QVERIFY(Location(hint->wbToolTip).endsWith("/1/5/hint.html"));
        }
        QVERIFY(!Roster().TestForm->isVisible());
        QVERIFY2(!Location(Viewer()->wMain).contains("/1/5/"), qPrintable(Location(Viewer()->wMain)));
    }

    void testWindowRoutesItsOwnLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("ending");
        QTest::newRow("tooltip") << "tTooltip"
                                 << "hint"
                                 << "/1/5/hint.html";
        QTest::newRow("test again") << "tTest"
                                    << "test"
                                    << "/runtest.html#tid=32_1;-0";
        QTest::newRow("other ignored") << "tOther"
                                       << "none"
                                       << "";
        QTest::newRow("run ignored") << "tRun"
                                     << "none"
                                     << "";
    }
    void testWindowRoutesItsOwnLinks() {
        QFETCH(QString, link);
        QFETCH(QString, where);
        QFETCH(QString, ending);
        OpenCourseOne();
        Viewer()->hide();
        Viewer()->actShowTaskHint->setChecked(false);
        TTestForm* test = Roster().TestForm;
        // The last row may have left the same address: the test page loaded anew is the one
        // without the mark.
        RunScript(test->wbToolTip->page(), "window.oldPage = true");
        Viewer()->ShowTest(Viewer()->CourseDir + "2010/runtest.html#tid=31_1;");
        QTRY_VERIFY_WITH_TIMEOUT(test->isVisible(), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(Location(test->wbToolTip).endsWith("#tid=31_1;-0") &&
                                     RunScript(test->wbToolTip->page(),
                                               "!window.oldPage && !!document.getElementById('" + link + "')")
                                         .toBool(),
                                 kWebTimeout);
        QVERIFY(WaitComplete(test->wbToolTip));
        QVERIFY(ClickElement(test->wbToolTip, link));
        if (where == "hint") {
            QTRY_VERIFY_WITH_TIMEOUT(Roster().ToolTipForm->isVisible(), kWebTimeout);
            QTRY_VERIFY_WITH_TIMEOUT(Location(Roster().ToolTipForm->wbToolTip).endsWith(ending), kWebTimeout);
        } else if (where == "test") {
            QTRY_VERIFY_WITH_TIMEOUT(Location(test->wbToolTip).endsWith(ending), kWebTimeout);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(test->PopupBrowser && !test->PopupBrowser->OnBeforeNavigate2,
                                     kWebTimeout);
            QVERIFY(Location(test->wbToolTip).endsWith("#tid=31_1;-0"));
            QVERIFY(m_shell.Opened.isEmpty());
        }
    }

    // A test window shown again starts from the blank page, never from the last test.
    void testWindowShowsNoOldTest() {
        OpenCourseOne();
        Viewer()->hide();
        Viewer()->actShowTaskHint->setChecked(false);
        Viewer()->actShowTaskInMain->setChecked(false);
        TTestForm* test = Roster().TestForm;
        Viewer()->ShowTest(Viewer()->CourseDir + "2010/runtest.html#tid=31_1;");
        QTRY_VERIFY_WITH_TIMEOUT(Location(test->wbToolTip).endsWith("#tid=31_1;-0"), kWebTimeout);
        QVERIFY(WaitComplete(test->wbToolTip));
        test->actHide->trigger();
        QVERIFY(!test->isVisible());
        QString shownWith;
        const auto watch = connect(test->windowHandle(), &QWindow::visibleChanged, this, [&](bool visible) {
            if (visible)
                shownWith = Location(test->wbToolTip);
        });
        Viewer()->ShowTest(Viewer()->CourseDir + "2010/runtest.html#tid=32_1;");
        QTRY_VERIFY_WITH_TIMEOUT(Location(test->wbToolTip).endsWith("#tid=32_1;-0"), kWebTimeout);
        disconnect(watch);
        QVERIFY(test->isVisible());
        QCOMPARE(shownWith, QStringLiteral("about:blank"));
    }

    // Both commands start enabled and then follow the browser's reports.
    void backAndForwardFollowTheBrowser() {
        ShowLinksPage();
        TForm1* form = Viewer();
        QVERIFY(ClickElement(form->wMain, "lnNone"));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/2.xml"), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(form->actBack->isEnabled(), kWebTimeout);
        form->actBack->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/1.xml"), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(form->actFoward->isEnabled(), kWebTimeout);
        form->actFoward->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/2.xml"), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!form->actFoward->isEnabled(), kWebTimeout);
        QVERIFY(form->actBack->isEnabled());
    }

    void manualOpensOrIsReportedMissing() {
        OpenCourseOne();
        TForm1* form = Viewer();
        form->actShowManual->trigger();
        QCOMPARE(
            m_messages,
            QStringList{
                "Справка недоступна\nНет файла «Руководство пользователя.doc» в папке «Help» библиотеки."});
        QVERIFY(m_shell.Opened.isEmpty());

        const QString manual = m_library + "Help/Руководство пользователя.doc";
        QVERIFY(QDir().mkpath(m_library + "Help"));
        QFile file(manual);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form->LeftTree, Qt::Key_F1);
        QCOMPARE(m_shell.Opened, QStringList{manual});
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(QFile::remove(manual));
    }

    void commandsOpenTheirPaths() {
        OpenCourseOne();
        TForm1* form = Viewer();
        form->actSetupFlash->trigger();
        form->actExamen->trigger();
        QCOMPARE(m_shell.Opened,
                 (QStringList{m_library + "Plugins/install_flash_player_ax.exe", TForm1::ExamenAddress}));
        QVERIFY(form->actExamen->text().contains("ФИПИ"));
        QVERIFY(form->actExamen->toolTip().contains("ФИПИ"));
        QCOMPARE(form->actSetupFlash->isEnabled(), !Roster().MainForm->FlashInstalled);
        QVERIFY(!form->actSetupMath->isVisible());
        QVERIFY(!form->actSetupSVG->isVisible());
        QVERIFY(form->menuBtnSetup->menuAction()->isVisible());
    }

    // Formulas and SVG pictures need no Windows installer here: the commands say so. Without a
    // staged typesetter the formula command still starts the disc's installer.
    void setupCommandsOnThisSystem_data() {
        QTest::addColumn<bool>("math"); // actSetupMath, else actSetupSVG
        QTest::addColumn<bool>("typesetterStaged");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("opened"); // relative to the library
        const QString mathMessage = QStringLiteral(
            "Формулы на страницах курсов проигрыватель показывает сам: устанавливать MathPlayer не нужно.");
        const QString svgMessage = QStringLiteral("Рисунки SVG на страницах курсов проигрыватель показывает "
                                                  "сам: устанавливать SVG Viewer не нужно.");
        QTest::newRow("formulas, typesetter staged")
            << true << true << QStringList{mathMessage} << QStringList();
        QTest::newRow("formulas, nothing staged")
            << true << false << QStringList() << QStringList{QStringLiteral("Plugins/MathPlayerSetup.exe")};
        QTest::newRow("SVG, typesetter staged") << false << true << QStringList{svgMessage} << QStringList();
        QTest::newRow("SVG, nothing staged") << false << false << QStringList{svgMessage} << QStringList();
    }
    void setupCommandsOnThisSystem() {
        QFETCH(bool, math);
        QFETCH(bool, typesetterStaged);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, opened);
        QTemporaryDir components;
        if (typesetterStaged) {
            QVERIFY(QDir(components.path()).mkpath(QStringLiteral("mathjax")));
            QFile typesetter(components.filePath(QStringLiteral("mathjax/mml-chtml.js")));
            QVERIFY(typesetter.open(QIODevice::WriteOnly));
        }
        SetStagedComponentsFolder(components.path());
        const auto restore = qScopeGuard([] { SetStagedComponentsFolder(QString()); });
        m_shell.Opened.clear();
        m_messages.clear();
        (math ? Viewer()->actSetupMath : Viewer()->actSetupSVG)->trigger();
        QCOMPARE(m_messages, messages);
        for (QString& path : opened)
            path.prepend(m_library);
        QCOMPARE(m_shell.Opened, opened);
    }

    void presentationsOptionReachesTheRegistry_data() {
        QTest::addColumn<bool>("checked");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void presentationsOptionReachesTheRegistry() {
        QFETCH(bool, checked);
        TForm1* form = Viewer();
        form->actShowPPTInMain->setChecked(!checked);
        form->actShowPPTInMain->trigger(); // toggles, then hands the new state on
        QCOMPARE(form->actShowPPTInMain->isChecked(), checked);
        const std::optional<int> flags =
            m_registry->ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags");
        QVERIFY(flags);
        QCOMPARE(*flags, checked ? 0 : 9);
    }

    void savesThePageAsPdf_data() {
        QTest::addColumn<QString>("name"); // "" the user cancelled the dialog
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("messages");
        QTest::newRow("chosen file") << "page.pdf" << true << 0;
        QTest::newRow("cancelled") << "" << false << 0;
        QTest::newRow("unwritable folder") << "no-such-folder/page.pdf" << false << 1;
    }
    void savesThePageAsPdf() {
        QFETCH(QString, name);
        QFETCH(bool, written);
        ShowLinksPage();
        const QString fileName = name.isEmpty() ? QString() : m_dir.filePath(name);
        Viewer()->SetPdfFileChooser([&] { return fileName; });
        Viewer()->actSaveAsPdf->trigger();
        QCOMPARE(!fileName.isEmpty() && QFileInfo(fileName).size() > 1000, written);
        QTEST(int(m_messages.size()), "messages");
        if (written) {
            QFile pdf(fileName);
            QVERIFY(pdf.open(QIODevice::ReadOnly));
            QVERIFY(pdf.read(5) == "%PDF-");
        }
    }

    void reloadKeepsCaptionAndPage() {
        ShowLinksPage();
        TForm1* form = Viewer();
        const QString caption = form->windowTitle();
        form->sButton4->click();
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(form->LeftTree->topLevelItemCount(), 3);
        QVERIFY(Location(form->wMain).endsWith("/1/5/1.xml"));
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestViewer>(argc, argv);
}
#include "test_viewer.moc"
