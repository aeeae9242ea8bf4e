#include "collections/FavorRows.h"

#include <algorithm>

int TFavorRows::Find(const TFavorKey& key) const {
    if (!Contains(key))
        return -1;
    for (int i = 0; i < Count(); ++i)
        if (KeyOf(At(i)) == key)
            return i;
    return -1;
}

bool TFavorRows::AddFavor(const TFavor& favor) {
    if (Contains(KeyOf(favor)))
        return false;
    Append(favor);
    return true;
}

void TFavorRows::Append(const TFavor& favor) {
    m_rows.push_back(std::make_unique<TFavor>(favor));
    Tally(favor, +1);
}

int TFavorRows::DeleteFavor(const TFavorKey& key) {
    const int row = Find(key);
    if (row >= 0)
        Remove(row);
    return row;
}

void TFavorRows::Remove(int row) {
    if (row < 0 || row >= Count())
        return;
    Tally(At(row), -1);
    m_rows.erase(m_rows.begin() + row);
}

void TFavorRows::Clear() {
    m_rows.clear();
    m_counts.clear();
}

void TFavorRows::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return;
    const auto first = m_rows.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
}

std::vector<TFavor> TFavorRows::Records() const {
    std::vector<TFavor> records;
    records.reserve(m_rows.size());
    for (const auto& row : m_rows)
        records.push_back(*row);
    return records;
}

void TFavorRows::Tally(const TFavor& favor, int delta) {
    const TFavorKey key = KeyOf(favor);
    const int n = m_counts.value(key) + delta;
    if (n > 0)
        m_counts.insert(key, n);
    else
        m_counts.remove(key);
}

int RowAfterUp(int selected, int count) {
    return selected > 0 && selected < count ? selected - 1 : -1;
}

int RowAfterDown(int selected, int count) {
    return selected >= 0 && selected + 1 < count ? selected + 1 : -1;
}

int RowAfterDrop(int dragged, int target, int y, int count) {
    if (dragged < 0 || dragged >= count)
        return -1;
    if (target >= 0 && target < count)
        // The new row goes in before the target and the dragged one goes: a row dropped on
        // itself or on the row just after it stays where it was.
        return dragged < target ? target - 1 : target;
    if (y <= 4)
        return 0;
    return count - 1;
}

TMoveActionsState MoveActionsState(int selectedCount, int selectedRow, int count) {
    if (selectedCount != 1 || selectedRow < 0 || selectedRow >= count)
        return {};
    return {selectedRow > 0, selectedRow + 1 < count};
}
