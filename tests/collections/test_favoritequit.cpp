// Closing the catalogue ends the program: with unsaved rows in the collection editor the user
// is asked first, and "Отмена" keeps the program running.

#include "Startup.h"
#include "app/ErrorReport.h"
#include "app/Registry.h"
#include "app/Roster.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"

#include <QCloseEvent>
#include <QTemporaryDir>
#include <QTest>

class TestFavoriteQuit final : public QObject {
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
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestFavoriteQuit test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_favoritequit.moc"
