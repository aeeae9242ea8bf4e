#pragma once

#include <QStyledItemDelegate>

class TMarkupTreeView;

// Sizes the rows of a TMarkupTreeView: every row is ItemHeight high (the view keeps uniform row
// heights), and as wide as the item's area (TMarkupTreeView::ItemWidth), so the horizontal extent
// of the tree follows the items. Painting is the view's own (drawRow).
class TMarkupTreeDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TMarkupTreeDelegate(TMarkupTreeView* view);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TMarkupTreeView* m_view;
};
