#pragma once

#include "search/SearchIndex.h"

#include <QAbstractListModel>
#include <vector>

// The results of one search, best first: one row per found item. The display text is the
// item's caption without markup; the delegate draws the row from the hit itself.
class TSearchResultModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces the rows; hits are ordered by relevance, best first (equal ones keep their order).
    void SetHits(std::vector<TSearchHit> hits);
    // A longer answer to the same search, ordered the same way: the rows beyond those shown are
    // appended, the shown ones stay (with the row the user stands on).
    void ExtendHits(std::vector<TSearchHit> hits);
    const std::vector<TSearchHit>& Hits() const { return m_hits; }
    // The hit of a row; nullptr outside the rows.
    const TSearchHit* Hit(int row) const;
    // The row of the item (course, section, id); -1 when it is not among the rows.
    int RowOf(int course, int section, int id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<TSearchHit> m_hits;
};
