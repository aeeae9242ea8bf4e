#include "search/SearchResults.h"

#include "core/CourseSections.h"
#include "markup/Markup.h"
#include "search/SearchSnippet.h"

#include <algorithm>
#include <iterator>

namespace {
void BestFirst(std::vector<TSearchHit>& hits) {
    std::stable_sort(hits.begin(), hits.end(),
                     [](const TSearchHit& a, const TSearchHit& b) { return a.Relevance > b.Relevance; });
}
} // namespace

void TSearchResultModel::ExtendHits(std::vector<TSearchHit> hits) {
    BestFirst(hits);
    if (hits.size() <= m_hits.size())
        return;
    beginInsertRows({}, int(m_hits.size()), int(hits.size()) - 1);
    m_hits.insert(m_hits.end(), std::make_move_iterator(hits.begin() + std::ptrdiff_t(m_hits.size())),
                  std::make_move_iterator(hits.end()));
    endInsertRows();
}

void TSearchResultModel::SetHits(std::vector<TSearchHit> hits) {
    BestFirst(hits);
    beginResetModel();
    m_hits = std::move(hits);
    endResetModel();
}

const TSearchHit* TSearchResultModel::Hit(int row) const {
    return row >= 0 && row < int(m_hits.size()) ? &m_hits[size_t(row)] : nullptr;
}

int TSearchResultModel::RowOf(int course, int section, int id) const {
    for (size_t i = 0; i < m_hits.size(); ++i)
        if (m_hits[i].Course == course && m_hits[i].Section == section && m_hits[i].ID == id)
            return int(i);
    return -1;
}

int TSearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_hits.size());
}

QVariant TSearchResultModel::data(const QModelIndex& index, int role) const {
    const TSearchHit* hit = index.isValid() ? Hit(index.row()) : nullptr;
    if (!hit)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return StripMarkup(hit->Caption).simplified();
    case Qt::ToolTipRole: {
        const QString section = SectionCaption(hit->Section);
        return section.isEmpty() ? hit->CourseName : hit->CourseName + QStringLiteral(" — ") + section;
    }
    case Qt::AccessibleDescriptionRole:
        return SnippetText(hit->Snippet);
    default:
        return {};
    }
}
