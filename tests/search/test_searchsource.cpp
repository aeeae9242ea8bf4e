// The items the search walks: the catalogue's courses, their sections in the probing order, the
// items of each tree in the viewer's order, and the paths of their pages, on a small library
// built in a temporary folder with the faults of real discs.

#include "search/SearchSource.h"

#include "core/DiscFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Descriptor(int id, const char* group, const char* name) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CourseInfo Id=\"") +
           QByteArray::number(id) + "\" Group=\"" + group + "\" Name=\"" + name + "\" Description=\"\"/>\n";
}

// Cyrillic as windows-1251 bytes, written by hand so that the test needs no codec.
QByteArray Cp1251(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes += u < 0x80                     ? char(u)
                 : u >= 0x0410 && u <= 0x044F ? char(0xC0 + (u - 0x0410))
                 : u == 0x0401                ? char(0xA8)
                                              : '?';
    }
    return bytes;
}

QByteArray Utf16Le(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() & 0xFF);
        bytes += char(c.unicode() >> 8);
    }
    return bytes;
}

QByteArray Tree(const QByteArray& items) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>" + items + "</tree>\n";
}

// "course/section/id" for each item, the order kept.
QStringList Keys(const std::vector<TSearchItem>& items) {
    QStringList keys;
    for (const TSearchItem& item : items)
        keys << QStringLiteral("%1/%2/%3").arg(item.Course).arg(item.Section).arg(item.ID);
    return keys;
}

const TSearchItem* Find(const std::vector<TSearchItem>& items, const QString& key) {
    for (const TSearchItem& item : items)
        if (QStringLiteral("%1/%2/%3").arg(item.Course).arg(item.Section).arg(item.ID) == key)
            return &item;
    return nullptr;
}

} // namespace

class TestSearchSource final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void wholeLibrary();
    void oneCourse_data();
    void oneCourse();
    void itemFields_data();
    void itemFields();
    void pagesAsTheViewerFindsThem();
    void noLibrary_data();
    void noLibrary();
    void demoLibrary();
    void linksOutOfTheLibrary_data();
    void linksOutOfTheLibrary();

private:
    QTemporaryDir m_dir;
    QString m_library;
};

// The library:
//   course 1 "Алгебра": section 5 with a nested outline, 7 without tree.xml, 8 with a broken
//     tree, 12 with an item whose id is not a number, 2010, and 99, a folder no course shows;
//   course 2 "Геометрия" in another group: only section 30 (section 5 has a pipe for a tree),
//     its descriptor named in capitals;
//   course 1 again in a third group (the same folder: walked once);
//   course 3 with no folder; course 4 of an old disc, every name in capitals; course 5 with a
//     folder but no descriptor; course 7 with trees in windows-1251, UTF-16 and UTF-8 with a
//     byte-order mark; a broken descriptor, an XML file of another kind, a negative Id.
void TestSearchSource::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_library = m_dir.filePath(QStringLiteral("lib"));
    const QString lib = m_library + u'/';
    struct TFile {
        const char* name;
        QByteArray bytes;
    };
    const TFile files[] = {
        {"algebra.xml", Descriptor(1, "Математика", "Алгебра")},
        {"GEOMETRY.XML", Descriptor(2, "Геометрия", "Геометрия")},
        {"zagain.xml", Descriptor(1, "Повтор", "Алгебра ещё раз")},
        {"nofolder.xml", Descriptor(3, "Математика", "Без папки")},
        {"enc.xml", Descriptor(7, "Кодировки", "Кодировки")},
        {"old.xml", Descriptor(4, "Старый диск", "Старый диск")},
        {"negative.xml", Descriptor(-6, "Математика", "Отрицательный")},
        {"broken.xml", "<CourseInfo Id=\"7\" Group=\"x\" Name=\"x\" Description=\"x\">"},
        {"other.xml", "<?xml version=\"1.0\"?><settings Id=\"8\" Group=\"x\" Name=\"x\" Description=\"x\"/>"},
        {"1/5/tree.xml",
         Tree("<item id=\"10\" text=\"&lt;b&gt;Глава 1.&lt;/b&gt; Выражения\">"
              "<item id=\"1\" text=\"Числовые выражения\"><item id=\"11\" text=\"Третий уровень\">"
              "<item id=\"111\" text=\"Четвёртый уровень\"/></item></item>"
              "<item id=\"2\"/></item><item id=\"007\" text=\"Ведущие нули\"/>")},
        {"1/5/1.xml", "<page/>"},
        {"1/7/1.xml", "<page/>"},
        {"1/8/tree.xml", "<tree><item id=\"1\" text=\"не закрыт\"></tree>"},
        {"1/12/tree.xml",
         Tree("<item id=\"3\" text=\"до\"/><item id=\"x\" text=\"плохой\"/><item id=\"4\" text=\"после\"/>")},
        {"1/2010/tree.xml", Tree("<item id=\"31\" text=\"Задание\"/>")},
        {"1/99/tree.xml", Tree("<item id=\"1\" text=\"не раздел\"/>")},
        {"2/30/tree.xml", Tree("<item id=\"5\" text=\"Единственный\"/>")},
        {"4/5/TREE.XML", Tree("<item id=\"1\" text=\"Заглавные\"/><item id=\"2\" text=\"Нет страницы\"/>"
                              "<item id=\"3\" text=\"Два написания\"/>")},
        {"4/5/3.Xml", "<page/>"},
        {"4/5/3.XML", "<page/>"},
        {"1/2010/31.XML", "<page/>"},
        {"1/2010/31.xml", "<page/>"},
        {"4/5/1.XML", "<page/>"},
        {"7/5/tree.xml",
         Cp1251(QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n"
                               "<tree><item id=\"1\" text=\"Ёлка в windows-1251\"/></tree>"))},
        {"7/7/tree.xml", Utf16Le(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><tree><item "
                                                "id=\"2\" text=\"Ёжик в UTF-16\"/></tree>"))},
        {"7/8/tree.xml", "\xEF\xBB\xBF" + Tree("<item id=\"3\" text=\"UTF-8 с меткой\"/>")},
        {"5/68/tree.xml", Tree("<item id=\"9\" text=\"Без описания\"/>")},
        {"6/5/tree.xml", Tree("<item id=\"1\" text=\"отрицательный курс\"/>")},
    };
    for (const TFile& file : files)
        QVERIFY2(Write(lib + QString::fromUtf8(file.name), file.bytes), file.name);
    // A pipe where course 2 has a tree: reading it would wait forever; the section is skipped.
    QVERIFY(QDir().mkpath(lib + QStringLiteral("2/5")));
    QCOMPARE(::mkfifo(QFile::encodeName(lib + QStringLiteral("2/5/tree.xml")).constData(), 0600), 0);
}

void TestSearchSource::init() {
    ClearDiscFileCache();
}

void TestSearchSource::wholeLibrary() {
    const std::vector<TSearchItem> items = ListSearchItems(m_library);
    // Courses in the catalogue's order (groups by first descriptor in name order, then courses),
    // sections in the probing order, items in document order, depth first.
    const QStringList expected = {
        "1/5/10", "1/5/1", "1/5/11", "1/5/111", "1/5/2", "1/5/7", "1/12/3", "1/2010/31",
        "7/5/1",  "7/7/2", "7/8/3",  "2/30/5",  "4/5/1", "4/5/2", "4/5/3",
    };
    QCOMPARE(Keys(items), expected);
    // A library path with a trailing slash or a relative path is the same library.
    QCOMPARE(Keys(ListSearchItems(m_library + u'/')), expected);
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    const QStringList relative = Keys(ListSearchItems(QStringLiteral("lib")));
    QDir::setCurrent(cwd);
    QCOMPARE(relative, expected);

    // Course by course, in the same order, until the receiver has had enough.
    QStringList courses;
    QStringList delivered;
    ListSearchItems(m_library, [&](std::vector<TSearchItem>&& items) {
        if (!items.empty()) // a course without a folder comes with no items
            courses << QString::number(items.front().Course);
        delivered << Keys(items);
        return courses.size() < 2;
    });
    QCOMPARE(courses, (QStringList{"1", "7"}));
    QCOMPARE(delivered, expected.mid(0, 11));
}

void TestSearchSource::oneCourse_data() {
    QTest::addColumn<int>("course");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("courseName");
    QTest::newRow("sections of a course")
        << 1 << QStringList{"1/5/10", "1/5/1", "1/5/11", "1/5/111", "1/5/2", "1/5/7", "1/12/3", "1/2010/31"}
        << "Алгебра";
    QTest::newRow("only the last section") << 2 << QStringList{"2/30/5"} << "Геометрия";
    QTest::newRow("no folder") << 3 << QStringList{} << "";
    QTest::newRow("names in capitals") << 4 << QStringList{"4/5/1", "4/5/2", "4/5/3"} << "Старый диск";
    QTest::newRow("folder without descriptor") << 5 << QStringList{"5/68/9"} << "";
    QTest::newRow("negative number") << -6 << QStringList{} << "";
    QTest::newRow("no such course") << 42 << QStringList{} << "";
}

void TestSearchSource::oneCourse() {
    QFETCH(int, course);
    QFETCH(QStringList, expected);
    QFETCH(QString, courseName);
    const std::vector<TSearchItem> items = ListCourseItems(m_library, course);
    QCOMPARE(Keys(items), expected);
    for (const TSearchItem& item : items)
        QCOMPARE(item.CourseName, courseName);
}

// Captions keep their markup; page paths are absolute, with the disc's own case when the page
// exists, and the viewer's own name (id + ".xml") when it does not.
void TestSearchSource::itemFields_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("exists");
    QTest::newRow("markup kept") << "1/5/10"
                                 << "<b>Глава 1.</b> Выражения"
                                 << "1/5/10.xml" << false;
    QTest::newRow("page on disk") << "1/5/1"
                                  << "Числовые выражения"
                                  << "1/5/1.xml" << true;
    QTest::newRow("no text attribute") << "1/5/2"
                                       << ""
                                       << "1/5/2.xml" << false;
    QTest::newRow("leading zeros") << "1/5/7"
                                   << "Ведущие нули"
                                   << "1/5/7.xml" << false;
    QTest::newRow("capitals on disk") << "4/5/1"
                                      << "Заглавные"
                                      << "4/5/1.XML" << true;
    QTest::newRow("windows-1251 tree") << "7/5/1"
                                       << "Ёлка в windows-1251"
                                       << "7/5/1.xml" << false;
    QTest::newRow("UTF-16 tree") << "7/7/2"
                                 << "Ёжик в UTF-16"
                                 << "7/7/2.xml" << false;
    QTest::newRow("UTF-8 tree with a byte-order mark") << "7/8/3"
                                                       << "UTF-8 с меткой"
                                                       << "7/8/3.xml" << false;
    QTest::newRow("two spellings: the first in code-point order") << "4/5/3"
                                                                  << "Два написания"
                                                                  << "4/5/3.XML" << true;
    QTest::newRow("two spellings: the exact name") << "1/2010/31"
                                                   << "Задание"
                                                   << "1/2010/31.xml" << true;
    QTest::newRow("capitals, page missing") << "4/5/2"
                                            << "Нет страницы"
                                            << "4/5/2.xml" << false;
}

void TestSearchSource::itemFields() {
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    QFETCH(bool, exists);
    const std::vector<TSearchItem> items = ListSearchItems(m_library);
    const TSearchItem* item = Find(items, key);
    QVERIFY2(item, qPrintable(key));
    QCOMPARE(item->Caption, caption);
    QCOMPARE(item->PagePath, QDir(m_library).absoluteFilePath(page));
    QCOMPARE(QFileInfo(item->PagePath).isFile(), exists);
}

// The walk lists each section folder once instead of looking every page up; it must still name
// the very file that the viewer opens for the item.
void TestSearchSource::pagesAsTheViewerFindsThem() {
    const std::vector<TSearchItem> items = ListSearchItems(m_library);
    QVERIFY(!items.empty());
    for (const TSearchItem& item : items) {
        const QString viewer = FindDiscFile(QStringLiteral("%1/%2/%3/%4.xml")
                                                .arg(QDir(m_library).absolutePath())
                                                .arg(item.Course)
                                                .arg(item.Section)
                                                .arg(item.ID));
        QCOMPARE(item.PagePath, viewer);
    }
}

void TestSearchSource::noLibrary_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("empty path") << QString();
    QTest::newRow("missing folder") << QStringLiteral("/nonexistent/library");
    QTest::newRow("a file, not a folder") << QStringLiteral(CP_SOURCE_DIR "/README.md");
}

void TestSearchSource::noLibrary() {
    QFETCH(QString, folder);
    QVERIFY(ListSearchItems(folder).empty());
    QVERIFY(ListCourseItems(folder, 1).empty());
}

// The demo library: every course of its catalogue, every item of each shown tree.
void TestSearchSource::demoLibrary() {
    const QString demo = QStringLiteral(CP_SOURCE_DIR "/content");
    const std::vector<TSearchItem> items = ListSearchItems(demo);
    QVERIFY(items.size() > 20);
    const TSearchItem* hypotenuse = Find(items, QStringLiteral("102/8/81"));
    QVERIFY(hypotenuse);
    QCOMPARE(hypotenuse->CourseName.isEmpty(), false);
    QVERIFY(QFileInfo(hypotenuse->PagePath).isFile());
    for (const TSearchItem& item : items)
        QVERIFY2(item.PagePath.startsWith(QDir(demo).absolutePath() + u'/'), qPrintable(item.PagePath));
}

// Folders and trees that are links out of the library are not walked: what lies elsewhere on
// the machine is not the library's, and its captions must not show in results. Links that stay
// inside the library are followed, as the browser follows them.
void TestSearchSource::linksOutOfTheLibrary_data() {
    QTest::addColumn<QString>("link");     // in the library
    QTest::addColumn<QString>("target");   // in the test's folder
    QTest::addColumn<QStringList>("keys"); // the items of course 8 listed
    QTest::newRow("course folder out") << "lib/8"
                                       << "outside/8" << QStringList{};
    QTest::newRow("section folder out") << "lib/8/5"
                                        << "outside/8/5" << QStringList{};
    QTest::newRow("tree out") << "lib/8/5/tree.xml"
                              << "outside/8/5/tree.xml" << QStringList{};
    QTest::newRow("section folder to another inside") << "lib/8/5"
                                                      << "lib/shared/5" << QStringList{"8/5/1"};
}

void TestSearchSource::linksOutOfTheLibrary() {
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QStringList, keys);
    QTemporaryDir dir;
    const QByteArray tree = Tree("<item id=\"1\" text=\"Снаружи\"/>");
    QVERIFY(Write(dir.filePath("lib/course8.xml"), Descriptor(8, "Математика", "Ссылки")));
    QVERIFY(Write(dir.filePath("outside/8/5/tree.xml"), tree));
    QVERIFY(Write(dir.filePath("lib/shared/5/tree.xml"), tree));
    QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(link)).path()));
    QVERIFY(QFile::link(dir.filePath(target), dir.filePath(link)));
    QCOMPARE(Keys(ListCourseItems(dir.filePath("lib"), 8)), keys);
    QCOMPARE(Keys(ListSearchItems(dir.filePath("lib"))), keys);
}

QTEST_GUILESS_MAIN(TestSearchSource)
#include "test_searchsource.moc"
