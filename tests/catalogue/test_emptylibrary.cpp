// A library without courses at start (a disc not inserted, a wrong folder): the catalogue says
// which folder it expected and why it holds no course, and offers to open another one.

#include "catalogue/CatalogueModel.h"
#include "catalogue/EmptyLibrary.h"
#include "catalogue/Main.h"
#include "core/Registry.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TestEmptyLibrary : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Folder(const QString& name) const { return m_dir.filePath(name) + '/'; }

    void Write(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(m_dir.filePath(file)).path());
        QFile f(m_dir.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void initTestCase() {
        QVERIFY(QDir().mkpath(Folder("empty")));
        Write("other/notes.xml", "<?xml version=\"1.0\"?><notes/>");
        Write("broken/1.xml", "<?xml version=\"1.0\"?><CourseInfo Id=\"1\" Group=\"Физика\"/>");
        Write("broken/2.xml", "<?xml version=\"1.0\"?><CourseInfo Id=\"2\" Name=\"Курс\" Description=\"\"/>");
        Write("good/1.xml", "<?xml version=\"1.0\"?><CourseInfo Id=\"1\" Group=\"Физика\" Name=\"Курс\" "
                            "Description=\"\"/>");
        Write("afile", "x");
    }

    void reasons_data() {
        QTest::addColumn<QString>("folder"); // under the temporary folder
        QTest::addColumn<QString>("reason"); // "@" stands for the folder as shown
        QTest::newRow("a disc not inserted")
            << "cdrom"
            << "Папки «@» нет: диск не вставлен, флешка не подключена или папку перенесли.";
        QTest::newRow("a file") << "afile"
                                << "«@» — это файл, а не папка с курсами.";
        QTest::newRow("an empty folder")
            << "empty"
            << "В папке «@» нет описаний курсов (файлов *.xml с элементом CourseInfo).";
        QTest::newRow("other XML files only")
            << "other"
            << "В папке «@» нет описаний курсов (файлов *.xml с элементом CourseInfo).";
        QTest::newRow("descriptors that cannot be used")
            << "broken"
            << "В папке «@» не удалось прочитать ни одного описания курса: «1.xml» — нет атрибута Name "
               "(и ещё файлов: 1).";
        QTest::newRow("courses") << "good"
                                 << "";
    }
    void reasons() {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        TIniRegistry registry(m_dir.filePath("registry.ini"));
        TAppContext context;
        context.ProgramFolder = Folder(folder);
        context.Registry = &registry;
        TMainForm form(context);
        reason.replace('@', QDir::toNativeSeparators(m_dir.filePath(folder)));
        QCOMPARE(EmptyLibraryReason(context.ProgramFolder, form.Catalogue()), reason);
        // The window says the same, with the way out beside it.
        QCOMPARE(form.EmptyPanel->isVisibleTo(&form), !reason.isEmpty());
        if (!reason.isEmpty())
            QCOMPARE(form.EmptyReasonLabel->text(), reason);
    }

    // The button of the empty state opens the folder dialog of the library button; another
    // library with courses puts the catalogue back.
    void openFolderFromTheEmptyState() {
        TIniRegistry registry(m_dir.filePath("registry.ini"));
        TAppContext context;
        context.ProgramFolder = Folder("cdrom");
        context.Registry = &registry;
        TMainForm form(context);
        int asked = 0;
        form.SetLibraryOpener([&] {
            ++asked;
            form.SetProgramFolder(Folder("good"));
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenLibraryButton->isVisible());
        QCOMPARE(form.OpenLibraryButton->text(), QStringLiteral("Открыть папку с курсами…"));
        QTest::mouseClick(form.OpenLibraryButton, Qt::LeftButton);
        QCOMPARE(asked, 1);
        QVERIFY(!form.EmptyPanel->isVisible());
        QCOMPARE(form.Catalogue().PageCount(), 1);
    }
};

QTEST_MAIN(TestEmptyLibrary)
#include "test_emptylibrary.moc"
