#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/EngineSetup.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "core/ComponentStaging.h"
#include "core/Registry.h"
#include "look/Theme.h"
#include "player/Startup.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "viewer/CourseLayout.h"
#include "viewer/ShowCourse.h"

#include <QDir>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_library;
    TIniRegistry* m_registry = nullptr;
    TShell m_shell;
    QStringList m_errors;

private slots:
    void initTestCase() {
        SetErrorReporter([this](const QString& m) { m_errors << m; });
        m_registry = new TIniRegistry(m_library.filePath("registry.ini"));
        TAppContext context;
        context.ProgramFolder = m_library.path() + '/';
        context.Registry = m_registry;
        context.Shell = &m_shell;
        // The catalogue alone starts no web engine, and the library's files are allowed already.
        CreateCatalogue(context);
        QVERIFY(Roster().MainForm);
        QVERIFY(!qApp->findChild<QWebEngineProfile*>());
        QCOMPARE(AllowedFileRoots().value(0), QDir(m_library.path()).canonicalPath() + u'/');
        // Nor the OpenGL context that the engine's pages share: made with the first browser.
        QOpenGLContext* shared = QOpenGLContext::globalShareContext();
        QVERIFY(shared && !shared->isValid());
        CreateOtherWindows();
        QCOMPARE(QOpenGLContext::globalShareContext(), shared);
        QCOMPARE(shared->isValid(), OpenGlWorks());
        // The viewer's renderer starts now, so that the first course opened does not wait for it.
        QTRY_VERIFY_WITH_TIMEOUT(Roster().Form1->wMain->page()->renderProcessPid() > 0, 30000);
        QVERIFY(!Roster().Form1->isVisible());
    }

    void cleanupTestCase() {
        DestroyWindows();
        delete m_registry;
        SetErrorReporter({});
    }

    // An empty library still starts, silently.
    void everyWindowExistsWithItsCaption_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("caption");
        QTest::newRow("catalogue") << 0 << QString::fromUtf8("Проигрыватель учебных курсов");
        QTest::newRow("viewer") << 1 << QString("Form1");
        QTest::newRow("hint") << 2 << QString::fromUtf8("Подсказка");
        QTest::newRow("test") << 3 << QString::fromUtf8("Тест");
        QTest::newRow("collection editor") << 4 << QString::fromUtf8("Подборки");
        QTest::newRow("presentation") << 5 << QString::fromUtf8("Подборка учебных материалов");
    }
    void everyWindowExistsWithItsCaption() {
        QFETCH(int, order);
        QFETCH(QString, caption);
        const TRoster& r = Roster();
        QWidget* windows[] = {r.MainForm, r.Form1,        r.ToolTipForm,
                              r.TestForm, r.FavoriteForm, r.ShowFavorForm};
        QWidget* w = windows[order];
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), caption);
        // Own task-bar entry: a top-level window without a parent.
        QVERIFY(w->isWindow());
        QCOMPARE(w->parentWidget(), nullptr);
        QVERIFY(!w->isVisible());
        // The program's icon, on the task bar and in the title bar.
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(w->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QVERIFY(w->windowIcon().availableSizes().contains(QSize(32, 32)));
        QVERIFY(m_errors.isEmpty());
    }

    // Pages read the library and the staged components; the executable's folder (installed:
    // /usr/bin) is not theirs.
    void pagesReadTheLibraryAndTheComponentsOnly() {
        QStringList expected{QDir(m_library.path()).canonicalPath() + u'/'};
        if (const QString staged = QDir(StagedComponentsFolder()).canonicalPath(); !staged.isEmpty())
            expected << staged + u'/';
        QCOMPARE(AllowedFileRoots(), expected);
    }

    void closingASecondaryWindowOnlyHidesIt() {
        QWidget* hint = Roster().ToolTipForm;
        hint->show();
        QVERIFY(hint->isVisible());
        QVERIFY(hint->close());
        QVERIFY(!hint->isVisible());
        QVERIFY(Roster().ToolTipForm); // still there, to be shown again
    }

    // The player shows the catalogue alone first. A course pressed before the other windows are
    // made makes them, once, with the library chosen meanwhile; the course then opens.
    void theOtherWindowsComeWhenFirstNeeded() {
        DestroyWindows();
        int prepared = 0;
        TAppContext context;
        context.ProgramFolder = m_library.path() + '/';
        context.Registry = m_registry;
        context.Shell = &m_shell;
        CreateCatalogue(context, [&] { ++prepared; });
        QVERIFY(Roster().MainForm);
        QVERIFY(!Roster().Form1 && !Roster().ToolTipForm && !Roster().TestForm && !Roster().FavoriteForm &&
                !Roster().ShowFavorForm);
        const QString demo = QStringLiteral(CP_SOURCE_DIR "/content/");
        SwitchLibrary(demo);
        QVERIFY(Roster().MainForm->LaunchCourse(101, QStringLiteral("Курс")));
        QCOMPARE(prepared, 1);
        TForm1* viewer = Roster().Form1;
        QVERIFY(viewer && Roster().ToolTipForm && Roster().TestForm && Roster().FavoriteForm &&
                Roster().ShowFavorForm);
        QCOMPARE(viewer->CourseDir, CourseFolder(demo, 101));
        QVERIFY(viewer->isVisible());
        CreateOtherWindows();
        QCOMPARE(prepared, 1);
        QCOMPARE(Roster().Form1, viewer);
        QVERIFY(m_errors.isEmpty());
    }
};

int main(int argc, char** argv) {
    DeferSharedOpenGl(); // as the player does
    QApplication app(argc, argv);
    ApplyTheme(app);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_startup.moc"
