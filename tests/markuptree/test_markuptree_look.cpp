// What the markup tree view paints: glyphs in every look, the selection box and its colours with
// and without the focus, captions centred in their rows. With CP_SCREENSHOT_DIR set, the test
// window is also saved there as PNG files to look at.

#include "markuptree/GlyphStyles.h"
#include "markuptree/MarkupHintWindow.h"
#include "tests/markuptree/test_markuptree_support.h"
#include "tests/support/Screenshot.h"

#include "core/XmlDocument.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

namespace {

QImage GlyphImage(TMarkupTreeView& tree, bool radio, bool checked) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(QColor(0x12, 0x34, 0x56));
    QPainter p(&image);
    if (radio)
        tree.DrawRadio(p, QRect(0, 0, 14, 14), checked);
    else
        tree.DrawCheck(p, QRect(0, 0, 14, 14), checked);
    return image;
}

int ChangedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) != QColor(0x12, 0x34, 0x56);
    return n;
}

} // namespace

class TestMarkupTreeLook final : public QObject {
    Q_OBJECT
private slots:
    void glyphs_data();
    void glyphs();
    void bevelGlyphGeometry();
    void userGlyphs();
    void selectionBox_data();
    void selectionBox();
    void anchorColour_data();
    void anchorColour();
    void captionCentredInRow_data();
    void captionCentredInRow();
    void leftTreeWindow();
};

void TestMarkupTreeLook::glyphs_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("radio");
    // Every look but the user glyph one draws something, on and off differently.
    for (int s = csClassic; s <= csTheme; ++s) {
        if (s == csGlyph)
            continue;
        QTest::addRow("check-%d", s) << s << false;
        QTest::addRow("radio-%d", s) << s << true;
    }
}

void TestMarkupTreeLook::glyphs() {
    QFETCH(int, style);
    QFETCH(bool, radio);
    TMarkupTreeView tree;
    tree.SetControlStyle(TControlStyle(style));
    const QImage on = GlyphImage(tree, radio, true);
    const QImage off = GlyphImage(tree, radio, false);
    QVERIFY(ChangedPixels(off) > 20);
    QVERIFY(ChangedPixels(on) > 20);
    QVERIFY(on != off);
    // Nothing outside the 16-pixel slot.
    QImage wide(40, 30, QImage::Format_ARGB32);
    wide.fill(QColor(0x12, 0x34, 0x56));
    {
        QPainter p(&wide);
        radio ? tree.DrawRadio(p, QRect(10, 5, 14, 14), true) : tree.DrawCheck(p, QRect(10, 5, 14, 14), true);
    }
    for (int y = 0; y < wide.height(); ++y)
        for (int x = 0; x < wide.width(); ++x)
            if (x < 10 || x >= 26 || y < 5 || y >= 21)
                QCOMPARE(wide.pixelColor(x, y), QColor(0x12, 0x34, 0x56));
}

void TestMarkupTreeLook::bevelGlyphGeometry() {
    TMarkupTreeView tree;
    tree.SetControlStyle(csBevel);
    tree.SetControlColor(0x00FF00); // green in 0x00BBGGRR
    const QImage on = GlyphImage(tree, false, true);
    const QImage off = GlyphImage(tree, false, false);
    // The tick's two strokes start at columns 2 and 3, from the middle to 2 pixels above the bottom.
    QCOMPARE(on.pixelColor(2, 8), QColor(0, 255, 0));
    QCOMPARE(on.pixelColor(3, 10), QColor(0, 255, 0));
    QCOMPARE(off.pixelColor(2, 8), ToQColor(clBtnFace));
    // The diagonal reaches up towards the top right corner.
    QCOMPARE(on.pixelColor(11, 2), QColor(0, 255, 0));

    const QImage radioOn = GlyphImage(tree, true, true);
    const QImage radioOff = GlyphImage(tree, true, false);
    QCOMPARE(radioOn.pixelColor(8, 8), QColor(255, 0, 0)); // red inner diamond
    QCOMPARE(radioOff.pixelColor(8, 8), ToQColor(clBtnFace));
    QCOMPARE(radioOff.pixelColor(2, 8), QColor(Qt::white)); // left edges white when off
    QCOMPARE(radioOn.pixelColor(2, 8), QColor(0x80, 0x80, 0x80));
    QCOMPARE(radioOff.pixelColor(0, 0), QColor(0x12, 0x34, 0x56)); // a diamond, not a square
}

void TestMarkupTreeLook::userGlyphs() {
    TMarkupTreeView tree;
    tree.SetControlStyle(csGlyph);
    QCOMPARE(ChangedPixels(GlyphImage(tree, false, true)), 0); // empty glyphs draw nothing
    QPixmap red(16, 16);
    red.fill(Qt::red);
    tree.SetGlyphChecked(red);
    red.fill(Qt::green); // the control keeps its own copy
    QCOMPARE(GlyphImage(tree, false, true).pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(GlyphImage(tree, true, true).pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(ChangedPixels(GlyphImage(tree, false, false)), 0);
}

void TestMarkupTreeLook::selectionBox_data() {
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("imageIndex");
    QTest::newRow("focused") << true << 0;
    QTest::newRow("not focused") << false << 0;
    QTest::newRow("focused, check item") << true << 2;
    QTest::newRow("not focused, plain with a slot") << false << 7;
}

void TestMarkupTreeLook::selectionBox() {
    QFETCH(bool, focused);
    QFETCH(int, imageIndex);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tree = new TMarkupTreeView;
    auto* other = new QLineEdit;
    layout->addWidget(tree);
    layout->addWidget(other);
    ConfigureLikeLeftTree(*tree);
    tree->SetSelectionColor(0x00FF0000);     // blue
    tree->SetSelectionNFColor(0x0000FF00);   // green
    tree->SetSelectionFontColor(0x00FFFFFF); // white
    tree->SetSelectionNFFontColor(0x000000); // black
    AddNode(*tree, nullptr, 1, QStringLiteral("Первый"));
    QTreeWidgetItem* node = AddNode(*tree, nullptr, 2, QStringLiteral("<B>Второй</B> пункт"), imageIndex);
    AddNode(*tree, nullptr, 3, QStringLiteral("Третий пункт, длиннее второго"));
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    tree->setCurrentItem(node);
    (focused ? static_cast<QWidget*>(tree) : other)->setFocus();
    QTRY_COMPARE(tree->hasFocus(), focused);

    const QImage shot = tree->viewport()->grab().toImage();
    const QRect row = tree->visualItemRect(node);
    QCOMPARE(row.height(), 18);
    const QColor box = focused ? QColor(0, 0, 255) : QColor(0, 255, 0);
    const QColor background = ToQColor(0x00E4FEFF);
    // The box starts at the caption and ends well before the row does.
    const int y = row.center().y();
    int first = -1, last = -1;
    for (int yy = row.top(); yy <= row.bottom(); ++yy)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixelColor(x, yy) == box) {
                if (first < 0 || x < first)
                    first = x;
                last = qMax(last, x);
            }
    QVERIFY(first >= 0);
    QCOMPARE(first, tree->visualItemRect(node).left() + 0); // caption left: level 0, root decorated
    const int glyphSlot = imageIndex > 0 ? 16 : 0;
    QVERIFY2(last - first + 1 > glyphSlot + 40, "the box holds the caption");
    QVERIFY2(last < shot.width() / 2, "the box is not the whole row");
    QCOMPARE(shot.pixelColor(last + 3, y), background);
    // The caption inside the box is drawn in the selection font colour.
    const QColor font = focused ? QColor(255, 255, 255) : QColor(0, 0, 0);
    bool fontSeen = false;
    for (int x = first + glyphSlot + 2; x <= last && !fontSeen; ++x)
        for (int yy = row.top(); yy <= row.bottom() && !fontSeen; ++yy)
            fontSeen = shot.pixelColor(x, yy) == font;
    QVERIFY(fontSeen);
    // Rows that are not selected show no box.
    const QRect firstRow = tree->visualItemRect(tree->topLevelItem(0));
    for (int x = 0; x < shot.width(); ++x)
        QVERIFY(shot.pixelColor(x, firstRow.top() + 1) != box);
}

void TestMarkupTreeLook::anchorColour_data() {
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("not selected: URLColor") << false << true << QColor(0, 255, 0);
    QTest::newRow("selected, focused: selection font colour") << true << true << QColor(255, 255, 255);
    QTest::newRow("selected, not focused") << true << false << QColor(255, 0, 0);
}

void TestMarkupTreeLook::anchorColour() {
    QFETCH(bool, selected);
    QFETCH(bool, focused);
    QFETCH(QColor, colour);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tree = new TMarkupTreeView;
    auto* other = new QLineEdit;
    layout->addWidget(tree);
    layout->addWidget(other);
    ConfigureLikeLeftTree(*tree);
    tree->SetURLColor(0x0000FF00);
    tree->SetSelectionFontColor(0x00FFFFFF);
    tree->SetSelectionNFFontColor(0x000000FF);
    AddNode(*tree, nullptr, 1, QStringLiteral("Первый"));
    QTreeWidgetItem* node = AddNode(*tree, nullptr, 2, QStringLiteral("См. <A HREF=\"x\">ссылку</A> здесь"));
    window.resize(400, 200);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    tree->setCurrentItem(selected ? node : tree->topLevelItem(0));
    (focused ? static_cast<QWidget*>(tree) : other)->setFocus();
    QTRY_COMPARE(tree->hasFocus(), focused);
    const QImage shot = tree->viewport()->grab().toImage();
    const QRect row = tree->visualItemRect(node);
    // The anchor is underlined in its colour: a run of at least 20 pixels of it on one line.
    int longest = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = shot.pixelColor(x, y) == colour ? run + 1 : 0;
            longest = qMax(longest, run);
        }
    }
    QVERIFY2(longest >= 20, qPrintable(QStringLiteral("longest run %1").arg(longest)));
}

void TestMarkupTreeLook::captionCentredInRow_data() {
    QTest::addColumn<int>("lowRow");
    QTest::addColumn<int>("highRow");
    QTest::newRow("16 -> 24") << 16 << 24;
    QTest::newRow("18 -> 30") << 18 << 30;
}

void TestMarkupTreeLook::captionCentredInRow() {
    QFETCH(int, lowRow);
    QFETCH(int, highRow);
    // The same caption in a higher row moves down by half the difference: it stays centred.
    const auto inkTop = [](int itemHeight) {
        TMarkupTreeView tree;
        ConfigureLikeLeftTree(tree);
        tree.SetItemHeight(itemHeight);
        tree.SetColor(0x00FFFFFF);
        QTreeWidgetItem* node = AddNode(tree, nullptr, 1, QStringLiteral("ЖЖЖ <B>ЖЖЖ</B>"));
        tree.resize(300, 200);
        tree.show();
        const QImage shot = tree.viewport()->grab().toImage();
        const QRect row = tree.visualItemRect(node);
        for (int y = row.top(); y <= row.bottom(); ++y)
            for (int x = row.left(); x < row.left() + 100; ++x)
                if (qGray(shot.pixel(x, y)) < 128)
                    return y - row.top();
        return -1;
    };
    const int low = inkTop(lowRow);
    const int high = inkTop(highRow);
    QVERIFY(low >= 0 && high >= 0);
    QCOMPARE(high - low, (highRow - lowRow) / 2);
}

void TestMarkupTreeLook::leftTreeWindow() {
    // The viewer's tree filled from a course tree document, beside a test window of every glyph
    // look; the checks above hold the details, this one that the whole comes together.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tree = new TMarkupTreeView;
    layout->addWidget(tree);
    ConfigureLikeLeftTree(*tree);
    TXMLDocument doc;
    QString file = QStringLiteral(CP_SOURCE_DIR "/content/101/5/tree.xml");
    if (!QFile::exists(file))
        file = QStringLiteral(CP_TEST_DATA "/tree/nested.xml");
    tree->LoadTreeFromXML(doc, file);
    QVERIFY(tree->topLevelItemCount() > 0);
    tree->expandAll();
    QTreeWidgetItem* longNode =
        AddNode(*tree, nullptr, 99,
                QStringLiteral("<B>Очень длинный заголовок</B>, который не помещается в ширину дерева и "
                               "потому показывается во всплывающей подсказке целиком"));
    window.resize(370, 330);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    SaveShot(window, "lefttree-focused.png");
    QVERIFY(tree->horizontalScrollBar()->maximum() > 0); // the long caption widens the tree

    // The hint for the long caption.
    const QRect row = tree->visualItemRect(longNode);
    const QPoint at(tree->visualItemRect(longNode).left() + 30, row.center().y());
    QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &help);
    const TMarkupHintWindow* hint = tree->CaptionHint();
    QVERIFY(hint);
    QTRY_VERIFY(hint->isVisible());
    QVERIFY(hint->Text().startsWith(QStringLiteral("Очень длинный заголовок, который")));
    if (!qEnvironmentVariableIsEmpty("CP_SCREENSHOT_DIR")) {
        // The hint is a window of its own: put it over the shot where it stands on the screen.
        QImage composed = window.grab().toImage();
        QPainter p(&composed);
        p.drawPixmap(window.mapFromGlobal(hint->pos()), const_cast<TMarkupHintWindow*>(hint)->grab());
        p.end();
        composed.save(qEnvironmentVariable("CP_SCREENSHOT_DIR") + QStringLiteral("/lefttree-hint.png"));
    }
    tree->setFocus(); // anything the hint hides on
    QTest::keyClick(tree, Qt::Key_Shift);
    QVERIFY(!hint->isVisible());

    // Selection without focus.
    auto* other = new QLineEdit;
    layout->addWidget(other);
    other->setFocus();
    QTRY_VERIFY(!tree->hasFocus());
    SaveShot(window, "lefttree-unfocused.png");

    // Captions as a reader meets them: two lines with Й and Ё under descenders, bold words,
    // Greek letters from a fallback font, list bullets of two levels.
    QWidget captionWindow;
    auto* captionLayout = new QVBoxLayout(&captionWindow);
    auto* captions = new TMarkupTreeView;
    captionLayout->addWidget(captions);
    ConfigureLikeLeftTree(*captions);
    captions->SetItemHeight(36);
    QTreeWidgetItem* top = AddNode(*captions, nullptr, 1,
                                   QStringLiteral("<B>Глава 4.</B> Йод и другие<BR>Ёмкость, объём, уровень"));
    AddNode(*captions, top, 2, QStringLiteral("Угол α и угол β: <B>burn, turn, return</B>"));
    AddNode(*captions, top, 3,
            QStringLiteral("<UL><LI>Первый уровень<UL><LI>Второй уровень, угол α</LI></UL></LI></UL>"));
    AddNode(*captions, top, 4, QStringLiteral("Дружба<BR>Йогурт и Ёжик"));
    captions->expandAll();
    captionWindow.resize(380, 220);
    captionWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&captionWindow));
    const QImage captionShot = captions->viewport()->grab().toImage();
    for (QTreeWidgetItem* node : {top, top->child(0), top->child(1), top->child(2)}) {
        const QRect row = captions->visualItemRect(node);
        bool ink = false;
        for (int y = row.top(); y <= row.bottom() && !ink; ++y)
            for (int x = row.left(); x < captionShot.width() && !ink; ++x)
                ink = qGray(captionShot.pixel(x, y)) < 100;
        QVERIFY2(ink, qPrintable(node->text(0)));
    }
    SaveShot(captionWindow, "captions.png");

    // The seven glyph looks, check and radio, off and on, one row per look.
    QWidget glyphWindow;
    auto* glyphLayout = new QVBoxLayout(&glyphWindow);
    auto* glyphs = new TMarkupTreeView;
    glyphLayout->addWidget(glyphs);
    ConfigureLikeLeftTree(*glyphs);
    const char* names[] = {"csClassic", "csFlat", "csWinXP", "csBevel", "csBitmap", "csGlyph", "csTheme"};
    QPixmap on(16, 16), off(16, 16);
    on.fill(Qt::transparent);
    off.fill(Qt::transparent);
    {
        QPainter p(&on);
        p.setBrush(QColor(0x30, 0x90, 0x30));
        p.drawEllipse(2, 2, 11, 11);
        QPainter q(&off);
        q.setBrush(Qt::white);
        q.drawEllipse(2, 2, 11, 11);
    }
    glyphs->SetGlyphChecked(on);
    glyphs->SetGlyphUnChecked(off);
    glyphWindow.resize(560, 330);
    glyphWindow.show();
    QImage sheet(560, 7 * 24 + 8, QImage::Format_ARGB32);
    sheet.fill(ToQColor(0x00E4FEFF));
    {
        QPainter p(&sheet);
        p.setFont(glyphs->font());
        for (int s = 0; s < 7; ++s) {
            glyphs->SetControlStyle(TControlStyle(s));
            const int y = 6 + s * 24;
            p.setPen(Qt::black);
            p.drawText(QRect(6, y, 90, 16), Qt::AlignVCenter, QLatin1String(names[s]));
            for (int k = 0; k < 4; ++k) {
                const QRect box(110 + k * 40, y + 1, 14, 14);
                k < 2 ? glyphs->DrawCheck(p, box, k == 1) : glyphs->DrawRadio(p, box, k == 3);
            }
        }
    }
    if (!qEnvironmentVariableIsEmpty("CP_SCREENSHOT_DIR"))
        sheet.save(qEnvironmentVariable("CP_SCREENSHOT_DIR") + QStringLiteral("/glyph-styles.png"));

    // The same looks inside a tree: check and radio items under a parent.
    glyphs->SetControlStyle(csWinXP);
    QTreeWidgetItem* group = AddNode(*glyphs, nullptr, 1, QStringLiteral("<B>Параметры</B>"));
    AddNode(*glyphs, group, 2, QStringLiteral("Флажок выключен"), 1);
    AddNode(*glyphs, group, 3, QStringLiteral("Флажок <I>включён</I>"), 2);
    AddNode(*glyphs, group, 4, QStringLiteral("Переключатель"), 3);
    AddNode(*glyphs, group, 5, QStringLiteral("Выбранный <A HREF=\"x\">переключатель</A>"), 4);
    glyphs->expandAll();
    glyphs->setCurrentItem(group->child(1));
    SaveShot(glyphWindow, "glyph-tree.png");
}

QTEST_MAIN(TestMarkupTreeLook)
#include "test_markuptree_look.moc"
