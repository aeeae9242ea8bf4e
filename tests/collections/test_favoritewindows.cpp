// The editor among the other windows as start-up makes them: closing the catalogue ends the
// program, but with unsaved rows the user is asked first and "Отмена" keeps it running; the
// editor's show commands set the presentation window's tasks button.

#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "core/Registry.h"
#include "markuptree/MarkupTreeList.h"
#include "player/Startup.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QTemporaryDir>
#include <QTest>

class TestFavoriteWindows final : public QObject {
    Q_OBJECT

    QTemporaryDir m_library;
    TIniRegistry* m_registry = nullptr;
    QStringList m_errors;

private slots:
    void initTestCase() {
        SetErrorReporter([this](const QString& m) { m_errors << m; });
        m_registry = new TIniRegistry(m_library.filePath(QStringLiteral("registry.ini")));
        TAppContext context;
        context.ProgramFolder = m_library.path() + u'/';
        context.Registry = m_registry;
        CreateWindows(context);
        QVERIFY(Roster().MainForm);
        QVERIFY(Roster().FavoriteForm);
    }
    void cleanupTestCase() {
        DestroyWindows();
        delete m_registry;
        SetErrorReporter({});
    }

    void closingTheCatalogue_data() {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closes");
        QTest::newRow("empty collection") << false << int(QMessageBox::Cancel) << false << true;
        QTest::newRow("unsaved, cancel") << true << int(QMessageBox::Cancel) << true << false;
        QTest::newRow("unsaved, no") << true << int(QMessageBox::No) << true << true;
        QTest::newRow("unsaved, yes, dialog cancelled") << true << int(QMessageBox::Yes) << true << false;
    }
    void closingTheCatalogue() {
        QFETCH(bool, unsaved);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closes);
        TFavoriteForm& editor = *Roster().FavoriteForm;
        editor.actClear->trigger();
        if (unsaved)
            editor.AddFavor(3, 12, 15, QStringLiteral("тема"));
        int questions = 0;
        editor.SetExitQuestion([&] {
            ++questions;
            return QMessageBox::StandardButton(answer);
        });
        editor.SetSaveFileChooser([] { return QString(); });
        QCloseEvent close;
        QApplication::sendEvent(Roster().MainForm, &close);
        QCOMPARE(close.isAccepted(), closes);
        QCOMPARE(questions, asked ? 1 : 0);
        QVERIFY(m_errors.isEmpty());
    }

    // The hint, test, presentation and collection windows hide on Esc and Ctrl+W wherever the
    // focus is; with the find bar open Esc closes the bar first.
    void closeKeys_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("findOpen");
        QTest::addColumn<bool>("hides");
        for (const char* window : {"ToolTipForm", "TestForm", "ShowFavorForm", "FavoriteForm"})
            for (const char* key : {"Esc", "Ctrl+W"})
                QTest::addRow("%s, %s", window, key) << window << key << false << true;
        QTest::newRow("hint, Esc in the find bar") << "ToolTipForm"
                                                   << "Esc" << true << false;
        QTest::newRow("hint, Ctrl+W in the find bar") << "ToolTipForm"
                                                      << "Ctrl+W" << true << true;
    }
    void closeKeys() {
        QFETCH(QString, window);
        QFETCH(QString, key);
        QFETCH(bool, findOpen);
        QFETCH(bool, hides);
        const TRoster& roster = Roster();
        QWidget* form = window == QLatin1String("ToolTipForm") ? static_cast<QWidget*>(roster.ToolTipForm)
                        : window == QLatin1String("TestForm")  ? static_cast<QWidget*>(roster.TestForm)
                        : window == QLatin1String("ShowFavorForm")
                            ? static_cast<QWidget*>(roster.ShowFavorForm)
                            : static_cast<QWidget*>(roster.FavoriteForm);
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        if (findOpen)
            form->findChild<QAction*>(QStringLiteral("actFindInPage"))->trigger();
        QWidget* focus = QApplication::focusWidget();
        QTest::keySequence(focus ? focus : form, QKeySequence(key));
        QCOMPARE(form->isHidden(), hides);
        if (findOpen && !hides)
            QVERIFY(form->findChild<QWidget*>(QStringLiteral("FindBar"))->isHidden());
        form->hide();
    }

    // The presentation window's tasks button: shown by "Показать подборку", hidden by
    // "Посмотреть всю теорию" and by a "Выполнить все задания" that finds tasks, left alone
    // otherwise and by a double click.
    void tasksButton_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("after");
        QTest::newRow("show all") << false << "actShowAll" << true;
        QTest::newRow("theory") << true << "actShowTheory" << false;
        QTest::newRow("tasks found") << true << "actShowTasksOnly" << false;
        QTest::newRow("no task of the open course") << true << "other course" << true;
        QTest::newRow("no task, hidden stays hidden") << false << "other course" << false;
        QTest::newRow("task page missing") << true << "missing" << true;
        QTest::newRow("double click, hidden") << false << "double click" << false;
        QTest::newRow("double click, shown") << true << "double click" << true;
    }
    void tasksButton() {
        QFETCH(bool, before);
        QFETCH(QString, command);
        QFETCH(bool, after);
        QDir().mkpath(m_library.filePath(QStringLiteral("3/2010")));
        QFile page(m_library.filePath(QStringLiteral("3/2010/7.xml")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<page><task id=\"12\" type=\"1\"/></page>");
        page.close();
        TFavoriteForm& editor = *Roster().FavoriteForm;
        TShowFavorForm& presentation = *Roster().ShowFavorForm;
        QStringList shown, tests;
        int course = command == QLatin1String("other course") ? 4 : 3;
        editor.SetViewerLink({[&](const QString& f) { shown << f; }, [&](const QString& u) { tests << u; },
                              [this] { return m_library.path() + QStringLiteral("/3/"); },
                              [&] { return course; }});
        editor.actClear->trigger();
        editor.AddFavor(3, 2010, command == QLatin1String("missing") ? 8 : 7, QStringLiteral("задача"));
        presentation.SetShowTaskVisible(before);
        m_errors.clear();
        if (command == QLatin1String("double click")) {
            editor.FavorTree->setCurrentItem(editor.FavorTree->topLevelItem(0));
            editor.FavorTreeDblClick();
            QCOMPARE(shown, QStringList{QStringLiteral("#3;2010;7")});
        } else if (command.startsWith(QLatin1String("act"))) {
            editor.findChild<QAction*>(command)->trigger();
        } else {
            editor.actShowTasksOnly->trigger();
            QVERIFY(tests.isEmpty());
        }
        QCOMPARE(presentation.ShowTaskVisible(), after);
        QCOMPARE(m_errors.size(), command == QLatin1String("missing") ? 1 : 0);
        m_errors.clear();
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestFavoriteWindows test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_favoritewindows.moc"
