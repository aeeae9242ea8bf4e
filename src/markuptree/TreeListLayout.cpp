#include "markuptree/TreeListLayout.h"

int TListColumns::ColumnWidth(int i) const {
    return i < Widths.size() - 1 ? Widths.at(i) : ListWidth;
}

namespace {

// Takes the next cell off the front of rest; rest becomes what follows its separator, or empty
// when no separator is left.
QString TakeCell(QString& rest, const QString& separator) {
    const qsizetype at = separator.isEmpty() ? -1 : rest.indexOf(separator);
    if (at < 0) {
        QString cell;
        cell.swap(rest);
        return cell;
    }
    QString cell = rest.left(at);
    rest.remove(0, at + separator.size());
    return cell;
}

} // namespace

QString CellText(int i, const QString& text, const QString& separator) {
    QString rest = text;
    QString cell;
    for (int taken = 0; taken <= i; ++taken) {
        if (taken > 0 && rest.isEmpty())
            return {};
        cell = TakeCell(rest, separator);
    }
    return cell;
}

QList<TListCell> RowCells(const QString& text, const QString& separator, const TListColumns& columns,
                          int cellLeft) {
    QList<TListCell> cells;
    QString rest = text;
    const int lastColumn = int(columns.Widths.size()) - 1;
    int left = cellLeft;
    int i = 0;
    do {
        int right = i == 0 ? columns.Origin() + columns.ColumnWidth(0) : left + columns.ColumnWidth(i);
        if (i == lastColumn)
            right = columns.ListWidth;
        const QString cell = TakeCell(rest, separator);
        if (left < right - columns.CellGap)
            cells.append(TListCell{cell, i, left, right - columns.CellGap});
        left = right;
        ++i;
    } while (!rest.isEmpty());
    return cells;
}

QList<int> ColumnLineXs(const TListColumns& columns) {
    QList<int> xs;
    int sum = 0;
    for (qsizetype k = 0; k + 1 < columns.Widths.size(); ++k) {
        sum += columns.Widths.at(k);
        xs.append(sum + columns.Origin() - 2);
    }
    return xs;
}

TColumnSpan ColumnSpanAt(const TListColumns& columns, int x) {
    const int count = int(columns.Widths.size());
    int sum = 0;
    int i = 0;
    while (!(sum - 2 <= x && x <= sum + columns.ColumnWidth(i) - 2) && i < count) {
        sum += columns.ColumnWidth(i);
        ++i;
    }
    if (i >= count && count > 0) {
        // Past every column: the last one, where the last column starts.
        i = count - 1;
        sum = 0;
        for (int k = 0; k < i; ++k)
            sum += columns.ColumnWidth(k);
    }
    const int right = i < count - 1 ? sum + columns.ColumnWidth(i) : columns.ListWidth + columns.ScrollX;
    return TColumnSpan{qMax(i, 0), sum, right};
}

int HeaderSectionAt(const QList<int>& sectionWidths, int x) {
    int sum = 0;
    int added = 0;
    while (added < sectionWidths.size() && sum < x) {
        sum += sectionWidths.at(added);
        ++added;
    }
    return added - 1;
}

TListBounds ListBounds(const QRect& requested, int headerHeight, bool headerInside) {
    TListBounds b;
    if (headerInside) {
        b.List = QRect(requested.left(), requested.top() + headerHeight - 2, requested.width(),
                       requested.height() - headerHeight + 2);
        b.Header = QRect(requested.left(), requested.top(), requested.width(), headerHeight);
    } else {
        b.List = requested;
        b.Header =
            QRect(requested.left(), requested.top() - headerHeight + 2, requested.width(), headerHeight);
    }
    return b;
}
