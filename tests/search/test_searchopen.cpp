// Search from the user's side, with the real index on a copy of the demo library (its index in a
// temporary folder): the catalogue's and the viewer's commands open the window, a result opens
// its course, switches the section, selects the item in the tree and shows its page with the
// found words marked; results that no longer exist say so.

#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "catalogue/Main.h"
#include "markuptree/MarkupTreeView.h"
#include "player/StartupSearch.h"
#include "search/SearchForm.h"
#include "search/SearchResults.h"
#include "tests/viewer/ViewerTestSupport.h"
#include "viewer/ShowCourse.h"
#include "viewer/TreeFilterBox.h"

#include <QAction>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>

namespace {
TSearchHit Hit(int course, const QString& name, int section, int id, const QString& caption) {
    TSearchHit hit;
    hit.Course = course;
    hit.CourseName = name;
    hit.Section = section;
    hit.ID = id;
    hit.Caption = caption;
    return hit;
}
} // namespace

class TestSearchOpen : public QObject {
    Q_OBJECT

    TTestPlayer m_player;
    QTemporaryDir m_cache;

    TForm1* Viewer() const { return Roster().Form1; }
    TMainForm* Catalogue() const { return Roster().MainForm; }

private slots:
    void initTestCase() {
        // Nothing of the user's own cache is touched, whatever goes wrong.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_cache.isValid());
        SetSearchCacheRoot(m_cache.path());
        QVERIFY(m_player.Start(CP_SOURCE_DIR "/content"));
        // A course folder without any usable section, for the failures below.
        QVERIFY(QDir().mkpath(m_player.Library + "777/5"));
        Catalogue()->show();
    }
    void cleanupTestCase() {
        m_player.Stop();
        SetSearchCacheRoot({});
    }

    void commandsInTheirPlaces() {
        QCOMPARE(Catalogue()->SearchButton->defaultAction(), Catalogue()->actSearchAll);
        QCOMPARE(Catalogue()->actSearchAll->text(), QStringLiteral("Поиск по всем курсам"));
        QAction* course = Viewer()->actSearchCourse;
        QCOMPARE(course->text(), QStringLiteral("Поиск по курсу..."));
        QCOMPARE(course->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+F")));
        QVERIFY(Viewer()->actions().contains(course)); // the shortcut works anywhere in the window
        QVERIFY(Viewer()->findChild<QMenu*>("menuActions")->actions().contains(course));
        QVERIFY(Viewer()->SearchToolBar->actions().contains(course));
        QVERIFY(!course->icon().isNull());
    }

    // From the catalogue: "сокращенного" (typed with е) finds the page of "сокращённого
    // умножения" in the theory section; choosing it opens the course on that section with the
    // item chosen in the tree and the word marked in its page.
    void resultOpensItsPageWithTheWordsMarked() {
        Catalogue()->actSearchAll->trigger();
        TSearchForm* window = SearchWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Поиск по всем курсам"));
        QTRY_VERIFY_WITH_TIMEOUT(!window->Progress->isVisible(), 120000);
        // The index was written to the folder given, not into the library.
        QVERIFY(!QDir(m_cache.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

        window->QueryBox->setText(QStringLiteral("сокращенного"));
        QTest::keyClick(window->QueryBox, Qt::Key_Return);
        const int row = window->Results->RowOf(101, 12, 122);
        QVERIFY2(row >= 0, qPrintable(window->StatusText()));
        QVERIFY(window->Results->Hit(row)->Snippet.contains(QStringLiteral("<b>")));
        QVERIFY(window->StatusText().startsWith(QStringLiteral("Найдено: ")));

        window->ResultList->setFocus();
        window->ResultList->setCurrentIndex(window->Results->index(row));
        QTest::keyClick(window->ResultList, Qt::Key_Return);
        QVERIFY(m_player.Errors.isEmpty());
        QVERIFY(Viewer()->isVisible());
        QVERIFY(!Catalogue()->isVisible());
        QCOMPARE(Viewer()->CourseNumber, 101);
        QCOMPARE(Viewer()->CurrentSection(), 12); // the course opens on 5: the section was switched
        QVERIFY(Viewer()->windowTitle().startsWith(QStringLiteral("Теоретические материалы")));
        QTreeWidgetItem* node = Viewer()->LeftTree->currentItem();
        QVERIFY(node && node->isSelected());
        QCOMPARE(TMarkupTreeView::NodeContent(node)->id, 122);
        QCOMPARE(Viewer()->LeftTree->SelectedNodes().size(), 1);

        TEmbeddedBrowser* browser = Viewer()->wMain;
        QTRY_VERIFY_WITH_TIMEOUT(Location(browser).endsWith(QStringLiteral("/12/122.xml")), kWebTimeout);
        QVERIFY(WaitComplete(browser));
        const QString marks = QStringLiteral(
            "Array.from(document.querySelectorAll('mark.cp-search-hit')).map(m => m.textContent).join('|')");
        QTRY_VERIFY_WITH_TIMEOUT(!RunScript(browser->page(), marks).toString().isEmpty(), kWebTimeout);
        const QStringList marked = RunScript(browser->page(), marks).toString().split(u'|');
        for (const QString& word : marked)
            QCOMPARE(word.toLower(), QStringLiteral("сокращённого"));
        // The page's own text is unchanged around the marks.
        QCOMPARE(RunScript(browser->page(), "document.querySelector('h1').textContent").toString(),
                 QStringLiteral("Формулы сокращённого умножения"));

        if (qEnvironmentVariableIsSet("CP_SEARCH_PREVIEW")) {
            Viewer()->resize(1000, 650);
            QTest::qWait(300); // a look for the developer only, never a condition of the test
            Viewer()->grab().save(qEnvironmentVariable("CP_SEARCH_PREVIEW") + "-viewer.png");
            window->grab().save(qEnvironmentVariable("CP_SEARCH_PREVIEW") + "-window.png");
        }

        // Chosen again while the tree filter hides it, the item is found: the filter goes.
        Viewer()->LeftTreeFilter()->setText(QStringLiteral("Свойства"));
        QVERIFY(FindItem(Viewer()->LeftTree, 122)->isHidden());
        QVERIFY(window->OpenResult(row));
        QVERIFY(Viewer()->LeftTreeFilter()->text().isEmpty());
        QCOMPARE(TMarkupTreeView::NodeContent(Viewer()->LeftTree->currentItem())->id, 122);
        QVERIFY(!Viewer()->LeftTree->currentItem()->isHidden());

        // From the viewer, "Поиск по курсу" searches the open course only.
        Viewer()->actSearchCourse->trigger();
        QCOMPARE(window->windowTitle(), QStringLiteral("Поиск по курсу «Алгебра, 7 класс»"));
        window->QueryBox->setText(QStringLiteral("выражение"));
        QTest::keyClick(window->QueryBox, Qt::Key_Return);
        QVERIFY(window->Results->rowCount() > 0);
        for (const TSearchHit& hit : window->Results->Hits())
            QCOMPARE(hit.Course, 101);
        // A page made by its stylesheet is marked as well, back in the first section.
        const int xsltRow = window->Results->RowOf(101, 5, 1);
        QVERIFY2(xsltRow >= 0, qPrintable(window->StatusText()));
        QVERIFY(window->OpenResult(xsltRow));
        QCOMPARE(Viewer()->CurrentSection(), 5);
        QTRY_VERIFY_WITH_TIMEOUT(Location(browser).endsWith(QStringLiteral("/5/1.xml")), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(
            RunScript(browser->page(), marks).toString().contains(QStringLiteral("выражени")), kWebTimeout);
        QVERIFY(m_player.Errors.isEmpty());
        window->hide();
    }

    // Another library gets an index of its own, also under a window left open.
    void anotherLibraryIsSearchedAnew() {
        const QString other = m_player.Dir.filePath("other") + '/';
        QVERIFY(QDir().mkpath(other + "5/5"));
        const auto write = [](const QString& path, const QByteArray& text) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(write(other + "5.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<CourseInfo Id="5" Group="Физика" Name="Физика, 9 класс" Description=""/>)"));
        QVERIFY(write(other + "5/5/tree.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<tree><item id="1" text="&lt;b&gt;Маятник&lt;/b&gt;"/></tree>)"));
        QVERIFY(write(other + "5/5/1.xml", "<html><head><meta charset=\"utf-8\"></head>"
                                           "<body><p>Колебания маятника на нити.</p></body></html>"));
        ShowSearch(-1);
        TSearchForm* window = SearchWindow();
        window->QueryBox->setText(QStringLiteral("сокращенного"));
        window->RunSearch();
        QVERIFY(window->Results->rowCount() > 0);
        SwitchLibrary(other);
        QCOMPARE(window->Results->rowCount(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!window->Progress->isVisible(), 120000);
        window->RunSearch();
        QCOMPARE(window->Results->rowCount(), 0);
        window->QueryBox->setText(QStringLiteral("маятник"));
        window->RunSearch();
        QCOMPARE(window->Results->rowCount(), 1);
        QCOMPARE(window->Results->Hit(0)->Course, 5);
        QCOMPARE(window->Results->Hit(0)->CourseName, QStringLiteral("Физика, 9 класс"));
        QVERIFY(window->OpenResult(0));
        QCOMPARE(Viewer()->CourseNumber, 5);
        QCOMPARE(TMarkupTreeView::NodeContent(Viewer()->LeftTree->currentItem())->id, 1);
        QVERIFY(m_player.Errors.isEmpty());
        window->hide();
        SwitchLibrary(m_player.Library);
    }

    // What was found once may be gone when it is chosen: the user is told, nothing breaks.
    void goneResultsSayWhy_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("message");
        QTest::newRow("course gone") << 999 << 5 << 1 << "Курса «Курс» больше нет в библиотеке.";
        QTest::newRow("course without sections") << 777 << 5 << 1 << "Курс «Курс» не открывается:";
        QTest::newRow("section gone")
            << 102 << 68 << 1 << "В курсе «Курс» больше нет раздела «Дополнительные материалы».";
        QTest::newRow("item gone")
            << 101 << 5 << 9999 << "Материала «Пропавший» больше нет в разделе «Учебный курс» курса «Курс».";
        QTest::newRow("page gone") << 101 << 5 << 2 << "Страницы материала «Пропавший» больше нет на диске.";
    }
    void goneResultsSayWhy() {
        QFETCH(int, course);
        QFETCH(int, section);
        QFETCH(int, id);
        QFETCH(QString, message);
        QFile::remove(m_player.Library + "101/5/2.xml");
        m_player.Errors.clear();
        const QString said = OpenSearchResult(Hit(course, "Курс", section, id, "<b>Пропавший</b>"), "слово");
        QVERIFY2(said.startsWith(message), qPrintable(said));
        QVERIFY(m_player.Errors.isEmpty());
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestSearchOpen>(argc, argv);
}
#include "test_searchopen.moc"
