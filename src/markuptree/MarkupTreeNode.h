#pragma once

#include "markuptree/TreeContent.h"

#include <QTreeWidgetItem>
#include <memory>

// A node of a course tree: it owns its record, so the record goes with the node however the node
// is deleted (ClearTree, QTreeWidget::clear, deleting a subtree).
class TMarkupTreeNode final : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 0x4D54;

    explicit TMarkupTreeNode(std::unique_ptr<TContent> content);
    TMarkupTreeNode(int id, const QString& text);

    TContent* Content() const { return const_cast<TContent*>(&m_content); }
    // The caption is the record's text, kept once: column 0's display and edit roles read and
    // write it. Screen readers get its plain text and the item's level.
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    // Held in the node, and its text not copied into the item's own data: a tree of a hundred
    // thousand items makes two hundred thousand allocations fewer.
    TContent m_content;
};

// Data roles of column 0 besides the caption.
namespace MarkupTreeRole {
constexpr int ImageIndex = Qt::UserRole + 1;
constexpr int StateIndex = Qt::UserRole + 2;
} // namespace MarkupTreeRole
