#include "markuptree/MarkupTreeDelegate.h"

#include "markuptree/MarkupTreeView.h"

TMarkupTreeDelegate::TMarkupTreeDelegate(TMarkupTreeView* view) : QStyledItemDelegate(view), m_view(view) {
}

QSize TMarkupTreeDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const QTreeWidgetItem* node = m_view->itemFromIndex(index);
    if (!node)
        return QSize(0, m_view->m_itemHeight);
    // Measured without a right edge, so that a long caption widens the tree instead of being cut.
    const QSize caption = m_view->MeasureCaption(node->text(0), QRect(0, 0, 1 << 20, m_view->m_itemHeight));
    return QSize(m_view->ItemWidth(node, caption.width()) + 2, m_view->m_itemHeight);
}

void TMarkupTreeDelegate::paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const {
    // The view paints whole rows itself; nothing is left for the delegate.
}
