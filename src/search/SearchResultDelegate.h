#pragma once

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>
#include <memory>

class TMarkupPictureCache;
struct TSearchHit;

// Draws one result: the item's caption through the markup engine (as the course tree draws it),
// under it the course and the section, and the snippet with the found words bold on the warm
// highlight, in at most two lines.
class TSearchResultDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TSearchResultDelegate(QObject* parent = nullptr);
    ~TSearchResultDelegate() override;

    // Height of every row.
    int RowHeight() const;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The background of a found word in a snippet: the warm yellow the page's own marks have.
    static QColor HitColour() { return QColor(0xff, 0xe0, 0x8a); }

    // The line under the caption: the course and the section.
    static QString PlaceText(const TSearchHit& hit);

private:
    void PaintCaption(QPainter& painter, const QRect& bounds, const QString& caption, bool selected) const;
    void PaintSnippet(QPainter& painter, const QRect& bounds, const QString& snippet, bool selected,
                      const QFont& font) const;

    QFont m_captionFont;                             // the course tree's Tahoma 13 px
    std::unique_ptr<TMarkupPictureCache> m_pictures; // pictures of captions, kept between paints
};
