// The viewer's collection commands end to end, with real Qt WebEngine, on a copy of the demo
// library: items chosen in the tree reach the collection, the shown page leaves it, the
// collection is composed into one page by the library's "ShowFavor.htm", and its tasks run.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "look/ToolStrip.h"
#include "popups/CourseTest.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {
// The object names along a menu or tool bar, "-" for a separator.
QStringList Entries(const QList<QAction*>& actions) {
    QStringList names;
    for (QAction* action : actions)
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return names;
}

// A click on a tree item as the user makes it, with Ctrl to add it to the selection.
bool ClickItem(TMarkupTreeView* tree, int id, Qt::KeyboardModifiers modifiers) {
    QTreeWidgetItem* item = FindItem(tree, id);
    if (!item)
        return false;
    for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    tree->scrollToItem(item);
    const QRect rect = tree->visualItemRect(item);
    if (!rect.isValid())
        return false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, modifiers,
                      QPoint(rect.left() + 40, rect.center().y()));
    return item->isSelected();
}

const QString ComposedTitles = QStringLiteral(
    "Array.from(document.querySelectorAll('#items .favor-title')).map(e => e.textContent).join('|')");
} // namespace

class TestViewerCollections : public QObject {
    Q_OBJECT

    TTestPlayer m_player;

    TForm1* Viewer() const { return Roster().Form1; }
    TFavoriteForm* Editor() const { return Roster().FavoriteForm; }
    TShowFavorForm* Presentation() const { return Roster().ShowFavorForm; }

    // Waits until the presentation page has laid out every listed item.
    bool WaitComposed() {
        TEmbeddedBrowser* browser = Presentation()->wbToolTip;
        if (!WaitComplete(browser))
            return false;
        return WaitUntil([&] {
            return RunScript(browser->page(), "document.body.getAttribute('data-state')") == "ready";
        });
    }

private slots:
    void initTestCase() {
        QVERIFY(m_player.Start(CP_SOURCE_DIR "/content"));
        QVERIFY(Viewer() && Editor() && Presentation());
        QVERIFY(m_player.Errors.isEmpty());
    }

    void cleanupTestCase() { m_player.Stop(); }

    void commandsTakeTheirPlaces_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("menu") << "menuFavor" << QStringList{"actShowAll", "-", "actToFavor", "actRemoveFavor",
                                                            "actFavor",   "-", "actLoad",    "actSave"};
        QTest::newRow("left tool bar") << "LeftToolBar" << QStringList{"actToFavor", "actRemoveFavor"};
        QTest::newRow("action tool bar")
            << "ActionToolBar" << QStringList{"actLoad", "actShowAll", "-", "actPreview", "actPrint"};
        QTest::newRow("tree pop-up") << "TreePopupMenu"
                                     << QStringList{"actToFavor", "actRemoveFavor", "-", "ppOpen", "ppRun"};
    }
    void commandsTakeTheirPlaces() {
        QFETCH(QString, where);
        QObject* holder = Viewer()->findChild<QObject*>(where);
        QVERIFY2(holder, qPrintable(where));
        QList<QAction*> actions;
        if (auto* menu = qobject_cast<QMenu*>(holder))
            actions = menu->actions();
        else if (auto* bar = qobject_cast<QToolBar*>(holder))
            actions = bar->actions();
        QTEST(Entries(actions), "entries");
        // The editor's commands appear through entries of the viewer's own (screen readers see
        // an action in one menu only), which follow the editor's state.
        for (QAction* action : actions)
            if (action->objectName() == "actShowAll") {
                QVERIFY(action != Editor()->actShowAll);
                Editor()->actShowAll->setEnabled(false);
                QVERIFY(!action->isEnabled());
                Editor()->actShowAll->setEnabled(true);
                QVERIFY(action->isEnabled());
            }
    }

    void commandTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("image");
        QTest::newRow("add") << "actToFavor"
                             << "Добавить в подборку" << 5;
        QTest::newRow("remove") << "actRemoveFavor"
                                << "Удалить из подборки" << 0;
        QTest::newRow("edit") << "actFavor"
                              << "Редактировать подборку" << -1;
    }
    void commandTexts() {
        QFETCH(QString, name);
        auto* action = Viewer()->findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
        QVERIFY(action);
        QTEST(action->text(), "caption");
        QTEST(action->toolTip(), "caption");
        QTEST(action->property("imageIndex").toInt(), "image");
        QCOMPARE(Category(action), QStringLiteral("General"));
    }

    void menusInOrder() {
        QStringList titles;
        for (QAction* action : Viewer()->menuBar()->actions())
            titles << action->text();
        // Each with a letter of its own for Alt.
        QCOMPARE(titles, (QStringList{"&Действия", "&Подборки", "&Материалы", "&Настройки", "?"}));
    }

    // Three items chosen in the tree, the shown one taken out again, two tasks added; then the
    // collection as one page, and its tasks run in the test window and in the viewer.
    void collectsShowsAndRunsTasks() {
        TForm1* form = Viewer();
        form->actShowTaskHint->setChecked(true);
        form->actShowTaskInMain->setChecked(false);
        form->CourseTitle = QStringLiteral("Алгебра, 7 класс");
        QVERIFY(form->OpenCourse(101));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QVERIFY(WaitComplete(form->wMain));

        // Selection order 2, 3, 1: the page of 1 is the one shown.
        QVERIFY(ClickItem(form->LeftTree, 2, Qt::NoModifier));
        QVERIFY(ClickItem(form->LeftTree, 3, Qt::ControlModifier));
        QVERIFY(ClickItem(form->LeftTree, 1, Qt::ControlModifier));
        QCOMPARE(form->LeftTree->SelectedNodes().size(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/101/5/1.xml"), kWebTimeout);
        // Adding waits for a page: the browser tells whether it holds one once it is loaded.
        QTRY_VERIFY_WITH_TIMEOUT(form->wMain->DocumentLoaded(), kWebTimeout);
        form->actToFavor->trigger();
        QCOMPARE(Editor()->GetFavorList(), QStringLiteral("#101;5;2$101;5;3$101;5;1"));
        form->actToFavor->trigger(); // already there: nothing changes
        QCOMPARE(Editor()->GetFavorList(), QStringLiteral("#101;5;2$101;5;3$101;5;1"));

        form->actRemoveFavor->trigger();
        QCOMPARE(Editor()->GetFavorList(), QStringLiteral("#101;5;2$101;5;3"));
        form->actRemoveFavor->trigger(); // the shown page is no longer there: nothing changes
        QCOMPARE(Editor()->GetFavorList(), QStringLiteral("#101;5;2$101;5;3"));

        form->actEduTask->trigger();
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(ClickItem(form->LeftTree, 33, Qt::NoModifier));
        QVERIFY(ClickItem(form->LeftTree, 31, Qt::ControlModifier));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/101/2010/31.xml"), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(form->wMain->DocumentLoaded(), kWebTimeout);
        form->actToFavor->trigger();
        QCOMPARE(Editor()->GetFavorList(), QStringLiteral("#101;5;2$101;5;3$101;2010;33$101;2010;31"));
        QVERIFY(!Editor()->isVisible());

        // "Показать подборку" from the viewer's menu, with the editor hidden.
        Presentation()->SetShowTaskVisible(false);
        Editor()->actShowAll->trigger();
        QVERIFY(Presentation()->isVisible());
        QVERIFY(Presentation()->ShowTaskVisible());
        TEmbeddedBrowser* shown = Presentation()->wbToolTip;
        QTRY_VERIFY_WITH_TIMEOUT(
            Location(shown).endsWith("/lib/ShowFavor.htm#101;5;2$101;5;3$101;2010;33$101;2010;31"),
            kWebTimeout);
        QVERIFY(WaitComposed());
        QCOMPARE(RunScript(shown->page(), ComposedTitles).toString(),
                 QStringLiteral("Выражения с переменными|Тождества и тождественные преобразования|"
                                "Найди значение функции|Вычисли значение выражения"));
        // Every item laid in with its own text, nothing left loading in frames.
        QCOMPARE(
            RunScript(shown->page(), "document.querySelectorAll('#items [data-state=shown]').length").toInt(),
            4);
        QCOMPARE(RunScript(shown->page(), "document.querySelectorAll('iframe').length").toInt(), 0);
        QVERIFY(RunScript(shown->page(), "document.getElementById('items').textContent")
                    .toString()
                    .contains(QStringLiteral("18 − 3 · (7 − 2)")));

        // "Выполнить все задания" from the presentation window's own button.
        QVERIFY(Presentation()->tbtnShowTask);
        Presentation()->tbtnShowTask->click();
        TTestForm* test = Roster().TestForm;
        QTRY_VERIFY_WITH_TIMEOUT(test->isVisible(), kWebTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(
            Location(test->wbToolTip).endsWith("/101/2010/runtest.html#tid=33_2;33_2;31_1;31_1;-1"),
            kWebTimeout);
        QVERIFY(!Presentation()->ShowTaskVisible());
        QVERIFY(WaitComplete(test->wbToolTip));
        // The runner shows each task page once, in the order of the list.
        QTRY_COMPARE_WITH_TIMEOUT(
            RunScript(test->wbToolTip->page(), "document.body.getAttribute('data-pages')"), QVariant("33,31"),
            kWebTimeout);
        QCOMPARE(RunScript(test->wbToolTip->page(), "document.body.getAttribute('data-hints')"),
                 QVariant("on"));

        // With tests shown in the viewer and hints off, the list reaches the viewer's browser.
        test->hide();
        form->actShowTaskHint->setChecked(false);
        form->actShowTaskInMain->setChecked(true);
        Editor()->actShowTasksOnly->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(
            Location(form->wMain).endsWith("/101/2010/runtest.html#tid=33_2;33_2;31_1;31_1;-0"), kWebTimeout);
        QVERIFY(!test->isVisible());
        QVERIFY(WaitComplete(form->wMain));
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(form->wMain->page(), "document.body.getAttribute('data-hints')"),
                                  QVariant("off"), kWebTimeout);
        QVERIFY(m_player.Errors.isEmpty());
    }

    // Entries the page cannot use are passed over; an item whose page is missing says so in its
    // place, and the items around it are laid out as usual.
    void composedPageToleratesBadEntries() {
        Viewer()->ShowFavorPage(QStringLiteral("#101;5;2$101;5;999$junk$1;2$101;x;3$101;5;3"));
        TEmbeddedBrowser* shown = Presentation()->wbToolTip;
        QVERIFY(WaitComposed());
        QCOMPARE(RunScript(shown->page(), ComposedTitles).toString(),
                 QStringLiteral(
                     "Выражения с переменными|Материал не найден|Тождества и тождественные преобразования"));
        QCOMPARE(RunScript(shown->page(), "document.querySelectorAll('#items [data-state=missing]').length")
                     .toInt(),
                 1);
    }

    // An empty collection opens the page with no fragment at all, and the page says so.
    void emptyCollectionOpensThePageAlone() {
        Editor()->actClear->trigger();
        QCOMPARE(Editor()->GetFavorList(), QString());
        Presentation()->hide();
        Editor()->actShowAll->trigger();
        QVERIFY(Presentation()->isVisible());
        TEmbeddedBrowser* shown = Presentation()->wbToolTip;
        QTRY_VERIFY_WITH_TIMEOUT(Location(shown).endsWith("/lib/ShowFavor.htm"), kWebTimeout);
        QVERIFY(WaitComposed());
        QCOMPARE(RunScript(shown->page(), "document.body.getAttribute('data-items')"), QVariant("0"));
        QVERIFY(RunScript(shown->page(), "document.getElementById('summary').textContent")
                    .toString()
                    .contains(QStringLiteral("нет материалов")));
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestViewerCollections>(argc, argv);
}
#include "test_viewer_collections.moc"
