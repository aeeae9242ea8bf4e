// Behaviour of the markup tree list as the collection editor uses it: the header strip (sections,
// clicks, resizing with the first column's minimum), where the list and its header go, anchors
// under the pointer, the cell gap, the plain text Qt sees, drag and drop handed to the window,
// and what is painted (cells, selection, column lines). With CP_SCREENSHOT_DIR set, the list is
// also saved there as a PNG file to look at.

#include "tests/markuptree/test_treelist_support.h"
#include "tests/support/Screenshot.h"

#include "markup/ImageList.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const QString kSep = kFavorSeparator;

// The collection editor's list filling a 600 x 364 client area.
struct TFixture {
    QWidget Parent;
    TMarkupTreeList* List;

    TFixture() : List(new TMarkupTreeList(&Parent)) {
        Parent.resize(600, 364);
        ConfigureLikeFavorTree(*List);
        List->SetAlign(TMarkupTreeList::alClient);
        List->SetBounds(0, 0, 600, 364);
        Parent.show();
    }
    QWidget* Viewport() const { return List->viewport(); }
    QWidget* HeaderStrip() const { return List->Header()->viewport(); }
    QPoint RowPoint(QTreeWidgetItem* row, int x) const {
        return QPoint(x, List->visualItemRect(row).center().y());
    }
    // The x positions in row where the anchor under the pointer is href.
    QList<int> AnchorXs(QTreeWidgetItem* row, const QString& href) const {
        QList<int> xs;
        const int y = RowPoint(row, 0).y();
        for (int x = 0; x < Viewport()->width(); ++x)
            if (List->GetAnchorAt(row, x, y) == href)
                xs << x;
        return xs;
    }
    QImage Shot() {
        QCoreApplication::processEvents();
        return Viewport()->grab().toImage();
    }
};

// A list that records the drags Qt starts on it.
class TDragRecordingList final : public TMarkupTreeList {
public:
    using TMarkupTreeList::mimeData;
    using TMarkupTreeList::TMarkupTreeList;
    QStringList Started;

protected:
    void startDrag(Qt::DropActions actions) override {
        for (QTreeWidgetItem* row : selectedItems())
            Started << row->text(0);
        TMarkupTreeList::startDrag(actions);
    }
};

QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x * image.devicePixelRatio(), y * image.devicePixelRatio()) & 0xFFFFFF;
}

// Pixels of area that pass test.
template <class TTest> int CountPixels(const QImage& image, const QRect& area, TTest test) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(Pixel(image, x, y)) ? 1 : 0;
    return n;
}

int CountColour(const QImage& image, const QRect& area, QRgb colour) {
    return CountPixels(image, area, [colour](QRgb p) { return p == colour; });
}

// Pixels that differ from the row background and the column lines in a strip of a row.
int InkIn(const QImage& image, int left, int right, int top, int bottom) {
    const QRgb background = qRgb(255, 255, 228) & 0xFFFFFF;
    const QRgb silver = qRgb(192, 192, 192) & 0xFFFFFF;
    return CountPixels(image, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)),
                       [&](QRgb p) { return p != background && p != silver; });
}

} // namespace

class TestMarkupTreeList final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { RegisterOriginalFonts(); }

    void headerSections() {
        TFixture f;
        TTLHeader* header = f.List->Header();
        QCOMPARE(header->SectionCount(), 2);
        QCOMPARE(header->SectionCaption(0), QStringLiteral("Элемент"));
        QCOMPARE(header->SectionCaption(1), QStringLiteral("Раздел"));
        QCOMPARE(header->SectionWidths(), (QList<int>{400, 50}));
        f.List->Columns()[0]->SetWidth(300);
        f.List->Columns().Add(QStringLiteral("<B>Третий</B>"), 70);
        QCOMPARE(header->SectionWidths(), (QList<int>{300, 50, 70}));
        QCOMPARE(header->SectionCaption(2), QStringLiteral("<B>Третий</B>"));
        f.List->Columns().Delete(1);
        QCOMPARE(header->SectionWidths(), (QList<int>{300, 70}));
    }

    void headerClick_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("at x = 0") << 0 << -1;
        QTest::newRow("inside the first") << 200 << 0;
        QTest::newRow("on the first border") << 400 << 0;
        QTest::newRow("inside the second") << 420 << 1;
        QTest::newRow("right of all sections") << 580 << 1;
    }
    void headerClick() {
        QFETCH(int, x);
        QFETCH(int, expected);
        TFixture f;
        QStringList log;
        f.List->OnHeaderClick = [&](QObject* sender, int section) {
            log << QStringLiteral("left %1 %2").arg(section).arg(sender == f.List);
        };
        f.List->OnHeaderRightClick = [&](QObject* sender, int section) {
            log << QStringLiteral("right %1 %2").arg(section).arg(sender == f.List);
        };
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            SendMouse(f.HeaderStrip(), QEvent::MouseButtonPress, QPoint(x, 5), button, button);
            SendMouse(f.HeaderStrip(), QEvent::MouseButtonRelease, QPoint(x, 5), button, Qt::NoButton);
        }
        QCOMPARE(log, (QStringList{QStringLiteral("left %1 1").arg(expected),
                                   QStringLiteral("right %1 1").arg(expected)}));
    }

    // The user drags a section's right border to a new width.
    void headerResize_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("images");
        QTest::addColumn<int>("expected");
        QTest::newRow("first, narrower than the indent") << 0 << 5 << false << 19;
        QTest::newRow("first, at the indent") << 0 << 19 << false << 19;
        QTest::newRow("first, wider") << 0 << 250 << false << 250;
        QTest::newRow("first, narrower than indent and images") << 0 << 20 << true << 35;
        QTest::newRow("second has no minimum") << 1 << 5 << false << 5;
        QTest::newRow("resizing not allowed") << 0 << 250 << false << 400;
    }
    void headerResize() {
        QFETCH(int, section);
        QFETCH(int, width);
        QFETCH(bool, images);
        QFETCH(int, expected);
        TFixture f;
        TImageList imageList;
        if (images)
            f.List->SetImages(&imageList);
        f.List->HeaderSettings().SetAllowResize(QByteArray(QTest::currentDataTag()) !=
                                                "resizing not allowed");
        TTLHeader* header = f.List->Header();
        const int start = header->sectionPosition(section);
        const QPoint border(start + header->sectionSize(section) - 1, 8);
        SendMouse(f.HeaderStrip(), QEvent::MouseButtonPress, border, Qt::LeftButton, Qt::LeftButton);
        MoveTo(f.HeaderStrip(), QPoint(start + width - 1, 8), Qt::LeftButton);
        SendMouse(f.HeaderStrip(), QEvent::MouseButtonRelease, QPoint(start + width - 1, 8), Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(f.List->Columns()[section]->Width(), expected);
        QCOMPARE(header->sectionSize(section), expected);
        // The column lines follow the new width.
        QCOMPARE(ColumnLineXs(f.List->ColumnsNow()).value(0), (section == 0 ? expected : 400) - 2);
    }

    void bounds_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<QRect>("requested");
        QTest::addColumn<int>("headerHeight");
        QTest::addColumn<QRect>("list");
        QTest::addColumn<QRect>("header");
        QTest::newRow("filling 364 px, header 18") << int(TMarkupTreeList::alClient) << QRect(0, 0, 600, 364)
                                                   << 18 << QRect(0, 16, 600, 348) << QRect(0, 0, 600, 18);
        QTest::newRow("aligned to the top, header 24")
            << int(TMarkupTreeList::alTop) << QRect(0, 0, 600, 200) << 24 << QRect(0, 22, 600, 178)
            << QRect(0, 0, 600, 24);
        QTest::newRow("not aligned: header above") << int(TMarkupTreeList::alNone) << QRect(10, 50, 300, 200)
                                                   << 18 << QRect(10, 50, 300, 200) << QRect(10, 34, 300, 18);
    }
    void bounds() {
        QFETCH(int, align);
        QFETCH(QRect, requested);
        QFETCH(int, headerHeight);
        QFETCH(QRect, list);
        QFETCH(QRect, header);
        TFixture f;
        f.List->SetAlign(TMarkupTreeList::TAlign(align));
        f.List->HeaderSettings().SetHeight(headerHeight);
        f.List->SetBounds(requested.x(), requested.y(), requested.width(), requested.height());
        QCOMPARE(f.List->geometry(), list);
        QCOMPARE(f.List->Header()->geometry(), header);
        QCOMPARE(f.List->Header()->parentWidget(), &f.Parent);
        // setGeometry asks in the same way, and asking for what it already has changes nothing.
        f.List->setGeometry(requested);
        QCOMPARE(f.List->geometry(), list);
        f.List->setGeometry(list);
        QCOMPARE(f.List->geometry(), list);
    }

    // The list filling its place in a window that lays it out: the layout asks, the bounds rule
    // decides, on every resize of the window.
    void boundsInLayout_data() {
        QTest::addColumn<bool>("mainWindow");
        QTest::newRow("box layout") << false;
        QTest::newRow("central widget of a main window") << true;
    }
    void boundsInLayout() {
        QFETCH(bool, mainWindow);
        std::unique_ptr<QWidget> window;
        auto* list = new TMarkupTreeList;
        ConfigureLikeFavorTree(*list);
        list->SetAlign(TMarkupTreeList::alClient);
        if (mainWindow) {
            auto* main = new QMainWindow;
            main->setCentralWidget(list);
            window.reset(main);
        } else {
            window = std::make_unique<QWidget>();
            auto* layout = new QVBoxLayout(window.get());
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(list);
        }
        window->resize(600, 364);
        window->show();
        QCoreApplication::processEvents();
        QCOMPARE(list->geometry(), QRect(0, 16, 600, 348));
        QCOMPARE(list->Header()->geometry(), QRect(0, 0, 600, 18));
        QCOMPARE(list->Header()->parentWidget(), window.get());
        QVERIFY(list->Header()->isVisible());
        window->resize(500, 300);
        QCoreApplication::processEvents();
        QCOMPARE(list->geometry(), QRect(0, 16, 500, 284));
        // A new header height places the list again.
        list->HeaderSettings().SetHeight(30);
        QCOMPARE(list->geometry(), QRect(0, 28, 500, 272));
        QCOMPARE(list->Header()->geometry(), QRect(0, 0, 500, 30));
    }

    void visibilityFollowsList() {
        TFixture f;
        QVERIFY(f.List->Header()->isVisible());
        f.List->hide();
        QVERIFY(!f.List->Header()->isVisible());
        f.List->show();
        QVERIFY(f.List->Header()->isVisible());
    }

    void cellGap_data() {
        QTest::addColumn<QList<bool>>("switches");
        QTest::addColumn<int>("expected");
        QTest::newRow("new list") << QList<bool>{} << 2;
        QTest::newRow("switched on while on") << QList<bool>{true} << 2;
        QTest::newRow("off") << QList<bool>{false} << 2;
        QTest::newRow("off and on again") << QList<bool>{false, true} << 4;
        QTest::newRow("off, on, off") << QList<bool>{false, true, false} << 2;
    }
    void cellGap() {
        QFETCH(QList<bool>, switches);
        QFETCH(int, expected);
        TMarkupTreeList list;
        QVERIFY(list.ColumnLines());
        for (bool on : switches)
            list.SetColumnLines(on);
        QCOMPARE(list.CellGap(), expected);
    }

    void anchorsUnderPointer_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("anchor in the first cell")
            << "Урок <A HREF=\"first\">ссылка</A> конец" + kSep + "Теория";
        QTest::newRow("anchor in the second cell")
            << "Урок без ссылок" + kSep + "См. <A HREF=\"first\">раздел</A> дальше";
    }
    void anchorsUnderPointer() {
        QFETCH(QString, text);
        TFixture f;
        QTreeWidgetItem* row = AddRow(*f.List, text);
        AddRow(*f.List, "Второй" + kSep + "Задачи");
        QCoreApplication::processEvents();
        const QList<int> xs = f.AnchorXs(row, QStringLiteral("first"));
        QVERIFY2(xs.size() > 10, "the anchor is found across its text");
        QStringList log;
        f.List->OnAnchorEnter = [&](QObject*, QTreeWidgetItem* n, const QString& a) {
            log << "enter:" + a + (n == row ? "" : "?");
        };
        f.List->OnAnchorExit = [&](QObject*, QTreeWidgetItem*, const QString& a) { log << "exit:" + a; };
        f.Viewport()->setCursor(Qt::IBeamCursor);

        const int plainX = xs.first() - 12;
        QVERIFY(f.List->GetAnchorAt(row, plainX, f.RowPoint(row, 0).y()).isEmpty());
        MoveTo(f.Viewport(), f.RowPoint(row, plainX));
        MoveTo(f.Viewport(), f.RowPoint(row, xs.first() + 2));
        QCOMPARE(f.Viewport()->cursor().shape(), Qt::PointingHandCursor);
        MoveTo(f.Viewport(), f.RowPoint(row, xs.last() - 2));
        QCOMPARE(log, QStringList{"enter:first"});
        QCOMPARE(f.List->CurrentAnchor(), QStringLiteral("first"));
        // Below the rows: the cursor comes back at once, the exit waits for plain text.
        MoveTo(f.Viewport(), QPoint(xs.first() + 2, f.Viewport()->height() - 3));
        QCOMPARE(f.Viewport()->cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(log, QStringList{"enter:first"});
        // Back onto the same anchor: no second enter.
        MoveTo(f.Viewport(), f.RowPoint(row, xs.first() + 2));
        QCOMPARE(log, QStringList{"enter:first"});
        MoveTo(f.Viewport(), f.RowPoint(row, plainX));
        QCOMPARE(log, (QStringList{"enter:first", "exit:first"}));
        QCOMPARE(f.Viewport()->cursor().shape(), Qt::IBeamCursor);
        QVERIFY(f.List->CurrentAnchor().isEmpty());
        MoveTo(f.Viewport(), f.RowPoint(row, plainX + 1));
        QCOMPARE(log.size(), 2);
    }

    void anchorClickAndHint() {
        TFixture f;
        QTreeWidgetItem* row = AddRow(*f.List, "Урок" + kSep + "<A HREF=\"part\">Раздел</A>");
        QCoreApplication::processEvents();
        const QList<int> xs = f.AnchorXs(row, QStringLiteral("part"));
        QVERIFY(!xs.isEmpty());
        QVERIFY(xs.first() >= 400);
        QStringList clicks;
        f.List->OnAnchorClick = [&](QObject* sender, QTreeWidgetItem* n, const QString& a) {
            clicks << a + (sender == f.List && n == row ? "" : "?");
        };
        const QPoint on = f.RowPoint(row, xs.first() + 2);
        SendMouse(f.Viewport(), QEvent::MouseButtonPress, on, Qt::LeftButton, Qt::LeftButton);
        SendMouse(f.Viewport(), QEvent::MouseButtonRelease, on, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicks, QStringList{"part"});
        QCOMPARE(f.List->Selected(), row);
    }

    void hints_data() {
        QTest::addColumn<bool>("anchorHint");
        QTest::addColumn<bool>("toolTips");
        QTest::addColumn<bool>("onAnchor");
        QTest::addColumn<QString>("expected"); // empty: no tip
        QTest::newRow("href over an anchor") << true << false << true << "part";
        QTest::newRow("anchor hints off") << false << false << true << "";
        QTest::newRow("plain text, anchor hints on") << true << false << false << "";
        QTest::newRow("item tool tips: the row's plain text")
            << false << true << false << "Урок" + kSep + "Раздел";
        QTest::newRow("the href wins over the item tip") << true << true << true << "part";
    }
    void hints() {
        QFETCH(bool, anchorHint);
        QFETCH(bool, toolTips);
        QFETCH(bool, onAnchor);
        QFETCH(QString, expected);
        TFixture f;
        QTreeWidgetItem* row = AddRow(*f.List, "<B>Урок</B>" + kSep + "<A HREF=\"part\">Раздел</A>");
        QCoreApplication::processEvents();
        f.List->SetAnchorHint(anchorHint);
        f.List->SetToolTips(toolTips);
        const QList<int> xs = f.AnchorXs(row, QStringLiteral("part"));
        QVERIFY(!xs.isEmpty());
        const QPoint at = f.RowPoint(row, onAnchor ? xs.first() + 3 : 30);
        const QPoint global = f.Viewport()->mapToGlobal(at);
        QHelpEvent help(QEvent::ToolTip, at, global);
        QApplication::sendEvent(f.Viewport(), &help);
        if (expected.isEmpty()) {
            QVERIFY(!QToolTip::isVisible());
            return;
        }
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), expected);
        if (onAnchor) {
            // 10 pixels right of the pointer and 10 above it.
            QWidget* tip = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible())
                    tip = w;
            QVERIFY(tip);
            QCOMPARE(tip->pos(), global + QPoint(10, -10));
        }
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void pointerSelects_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("option");
        QTest::addColumn<int>("expected"); // selected row afterwards
        QTest::newRow("right click selects") << "right" << true << 2;
        QTest::newRow("right click leaves the selection") << "right" << false << 0;
        QTest::newRow("hot tracking selects under the pointer") << "move" << true << 2;
        QTest::newRow("without hot tracking a move selects nothing") << "move" << false << 0;
        QTest::newRow("left click") << "left" << false << 2;
        QTest::newRow("left click on the section") << "left section" << false << 2;
    }
    void pointerSelects() {
        QFETCH(QString, action);
        QFETCH(bool, option);
        QFETCH(int, expected);
        TFixture f;
        for (int i = 0; i < 4; ++i)
            AddRow(*f.List, QStringLiteral("Строка %1").arg(i) + kSep + "Теория");
        f.List->SetSelected(f.List->topLevelItem(0));
        f.List->SetRightClickSelect(action == "right" && option);
        f.List->SetHotTrack(action == "move" && option);
        const QPoint at = f.RowPoint(f.List->topLevelItem(2), action.endsWith("section") ? 450 : 200);
        if (action == "move") {
            MoveTo(f.Viewport(), at);
        } else {
            const Qt::MouseButton button = action == "right" ? Qt::RightButton : Qt::LeftButton;
            SendMouse(f.Viewport(), QEvent::MouseButtonPress, at, button, button);
            SendMouse(f.Viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
        }
        QCOMPARE(f.List->indexOfTopLevelItem(f.List->Selected()), expected);
        QCOMPARE(f.List->selectedItems(), QList<QTreeWidgetItem*>{f.List->topLevelItem(expected)});
        QCOMPARE(f.List->currentIndex().column(), 0); // its cell stands for the row to screen readers
    }

    void doubleClick() {
        TFixture f;
        QTreeWidgetItem* row = AddRow(*f.List, "Строка" + kSep + "Теория");
        QStringList log;
        f.List->OnDblClick = [&](QObject* sender) {
            log << QStringLiteral("%1 %2").arg(sender == f.List).arg(f.List->Selected() == row);
        };
        const QPoint at = f.RowPoint(row, 100);
        SendMouse(f.Viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        SendMouse(f.Viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        SendMouse(f.Viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        SendMouse(f.Viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(log, QStringList{"1 1"});
        QVERIFY(f.List->ReadOnly());
        int entered = 0;
        f.List->OnEnter = [&](QObject* sender) { entered += sender == f.List; };
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(f.List, &focusIn);
        QCOMPARE(entered, 1);
        QVERIFY(!f.List->isPersistentEditorOpen(row));
    }

    void plainTextForQt_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("expected");
        const QStringList rows{"<B>Вв</B>едение" + kSep + "Теория", "<I>Задачи</I> урока" + kSep + "Практика",
                               "<FONT COLOR=\"red\">Итоги</FONT>" + kSep + "Теория"};
        QTest::newRow("prefix split by a tag") << rows << "введ" << 0;
        QTest::newRow("italic word") << rows << "Зада" << 1;
        QTest::newRow("after a font tag") << rows << "ит" << 2;
        QTest::newRow("tag letters are not text") << rows << "<B" << -1;
        QTest::newRow("a later cell is not a prefix") << rows << "Практ" << -1;
    }
    void plainTextForQt() {
        QFETCH(QStringList, rows);
        QFETCH(QString, typed);
        QFETCH(int, expected);
        TFixture f;
        for (const QString& text : rows)
            AddRow(*f.List, text);
        f.List->setCurrentItem(nullptr);
        f.List->keyboardSearch(typed);
        QCOMPARE(f.List->currentItem() ? f.List->indexOfTopLevelItem(f.List->currentItem()) : -1, expected);
        // Screen readers get a table with one plain cell per column, for plain items and the
        // list's own, under the headers' captions, and it follows a change of a row's text.
        f.List->addTopLevelItem(new TMarkupListItem(QStringList{"<B>Своя</B> строка" + kSep + "Итоги"}));
        QCoreApplication::processEvents(); // Qt lays the new row out
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(f.List);
        QAccessibleTableInterface* table = access ? access->tableInterface() : nullptr;
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 2);
        const auto cells = [&](int row) {
            QStringList texts;
            for (int column = 0; column < table->columnCount(); ++column)
                texts << (table->cellAt(row, column) ? table->cellAt(row, column)->text(QAccessible::Name)
                                                     : "-");
            return texts;
        };
        QCOMPARE(cells(0), QStringList({StripMarkup(f.List->GetCellText(0, rows.first())), "Теория"}));
        QCOMPARE(cells(rows.size()), QStringList({"Своя строка", "Итоги"}));
        f.List->topLevelItem(0)->setText(0, "<U>Новый</U>" + kSep + "Раздел");
        QCOMPARE(cells(0), QStringList({"Новый", "Раздел"}));
        QCOMPARE(table->columnDescription(1), QStringLiteral("Раздел"));
    }

    void dragReachesTheWindow() {
        QWidget parent;
        parent.resize(600, 364);
        auto* list = new TDragRecordingList(&parent);
        ConfigureLikeFavorTree(*list);
        list->SetAlign(TMarkupTreeList::alClient);
        list->SetBounds(0, 0, 600, 364);
        parent.show();
        for (int i = 0; i < 4; ++i)
            AddRow(*list, QStringLiteral("Строка %1").arg(i) + kSep + "Теория");
        QCoreApplication::processEvents();
        QWidget* viewport = list->viewport();
        QTreeWidgetItem* dragged = list->topLevelItem(1);
        const QPoint from(100, list->visualItemRect(dragged).center().y());
        const QPoint to(100, list->visualItemRect(list->topLevelItem(3)).center().y());

        // Qt's own drag start: press on a row and move past the drag distance.
        SendMouse(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        MoveTo(viewport, from + QPoint(0, 1), Qt::LeftButton);
        MoveTo(viewport, from + QPoint(0, QApplication::startDragDistance() + 4), Qt::LeftButton);
        SendMouse(viewport, QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(list->Started, QStringList{dragged->text(0)});

        // The drop itself, as the platform delivers it: over, then dropped.
        QStringList log;
        bool accept = true;
        list->OnDragOver = [&](QObject* sender, QObject*, int x, int y, bool& accepted) {
            accepted = accept;
            log << QStringLiteral("over %1 %2 %3").arg(x).arg(y).arg(sender == list);
        };
        list->OnDragDrop = [&](QObject* sender, QObject*, int x, int y) {
            log << QStringLiteral("drop %1 %2 %3").arg(x).arg(y).arg(sender == list);
            QCOMPARE(list->GetNodeAt(x, y), list->topLevelItem(3));
        };
        std::unique_ptr<QMimeData> data(list->mimeData(QList<QTreeWidgetItem*>{dragged}));
        QDragEnterEvent enter(to, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(to, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(QPointF(to), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());
        const QString at = QStringLiteral("%1 %2 1").arg(to.x()).arg(to.y());
        QCOMPARE(log, (QStringList{"over " + at, "over " + at, "drop " + at}));
        // Qt moved nothing: the rows are where they were.
        QCOMPARE(list->topLevelItemCount(), 4);
        QCOMPARE(list->topLevelItem(1), dragged);

        // A refused place gets no drop.
        accept = false;
        log.clear();
        QDragMoveEvent refused(to, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &refused);
        QVERIFY(!refused.isAccepted());
        QDropEvent refusedDrop(QPointF(to), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &refusedDrop);
        QCOMPARE(log.filter(QStringLiteral("drop")), QStringList{});
    }

    void markupImagesForgotten() {
        TFixture f;
        AddRow(*f.List, "<IMG SRC=\"IDX:0\"> Картинка" + kSep + "<IMG SRC=\"IDX:0\">");
        f.List->Columns()[0]->SetHeader(QStringLiteral("<IMG SRC=\"IDX:0\"> Элемент"));
        auto images = std::make_unique<TImageList>();
        QPixmap red(16, 16);
        red.fill(Qt::red);
        images->Add(red);
        f.List->SetMarkupImages(images.get());
        QCOMPARE(f.List->MarkupImages(), images.get());
        QVERIFY(CountColour(f.Shot(), QRect(0, 0, f.Viewport()->width(), 16), qRgb(255, 0, 0) & 0xFFFFFF) >
                100);
        images.reset();
        QCOMPARE(f.List->MarkupImages(), nullptr);
        QCOMPARE(CountColour(f.Shot(), QRect(0, 0, f.Viewport()->width(), 16), qRgb(255, 0, 0) & 0xFFFFFF),
                 0);
        f.List->Header()->grab(); // the header's captions draw without it too
    }

    void columnLinesPainted_data() {
        QTest::addColumn<int>("listWidth");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<int>("lineX");
        QTest::newRow("unscrolled") << 600 << 0 << 398;
        QTest::newRow("scrolled by 30") << 380 << 30 << 368;
    }
    void columnLinesPainted() {
        QFETCH(int, listWidth);
        QFETCH(int, scroll);
        QFETCH(int, lineX);
        TFixture f;
        f.List->SetBounds(0, 0, listWidth, 200);
        for (int i = 0; i < 3; ++i)
            AddRow(*f.List, QStringLiteral("Строка %1").arg(i) + kSep + "Теория");
        QCoreApplication::processEvents();
        f.List->horizontalScrollBar()->setValue(scroll);
        QCOMPARE(f.List->horizontalScrollBar()->value(), scroll);
        QCOMPARE(f.List->Header()->offset(), scroll);
        const QImage image = f.Shot();
        const QRgb silver = qRgb(192, 192, 192) & 0xFFFFFF;
        const int height = f.Viewport()->height();
        QCOMPARE(CountColour(image, QRect(lineX, 0, 1, height), silver), height);
        QVERIFY(CountColour(image, QRect(lineX + 5, 0, 1, height), silver) < height);
    }

    // Scrolling sideways repaints the whole header: its last cell reaches the right edge, so the
    // pixels setOffset moves would leave a stale edge line behind.
    void headerRepaintsWholeWhenScrolled() {
        TFixture f;
        f.List->SetBounds(0, 0, 380, 200);
        for (int i = 0; i < 3; ++i)
            AddRow(*f.List, QStringLiteral("Строка %1").arg(i) + kSep + "Теория");
        QVERIFY(QTest::qWaitForWindowExposed(&f.Parent));
        struct TPaintWatch : QObject {
            QRegion Painted;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::Paint)
                    Painted += static_cast<QPaintEvent*>(event)->region();
                return false;
            }
        } watch;
        QWidget* header = f.List->Header()->viewport();
        header->installEventFilter(&watch);
        f.List->horizontalScrollBar()->setValue(30);
        QTRY_VERIFY(!watch.Painted.isEmpty());
        QTest::qWait(50);
        QCOMPARE(watch.Painted.boundingRect(), header->rect());
    }

    // The header's captions keep their descenders and marks at the editor's 18 pixels, at 100 %
    // and 200 %: the device pixel rows that carry ink are those of a header tall enough to clip
    // nothing.
    void headerCaptionWhole_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("scale");
        for (int scale : {1, 2}) {
            QTest::addRow("descender of д, %d00 %%", scale) << "Раздел" << scale;
            QTest::addRow("marks of Й and ё, %d00 %%", scale) << "Йод, ёж" << scale;
            QTest::addRow("bold descender, %d00 %%", scale) << "<B>Группа</B>" << scale;
        }
    }
    void headerCaptionWhole() {
        QFETCH(QString, caption);
        QFETCH(int, scale);
        const auto inkRows = [&](int height) {
            TFixture f;
            f.List->HeaderSettings().SetFont(QFont(QStringLiteral("Tahoma"), 8)); // the program's font
            f.List->Columns()[1]->SetHeader(caption);
            f.List->HeaderSettings().SetHeight(height);
            QCoreApplication::processEvents();
            QWidget* strip = f.HeaderStrip();
            const QRgb face = ToQColor(clBtnFace).rgb() & 0xFFFFFF;
            QImage image(strip->size() * scale, QImage::Format_RGB32);
            image.setDevicePixelRatio(scale);
            image.fill(face);
            strip->render(&image);
            // Inside the section's raised edges.
            const int left = (f.List->Header()->sectionPosition(1) + 1) * scale;
            const int right = (strip->width() - 2) * scale;
            int rows = 0;
            for (int y = scale; y < image.height() - scale; ++y) {
                int ink = 0;
                for (int x = left; x < right; ++x)
                    ink += (image.pixel(x, y) & 0xFFFFFF) != face;
                rows += ink > 0;
            }
            return rows;
        };
        const int whole = inkRows(40);
        QVERIFY(whole > 5 * scale);
        QCOMPARE(inkRows(18), whole);
    }

    // The header overlaps the list by two pixels; the first row still shows whole under it, with
    // the top edge of its focus rectangle.
    void firstRowBelowHeader() {
        TFixture f;
        QTreeWidgetItem* first = AddRow(*f.List, "Первая" + kSep + "Теория");
        AddRow(*f.List, "Вторая" + kSep + "Теория");
        f.List->setCurrentItem(first);
        f.List->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&f.Parent));
        QTRY_VERIFY(f.List->hasFocus());
        const QRect row = f.List->visualItemRect(first);
        const QPoint top = f.Viewport()->mapTo(&f.Parent, row.topLeft());
        QCOMPARE(top.y(), f.List->Header()->geometry().bottom() + 1);
        // The dotted top edge in the selection's text colour, over the window as painted.
        const QImage image = f.Parent.grab().toImage();
        const QRgb dots = ToQColor(clHighlightText).rgb() & 0xFFFFFF;
        QVERIFY(CountColour(image, QRect(top.x() + 30, top.y(), 400, 1), dots) > 100);
    }

    void cellsPainted() {
        TFixture f;
        QTreeWidgetItem* plain =
            AddRow(*f.List, "<B>Первая строка</B>" + kSep + "Раздел с длинным именем справа");
        QTreeWidgetItem* single =
            AddRow(*f.List, "Только <FONT COLOR=\"#A03000\">первый</FONT> <A HREF=\"x\">столбец</A>" + kSep);
        QTreeWidgetItem* chosen = AddRow(*f.List, "Выбранная" + kSep + "Теория");
        f.List->setCurrentItem(chosen);
        f.List->setFocus();
        const QImage image = f.Shot();
        SaveShot(f.Parent, "treelist.png");
        const auto band = [&](QTreeWidgetItem* row) { return f.List->visualItemRect(row); };
        // The second cell runs past its nominal 50 pixels, up to the list's edge.
        const QRect r0 = band(plain);
        QVERIFY(InkIn(image, 460, f.Viewport()->width(), r0.top(), r0.bottom()) > 20);
        // A row without a second cell leaves the second column empty.
        const QRect r1 = band(single);
        QVERIFY(InkIn(image, 19, 390, r1.top(), r1.bottom()) > 20);
        const int right = f.Viewport()->width();
        QCOMPARE(InkIn(image, 400, right, r1.top(), r1.bottom()), 0);
        // The selected row is filled in the selection colour from its first cell to the edge.
        const QRect r2 = band(chosen);
        const QRgb highlight = ToQColor(clHighlight).rgb() & 0xFFFFFF;
        QVERIFY(CountColour(image, QRect(30, r2.top() + 1, 560, r2.height() - 2), highlight) > 560 * 8);
        QCOMPARE(CountColour(image, QRect(0, r2.top() + 1, 18, r2.height() - 2), highlight), 0);
    }
};

QTEST_MAIN(TestMarkupTreeList)
#include "test_markuptreelist.moc"
