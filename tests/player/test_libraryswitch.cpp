// Changing the library while the player runs: the catalogue's library button refuses a folder
// without courses, and a good folder (or a disc that comes) rebuilds the catalogue and sends the
// viewer there.

#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/BrowserProfile.h"
#include "catalogue/CourseButton.h"
#include "catalogue/LibraryChooser.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "core/Registry.h"
#include "look/GradientPanel.h"
#include "look/PageControl.h"
#include "player/Startup.h"
#include "viewer/ShowCourse.h"

#include <QFile>
#include <QMenu>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

const QString kDemo = QStringLiteral(CP_SOURCE_DIR "/content/");

bool WriteDescriptor(const QString& folder, int id, const QString& group) {
    // A section with the demo's tree, so that the viewer can open the course.
    QDir().mkpath(folder + QString::number(id) + QStringLiteral("/5"));
    QFile::copy(kDemo + QStringLiteral("101/5/tree.xml"),
                folder + QString::number(id) + QStringLiteral("/5/tree.xml"));
    QFile file(folder + QString::number(id) + QStringLiteral(".xml"));
    return file.open(QIODevice::WriteOnly) &&
           file.write(QStringLiteral("<CourseInfo Id=\"%1\" Group=\"%2\" Name=\"Курс %1\" Description=\"\"/>")
                          .arg(id)
                          .arg(group)
                          .toUtf8()) > 0;
}

QStringList MenuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") + action->text() : action->text());
    return texts;
}

} // namespace

class TestLibrarySwitch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TIniRegistry* m_registry = nullptr;
    TShell m_shell;
    TLibraryChooser* m_chooser = nullptr;
    QStringList m_warnings;
    QList<TVolume> m_volumes;

    QString Folder(const QString& name) const { return m_dir.path() + u'/' + name + u'/'; }

private slots:
    void initTestCase() {
        QVERIFY(WriteDescriptor(Folder("small"), 5, QStringLiteral("Физика")));
        QVERIFY(WriteDescriptor(Folder("disc"), 9, QStringLiteral("Химия")));
        QVERIFY(QDir().mkpath(Folder("empty")));
        m_registry = new TIniRegistry(m_dir.filePath("registry.ini"));
        TAppContext context;
        context.ProgramFolder = kDemo;
        context.Registry = m_registry;
        context.Shell = &m_shell;
        CreateWindows(context);
        QVERIFY(Roster().MainForm);
        m_chooser = new TLibraryChooser(Roster().MainForm->GradientPanel2,
                                        TLibraryHistory(m_dir.filePath("settings.ini")));
        m_chooser->Warn = [this](const QString& m) { m_warnings << m; };
        m_chooser->Volumes = [this] { return m_volumes; };
        m_chooser->SetCurrent(kDemo);
        connect(m_chooser, &TLibraryChooser::LibraryChosen, m_chooser, &SwitchLibrary);
    }

    void cleanupTestCase() {
        DestroyWindows();
        delete m_registry;
    }

    void init() { m_warnings.clear(); }

    // Each row picks a folder; what the catalogue shows afterwards.
    void choose_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<int>("visibleButtons");
        QTest::newRow("demo at start")
            << QString() << false << QStringList{"Математика", "Информатика", "Естествознание"} << 2;
        QTest::newRow("a smaller library") << "small" << true << QStringList{"Физика"} << 1;
        QTest::newRow("a folder without courses keeps it") << "empty" << false << QStringList{"Физика"} << 1;
        QTest::newRow("a missing folder keeps it") << "gone" << false << QStringList{"Физика"} << 1;
        QTest::newRow("back to the demo")
            << kDemo << true << QStringList{"Математика", "Информатика", "Естествознание"} << 2;
    }
    void choose() {
        QFETCH(QString, folder);
        QFETCH(bool, taken);
        QFETCH(QStringList, pages);
        QFETCH(int, visibleButtons);
        TMainForm* form = Roster().MainForm;
        const QString before = form->ProgramFolder();
        if (!folder.isEmpty()) {
            const QString path = folder.startsWith(u'/') ? folder : Folder(folder);
            m_chooser->AskFolder = [path] { return path; };
            QSignalSpy chosen(m_chooser, &TLibraryChooser::LibraryChosen);
            m_chooser->Menu()->findChild<QAction*>("actOpenLibrary")->trigger();
            QCOMPARE(chosen.size(), taken ? 1 : 0);
            QCOMPARE(m_warnings.size(), taken ? 0 : 1);
            QCOMPARE(form->ProgramFolder(), taken ? path : before);
            if (!taken)
                QVERIFY(m_warnings.first().contains(QStringLiteral("нет курсов")));
        }
        QStringList captions;
        for (const TCataloguePage& page : form->Catalogue().Pages())
            captions << page.Caption;
        QCOMPARE(captions, pages);
        QCOMPARE(form->MainPages->Count(), pages.size());
        // Only the first page's buttons are in the box; the last library's buttons are gone.
        const QList<TCourseButton*> all = form->CoursesBox->widget()->findChildren<TCourseButton*>();
        int visible = 0;
        for (TCourseButton* button : all)
            visible += button->isVisibleTo(form) ? 1 : 0;
        QCOMPARE(visible, visibleButtons);
        QCOMPARE(form->CourseButtons(0).size(), visibleButtons);
    }

    void viewerOpensFromTheNewLibrary() {
        QVERIFY(m_chooser->Choose(Folder("small")));
        // The browser may read the new library's files, and no longer the old one's.
        QVERIFY(AllowedFileRoots().contains(Folder("small")) ||
                AllowedFileRoots().contains(Folder("small").chopped(1)));
        for (const QString& root : AllowedFileRoots())
            QVERIFY2(!root.startsWith(kDemo.chopped(1)), qPrintable(root));
        QVERIFY(Roster().Form1->OpenCourse(5));
        QCOMPARE(Roster().Form1->CourseDir, Folder("small") + QStringLiteral("5/"));
        QVERIFY(!Roster().Form1->OpenCourse(101)); // a demo course is not in this library
    }

    // The library in use heads the menu, checked; each library shows by its name, its path in
    // the hint, and the one in use is not repeated among the recent ones.
    void recentFoldersInTheMenu() {
        const QStringList texts = MenuTexts(m_chooser->Menu());
        QCOMPARE(texts.mid(0, 4), (QStringList{"|Открыта сейчас", "small", "|", "Открыть папку с курсами…"}));
        QCOMPARE(texts.mid(4), (QStringList{"|Недавние папки", "content"}));
        const QAction* current = m_chooser->Menu()->findChild<QAction*>("actCurrentLibrary");
        QVERIFY(current && current->isChecked());
        QCOMPARE(current->toolTip(), QDir::toNativeSeparators(Folder("small")));
        QCOMPARE(m_chooser->Menu()->actions().last()->toolTip(), QDir::toNativeSeparators(kDemo));
        QVERIFY(!m_chooser->Menu()->actions().last()->isChecked());
        QCOMPARE(m_chooser->History().Last(), Folder("small"));
    }

    void discThatComesIsOfferedByName() {
        m_chooser->IsRemovable = [this](const QString& root) { return root.startsWith(m_dir.path()); };
        QCOMPARE(m_chooser->Button()->text(), QStringLiteral("Библиотека курсов"));
        // A stick without courses is not offered.
        m_volumes = {{m_dir.path() + "/empty", "Фото"}};
        m_chooser->RefreshMounted();
        QVERIFY(m_chooser->Mounted().isEmpty());
        QCOMPARE(m_chooser->Button()->text(), QStringLiteral("Библиотека курсов"));
        // A disc with courses is announced on the button and offered in the menu by its name.
        m_volumes << TVolume{m_dir.path() + "/disc", "КУРСЫ 2026"};
        m_chooser->RefreshMounted();
        QCOMPARE(m_chooser->Mounted().size(), 1);
        QCOMPARE(m_chooser->Button()->text(), QStringLiteral("Курсы на «КУРСЫ 2026»"));
        const QStringList texts = MenuTexts(m_chooser->Menu());
        QVERIFY(texts.contains(QStringLiteral("|Диски и флешки")));
        QAction* disc = nullptr;
        for (QAction* action : m_chooser->Menu()->actions())
            if (action->text() == QStringLiteral("КУРСЫ 2026"))
                disc = action;
        QVERIFY(disc);
        // Opening the menu takes the announcement back; choosing the disc opens its courses.
        emit m_chooser->Menu()->aboutToShow();
        QCOMPARE(m_chooser->Button()->text(), QStringLiteral("Библиотека курсов"));
        disc->trigger();
        QCOMPARE(Roster().MainForm->ProgramFolder(), Folder("disc"));
        QCOMPARE(Roster().MainForm->Catalogue().Page(0).Caption, QStringLiteral("Химия"));
        // The disc is taken out: it leaves the menu, the catalogue keeps what it shows.
        m_volumes.removeLast();
        m_chooser->RefreshMounted();
        QVERIFY(m_chooser->Mounted().isEmpty());
        QVERIFY(!MenuTexts(m_chooser->Menu()).contains(QStringLiteral("КУРСЫ 2026")));
    }

    // `courseplayer [--library FOLDER] FILE.sff`: the file's items land in the editor, shown.
    void collectionFromTheCommandLine_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("message");
        QTest::newRow("two items") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><items>"
                                                 "<item Course=\"5\" Folder=\"5\" ID=\"1\" Caption=\"Один\"/>"
                                                 "<item Course=\"5\" Folder=\"5\" ID=\"2\" Caption=\"Два\"/>"
                                                 "</items>")
                                   << 2 << false;
        QTest::newRow("not a collection") << QByteArray("garbage") << 2 << true;
    }
    void collectionFromTheCommandLine() {
        QFETCH(QByteArray, content);
        QFETCH(int, rows);
        QFETCH(bool, message);
        TFavoriteForm* editor = Roster().FavoriteForm;
        QStringList messages;
        editor->SetMessagePresenter([&](const QString& m) { messages << m; });
        const QString file = m_dir.filePath(QStringLiteral("lesson %1.sff").arg(QTest::currentDataTag()));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        OpenCollection(file);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->Rows().Count(), rows);
        QCOMPARE(!messages.isEmpty(), message);
        editor->SetMessagePresenter({});
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestLibrarySwitch test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_libraryswitch.moc"
