#pragma once

#include "collections/FavorRecord.h"

#include <QHash>
#include <memory>
#include <vector>

// The rows of a collection in list order, each owning its record. The editor's list mirrors
// these rows one for one; coursetool, tests and benchmarks use them without a window.
class TFavorRows final {
public:
    int Count() const { return int(m_rows.size()); }
    bool IsEmpty() const { return m_rows.empty(); }
    const TFavor& At(int row) const { return *m_rows[size_t(row)]; }

    // The first row with this identity, walking from the first; -1 when there is none.
    int Find(const TFavorKey& key) const;
    bool Contains(const TFavorKey& key) const { return m_counts.contains(key); }

    // Appends the item unless a row already has its identity (the caption does not matter);
    // true when a row was added.
    bool AddFavor(const TFavor& favor);
    // Appends without looking for duplicates, as loading a file does.
    void Append(const TFavor& favor);
    // Deletes the first row with this identity; its index, or -1 when there was none.
    int DeleteFavor(const TFavorKey& key);

    void Remove(int row);
    void Clear();
    // Moves the record of row `from` so that it ends up at index `to`; the record itself
    // travels, it is not copied.
    void Move(int from, int to);

    std::vector<TFavor> Records() const;

private:
    void Tally(const TFavor& favor, int delta);

    std::vector<std::unique_ptr<TFavor>> m_rows;
    // How many rows carry each identity: keeps the duplicate check of AddFavor from walking
    // every row while the first-match walk still decides which row DeleteFavor takes.
    QHash<TFavorKey, int> m_counts;
};

// Where the editor's move commands put the selected row. -1 when the command does nothing.
int RowAfterUp(int selected, int count);
int RowAfterDown(int selected, int count);

// Where a row dragged from `dragged` lands when dropped at list height y: before the row
// `target` when a row is hit there (-1 when none is), first when no row is hit within the top
// 5 pixels, else last. -1 when nothing moves (no dragged row).
int RowAfterDrop(int dragged, int target, int y, int count);

struct TMoveActionsState {
    bool Up = false;
    bool Down = false;
    friend bool operator==(const TMoveActionsState&, const TMoveActionsState&) = default;
};

// "Вверх" and "Вниз" are enabled only for exactly one selected row with a neighbour on that side.
TMoveActionsState MoveActionsState(int selectedCount, int selectedRow, int count);
