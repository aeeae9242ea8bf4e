#include "markuptree/MarkupTreeDelegate.h"

#include "markuptree/MarkupTreeView.h"

namespace {
// Enough for the captions of a large course; a tree grown past it is measured afresh.
constexpr qsizetype kRememberedWidths = 1 << 18;
} // namespace

TMarkupTreeDelegate::TMarkupTreeDelegate(TMarkupTreeView* view) : QStyledItemDelegate(view), m_view(view) {
}

QSize TMarkupTreeDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const QTreeWidgetItem* node = m_view->itemFromIndex(index);
    if (!node)
        return QSize(0, m_view->m_itemHeight);
    if (m_font != m_view->font() || m_height != m_view->m_itemHeight || m_widths.size() > kRememberedWidths) {
        m_widths.clear();
        m_font = m_view->font();
        m_height = m_view->m_itemHeight;
    }
    const QString caption = node->text(0);
    TWidths& known = m_widths[caption];
    // Measured without a right edge, so that a long caption widens the tree instead of being cut.
    if (known.caption < 0)
        known.caption = m_view->MeasureCaption(caption, QRect(0, 0, 1 << 20, m_height)).width();
    int& text = m_view->RoomPastText(node) ? known.textWithRoom : known.text;
    if (text < 0)
        text = m_view->ItemTextAdvance(node);
    return QSize(m_view->ItemWidth(node, known.caption, text) + 2, m_height);
}

void TMarkupTreeDelegate::paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const {
    // The view paints whole rows itself; nothing is left for the delegate.
}
