#pragma once

#include "markup/MarkupTypes.h"
#include "markuptree/MarkupTreeBase.h"
#include "markuptree/TreeListColumns.h"
#include "markuptree/TreeListHeader.h"
#include "markuptree/TreeListLayout.h"

#include <QPointer>
#include <functional>
#include <memory>

class TImageList;
class TMarkupTreeList;

using TAnchorEvent = std::function<void(QObject* Sender, QTreeWidgetItem* Node, const QString& anchor)>;
// Something is dragged over the list at (X, Y), client coordinates. Source is the widget the
// drag started from (the list itself for its own rows), or nullptr for a drag from elsewhere.
// Accept starts true; clearing it refuses the drop there.
using TDragOverEvent = std::function<void(QObject* Sender, QObject* Source, int X, int Y, bool& Accept)>;
// An accepted drop at (X, Y). The handler does whatever the drop means: the list moves nothing.
using TDragDropEvent = std::function<void(QObject* Sender, QObject* Source, int X, int Y)>;
using TNotifyEvent = std::function<void(QObject* Sender)>;

// The look of the header strip. Everything but the font goes straight to the header.
class THeaderSettings final {
public:
    explicit THeaderSettings(TMarkupTreeList* list) : m_list(list) {}

    bool AllowResize() const;
    void SetAllowResize(bool on);
    TColor Color() const;
    void SetColor(TColor color);
    // No border around the strip; a single line when false.
    bool Flat() const;
    void SetFlat(bool on);
    const QFont& Font() const { return m_font; }
    void SetFont(const QFont& font);
    int Height() const { return m_height; }
    // Sets the header's height and places the list again by the bounds rule.
    void SetHeight(int height);

private:
    friend class TMarkupTreeList;
    TMarkupTreeList* m_list;
    QFont m_font;
    int m_height = 18;
};

// A tree list whose every row is a line of columns under a header strip. A row's text (column 0
// of the item) holds its cells one after the other, separated by Separator; each cell is item
// markup drawn with RenderMarkup, so cells can hold bold or coloured text, pictures and anchors.
// Qt keeps the items, their levels and selection, scrolling, the keyboard and the drag start;
// the list paints the rows and the column lines, handles anchors and keeps the header strip
// (TTLHeader, a sibling widget) above it.
//
// The header sits in the list's parent. Where the list goes is decided by the bounds rule
// (ListBounds): a list aligned to the top of its parent or filling it (Align alTop, alClient)
// keeps the header inside the area it is given and starts HeaderSettings.Height - 2 lower; any
// other list keeps its area and has the header just above. The rule applies whenever the list
// is moved or resized, by SetBounds, setGeometry or a layout.
// A row of a tree list: screen readers get each cell's plain text in its own column.
class TMarkupListItem final : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    QVariant data(int column, int role) const override;
};

class TMarkupTreeList : public TMarkupTreeBase {
    Q_OBJECT
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    enum TDragMode { dmManual, dmAutomatic };

    explicit TMarkupTreeList(QWidget* parent = nullptr);
    ~TMarkupTreeList() override;

    // --- properties -------------------------------------------------------------------------
    bool AnchorHint() const { return m_anchorHint; }
    void SetAnchorHint(bool on) { m_anchorHint = on; }
    TColumnCollection& Columns() { return m_columns; }
    const TColumnCollection& Columns() const { return m_columns; }
    bool ColumnLines() const { return m_columnLines; }
    void SetColumnLines(bool on);
    const QString& Separator() const { return m_separator; }
    void SetSeparator(const QString& separator);
    THeaderSettings& HeaderSettings() { return m_headerSettings; }
    const THeaderSettings& HeaderSettings() const { return m_headerSettings; }
    QString Version() const { return QStringLiteral("1.0.0.5"); }

    // Shows or hides the header with the list.
    void setVisible(bool visible) override;

    // --- of the tree view -------------------------------------------------------------------
    bool ReadOnly() const { return editTriggers() == NoEditTriggers; }
    void SetReadOnly(bool on);
    // Tool tips with an item's plain text over the item.
    bool ToolTips() const { return m_toolTips; }
    void SetToolTips(bool on) { m_toolTips = on; }
    int Indent() const { return indentation(); }
    void SetIndent(int indent);
    // Pictures before the first cell, chosen by each item's image index; not owned.
    const TImageList* Images() const { return m_images; }
    void SetImages(const TImageList* images);
    static int ImageIndex(const QTreeWidgetItem* node); // -1: no picture
    static void SetImageIndex(QTreeWidgetItem* node, int index);
    // dmAutomatic: Qt starts a drag of the selected row when the pointer moves far enough with
    // the button down.
    TDragMode DragMode() const { return dragEnabled() ? dmAutomatic : dmManual; }
    void SetDragMode(TDragMode mode);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);
    // Asks for the area (L, T, W, H) in the parent; the list and its header go where the bounds
    // rule puts them.
    void SetBounds(int L, int T, int W, int H);
    // The area last asked for (SetBounds, setGeometry or a layout).
    QRect RequestedBounds() const { return m_requested; }

    // The node whose row lies under (x, y), client coordinates; nullptr when none.
    QTreeWidgetItem* GetNodeAt(int x, int y) const;
    QTreeWidgetItem* Selected() const { return currentItem(); }
    void SetSelected(QTreeWidgetItem* node);

    // --- events -----------------------------------------------------------------------------
    TTLHeaderClickEvent OnHeaderClick;      // Sender is the list
    TTLHeaderClickEvent OnHeaderRightClick; // Sender is the list
    TAnchorEvent OnAnchorClick;
    TAnchorEvent OnAnchorEnter;
    TAnchorEvent OnAnchorExit;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter; // the list received the keyboard focus

    // --- parts ------------------------------------------------------------------------------
    TTLHeader* Header() const { return m_header; }
    // Width of column i for painting: its own, the list's client width for the last column and
    // beyond.
    int ColumnWidth(int i) const;
    // Font of column i's cells; the list's font beyond the columns.
    QFont ColumnFont(int i) const;
    // Cell i of a text split at Separator.
    QString GetCellText(int i, const QString& text) const { return CellText(i, text, m_separator); }
    // Cell i of a text without its markup: what screen readers read.
    QString PlainCell(int i, const QString& text) const;
    // The href of the anchor under (X, Y), client coordinates, in node's row; empty when none.
    QString GetAnchorAt(QTreeWidgetItem* node, int X, int Y) const;
    // Pixels left free at the right end of each cell.
    int CellGap() const { return m_cellGap; }
    // The columns as painting sees them now.
    TListColumns ColumnsNow() const;
    // The user finished resizing header section `section` to `width`.
    void HeaderSized(int section, int width);
    // The narrowest the first column may be: the indent, and the images if there are any.
    int FirstColumnMinimum() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class THeaderSettings;

    int CellsLeft(const QTreeWidgetItem* node, int rowLeft) const;
    TMarkupArgs MarkupArgs() const;
    void UpdateHeaderSections();
    void UpdateContentWidth();
    void PlaceHeader();
    void ApplyBounds();
    void GeometryChanged();
    void PlainTextChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void RowsInserted(const QModelIndex& parent, int first, int last);
    bool ShowHint(QHelpEvent* event);
    bool DragAccepted(QDropEvent* event);
    void HorizontalScrolled(int x) override;
    void MarkupLookChanged() override;

    THeaderSettings m_headerSettings;
    TColumnCollection m_columns;
    QPointer<TTLHeader> m_header;

    bool m_anchorHint = false;
    bool m_columnLines = true;
    int m_cellGap = 2;
    QString m_separator = QStringLiteral(";");
    const TImageList* m_images = nullptr;
    bool m_toolTips = false;
    TAlign m_align = alNone;

    QRect m_requested; // the area the list was asked to take
    QRect m_placed;    // the geometry the bounds rule gave it
    bool m_placing = false;
};
