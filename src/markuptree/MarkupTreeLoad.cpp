// Course tree documents: filling a TMarkupTreeView from a tree.xml and emptying it.

#include "markuptree/MarkupTreeNode.h"
#include "markuptree/MarkupTreeView.h"

#include "core/XmlDocument.h"
#include "markup/Markup.h"

#include <vector>

TMarkupTreeNode::TMarkupTreeNode(std::unique_ptr<TContent> content)
    : QTreeWidgetItem(NodeType), m_content(std::move(*content)) {
}

TMarkupTreeNode::TMarkupTreeNode(int id, const QString& text)
    : QTreeWidgetItem(NodeType), m_content{id, text} {
}

QVariant TMarkupTreeNode::data(int column, int role) const {
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        return m_content.text;
    if (column == 0 && role == Qt::AccessibleTextRole)
        return StripMarkup(m_content.text);
    if (column == 0 && role == Qt::AccessibleDescriptionRole) {
        int level = 1;
        for (const QTreeWidgetItem* up = parent(); up; up = up->parent())
            ++level;
        return QStringLiteral("уровень %1").arg(level);
    }
    return QTreeWidgetItem::data(column, role);
}

void TMarkupTreeNode::setData(int column, int role, const QVariant& value) {
    if (column != 0 || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    const QString text = value.toString();
    if (text == m_content.text)
        return;
    m_content.text = text;
    emitDataChanged();
}

TContent* TMarkupTreeView::NodeContent(const QTreeWidgetItem* node) {
    if (!node || node->type() != TMarkupTreeNode::NodeType)
        return nullptr;
    return static_cast<const TMarkupTreeNode*>(node)->Content();
}

QTreeWidgetItem* TMarkupTreeView::NewContentNode(std::unique_ptr<TContent> content) {
    if (!content)
        content = std::make_unique<TContent>();
    return new TMarkupTreeNode(std::move(content));
}

namespace {

// One item element: its id (throws TXmlConversionError when missing or not an integer) and its
// caption (a missing text gives an empty caption).
QTreeWidgetItem* MakeNode(const TXMLNode& xml) {
    const int id = xml.AttributeInt(QStringLiteral("id"));
    return new TMarkupTreeNode(id, xml.AttributeText(QStringLiteral("text")));
}

} // namespace

void TMarkupTreeView::LoadTreeFromXML(TXMLDocument& doc, const QString& fileName) {
    // A document left active by an earlier failed load must not stand in for the file.
    doc.SetActive(false);
    doc.SetFileName(fileName, TXmlFileKind::Tree);
    doc.SetActive(true); // a parse failure leaves the old tree
    LoadTreeFromDocument(doc);
}

void TMarkupTreeView::LoadTreeFromDocument(TXMLDocument& doc) {
    ClearTree();

    // Nodes are built detached from the view and handed over in one insertion at the end (or
    // when an item fails), so that neither a long list of siblings nor a deep outline costs a
    // model update per item. The walk keeps its own stack: an outline as deep as the parser
    // accepts never runs the call stack dry.
    struct TPending {
        TXMLNode next;           // the next sibling to load once the current subtree is done
        QTreeWidgetItem* parent; // its parent node; nullptr at the top level
    };
    std::vector<TPending> stack;
    QList<QTreeWidgetItem*> topLevel;

    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    const auto handOver = [&] {
        addTopLevelItems(topLevel);
        setUpdatesEnabled(updates);
    };
    try {
        TXMLNode xml = doc.DocumentElement().FirstChild();
        QTreeWidgetItem* parent = nullptr;
        for (;;) {
            if (!xml) {
                if (stack.empty())
                    break;
                xml = stack.back().next;
                parent = stack.back().parent;
                stack.pop_back();
                continue;
            }
            QTreeWidgetItem* node = MakeNode(xml);
            if (parent)
                parent->addChild(node);
            else
                topLevel.append(node);
            if (TXMLNode child = xml.FirstChild()) {
                stack.push_back({xml.NextSibling(), parent});
                parent = node;
                xml = child;
            } else {
                xml = xml.NextSibling();
            }
        }
    } catch (...) {
        // The items before the failing one stay; the document stays active until its next use.
        handOver();
        throw;
    }
    handOver();
    doc.SetActive(false);
}

void TMarkupTreeView::ClearTree() {
    // Every node owns its record, so deleting the nodes releases the records.
    m_hintNode = QPersistentModelIndex();
    m_selectionOrder.clear();
    m_anchors.SetCurrent(QString());
    clear();
}
