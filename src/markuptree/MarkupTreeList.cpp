#include "markuptree/MarkupTreeList.h"

#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "markup/QtMarkupCanvas.h"
#include "markuptree/MarkupTreeNode.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// Every row ItemHeight high and as wide as the columns; the list paints the rows itself.
class TRowDelegate final : public QStyledItemDelegate {
public:
    TRowDelegate(QObject* parent, const int& height) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(1, m_height);
    }
    void paint(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const override {}

private:
    const int& m_height;
};

} // namespace

// --- header settings -----------------------------------------------------------------------------

bool THeaderSettings::AllowResize() const {
    return m_list->m_header ? m_list->m_header->AllowResize() : true;
}

void THeaderSettings::SetAllowResize(bool on) {
    if (m_list->m_header)
        m_list->m_header->SetAllowResize(on);
}

TColor THeaderSettings::Color() const {
    return m_list->m_header ? m_list->m_header->Color() : clBtnFace;
}

void THeaderSettings::SetColor(TColor color) {
    if (m_list->m_header)
        m_list->m_header->SetColor(color);
}

bool THeaderSettings::Flat() const {
    return m_list->m_header && !m_list->m_header->Bordered();
}

void THeaderSettings::SetFlat(bool on) {
    if (m_list->m_header)
        m_list->m_header->SetBordered(!on);
}

void THeaderSettings::SetFont(const QFont& font) {
    m_font = font;
    if (m_list->m_header)
        m_list->m_header->setFont(font);
}

void THeaderSettings::SetHeight(int height) {
    m_height = qMax(0, height);
    m_list->ApplyBounds();
}

// --- construction --------------------------------------------------------------------------------

// Screen readers get one cell per column: a row read as one string would run caption and section
// together.
QVariant TMarkupListItem::data(int column, int role) const {
    const auto* list = qobject_cast<const TMarkupTreeList*>(treeWidget());
    if (role != Qt::AccessibleTextRole || !list)
        return QTreeWidgetItem::data(column, role);
    return list->PlainCell(column, text(0));
}

TMarkupTreeList::TMarkupTreeList(QWidget* parent)
    : TMarkupTreeBase(parent), m_headerSettings(this),
      m_columns([this] { UpdateHeaderSections(); }, [this] { return font(); }) {
    setItemDelegate(new TRowDelegate(this, m_itemHeight));
    header()->setStretchLastSection(false);
    setDropIndicatorShown(false);
    setDragDropMode(DragDrop);
    setDragEnabled(false);
    setAutoScroll(true);
    m_requested = m_placed = geometry();

    // The header is the list's sibling, so that it can sit above the list; it is shown and
    // hidden with the list (setVisible) and otherwise follows the parent as the list does.
    m_header = new TTLHeader(parentWidget());
    m_header->CaptionArgs = [this] { return MarkupArgs(); };
    m_header->OnResizing = [this](int section, int width) {
        m_columns.StoreWidth(section, width);
        UpdateContentWidth();
        viewport()->update();
    };
    m_header->OnResized = [this](int section, int width) { HeaderSized(section, width); };
    m_header->OnClick = [this](QObject*, int section) {
        if (OnHeaderClick)
            OnHeaderClick(this, section);
    };
    m_header->OnRightClick = [this](QObject*, int section) {
        if (OnHeaderRightClick)
            OnHeaderRightClick(this, section);
    };
    m_headerSettings.m_font = m_header->font();

    connect(this, &QTreeWidget::itemExpanded, viewport(), qOverload<>(&QWidget::update));
    connect(model(), &QAbstractItemModel::dataChanged, this, &TMarkupTreeList::PlainTextChanged);
    connect(model(), &QAbstractItemModel::rowsInserted, this, &TMarkupTreeList::RowsInserted);
    ApplyBounds();
}

TMarkupTreeList::~TMarkupTreeList() {
    delete m_header.data();
}

// --- per node ------------------------------------------------------------------------------------

int TMarkupTreeList::ImageIndex(const QTreeWidgetItem* node) {
    const QVariant v = node ? node->data(0, MarkupTreeRole::ImageIndex) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

void TMarkupTreeList::SetImageIndex(QTreeWidgetItem* node, int index) {
    if (node)
        node->setData(0, MarkupTreeRole::ImageIndex, index);
}

QString TMarkupTreeList::PlainCell(int column, const QString& text) const {
    return StripMarkup(GetCellText(column, text)).trimmed();
}

// The plain text of each cell is what accessibility reads; it follows the item's text. Rows of
// the list's own kind work theirs out when asked.
void TMarkupTreeList::PlainTextChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        QTreeWidgetItem* node = itemFromIndex(topLeft.sibling(row, 0));
        if (!node || dynamic_cast<TMarkupListItem*>(node))
            continue;
        const QString text = node->text(0);
        for (int column = 0; column < columnCount(); ++column)
            if (const QString plain = PlainCell(column, text);
                node->data(column, Qt::AccessibleTextRole).toString() != plain)
                node->setData(column, Qt::AccessibleTextRole, plain);
    }
}

void TMarkupTreeList::RowsInserted(const QModelIndex& parent, int first, int last) {
    // The rows are new to every view already: telling them that the plain text changed too
    // would cost a model search per row and repeat the work, row by row.
    const QSignalBlocker quiet(model());
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, parent);
        PlainTextChanged(index, index);
        if (model()->hasChildren(index))
            RowsInserted(index, 0, model()->rowCount(index) - 1);
    }
}

// --- properties ----------------------------------------------------------------------------------

void TMarkupTreeList::SetColumnLines(bool on) {
    if (on == m_columnLines)
        return;
    m_columnLines = on;
    m_cellGap = on ? 4 : 2;
    viewport()->update();
}

void TMarkupTreeList::SetSeparator(const QString& separator) {
    m_separator = separator;
    viewport()->update();
}

void TMarkupTreeList::MarkupLookChanged() {
    m_header->viewport()->update();
}

void TMarkupTreeList::SetReadOnly(bool on) {
    setEditTriggers(on ? NoEditTriggers : EditTriggers(DoubleClicked | EditKeyPressed | SelectedClicked));
}

void TMarkupTreeList::SetIndent(int indent) {
    setIndentation(indent);
    viewport()->update();
}

void TMarkupTreeList::SetImages(const TImageList* images) {
    m_images = images;
    viewport()->update();
}

void TMarkupTreeList::SetDragMode(TDragMode mode) {
    setDragEnabled(mode == dmAutomatic);
}

void TMarkupTreeList::SetSelected(QTreeWidgetItem* node) {
    setCurrentItem(node);
}

void TMarkupTreeList::setVisible(bool visible) {
    QTreeWidget::setVisible(visible);
    if (m_header)
        m_header->setVisible(visible && parentWidget() != nullptr);
}

// --- columns and header --------------------------------------------------------------------------

int TMarkupTreeList::ColumnWidth(int i) const {
    return ColumnsNow().ColumnWidth(i);
}

QFont TMarkupTreeList::ColumnFont(int i) const {
    return i < m_columns.Count() ? m_columns[i]->Font() : font();
}

TListColumns TMarkupTreeList::ColumnsNow() const {
    TListColumns columns;
    for (int i = 0; i < m_columns.Count(); ++i)
        columns.Widths.append(m_columns[i]->Width());
    columns.ListWidth = viewport()->width();
    columns.ScrollX = horizontalOffset();
    columns.CellGap = m_cellGap;
    return columns;
}

// The rows are painted whole from column 0's text, but Qt gets a column of its own for each
// column, so that screen readers find one cell per column under the headers' plain captions.
void TMarkupTreeList::UpdateHeaderSections() {
    QStringList captions, plain;
    QList<int> widths;
    for (int i = 0; i < m_columns.Count(); ++i) {
        captions.append(m_columns[i]->Header());
        plain.append(StripMarkup(captions.last()).trimmed());
        widths.append(m_columns[i]->Width());
    }
    m_header->SetSections(captions, widths);
    setColumnCount(qMax(1, m_columns.Count()));
    setHeaderLabels(plain);
    UpdateContentWidth();
    viewport()->update();
}

// The rows are as wide as the columns' nominal widths together, and never narrower than the
// list: wider columns make the list scroll sideways. Qt's own columns (hidden, but they place
// the cells screen readers see) take the same widths, the last one reaching the right edge.
void TMarkupTreeList::UpdateContentWidth() {
    int left = 0;
    for (int i = 0; i < columnCount(); ++i) {
        const int own = i < m_columns.Count() ? m_columns[i]->Width() : 0;
        const int width = i + 1 < columnCount() ? own : qMax(own, viewport()->width() - left);
        if (header()->sectionSize(i) != width)
            header()->resizeSection(i, width);
        left += width;
    }
}

int TMarkupTreeList::FirstColumnMinimum() const {
    return indentation() + (m_images ? m_images->Width() : 0);
}

void TMarkupTreeList::HeaderSized(int section, int width) {
    if (section == 0 && width < FirstColumnMinimum()) {
        width = FirstColumnMinimum();
        m_header->SetSectionWidth(0, width);
    }
    m_columns.StoreWidth(section, width);
    UpdateContentWidth();
    viewport()->update();
}

// --- bounds --------------------------------------------------------------------------------------

void TMarkupTreeList::SetAlign(TAlign align) {
    m_align = align;
    ApplyBounds();
}

void TMarkupTreeList::SetBounds(int L, int T, int W, int H) {
    m_requested = QRect(L, T, W, H);
    ApplyBounds();
}

void TMarkupTreeList::ApplyBounds() {
    const TListBounds bounds =
        ListBounds(m_requested, m_headerSettings.Height(), m_align == alTop || m_align == alClient);
    m_placed = bounds.List;
    if (geometry() != bounds.List) {
        m_placing = true;
        setGeometry(bounds.List);
        m_placing = false;
    }
    m_header->setGeometry(bounds.Header);
    m_header->raise();
}

// A geometry the list did not give itself (setGeometry, a layout) is a new request.
void TMarkupTreeList::GeometryChanged() {
    if (m_placing || geometry() == m_placed)
        return;
    m_requested = geometry();
    ApplyBounds();
}

void TMarkupTreeList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    GeometryChanged();
    UpdateContentWidth();
    viewport()->update();
}

void TMarkupTreeList::moveEvent(QMoveEvent* event) {
    QTreeWidget::moveEvent(event);
    GeometryChanged();
}

void TMarkupTreeList::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::ParentChange && m_header) {
        m_header->setParent(parentWidget());
        if (isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide))
            m_header->setVisible(false);
        ApplyBounds();
    }
}

// The header overlaps the list by two pixels (ListBounds); the rows start below it, so the first
// one shows whole, with the top edge of its focus rectangle. The tree view sets the margins for
// its own hidden header on every update, so they are set again after it.
void TMarkupTreeList::updateGeometries() {
    QTreeWidget::updateGeometries();
    constexpr int kHeaderOverlap = 2;
    const int covered = qMax(0, kHeaderOverlap - frameWidth());
    if (viewportMargins().top() != covered)
        setViewportMargins(0, covered, 0, 0);
}

// --- painting ------------------------------------------------------------------------------------

TMarkupArgs TMarkupTreeList::MarkupArgs() const {
    TMarkupArgs args = BaseArgs();
    args.LinkColor = m_urlColor;
    args.WrapWords = true;
    return args;
}

// Left edge of the first cell in client coordinates: past the indent and the image.
int TMarkupTreeList::CellsLeft(const QTreeWidgetItem* node, int rowLeft) const {
    const int steps = Level(node) + (rootIsDecorated() ? 1 : 0);
    return rowLeft + steps * indentation() + (m_images ? m_images->Width() : 0);
}

void TMarkupTreeList::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const QColor background = palette().color(QPalette::Base);
    const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
    painter->fillRect(row, background);
    const QTreeWidgetItem* node = itemFromIndex(index);
    if (!node)
        return;
    const TListColumns columns = ColumnsNow();
    const int rowLeft = columns.Origin();
    const int branchesRight = CellsLeft(node, rowLeft) - (m_images ? m_images->Width() : 0);
    if (branchesRight > rowLeft)
        drawBranches(painter, QRect(rowLeft, row.top(), branchesRight - rowLeft, row.height()), index);

    int left = branchesRight;
    if (m_images) {
        const int image = ImageIndex(node);
        if (left + m_images->Width() < columns.Origin() + columns.ColumnWidth(0) && image >= 0)
            m_images->Draw(*painter, left, row.top(), image, isEnabled());
        left += m_images->Width();
    }

    const bool selected = selectionModel()->isSelected(index);
    const int right = row.left() + row.width();
    const QRect selection(left, row.top(), qMax(0, right - left), row.height());
    if (selected) {
        painter->fillRect(selection, ToQColor(m_selectionColor));
        if (hasFocus() && index == currentIndex().siblingAtColumn(0)) {
            painter->save();
            painter->setPen(QPen(ToQColor(m_selectionFontColor), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(selection.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

    const TColor fontColor = selected ? m_selectionFontColor : FromQColor(palette().color(QPalette::Text));
    // The background the engine assumes under the text of a selected row.
    const TColor brush = selected ? clHighlight : FromQColor(background);
    const TMarkupArgs args = MarkupArgs();
    for (const TListCell& cell : RowCells(node->text(0), m_separator, columns, left)) {
        const QRect bounds(cell.Left, row.top(), cell.Right - cell.Left, row.height());
        painter->save();
        painter->setClipRect(bounds);
        PaintMarkup(*painter, ColumnFont(cell.Column), fontColor, brush, cell.Text, bounds, args);
        painter->restore();
    }
}

void TMarkupTreeList::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!m_columnLines)
        return;
    QPainter painter(viewport());
    painter.setPen(ToQColor(clSilver));
    const int bottom = viewport()->height();
    for (int x : ColumnLineXs(ColumnsNow()))
        painter.drawLine(x, 0, x, bottom);
}

// --- hit testing ---------------------------------------------------------------------------------

QTreeWidgetItem* TMarkupTreeList::GetNodeAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= viewport()->width() || y >= viewport()->height())
        return nullptr;
    const QModelIndex index = indexAt(QPoint(qMax(0, columnViewportPosition(0)), y));
    return index.isValid() ? itemFromIndex(index) : nullptr;
}

QString TMarkupTreeList::GetAnchorAt(QTreeWidgetItem* node, int X, int Y) const {
    if (!node)
        return {};
    const QRect row = visualItemRect(node);
    const TListColumns columns = ColumnsNow();
    const TColumnSpan span = ColumnSpanAt(columns, X + columns.ScrollX);
    int left = span.Left + columns.Origin();
    if (span.Column == 0)
        left = CellsLeft(node, left);
    const int right = span.Right + columns.Origin();
    TQtMarkupCanvas canvas(nullptr, font());
    TMarkupArgs args = MarkupArgs();
    args.Bounds = TRect{left, row.top(), right, row.top() + row.height()};
    args.MouseX = X;
    args.MouseY = Y;
    args.HitTestOnly = true;
    args.Selected = true;
    args.BlinkOn = true;
    args.LinkColor = clBlue;
    TMarkupOutput out;
    RenderMarkup(canvas, GetCellText(span.Column, node->text(0)), args, out);
    return out.AnchorHref;
}

// --- pointer -------------------------------------------------------------------------------------

void TMarkupTreeList::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        QTreeWidgetItem* node = GetNodeAt(pos.x(), pos.y());
        if (m_rightClickSelect && node)
            setCurrentItem(node);
        setFocus(Qt::MouseFocusReason);
        event->accept(); // the pop-up menu comes with the context menu event
        return;
    }
    QTreeWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QTreeWidgetItem* node = GetNodeAt(pos.x(), pos.y());
    if (!node)
        return;
    // Column 0 stays current wherever the row was pressed: its cell is the row to screen readers.
    if (currentIndex() != indexFromItem(node))
        setCurrentItem(node);
    if (OnAnchorClick) {
        const QString anchor = GetAnchorAt(node, pos.x(), pos.y());
        if (!anchor.isEmpty())
            OnAnchorClick(this, node, anchor);
    }
}

void TMarkupTreeList::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* node = GetNodeAt(pos.x(), pos.y());
    if (!node) {
        // The exit event waits for the next move over an item's plain text.
        m_anchors.Restore();
    } else {
        if (m_hotTrack && node != currentItem() && event->buttons() == Qt::NoButton)
            setCurrentItem(node);
        const QString anchor = GetAnchorAt(node, pos.x(), pos.y());
        const QPersistentModelIndex guard(indexFromItem(node));
        if (!anchor.isEmpty() && !m_anchors.Hand()) {
            if (anchor != m_anchors.Current() && OnAnchorEnter)
                OnAnchorEnter(this, node, anchor);
            m_anchors.SetCurrent(anchor);
            m_anchors.PutHand();
        } else if (!anchor.isEmpty() && anchor != m_anchors.Current()) {
            // Straight from one anchor onto another: the first is left, the second entered.
            const QString previous = m_anchors.Current();
            m_anchors.SetCurrent(anchor);
            if (m_anchorHint)
                QToolTip::hideText();
            if (!previous.isEmpty() && OnAnchorExit)
                OnAnchorExit(this, node, previous);
            if (guard.isValid() && OnAnchorEnter)
                OnAnchorEnter(this, node, anchor);
        } else if (anchor.isEmpty()) {
            if (m_anchorHint)
                QToolTip::hideText();
            const QString previous = m_anchors.Current();
            m_anchors.SetCurrent(QString());
            if (!previous.isEmpty() && OnAnchorExit)
                OnAnchorExit(this, node, previous);
            m_anchors.Restore();
        }
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TMarkupTreeList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    viewport()->update();
    if (OnDblClick && event->button() == Qt::LeftButton)
        OnDblClick(this);
}

void TMarkupTreeList::focusInEvent(QFocusEvent* event) {
    TMarkupTreeBase::focusInEvent(event);
    viewport()->update(); // the focus rectangle
    if (OnEnter)
        OnEnter(this);
}

// --- hints ---------------------------------------------------------------------------------------

bool TMarkupTreeList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && ShowHint(static_cast<QHelpEvent*>(event)))
        return true;
    return QTreeWidget::viewportEvent(event);
}

bool TMarkupTreeList::ShowHint(QHelpEvent* event) {
    QTreeWidgetItem* node = GetNodeAt(event->pos().x(), event->pos().y());
    if (!node)
        return false;
    if (m_anchorHint) {
        const QString href = GetAnchorAt(node, event->pos().x(), event->pos().y());
        if (!href.isEmpty()) {
            ShowTipAt(event->globalPos() + QPoint(10, -10), href, viewport());
            return true;
        }
    }
    if (m_toolTips) {
        const QRect row = visualItemRect(node);
        ShowTipAt(viewport()->mapToGlobal(QPoint(CellsLeft(node, row.left()), row.top())),
                  StripMarkup(node->text(0)), viewport(), row);
        return true;
    }
    return false;
}

// --- scrolling -----------------------------------------------------------------------------------

// The header's sections move with the columns.
void TMarkupTreeList::HorizontalScrolled(int x) {
    m_header->setOffset(x);
    // setOffset moves the pixels already drawn, but the last cell is drawn to the right edge,
    // so a moved picture leaves a stale edge line behind: draw it all again.
    m_header->viewport()->update();
}

// --- drag and drop -------------------------------------------------------------------------------

void TMarkupTreeList::startDrag(Qt::DropActions supportedActions) {
    const QList<QTreeWidgetItem*> rows = selectedItems();
    if (rows.isEmpty())
        return;
    QMimeData* data = mimeData(rows);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // Whatever the drop does is the window's business: the dragged rows stay where they are.
    drag->exec(supportedActions | Qt::MoveAction, Qt::MoveAction);
}

bool TMarkupTreeList::DragAccepted(QDropEvent* event) {
    if (!OnDragOver)
        return false;
    bool accept = true;
    const QPoint pos = event->position().toPoint();
    OnDragOver(this, event->source(), pos.x(), pos.y(), accept);
    return accept;
}

void TMarkupTreeList::dragEnterEvent(QDragEnterEvent* event) {
    QTreeWidget::dragEnterEvent(event);
    // Refused drops still come here, so that the handler can accept further on.
    event->setAccepted(OnDragOver != nullptr);
}

void TMarkupTreeList::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidget::dragMoveEvent(event); // scrolls near the edges
    if (DragAccepted(event)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TMarkupTreeList::dropEvent(QDropEvent* event) {
    if (!DragAccepted(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    const QPoint pos = event->position().toPoint();
    if (OnDragDrop)
        OnDragDrop(this, event->source(), pos.x(), pos.y());
    viewport()->update();
}
