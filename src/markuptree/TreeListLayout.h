#pragma once

#include <QList>
#include <QRect>
#include <QString>

// Geometry of the markup tree list, kept apart from the widget so that it can be checked alone.
// Positions are in the list's client coordinates unless a comment says otherwise.

// One cell of a row: its markup text and the horizontal span it is drawn in (right exclusive,
// the cell gap already taken off).
struct TListCell {
    QString Text;
    int Column = 0;
    int Left = 0;
    int Right = 0;
    bool operator==(const TListCell&) const = default;
};

// The columns as the list sees them while painting or hit-testing one row.
struct TListColumns {
    QList<int> Widths; // nominal width of every column, left to right
    int ListWidth = 0; // client width of the list
    int ScrollX = 0;   // horizontal scroll position
    int CellGap = 2;   // pixels left free at the right end of each cell

    // Width of column i: its own for all but the last column; the last column, and any cell
    // beyond the columns, is as wide as the list.
    int ColumnWidth(int i) const;
    // Where the content starts: the unscrolled origin moved by the scroll position.
    int Origin() const { return -ScrollX; }
};

// Cell i of an item's text: the text split at every separator, the last cell running to the
// end. Empty when the text has fewer cells. An empty separator never splits.
QString CellText(int i, const QString& text, const QString& separator);

// The cells of one row whose first cell starts at cellLeft (after the indent and the image):
// the first cell ends at the first column's right edge, the others are a column wide each, the
// last column reaches the right edge of the list. A separator at the very end adds no empty cell.
QList<TListCell> RowCells(const QString& text, const QString& separator, const TListColumns& columns,
                          int cellLeft);

// x of the silver line after every column but the last: two pixels inside the column's right
// edge, moved with the horizontal scroll.
QList<int> ColumnLineXs(const TListColumns& columns);

// The column a point at x (content coordinates, unscrolled) belongs to for anchor hit-testing,
// and the left and right edges of that column. A point two pixels left of a column's edge
// already belongs to the next column, as the column line sits there.
struct TColumnSpan {
    int Column = 0;
    int Left = 0;
    int Right = 0;
};
TColumnSpan ColumnSpanAt(const TListColumns& columns, int x);

// The header section a click at x belongs to: the widths are added up from the left while the
// sum stays below x, and the number added less one is the section. x at or left of 0 gives -1, a
// point on a section's right border belongs to that section, and a point right of all sections
// gives the last one.
int HeaderSectionAt(const QList<int>& sectionWidths, int x);

// Where the list and its header go when the list is asked to take `requested`. A list aligned
// to the top of its parent or filling it keeps its header inside the requested area and starts
// headerHeight - 2 lower, overlapped by the header's bottom two pixels; any other list keeps the
// requested area and has the header just above it.
struct TListBounds {
    QRect List;
    QRect Header;
};
TListBounds ListBounds(const QRect& requested, int headerHeight, bool headerInside);
