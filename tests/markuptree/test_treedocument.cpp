// Course tree documents: what LoadTreeFromXML leaves in the tree for well-formed, broken and
// hostile tree.xml files, and what ClearTree leaves behind.

#include "core/XmlDocument.h"
#include "markuptree/MarkupTreeView.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Data(const char* name) {
    return QStringLiteral(CP_TEST_DATA "/tree/") + QLatin1String(name);
}

// The tree as "id(children),id,...", captions left out; ids come from the nodes' records.
QString Outline(const TMarkupTreeView& tree) {
    QString out;
    const auto walk = [&](auto& self, QTreeWidgetItem* node) -> void {
        const TContent* content = TMarkupTreeView::NodeContent(node);
        out += content ? QString::number(content->id) : QStringLiteral("?");
        if (node->childCount() > 0) {
            out += u'(';
            for (int i = 0; i < node->childCount(); ++i) {
                if (i > 0)
                    out += u',';
                self(self, node->child(i));
            }
            out += u')';
        }
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        if (i > 0)
            out += u',';
        walk(walk, tree.topLevelItem(i));
    }
    return out;
}

enum TFailure { None, Conversion, Parse };

QByteArray Nested(int depth) {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<tree>";
    for (int i = 0; i < depth; ++i)
        xml += "<item id=\"" + QByteArray::number(i + 1) + "\">";
    for (int i = 0; i < depth; ++i)
        xml += "</item>";
    return xml + "</tree>\n";
}

QString WriteTemp(QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("tree.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace

Q_DECLARE_METATYPE(TFailure)

class TestTreeDocument final : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void captionsAndRecords();
    void failedParseKeepsOldTree_data();
    void failedParseKeepsOldTree();
    void documentStateAfterLoad();
    void secondLoadReplacesFirst();
    void deepOutline_data();
    void deepOutline();
    void manySiblings();
    void clearTree();
    void foreignNodesHaveNoRecord();
};

void TestTreeDocument::load_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("outline");
    QTest::addColumn<TFailure>("failure");
    QTest::newRow("nested, leading zeros, no text") << Data("nested.xml") << "1(11(111,112),12),7,3" << None;
    QTest::newRow("bad id deep inside keeps ancestors") << Data("bad-id.xml") << "1(2)" << Conversion;
    QTest::newRow("missing id stops there") << Data("missing-id.xml") << "1" << Conversion;
    QTest::newRow("32-bit limits, then overflow")
        << Data("huge-id.xml") << "2147483647,-2147483648" << Conversion;
    QTest::newRow("comments and instructions are not items") << Data("comments.xml") << "1,2" << None;
    QTest::newRow("text between items is an item without id")
        << Data("text-between.xml") << "1" << Conversion;
    QTest::newRow("windows-1251") << Data("cp1251.xml") << "5" << None;
    QTest::newRow("root without items") << Data("noitems.xml") << "" << None;
    QTest::newRow("empty file") << Data("empty.xml") << "" << Parse;
    QTest::newRow("not xml") << Data("notxml.xml") << "" << Parse;
    QTest::newRow("truncated") << Data("truncated.xml") << "" << Parse;
    QTest::newRow("missing file") << Data("no-such-file.xml") << "" << Parse;
}

void TestTreeDocument::load() {
    QFETCH(QString, file);
    QFETCH(QString, outline);
    QFETCH(TFailure, failure);
    TMarkupTreeView tree;
    TXMLDocument doc;
    TFailure raised = None;
    try {
        tree.LoadTreeFromXML(doc, file);
    } catch (const TXmlConversionError& e) {
        raised = Conversion;
        QVERIFY(!e.Message().isEmpty());
    } catch (const TXmlError& e) {
        raised = Parse;
        QVERIFY(!e.Message().isEmpty());
    }
    QCOMPARE(raised, failure);
    QCOMPARE(Outline(tree), outline);
}

void TestTreeDocument::captionsAndRecords() {
    TMarkupTreeView tree;
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("nested.xml"));
    QTreeWidgetItem* first = tree.topLevelItem(0);
    // The caption keeps its markup; the record holds the same text.
    QCOMPARE(first->text(0), QStringLiteral("<B>Глава 1</B> Введение"));
    QCOMPARE(TMarkupTreeView::NodeContent(first)->text, first->text(0));
    QCOMPARE(TMarkupTreeView::NodeContent(first->child(1))->text,
             QStringLiteral("Раздел 1.2 <A HREF=\"x\">ссылка</A>"));
    QTreeWidgetItem* noText = tree.topLevelItem(2);
    QCOMPARE(noText->text(0), QString());
    QCOMPARE(TMarkupTreeView::NodeContent(noText)->id, 3);
    // The loader never sets image indexes: every course item is a plain item.
    QCOMPARE(TMarkupTreeView::ImageIndex(first), 0);

    // A caption set later is the record's text too, and the view hears of it; other columns and
    // roles keep their own values.
    QSignalSpy changed(tree.model(), &QAbstractItemModel::dataChanged);
    first->setText(0, QStringLiteral("<I>Новое</I>"));
    QCOMPARE(TMarkupTreeView::NodeContent(first)->text, QStringLiteral("<I>Новое</I>"));
    QCOMPARE(tree.model()->data(tree.model()->index(0, 0)).toString(), QStringLiteral("<I>Новое</I>"));
    QCOMPARE(changed.size(), 1);
    first->setText(0, QStringLiteral("<I>Новое</I>"));
    QCOMPARE(changed.size(), 1); // unchanged: no repaint asked
    first->setText(1, QStringLiteral("второй столбец"));
    TMarkupTreeView::SetImageIndex(first, 4);
    QCOMPARE(first->text(1), QStringLiteral("второй столбец"));
    QCOMPARE(TMarkupTreeView::ImageIndex(first), 4);
    QCOMPARE(first->text(0), QStringLiteral("<I>Новое</I>"));
}

void TestTreeDocument::failedParseKeepsOldTree_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << Data("no-such-file.xml");
    QTest::newRow("empty") << Data("empty.xml");
    QTest::newRow("not xml") << Data("notxml.xml");
    QTest::newRow("truncated") << Data("truncated.xml");
}

void TestTreeDocument::failedParseKeepsOldTree() {
    QFETCH(QString, file);
    TMarkupTreeView tree;
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("nested.xml"));
    tree.setCurrentItem(tree.topLevelItem(1));
    QTreeWidgetItem* current = tree.currentItem();
    QVERIFY_THROWS_EXCEPTION(TXmlError, tree.LoadTreeFromXML(doc, file));
    QCOMPARE(Outline(tree), QStringLiteral("1(11(111,112),12),7,3"));
    QCOMPARE(tree.currentItem(), current);
}

void TestTreeDocument::documentStateAfterLoad() {
    TMarkupTreeView tree;
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("nested.xml"));
    QVERIFY(!doc.Active()); // a completed load leaves the scratch document inactive
    QVERIFY_THROWS_EXCEPTION(TXmlConversionError, tree.LoadTreeFromXML(doc, Data("bad-id.xml")));
    QVERIFY(doc.Active()); // a failed item leaves it as it was, until its next use
    // Loading the same file again reads it again rather than trusting the active document.
    QVERIFY_THROWS_EXCEPTION(TXmlConversionError, tree.LoadTreeFromXML(doc, Data("bad-id.xml")));
    QCOMPARE(Outline(tree), QStringLiteral("1(2)"));
    tree.LoadTreeFromXML(doc, Data("comments.xml"));
    QCOMPARE(Outline(tree), QStringLiteral("1,2"));
    QVERIFY(!doc.Active());
}

void TestTreeDocument::secondLoadReplacesFirst() {
    TMarkupTreeView tree;
    tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("nested.xml"));
    tree.topLevelItem(0)->setSelected(true);
    tree.setCurrentItem(tree.topLevelItem(1), 0, QItemSelectionModel::Select);
    QCOMPARE(tree.SelectedNodes().size(), 2);
    tree.LoadTreeFromXML(doc, Data("cp1251.xml"));
    QCOMPARE(Outline(tree), QStringLiteral("5"));
    QCOMPARE(TMarkupTreeView::NodeContent(tree.topLevelItem(0))->text, QStringLiteral("Пример"));
    QVERIFY(tree.SelectedNodes().isEmpty());
}

void TestTreeDocument::deepOutline_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("loads");
    QTest::newRow("200 levels") << 200 << true;
    QTest::newRow("1000 levels") << 1000 << true;
    // Deeper than the parser accepts: a parse error, not a crash.
    QTest::newRow("100000 levels") << 100000 << false;
}

void TestTreeDocument::deepOutline() {
    QFETCH(int, depth);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString path = WriteTemp(dir, Nested(depth));
    QVERIFY(!path.isEmpty());
    TMarkupTreeView tree;
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("cp1251.xml"));
    if (loads) {
        tree.LoadTreeFromXML(doc, path);
        int levels = 0;
        QTreeWidgetItem* node = tree.topLevelItem(0);
        for (; node; node = node->childCount() ? node->child(0) : nullptr) {
            ++levels;
            QCOMPARE(TMarkupTreeView::NodeContent(node)->id, levels);
        }
        QCOMPARE(levels, depth);
    } else {
        QVERIFY_THROWS_EXCEPTION(TXmlError, tree.LoadTreeFromXML(doc, path));
        QCOMPARE(Outline(tree), QStringLiteral("5"));
    }
}

void TestTreeDocument::manySiblings() {
    constexpr int count = 100000;
    QByteArray xml = "<?xml version=\"1.0\"?>\n<tree>\n";
    for (int i = 0; i < count; ++i)
        xml += "<item id=\"" + QByteArray::number(i) + "\" text=\"&lt;B&gt;" + QByteArray::number(i) +
               "&lt;/B&gt;\"/>\n";
    xml += "</tree>\n";
    QTemporaryDir dir;
    const QString path = WriteTemp(dir, xml);
    TMarkupTreeView tree;
    tree.resize(300, 400);
    tree.show();
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, path);
    QCOMPARE(tree.topLevelItemCount(), count);
    QCOMPARE(TMarkupTreeView::NodeContent(tree.topLevelItem(count - 1))->id, count - 1);
    QCOMPARE(tree.topLevelItem(count / 2)->text(0), QStringLiteral("<B>%1</B>").arg(count / 2));
    tree.ClearTree();
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestTreeDocument::clearTree() {
    TMarkupTreeView tree;
    TXMLDocument doc;
    tree.LoadTreeFromXML(doc, Data("nested.xml"));
    tree.setCurrentItem(tree.topLevelItem(0));
    tree.ClearTree();
    QCOMPARE(tree.topLevelItemCount(), 0);
    QCOMPARE(tree.currentItem(), nullptr);
    QVERIFY(tree.SelectedNodes().isEmpty());
    tree.ClearTree(); // twice is harmless
    tree.LoadTreeFromXML(doc, Data("noitems.xml"));
    QCOMPARE(tree.topLevelItemCount(), 0);
}

void TestTreeDocument::foreignNodesHaveNoRecord() {
    TMarkupTreeView tree;
    auto* plain = new QTreeWidgetItem(QStringList{QStringLiteral("чужой")});
    tree.addTopLevelItem(plain);
    QCOMPARE(TMarkupTreeView::NodeContent(plain), nullptr);
    QCOMPARE(TMarkupTreeView::NodeContent(nullptr), nullptr);
    QTreeWidgetItem* own = TMarkupTreeView::NewContentNode(nullptr);
    QVERIFY(TMarkupTreeView::NodeContent(own));
    QCOMPARE(TMarkupTreeView::NodeContent(own)->id, 0);
    delete own;
}

QTEST_MAIN(TestTreeDocument)
#include "test_treedocument.moc"
