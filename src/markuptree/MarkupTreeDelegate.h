#pragma once

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

class TMarkupTreeView;

// Sizes the rows of a TMarkupTreeView: every row is ItemHeight high (the view keeps uniform row
// heights), and as wide as the item's area (TMarkupTreeView::ItemWidth), so the horizontal extent
// of the tree follows the items. Painting is the view's own (drawRow).
//
// The tree's one column is as wide as the widest of up to a thousand rows around those in view,
// asked again after every change of the rows shown (a filter keystroke, a branch opened), and
// measuring a caption means shaping its text: the text widths are remembered by caption.
class TMarkupTreeDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TMarkupTreeDelegate(TMarkupTreeView* view);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // The captions' look changed (pictures, the tree replaced): measure them anew.
    void ForgetWidths() { m_widths.clear(); }

private:
    struct TWidths {
        int caption = -1;      // the caption as drawn
        int text = -1;         // its plain text
        int textWithRoom = -1; // its plain text with the room past it
    };

    TMarkupTreeView* m_view;
    mutable QHash<QString, TWidths> m_widths; // by caption, for m_font and m_height
    mutable QFont m_font;
    mutable int m_height = -1;
};
