// The filter box of the course viewer, with real Qt WebEngine: filtering and clearing never
// open a page by themselves, a click through the filter does, and a section switch clears it.

#include "ViewerTestSupport.h"
#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "markuptree/MarkupTreeView.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "tests/TypeText.h"
#include "tests/support/Screenshot.h"
#include "viewer/ShowCourse.h"
#include "viewer/TreeFilter.h"
#include "viewer/TreeFilterBox.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

using TIds = QList<int>;

namespace {

int Id(const QTreeWidgetItem* node) {
    const TContent* content = node ? TMarkupTreeView::NodeContent(node) : nullptr;
    return content ? content->id : 0;
}

TIds Visible(QTreeWidget* tree) {
    TIds ids;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        bool seen = !(*it)->isHidden();
        for (QTreeWidgetItem* p = (*it)->parent(); p && seen; p = p->parent())
            seen = !p->isHidden() && p->isExpanded();
        if (seen)
            ids << Id(*it);
    }
    return ids;
}

TIds Selected(const TMarkupTreeView* tree) {
    TIds ids;
    for (const QTreeWidgetItem* node : tree->SelectedNodes())
        ids << Id(node);
    return ids;
}

void ClickNode(TMarkupTreeView* tree, QTreeWidgetItem* node) {
    const QRect rect = tree->visualItemRect(node);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(rect.left() + tree->indentation() * 2 + 12, rect.center().y()));
}

} // namespace

class TestViewerTreeFilter : public QObject {
    Q_OBJECT

    TTestPlayer m_player;

    TForm1* Viewer() const { return Roster().Form1; }
    TTreeFilterBox* Box() const { return Viewer()->LeftTreeFilter(); }

    // Course 1, section 5, with item 2 selected and its page shown, the filter empty.
    void ShowItemTwo() {
        TForm1* form = Viewer();
        Box()->clear();
        if (form->CurrentSection() != 5 || Selected(form->LeftTree) != TIds{2} ||
            !Location(form->wMain).endsWith("/1/5/2.xml")) {
            form->CourseTitle = QStringLiteral("Курс один");
            QVERIFY(form->OpenCourse(1));
            QVERIFY(WaitComplete(form->wMain));
            form->LeftTree->setCurrentItem(FindItem(form->LeftTree, 2));
            QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/2.xml"), kWebTimeout);
        }
        QVERIFY(WaitComplete(form->wMain));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_player.Start(CP_TEST_DATA "/viewer/library"));
        Viewer()->SetMessagePresenter([](const QString&) {});
        Viewer()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Viewer()));
        Viewer()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Viewer()));
        Roster().ToolTipForm->hide();
        Roster().TestForm->hide();
    }

    void cleanupTestCase() { m_player.Stop(); }

    void cleanup() { QVERIFY(WaitIdle(Viewer()->wMain)); }

    void filteringNeverOpensAPage_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<TIds>("visible");
        QTest::addColumn<TIds>("selected"); // while filtering
        QTest::newRow("selected node as an ancestor") << "третья" << TIds{1, 2, 3} << TIds{2};
        QTest::newRow("selected node hidden") << "нули" << TIds{5} << TIds{};
        QTest::newRow("selected node matches") << "вторая" << TIds{1, 2} << TIds{2};
        QTest::newRow("capitals") << "ВЕДУЩИЕ НУЛИ" << TIds{5} << TIds{};
        QTest::newRow("tag letters are not text") << "b" << TIds{} << TIds{};
        QTest::newRow("bold word") << "первая" << TIds{1} << TIds{};
        QTest::newRow("two matches") << "страница" << TIds{1, 2} << TIds{2};
    }
    void filteringNeverOpensAPage() {
        QFETCH(QString, typed);
        QFETCH(TIds, visible);
        QFETCH(TIds, selected);
        ShowItemTwo();
        TForm1* form = Viewer();
        TMarkupTreeView* tree = form->LeftTree;
        tree->collapseAll();
        tree->expandItem(FindItem(tree, 1));
        const TIds before = Visible(tree);
        Box()->setFocus();
        for (const QChar c : typed) {
            Type(Box(), QString(c));
            // Opening a page starts at once: the browser would be loading now.
            QCOMPARE(form->wMain->ReadyState(), int(TWebBrowser::ReadyComplete));
        }
        QCOMPARE(Visible(tree), visible);
        QCOMPARE(Selected(tree), selected);
        QCOMPARE(Box()->EmptyHint()->isVisible(), visible.isEmpty());
        if (visible == TIds{1, 2})
            SaveShot(*form, "viewer_treefilter.png");

        QTest::keyClick(Box(), Qt::Key_Escape);
        QCOMPARE(form->wMain->ReadyState(), int(TWebBrowser::ReadyComplete));
        QVERIFY(Box()->text().isEmpty());
        QCOMPARE(Visible(tree), before);
        QCOMPARE(Selected(tree), TIds{2});
        QCOMPARE(Id(tree->currentItem()), 2);
        QVERIFY(!Box()->EmptyHint()->isVisible());
        QVERIFY(tree->hasFocus());
        QVERIFY(Location(form->wMain).endsWith("/1/5/2.xml"));
    }

    // A click on a filtered node shows its page; clearing keeps that choice. The only load in
    // the whole run is the chosen page's, so nothing before it asked for another one.
    void aClickThroughTheFilterOpensAndStays() {
        ShowItemTwo();
        TForm1* form = Viewer();
        TMarkupTreeView* tree = form->LeftTree;
        tree->collapseAll();
        QSignalSpy urls(form->wMain, &QWebEngineView::urlChanged);
        Box()->setFocus();
        Type(Box(), QStringLiteral("третья"));
        QCOMPARE(Visible(tree), TIds({1, 2, 3}));
        ClickNode(tree, FindItem(tree, 3));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/3.xml"), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        QVERIFY(Box()->Filter().UserChoseSelection());

        Box()->setFocus();
        QTest::keyClick(Box(), Qt::Key_Escape);
        QCOMPARE(form->wMain->ReadyState(), int(TWebBrowser::ReadyComplete));
        QCOMPARE(Selected(tree), TIds{3});
        QCOMPARE(Visible(tree), TIds({1, 2, 3, 4, 5}));
        QVERIFY(!urls.isEmpty());
        for (const QList<QVariant>& url : urls)
            QVERIFY2(url.at(0).toUrl().path().endsWith("/1/5/3.xml"), qPrintable(url.at(0).toString()));
    }

    void ctrlLFocusesTheBoxAndDownEntersTheTree() {
        ShowItemTwo();
        TForm1* form = Viewer();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->LeftTree->setFocus();
        QTest::keyClick(form->LeftTree, Qt::Key_L, Qt::ControlModifier);
        QTRY_VERIFY(Box()->hasFocus());
        Type(Box(), QStringLiteral("нули"));
        QCOMPARE(Visible(form->LeftTree), TIds{5});
        // Ctrl+L again, from the page this time, selects what was typed, so that typing
        // replaces it.
        QWidget* page = form->wMain->focusProxy() ? form->wMain->focusProxy() : form->wMain;
        page->setFocus();
        QTRY_VERIFY(page->hasFocus());
        QTest::keyClick(page, Qt::Key_L, Qt::ControlModifier);
        QTRY_VERIFY(Box()->hasFocus());
        QCOMPARE(Box()->selectedText(), QStringLiteral("нули"));
        // Down goes onto the match, and its page opens as moving with the keys opens pages.
        QTest::keyClick(Box(), Qt::Key_Down);
        QVERIFY(form->LeftTree->hasFocus());
        QCOMPARE(Selected(form->LeftTree), TIds{5});
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith("/1/5/5.xml"), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        Box()->clear();
        QCOMPARE(Selected(form->LeftTree), TIds{5});
    }

    // A search result chosen while the filter hides its item: the filter gives way, the item
    // is selected and shown, its page opens.
    void anItemChosenFromElsewhereShowsThroughTheFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("ending");
        QTest::newRow("hidden, same section") << "нули" << 5 << 3 << "/1/5/3.xml";
        QTest::newRow("shown, same section") << "третья" << 5 << 3 << "/1/5/3.xml";
        QTest::newRow("another section") << "нули" << 12 << 9 << "/1/12/9.xml";
    }
    void anItemChosenFromElsewhereShowsThroughTheFilter() {
        QFETCH(QString, typed);
        QFETCH(int, section);
        QFETCH(int, item);
        QFETCH(QString, ending);
        ShowItemTwo();
        TForm1* form = Viewer();
        form->LeftTree->collapseAll();
        Type(Box(), typed);
        QVERIFY(Box()->Filter().IsActive());
        // Every navigation the viewer asks of its browser, to see the item's page asked for once.
        QStringList asked;
        const auto routing = form->wMain->OnBeforeNavigate2;
        form->wMain->OnBeforeNavigate2 = [&](TWebBrowser* sender, const QString& url,
                                             const std::optional<QString>& target, bool& cancel) {
            if (!target)
                asked << url;
            routing(sender, url, target, cancel);
        };
        QVERIFY(form->SelectItem(section, item));
        QVERIFY(Box()->text().isEmpty());
        QVERIFY(!Box()->Filter().IsActive());
        QCOMPARE(Selected(form->LeftTree), TIds{item});
        QVERIFY(Visible(form->LeftTree).contains(item));
        QTRY_VERIFY_WITH_TIMEOUT(Location(form->wMain).endsWith(ending), kWebTimeout);
        QVERIFY(WaitComplete(form->wMain));
        form->wMain->OnBeforeNavigate2 = routing;
        QCOMPARE(asked.filter(ending).size(), 1);
    }

    void aSectionSwitchClearsTheFilter_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("section command") << "section";
        QTest::newRow("same course again") << "course";
        QTest::newRow("tree reloaded") << "reload";
    }
    void aSectionSwitchClearsTheFilter() {
        QFETCH(QString, how);
        ShowItemTwo();
        TForm1* form = Viewer();
        Type(Box(), QStringLiteral("нет"));
        QCOMPARE(Visible(form->LeftTree), TIds{4});
        if (how == "section") {
            form->actTheory->trigger();
            QCOMPARE(form->CurrentSection(), 12);
            QVERIFY(WaitComplete(form->wMain));
        } else if (how == "course") {
            QVERIFY(form->OpenCourse(1));
            QVERIFY(WaitComplete(form->wMain));
        } else {
            form->sButton4->click();
        }
        QVERIFY(Box()->text().isEmpty());
        QVERIFY(!Box()->Filter().IsActive());
        QVERIFY(!Box()->EmptyHint()->isVisible());
        for (QTreeWidgetItemIterator it(form->LeftTree); *it; ++it)
            QVERIFY(!(*it)->isHidden());
        // Back on the section the filter was typed in: nothing of the filter comes back.
        if (how == "section") {
            form->actEduCourse->trigger();
            QVERIFY(WaitComplete(form->wMain));
        }
        QCOMPARE(Visible(form->LeftTree), TIds({1, 4, 5}));
        QCOMPARE(Selected(form->LeftTree), TIds{});
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<TestViewerTreeFilter>(argc, argv);
}
#include "test_viewer_treefilter.moc"
