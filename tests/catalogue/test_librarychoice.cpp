// Which library the player opens, what counts as a library, the folders it remembers, and the
// discs and USB sticks it offers.

#include "catalogue/LibraryChoice.h"
#include "catalogue/LibraryHistory.h"
#include "catalogue/MountedLibraries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TLibrarySource)

namespace {

const QByteArray kDescriptor =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<CourseInfo Id=\"7\" Group=\"Математика\" Name=\"Алгебра\" Description=\"\"/>\n";

bool Write(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestLibraryChoice : public QObject {
    Q_OBJECT

private slots:
    void choose_data() {
        using S = TLibrarySource;
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("holding"); // which of exe, last, demo hold courses
        QTest::addColumn<QString>("folder");
        QTest::addColumn<S>("source");

        QTest::newRow("command line wins")
            << "/media/disc"
            << "/last" << QStringList{"exe", "last", "demo"} << "/media/disc/" << S::CommandLine;
        QTest::newRow("command line wins even without courses")
            << "/typo"
            << "/last" << QStringList{"exe", "last", "demo"} << "/typo/" << S::CommandLine;
        QTest::newRow("disc run in place")
            << ""
            << "/last" << QStringList{"exe", "last", "demo"} << "/exe/" << S::ExecutableFolder;
        QTest::newRow("last chosen") << ""
                                     << "/last" << QStringList{"last", "demo"} << "/last/" << S::LastChosen;
        QTest::newRow("last chosen is gone: demo")
            << ""
            << "/last" << QStringList{"demo"} << "/demo/" << S::InstalledDemo;
        QTest::newRow("never chose: demo") << ""
                                           << "" << QStringList{"demo"} << "/demo/" << S::InstalledDemo;
        QTest::newRow("nothing anywhere: empty catalogue of the executable's folder")
            << ""
            << "/last" << QStringList{} << "/exe/" << S::Nothing;
    }
    void choose() {
        QFETCH(QString, commandLine);
        QFETCH(QString, last);
        QFETCH(QStringList, holding);
        QFETCH(QString, folder);
        QFETCH(TLibrarySource, source);
        QStringList asked;
        const TLibraryChoice choice =
            ChooseLibrary({commandLine, "/exe", last, "/demo"}, [&](const QString& f) {
                asked << f;
                return holding.contains(f.mid(1).chopped(1));
            });
        QCOMPARE(choice.Folder, folder);
        QCOMPARE(choice.Source, source);
        // Folders are asked about with their trailing slash, and never the empty one.
        for (const QString& f : asked)
            QVERIFY2(f.endsWith(u'/') && f.size() > 1, qPrintable(f));
    }

    void holdsCourses_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("holds");
        QTest::newRow("a descriptor") << "101.xml" << kDescriptor << true;
        QTest::newRow("empty folder") << "" << QByteArray() << false;
        QTest::newRow("another kind of XML") << "tree.xml" << QByteArray("<tree><item/></tree>") << false;
        QTest::newRow("descriptor lacking an attribute")
            << "1.xml" << QByteArray("<CourseInfo Id=\"1\" Group=\"G\" Name=\"N\"/>") << false;
        QTest::newRow("not XML at all") << "1.xml" << QByteArray("\x00\x01garbage", 9) << false;
        QTest::newRow("hidden descriptor") << ".101.xml" << kDescriptor << false;
        QTest::newRow("descriptor one level down") << "disc/101.xml" << kDescriptor << false;
        QTest::newRow("bad Id still names a subject")
            << "1.xml"
            << QByteArray("<CourseInfo Id=\"x\" Group=\"G\" Name=\"N\" "
                          "Description=\"\"/>")
            << true;
    }
    void holdsCourses() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, holds);
        QTemporaryDir dir;
        if (!file.isEmpty())
            QVERIFY(Write(dir.filePath(file), content));
        QCOMPARE(HoldsCourseDescriptors(dir.path() + u'/'), holds);
    }

    void missingFolderHoldsNothing() { QVERIFY(!HoldsCourseDescriptors(QStringLiteral("/no/such/folder/"))); }

    void demoBesideTheExecutable_data() {
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("demo");
        QTest::newRow("package") << "/usr/bin"
                                 << "/usr/share/courseplayer/demo/";
        QTest::newRow("local prefix") << "/usr/local/bin/"
                                      << "/usr/local/share/courseplayer/demo/";
        QTest::newRow("unpacked") << "/tmp/x/usr/bin"
                                  << "/tmp/x/usr/share/courseplayer/demo/";
    }
    void demoBesideTheExecutable() {
        QFETCH(QString, executableFolder);
        QFETCH(QString, demo);
        QCOMPARE(InstalledDemoLibrary(executableFolder), demo);
    }

    // Each row: folders chosen in order; the recent list and the last one after them.
    void history_data() {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("recent");
        QTest::addColumn<QString>("last");
        QTest::newRow("none") << QStringList{} << QStringList{} << "";
        QTest::newRow("one") << QStringList{"/a"} << QStringList{"/a/"} << "/a/";
        QTest::newRow("newest first") << QStringList{"/a", "/b"} << QStringList{"/b/", "/a/"} << "/b/";
        QTest::newRow("chosen again moves up, once")
            << QStringList{"/a", "/b", "/a/"} << QStringList{"/a/", "/b/"} << "/a/";
        QTest::newRow("five kept") << QStringList{"/1", "/2", "/3", "/4", "/5", "/6", "/7"}
                                   << QStringList{"/7/", "/6/", "/5/", "/4/", "/3/"} << "/7/";
        QTest::newRow("odd names") << QStringList{"/media/Диск #1", "/a,b;c"}
                                   << QStringList{"/a,b;c/", "/media/Диск #1/"} << "/a,b;c/";
    }
    void history() {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, recent);
        QFETCH(QString, last);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("config/settings.ini"));
        {
            TLibraryHistory history(file);
            for (const QString& folder : chosen)
                history.Remember(folder);
        }
        // What the next run reads.
        const TLibraryHistory next(file);
        QCOMPARE(next.Recent(), recent);
        QCOMPARE(next.Last(), last);
    }

    void forgetKeepsTheRest() {
        QTemporaryDir dir;
        TLibraryHistory history(dir.filePath(QStringLiteral("settings.ini")));
        history.Remember(QStringLiteral("/a"));
        history.Remember(QStringLiteral("/b"));
        history.Forget(QStringLiteral("/a/"));
        QCOMPARE(history.Recent(), QStringList{QStringLiteral("/b/")});
        QCOMPARE(history.Last(), QStringLiteral("/b/"));
    }

    // The chooser names each library: a labelled volume by its label, a folder by its name.
    void libraryNames_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::newRow("a labelled disc") << "/media/cdrom"
                                         << "АЛГЕБРА 7";
        QTest::newRow("with its slash") << "/media/cdrom/"
                                        << "АЛГЕБРА 7";
        QTest::newRow("an unlabelled stick: its mount point") << "/media/usb"
                                                              << "usb";
        QTest::newRow("a folder on the disc") << "/media/cdrom/курсы/"
                                              << "курсы";
        QTest::newRow("a folder at home") << "/home/teacher/Курсы физики/"
                                          << "Курсы физики";
        QTest::newRow("the root") << "/"
                                  << "/";
    }
    void libraryNames() {
        QFETCH(QString, folder);
        const QList<TVolume> volumes{{"/media/cdrom", " АЛГЕБРА 7 "}, {"/media/usb", ""}};
        QTEST(LibraryName(folder, volumes), "name");
    }

    void removableMountPoint_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("removable");
        QTest::newRow("udisks") << "/media/teacher/DISC" << true;
        QTest::newRow("older udisks") << "/media/cdrom0" << true;
        QTest::newRow("run media") << "/run/media/teacher/USB" << true;
        QTest::newRow("mnt") << "/mnt/usb" << true;
        QTest::newRow("root file system") << "/" << false;
        QTest::newRow("home") << "/home" << false;
        QTest::newRow("the media folder itself") << "/media/" << false;
        QTest::newRow("a look-alike") << "/mediaserver/x" << false;
        QTest::newRow("run, not media") << "/run/user/1000" << false;
    }
    void removableMountPoint() {
        QFETCH(QString, root);
        QFETCH(bool, removable);
        QCOMPARE(IsRemovableMountPoint(root), removable);
    }

    void mountedLibrariesByVolumeName() {
        const QList<TVolume> volumes = {
            {"/", "root"},
            {"/media/t/KURSY", "Курсы 7 класс"},
            {"/media/t/PHOTOS", "Фото"},
            {"/run/media/t/1234-ABCD", ""},
            {"/home/t/copy", "copy"},
        };
        QStringList asked;
        const QList<TMountedLibrary> libraries = MountedLibraries(volumes, [&](const QString& folder) {
            asked << folder;
            return !folder.contains(QStringLiteral("PHOTOS"));
        });
        // Only removable volumes are probed: the root and home file systems are never scanned.
        QCOMPARE(asked, QStringList({"/media/t/KURSY/", "/media/t/PHOTOS/", "/run/media/t/1234-ABCD/"}));
        const QList<TMountedLibrary> expected = {{"/media/t/KURSY/", "Курсы 7 класс"},
                                                 {"/run/media/t/1234-ABCD/", "1234-ABCD"}};
        QCOMPARE(libraries, expected);
    }
};

QTEST_GUILESS_MAIN(TestLibraryChoice)
#include "test_librarychoice.moc"
