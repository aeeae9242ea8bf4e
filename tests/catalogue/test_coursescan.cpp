// The descriptor scan without a window: which pages and course rows a library folder gives,
// and which files are skipped, for every kind of good and bad descriptor.

#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TFiles = QList<QPair<QString, QByteArray>>;

QByteArray Descriptor(const QString& id, const QString& group, const QString& name = QStringLiteral("Курс"),
                      const QString& description = QStringLiteral("Описание")) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<CourseInfo Id=\"%1\" Group=\"%2\" Name=\"%3\" Description=\"%4\"/>\n")
        .arg(id, group.toHtmlEscaped(), name.toHtmlEscaped(), description.toHtmlEscaped())
        .toUtf8();
}

// "*Page: id@top, id@top | Page2: ..." with '*' before the active page.
QString Summary(const TCatalogueModel& model) {
    QStringList pages;
    for (int i = 0; i < model.PageCount(); ++i) {
        QStringList courses;
        for (const TCatalogueCourse& c : model.Page(i).Courses)
            courses << QStringLiteral("%1@%2").arg(c.Id).arg(c.Top);
        pages << (i == model.ActivePage() ? QStringLiteral("*") : QString()) + model.Page(i).Caption + u':' +
                     (courses.isEmpty() ? QString() : u' ' + courses.join(QStringLiteral(", ")));
    }
    return pages.join(QStringLiteral(" | "));
}

QString SkippedNames(const TCatalogueModel& model) {
    QStringList names;
    for (const TSkippedFile& s : model.Skipped())
        names << s.File;
    return names.join(QStringLiteral(", "));
}

void WriteFiles(const QString& folder, const TFiles& files) {
    for (const auto& [name, bytes] : files) {
        if (name.endsWith(u'/')) {
            QVERIFY(QDir(folder).mkpath(name));
            continue;
        }
        QFile file(folder + u'/' + name);
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
}

} // namespace

class TestCourseScan final : public QObject {
    Q_OBJECT
private slots:
    void scan_data();
    void scan();
    void fixtureLibrary();
    void encodings();
    void specialEntries();
    void missingFolderGivesEmptyCatalogue();
    void currentDirectoryDoesNotMatter();
    void skippedReasonsAreSaid_data();
    void skippedReasonsAreSaid();
    void unreadableFileIsSkipped();
    void findOrAddPageWithoutCreate();
    void hugeDescriptorsAreRefusedUnread_data();
    void hugeDescriptorsAreRefusedUnread();
    void namesInOtherEncodingsAreRead();
    void folderNamedInOtherCase();
};

void TestCourseScan::scan_data() {
    QTest::addColumn<TFiles>("files");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("skipped");

    const QString math = QStringLiteral("Математика");
    const QString it = QStringLiteral("Информатика");

    QTest::newRow("empty folder") << TFiles{} << QString() << QString();
    QTest::newRow("two groups, rows 30 apart")
        << TFiles{{"1.xml", Descriptor("101", math)},
                  {"2.xml", Descriptor("201", it)},
                  {"3.xml", Descriptor("102", math)},
                  {"4.xml", Descriptor("103", math)}}
        << "*Математика: 101@10, 102@40, 103@70 | Информатика: 201@10" << QString();
    QTest::newRow("file-name order, case-insensitive") << TFiles{{"b.xml", Descriptor("2", "B")},
                                                                 {"A.xml", Descriptor("1", "A")},
                                                                 {"c.XML", Descriptor("3", "C")}}
                                                       << "*A: 1@10 | B: 2@10 | C: 3@10" << QString();
    QTest::newRow("groups differing in case are two pages")
        << TFiles{{"1.xml", Descriptor("1", "физика")}, {"2.xml", Descriptor("2", "Физика")}}
        << "*физика: 1@10 | Физика: 2@10" << QString();
    QTest::newRow("same id in two groups gives two buttons")
        << TFiles{{"1.xml", Descriptor("5", "A")}, {"2.xml", Descriptor("5", "B")}} << "*A: 5@10 | B: 5@10"
        << QString();
    QTest::newRow("same id twice in a group: the first stays") << TFiles{{"1.xml", Descriptor("5", "A")},
                                                                         {"2.xml", Descriptor("5", "A")},
                                                                         {"3.xml", Descriptor("6", "A")}}
                                                               << "*A: 5@10, 6@40"
                                                               << "2.xml";
    QTest::newRow("empty group is a page with an empty caption")
        << TFiles{{"1.xml", Descriptor("1", "")}, {"2.xml", Descriptor("2", "A")}} << "*: 1@10 | A: 2@10"
        << QString();
    QTest::newRow("Id not a number leaves its page, activated when first")
        << TFiles{{"1.xml", Descriptor("abc", "Пустая")}, {"2.xml", Descriptor("2", "A")}}
        << "*Пустая: | A: 2@10"
        << "1.xml";
    QTest::newRow("empty Id") << TFiles{{"1.xml", Descriptor("", "A")}} << "*A:"
                              << "1.xml";
    QTest::newRow("negative Id gives no button and no row")
        << TFiles{{"1.xml", Descriptor("-3", "A")}, {"2.xml", Descriptor("4", "A")}} << "*A: 4@10"
        << "1.xml";
    QTest::newRow("Id forms") << TFiles{{"1.xml", Descriptor("007", "A")},
                                        {"2.xml", Descriptor("+8", "A")},
                                        {"3.xml", Descriptor(" 9", "A")},
                                        {"4.xml", Descriptor("10.0", "A")},
                                        {"5.xml", Descriptor("0x11", "A")},
                                        {"6.xml", Descriptor("99999999999", "A")},
                                        {"7.xml", Descriptor("0", "A")}}
                              << "*A: 7@10, 8@40, 0@70"
                              << "3.xml, 4.xml, 5.xml, 6.xml";
    QTest::newRow("missing attribute, each in turn")
        << TFiles{{"1.xml", "<CourseInfo Group=\"A\" Name=\"n\" Description=\"d\"/>"},
                  {"2.xml", "<CourseInfo Id=\"2\" Name=\"n\" Description=\"d\"/>"},
                  {"3.xml", "<CourseInfo Id=\"3\" Group=\"B\" Description=\"d\"/>"},
                  {"4.xml", "<CourseInfo Id=\"4\" Group=\"C\" Name=\"n\"/>"},
                  {"5.xml", "<CourseInfo id=\"5\" group=\"D\" name=\"n\" description=\"d\"/>"}}
        << QString() << "1.xml, 2.xml, 3.xml, 4.xml, 5.xml";
    QTest::newRow("other roots and prefixes are not descriptors")
        << TFiles{{"1.xml", "<courseinfo Id=\"1\" Group=\"A\" Name=\"n\" Description=\"d\"/>"},
                  {"2.xml",
                   "<x:CourseInfo xmlns:x=\"urn:x\" Id=\"2\" Group=\"A\" Name=\"n\" Description=\"d\"/>"},
                  {"3.xml", "<Tree><CourseInfo Id=\"3\" Group=\"A\" Name=\"n\" Description=\"d\"/></Tree>"}}
        << QString() << "1.xml, 2.xml, 3.xml";
    QTest::newRow("malformed and empty files") << TFiles{{"1.xml", "<CourseInfo Id=\"1\" Group=\"A\""},
                                                         {"2.xml", ""},
                                                         {"3.xml", "\xff\xfe\x00garbage"},
                                                         {"4.xml", Descriptor("4", "A")}}
                                               << "*A: 4@10"
                                               << "1.xml, 2.xml, 3.xml";
    QTest::newRow("a reference to an outside file is refused, not read")
        << TFiles{{"1.xml", "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY e SYSTEM \"/etc/hostname\">]>"
                            "<CourseInfo Id=\"1\" Group=\"A\" Name=\"&e;\" Description=\"d\"/>"},
                  {"2.xml", Descriptor("2", "A")}}
        << "*A: 2@10"
        << "1.xml";
    QTest::newRow("hidden files, sub-folders and other masks are not read")
        << TFiles{{".h.xml", Descriptor("1", "Hidden")},
                  {"dir.xml/", {}},
                  {"dir.xml/in.xml", Descriptor("2", "Inner")},
                  {"x.xml.bak", Descriptor("3", "Bak")},
                  {"ok.xml", Descriptor("4", "A")}}
        << "*A: 4@10" << QString();
    QTest::newRow("child elements and extra attributes are ignored")
        << TFiles{{"1.xml", "<CourseInfo Extra=\"1\" Id=\"1\" Group=\"A\" Name=\"n\" Description=\"d\">"
                            "<Id>9</Id>text</CourseInfo>"}}
        << "*A: 1@10" << QString();
}

void TestCourseScan::scan() {
    QFETCH(TFiles, files);
    QFETCH(QString, expected);
    QFETCH(QString, skipped);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFiles(dir.path(), files);
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path() + u'/');
    QCOMPARE(Summary(model), expected);
    QCOMPARE(SkippedNames(model), skipped);
}

void TestCourseScan::fixtureLibrary() {
    // Real files: windows-1251 and UTF-16 descriptors, an upper-case name, another root, a
    // broken file, a hidden file and a sub-folder named like a descriptor.
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(QStringLiteral(CP_TEST_DATA "/catalogue/mixed/"));
    QCOMPARE(Summary(model), QStringLiteral("*Литература: 7@10, 8@40 | История: 9@10"));
    QCOMPARE(SkippedNames(model), QStringLiteral("d_other_root.xml, e_broken.xml"));
    QCOMPARE(model.Page(0).Courses[0].Name, QStringLiteral("Поэзия XIX века"));
    QCOMPARE(model.Page(0).Courses[0].Description,
             QStringLiteral("Пушкин, Лермонтов, Тютчев: стихи и их время."));
    QCOMPARE(model.Page(0).Courses[1].Name, QStringLiteral("Проза"));
    QCOMPARE(model.Page(0).Courses[1].Description, QString());
}

void TestCourseScan::encodings() {
    // KOI8-R, UTF-16 big-endian and UTF-8 with a byte-order mark are read as declared; an
    // unknown encoding is malformed; windows-1251 bytes whose declaration names no encoding are
    // no UTF-8, so they are read as windows-1251, as old discs wrote them.
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(QStringLiteral(CP_TEST_DATA "/catalogue/encodings/"));
    QCOMPARE(Summary(model), QStringLiteral("*Кодировки: 1@10, 2@40, 3@70, 5@100, 6@130"));
    QCOMPARE(SkippedNames(model), QStringLiteral("4_unknown.xml"));
    QStringList names;
    for (const TCatalogueCourse& c : model.Page(0).Courses)
        names << c.Name;
    QCOMPARE(names,
             QStringList({"КОИ-8", "UTF-16 BE", "UTF-8 с BOM", "Без объявления", "Без объявления, UTF-8"}));
    QCOMPARE(model.Page(0).Courses[0].Description, QStringLiteral("Текст в KOI8-R."));
}

void TestCourseScan::specialEntries() {
    // A pipe named like a descriptor would block the scan for ever if it were opened; a link to
    // a descriptor is read like the file; a link to nowhere or to a folder is no file at all.
    QTemporaryDir dir;
    WriteFiles(dir.path(), {{"target.txt", Descriptor("2", "A")}, {"b.xml", Descriptor("1", "A")}});
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath("a_pipe.xml")).constData(), 0600), 0);
    QVERIFY(QFile::link(dir.filePath("target.txt"), dir.filePath("c_link.xml")));
    QVERIFY(QFile::link(dir.filePath("missing.txt"), dir.filePath("d_dangling.xml")));
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    QVERIFY(QFile::link(dir.filePath("folder"), dir.filePath("e_folder_link.xml")));
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path());
    QCOMPARE(Summary(model), QStringLiteral("*A: 1@10, 2@40"));
    QCOMPARE(SkippedNames(model), QString());
}

void TestCourseScan::missingFolderGivesEmptyCatalogue() {
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(QStringLiteral("/nonexistent/folder/of/courses/"));
    QCOMPARE(model.PageCount(), 0);
    QCOMPARE(model.ActivePage(), -1);
    QVERIFY(model.Skipped().empty());
}

void TestCourseScan::currentDirectoryDoesNotMatter() {
    QTemporaryDir library;
    QTemporaryDir elsewhere;
    WriteFiles(library.path(), {{"c.xml", Descriptor("1", "A")}});
    WriteFiles(elsewhere.path(), {{"c.xml", Descriptor("2", "Wrong")}});
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(library.path());
    QDir::setCurrent(saved);
    QCOMPARE(Summary(model), QStringLiteral("*A: 1@10"));
}

void TestCourseScan::skippedReasonsAreSaid_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("malformed") << QByteArray("<CourseInfo") << QStringLiteral("ошибка в XML");
    QTest::newRow("other root") << QByteArray("<Tree/>")
                                << QStringLiteral("не описание курса (корень <Tree>)");
    QTest::newRow("no Name") << QByteArray("<CourseInfo Id=\"1\" Group=\"A\" Description=\"\"/>")
                             << QStringLiteral("нет атрибута Name");
    QTest::newRow("Id text") << Descriptor("x1", "A") << QStringLiteral("Id «x1» не число");
    QTest::newRow("negative") << Descriptor("-1", "A") << QStringLiteral("отрицательный Id -1");
}

void TestCourseScan::skippedReasonsAreSaid() {
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    WriteFiles(dir.path(), {{"f.xml", content}});
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path());
    QCOMPARE(int(model.Skipped().size()), 1);
    QCOMPARE(model.Skipped()[0].File, QStringLiteral("f.xml"));
    QCOMPARE(model.Skipped()[0].Reason, reason);
}

void TestCourseScan::unreadableFileIsSkipped() {
    if (geteuid() == 0)
        QSKIP("root reads every file");
    QTemporaryDir dir;
    WriteFiles(dir.path(), {{"a.xml", Descriptor("1", "A")}, {"b.xml", Descriptor("2", "A")}});
    QFile::setPermissions(dir.filePath("a.xml"), QFileDevice::Permissions());
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path());
    QCOMPARE(Summary(model), QStringLiteral("*A: 2@10"));
    QCOMPARE(model.Skipped().at(0).Reason, QStringLiteral("файл не читается"));
}

void TestCourseScan::findOrAddPageWithoutCreate() {
    TCatalogueModel model;
    QCOMPARE(model.FindOrAddPage("A", false), -1);
    QCOMPARE(model.PageCount(), 0);
    QCOMPARE(model.FindOrAddPage("A", true), 0);
    QCOMPARE(model.FindOrAddPage("B", true), 1);
    QCOMPARE(model.FindOrAddPage("A", false), 0);
    // Without an active page there is nowhere to put a course.
    QVERIFY_THROWS_EXCEPTION(TCatalogueError, model.AddCourseButtons(1, "n", "d"));
}

void TestCourseScan::hugeDescriptorsAreRefusedUnread_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("refused");
    QTest::newRow("1.5 GB") << (qint64(3) << 29) << true;
    QTest::newRow("a byte over 1 MB") << (qint64(1) << 20) + 1 << true;
    QTest::newRow("1 MB") << (qint64(1) << 20) << false;
}

void TestCourseScan::hugeDescriptorsAreRefusedUnread() {
    // Sparse files: the size is real, no gigabyte is written. Refused by its size, the file
    // costs the scan nothing; the course after it is still read.
    QFETCH(qint64, size);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    WriteFiles(dir.path(), {{"a_big.xml", Descriptor("1", "A")}, {"b.xml", Descriptor("2", "A")}});
    QVERIFY(QFile::resize(dir.filePath("a_big.xml"), size));
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path());
    if (!refused) {
        // At the limit the file is read: the parser ends at the hole after the root.
        QCOMPARE(Summary(model), QStringLiteral("*A: 1@10, 2@40"));
        QCOMPARE(SkippedNames(model), QString());
        return;
    }
    QCOMPARE(Summary(model), QStringLiteral("*A: 2@10"));
    QCOMPARE(int(model.Skipped().size()), 1);
    QCOMPARE(model.Skipped()[0].File, QStringLiteral("a_big.xml"));
    QCOMPARE(model.Skipped()[0].Reason, QStringLiteral("файл слишком велик"));
}

void TestCourseScan::namesInOtherEncodingsAreRead() {
    // Names copied from old discs keep their windows-1251 bytes, which are no UTF-8. Each is
    // opened by its own bytes, even where two such names read alike once decoded.
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QList<QPair<QByteArray, QByteArray>> files = {
        {"k_\xCA\xF3\xF0\xF1 \xF4\xE8\xE7\xE8\xEA\xE8.xml", Descriptor("1", "A")}, // "Курс физики"
        {"plain.xml", Descriptor("4", "A")},
        {"\xC0.xml", Descriptor("2", "A")},
        {"\xC1.XML", Descriptor("3", "A")},
    };
    for (const auto& [name, bytes] : files) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(fd);
    }
    const std::vector<TDescriptorFile> listed = ListDescriptors(dir.path());
    QCOMPARE(int(listed.size()), 4);
    QCOMPARE(listed[0].NativePath, folder + files[0].first);
    QVERIFY(listed[0].FileName.startsWith(dir.path() + QStringLiteral("/k_")));
    QCOMPARE(ListDescriptorFiles(dir.path()).size(), 4);
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(dir.path());
    QCOMPARE(SkippedNames(model), QString());
    // Sorted by the readable names; the two that read alike keep the order of their bytes' case.
    QCOMPARE(Summary(model), QStringLiteral("*A: 1@10, 4@40, 3@70, 2@100"));
    // The temporary folder cannot remove what a QString cannot name.
    for (const auto& file : files)
        QCOMPARE(::unlink((folder + file.first).constData()), 0);
}

// A library folder typed in another case than on disc (an old disc's settings) still scans.
void TestCourseScan::folderNamedInOtherCase() {
    const QString names = QStringLiteral(CP_TEST_DATA "/olddisc/names");
    const QString typed = QStringLiteral(CP_TEST_DATA "/OLDDISC/Names");
    QCOMPARE(ListDescriptorFiles(typed), QStringList{names + QStringLiteral("/COURSE.XML")});
}

QTEST_GUILESS_MAIN(TestCourseScan)
#include "test_coursescan.moc"
