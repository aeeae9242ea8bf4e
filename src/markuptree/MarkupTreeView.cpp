#include "markuptree/MarkupTreeView.h"

#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "markup/MarkupPicture.h"
#include "markup/QtMarkupCanvas.h"
#include "markuptree/GlyphStyles.h"
#include "markuptree/MarkupHintWindow.h"
#include "markuptree/MarkupTreeDelegate.h"
#include "markuptree/MarkupTreeNode.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QToolTip>

namespace {

// Longest item text the item's area is worked out from; the rest of a longer caption is left out.
constexpr qsizetype kItemTextLimit = 255;

} // namespace

TMarkupTreeView::TMarkupTreeView(QWidget* parent) : TMarkupTreeBase(parent) {
    m_delegate = new TMarkupTreeDelegate(this);
    setItemDelegate(m_delegate);
    // One column as wide as the widest caption: the horizontal scroll range follows the text.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setAllColumnsShowFocus(false);

    // A new tree: the widths of the old captions will not be asked again.
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, m_delegate,
            &TMarkupTreeDelegate::ForgetWidths);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &TMarkupTreeView::TrackSelection);
    connect(this, &QTreeWidget::currentItemChanged, this, &TMarkupTreeView::ApplyAutoExpand);
    connect(this, &QTreeWidget::itemExpanded, this, [this] {
        if (m_hotTrack)
            viewport()->update();
    });
}

TMarkupTreeView::~TMarkupTreeView() = default;

// --- per node ----------------------------------------------------------------------------------

int TMarkupTreeView::ImageIndex(const QTreeWidgetItem* node) {
    const QVariant v = node ? node->data(0, MarkupTreeRole::ImageIndex) : QVariant();
    return v.isValid() ? v.toInt() : 0;
}

void TMarkupTreeView::SetImageIndex(QTreeWidgetItem* node, int index) {
    if (node && ImageIndex(node) != index)
        node->setData(0, MarkupTreeRole::ImageIndex, index);
}

int TMarkupTreeView::StateIndex(const QTreeWidgetItem* node) {
    const QVariant v = node ? node->data(0, MarkupTreeRole::StateIndex) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

void TMarkupTreeView::SetStateIndex(QTreeWidgetItem* node, int index) {
    if (node && StateIndex(node) != index)
        node->setData(0, MarkupTreeRole::StateIndex, index);
}

// --- properties ----------------------------------------------------------------------------------

void TMarkupTreeView::SetGlyphChecked(const QPixmap& glyph) {
    m_glyphChecked = glyph.copy();
    viewport()->update();
}

void TMarkupTreeView::SetGlyphUnChecked(const QPixmap& glyph) {
    m_glyphUnChecked = glyph.copy();
    viewport()->update();
}

void TMarkupTreeView::MarkupLookChanged() {
    m_delegate->ForgetWidths();
    doItemsLayout(); // pictures change the caption widths
}

void TMarkupTreeView::SetStateImages(const TImageList* images) {
    m_stateImages = images;
    doItemsLayout();
    viewport()->update();
}

// --- geometry ------------------------------------------------------------------------------------

int TMarkupTreeView::CaptionLeft(const QTreeWidgetItem* node) const {
    const int steps = Level(node) + (rootIsDecorated() ? 1 : 0);
    return header()->sectionViewportPosition(0) + steps * indentation();
}

QRect TMarkupTreeView::CaptionRow(const QTreeWidgetItem* node) const {
    const QRect row = visualItemRect(node);
    const int left = CaptionLeft(node);
    return QRect(left, row.top(), qMax(0, viewport()->width() - left), row.height());
}

QTreeWidgetItem* TMarkupTreeView::RowAt(int y) const {
    const int left = header()->sectionViewportPosition(0);
    return itemAt(QPoint(qMax(left, 0), y));
}

QSize TMarkupTreeView::MeasureCaption(const QString& caption, const QRect& bounds) const {
    TQtMarkupCanvas canvas(nullptr, font());
    TMarkupArgs args;
    args.Bounds = ToTRect(bounds);
    args.Images = MarkupImages();
    args.PictureCache = &PictureCache();
    args.MeasureOnly = true;
    args.WrapWords = false;
    args.LinkColor = clBlue;
    TMarkupOutput out;
    RenderMarkup(canvas, caption, args, out);
    return QSize(out.NeededWidth, out.NeededHeight);
}

bool TMarkupTreeView::StateImageValid(const QTreeWidgetItem* node) const {
    const int index = StateIndex(node);
    return m_stateImages && index >= 0 && index < m_stateImages->Count();
}

int TMarkupTreeView::CaptionBoxWidth(const QTreeWidgetItem* node, int captionWidth) const {
    int width = captionWidth + (ImageIndex(node) > 0 ? 16 : 0) + 4;
    if (StateImageValid(node))
        width += m_stateImages->Width() + 4;
    return width;
}

bool TMarkupTreeView::RoomPastText(const QTreeWidgetItem* node) const {
    // Eight letters w past the plain text: the item reaches a good way beyond the caption, so a
    // click just after its last letter, or on a caption drawn wider than its plain text (bold
    // words, pictures), still lands on the item. Not while dragging: the drop target is then
    // the caption itself.
    return ImageIndex(node) >= 0 && state() != DraggingState;
}

QString TMarkupTreeView::ItemText(const QTreeWidgetItem* node) const {
    QString text = StripMarkup(node->text(0));
    if (RoomPastText(node))
        text += QLatin1String("wwwwwwww");
    return text.left(kItemTextLimit);
}

int TMarkupTreeView::ItemTextAdvance(const QTreeWidgetItem* node) const {
    return QFontMetrics(font()).horizontalAdvance(ItemText(node));
}

int TMarkupTreeView::ItemWidth(const QTreeWidgetItem* node, int captionWidth, int textAdvance) const {
    int textWidth = textAdvance + 4;
    if (StateImageValid(node))
        textWidth += m_stateImages->Width() + 4;
    return qMax(textWidth, CaptionBoxWidth(node, captionWidth));
}

bool TMarkupTreeView::OnCaption(const QTreeWidgetItem* node, QPoint point) const {
    const QRect row = CaptionRow(node);
    if (point.x() < row.left() || point.y() < row.top() || point.y() > row.bottom())
        return false;
    const int width = MeasureCaption(node->text(0), row).width();
    return point.x() < row.left() + ItemWidth(node, width, ItemTextAdvance(node));
}

bool TMarkupTreeView::OnExpandButton(const QTreeWidgetItem* node, QPoint point) const {
    if (node->childCount() == 0 && node->childIndicatorPolicy() != QTreeWidgetItem::ShowIndicator)
        return false;
    const int right = CaptionLeft(node);
    const int left = right - indentation();
    if (left < header()->sectionViewportPosition(0))
        return false; // a top-level node without root decoration has no button
    const QRect row = visualItemRect(node);
    return point.x() >= left && point.x() < right && point.y() >= row.top() && point.y() <= row.bottom();
}

bool TMarkupTreeView::InGlyphSlot(const QTreeWidgetItem* node, QPoint point) const {
    const int left = CaptionLeft(node);
    return point.x() > left && point.x() < left + 16;
}

QTreeWidgetItem* TMarkupTreeView::NodeAt(QPoint point) const {
    QTreeWidgetItem* node = RowAt(point.y());
    if (!node || point.x() < 0 || point.x() >= viewport()->width())
        return nullptr;
    // Indent, button and caption belong to the node; the empty space right of it does not.
    const QRect row = CaptionRow(node);
    if (point.x() < row.left())
        return node;
    return OnCaption(node, point) ? node : nullptr;
}

QString TMarkupTreeView::AnchorAt(QTreeWidgetItem* node, QPoint point) const {
    if (!node)
        return {};
    QRect r = CaptionRow(node);
    if (ImageIndex(node) > 0)
        r.setLeft(r.left() + 16);
    TQtMarkupCanvas canvas(nullptr, font());
    // The trailing space lets the pointer just past the last letter still count as on it.
    const QString text = node->text(0) + QLatin1Char(' ');
    TMarkupArgs args;
    args.Bounds = ToTRect(r);
    args.Images = MarkupImages();
    args.PictureCache = &PictureCache();
    args.MeasureOnly = true;
    args.HitTestOnly = true;
    args.WrapWords = false;
    args.LinkColor = clBlue;
    TMarkupOutput measured;
    RenderMarkup(canvas, text, args, measured);
    if (r.height() > measured.NeededHeight)
        r.setTop(r.top() + (r.height() - measured.NeededHeight) / 2);
    args.Bounds = ToTRect(r);
    args.MouseX = point.x();
    args.MouseY = point.y();
    TMarkupOutput out;
    RenderMarkup(canvas, text, args, out);
    return out.AnchorHref;
}

// --- painting ------------------------------------------------------------------------------------

void TMarkupTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    painter->fillRect(option.rect, palette().color(QPalette::Base));
    const QTreeWidgetItem* node = itemFromIndex(index);
    if (!node)
        return;
    const int sectionLeft = header()->sectionViewportPosition(0);
    const int left = CaptionLeft(node);
    // Expand buttons and lines stay the style's own.
    if (left > sectionLeft)
        drawBranches(painter, QRect(sectionLeft, option.rect.top(), left - sectionLeft, option.rect.height()),
                     index);
    const int right = option.rect.left() + option.rect.width();
    PaintCaption(*painter, node, QRect(left, option.rect.top(), qMax(0, right - left), option.rect.height()));
}

void TMarkupTreeView::PaintCaption(QPainter& painter, const QTreeWidgetItem* node, QRect rc) const {
    if (rc.width() <= 0 || rc.height() <= 0)
        return;
    const QModelIndex index = indexFromItem(node);
    const bool selected = selectionModel()->isSelected(index);
    if (OnCustomDrawItem) {
        bool drawDefault = true;
        OnCustomDrawItem(const_cast<TMarkupTreeView*>(this), const_cast<QTreeWidgetItem*>(node), selected,
                         drawDefault);
        if (!drawDefault)
            return;
    }
    const QString caption = node->text(0);
    const QSize size = MeasureCaption(caption, rc);

    // The caption is centred in the row when it is lower than the row.
    QRect t = rc;
    if (rc.height() > size.height())
        t.setTop(rc.top() + (rc.height() - size.height()) / 2);
    const int imageIndex = ImageIndex(node);
    const int glyphSlot = imageIndex > 0 ? 16 : 0;
    const bool focused = hasFocus();
    const bool stateImage = StateImageValid(node);
    const QColor background = palette().color(QPalette::Base);
    const TColor boxColour = focused ? m_selectionColor : m_selectionNFColor;
    const TColor fontColour = focused ? m_selectionFontColor : m_selectionNFFontColor;

    if (selected) {
        // The box is only as wide as what it holds, not the whole row.
        QRect box(rc.left(), rc.top(), size.width() + glyphSlot + 4, rc.height());
        if (stateImage) {
            painter.fillRect(box, background);
            box.translate(m_stateImages->Width() + 4, 0);
        }
        painter.fillRect(box, ToQColor(boxColour));
        if (focused && index == currentIndex()) {
            painter.save();
            QPen pen(ToQColor(fontColour), 1, Qt::DotLine);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            painter.restore();
        }
        const int boxRight = box.left() + box.width();
        painter.fillRect(QRect(boxRight, rc.top(), rc.left() + rc.width() - boxRight, rc.height()),
                         background);
    } else {
        painter.fillRect(rc, background);
    }

    t.setLeft(t.left() + 2);
    const TColor linkColour = selected ? fontColour : m_urlColor;
    if (imageIndex == 1 || imageIndex == 2) {
        DrawCheck(painter, QRect(t.left(), t.top(), 14, 14), imageIndex == 2);
        t.setLeft(t.left() + 16);
    } else if (imageIndex == 3 || imageIndex == 4) {
        DrawRadio(painter, QRect(t.left(), t.top(), 14, 14), imageIndex == 4);
        t.setLeft(t.left() + 16);
    }
    if (stateImage) {
        m_stateImages->Draw(painter, t.left(), t.top(), StateIndex(node), isEnabled());
        t.setLeft(t.left() + m_stateImages->Width() + 4);
    }

    TQtMarkupCanvas canvas(&painter, font());
    canvas.SetFontColor(selected ? fontColour : FontColor());
    canvas.SetBrushColor(selected ? boxColour : FromQColor(background));
    TMarkupArgs args;
    args.Bounds = ToTRect(t);
    args.Images = MarkupImages();
    args.PictureCache = &PictureCache();
    args.Selected = selected;
    args.WrapWords = false;
    args.LinkColor = linkColour;
    TMarkupOutput out;
    RenderMarkup(canvas, caption, args, out);
}

void TMarkupTreeView::DrawCheck(QPainter& painter, QRect box, bool checked) const {
    const TGlyphLook look{m_controlStyle,    m_controlColor, &m_glyphChecked,
                          &m_glyphUnChecked, isEnabled(),    this};
    DrawCheckGlyph(painter, box, checked, look);
}

void TMarkupTreeView::DrawRadio(QPainter& painter, QRect box, bool checked) const {
    const TGlyphLook look{m_controlStyle,    m_controlColor, &m_glyphChecked,
                          &m_glyphUnChecked, isEnabled(),    this};
    DrawRadioGlyph(painter, box, checked, look);
}

// --- selection -----------------------------------------------------------------------------------

void TMarkupTreeView::TrackSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!deselected.isEmpty()) {
        QSet<QPersistentModelIndex> gone;
        for (const QModelIndex& i : deselected.indexes())
            gone.insert(QPersistentModelIndex(i));
        m_selectionOrder.removeIf(
            [&](const QPersistentModelIndex& i) { return !i.isValid() || gone.contains(i); });
    }
    for (const QModelIndex& i : selected.indexes())
        if (i.column() == 0)
            m_selectionOrder.append(QPersistentModelIndex(i));
}

QList<QTreeWidgetItem*> TMarkupTreeView::SelectedNodes() const {
    QList<QTreeWidgetItem*> nodes;
    QSet<QTreeWidgetItem*> seen;
    for (const QPersistentModelIndex& i : m_selectionOrder) {
        if (!i.isValid() || !selectionModel()->isSelected(i))
            continue;
        QTreeWidgetItem* node = itemFromIndex(i);
        if (node && !seen.contains(node)) {
            seen.insert(node);
            nodes.append(node);
        }
    }
    // Anything selected behind the tracker's back (by the model itself) comes last, in tree order.
    const QList<QTreeWidgetItem*> all = selectedItems();
    if (all.size() != nodes.size())
        for (QTreeWidgetItem* node : all)
            if (!seen.contains(node))
                nodes.append(node);
    return nodes;
}

void TMarkupTreeView::ApplyAutoExpand(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (!m_autoExpand)
        return;
    // One branch open at a time: the node left behind folds unless it holds the new one.
    if (previous) {
        bool holdsCurrent = false;
        for (QTreeWidgetItem* p = current; p && !holdsCurrent; p = p->parent())
            holdsCurrent = p == previous;
        if (!holdsCurrent)
            previous->setExpanded(false);
    }
    if (current)
        current->setExpanded(true);
}

// --- check and radio items -----------------------------------------------------------------------

void TMarkupTreeView::ToggleCheck(QTreeWidgetItem* node) {
    SetImageIndex(node, ImageIndex(node) == 1 ? 2 : 1);
    if (OnCheckBoxClick)
        OnCheckBoxClick(this, node, ImageIndex(node) == 2);
}

void TMarkupTreeView::SwitchRadio(QTreeWidgetItem* node) {
    QTreeWidgetItem* parent = node->parent();
    if (!parent)
        return;
    for (int i = 0; i < parent->childCount(); ++i) {
        QTreeWidgetItem* sibling = parent->child(i);
        if (ImageIndex(sibling) == 4)
            SetImageIndex(sibling, 3);
    }
    SetImageIndex(node, 4);
    if (OnRadioClick)
        OnRadioClick(this, node);
}

// --- pointer and keyboard ------------------------------------------------------------------------

void TMarkupTreeView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* row = RowAt(pos.y());
    if (event->button() == Qt::RightButton) {
        if (m_rightClickSelect && row && OnCaption(row, pos))
            setCurrentItem(row);
        setFocus(Qt::MouseFocusReason);
        event->accept(); // the pop-up menu comes with the context menu event
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    // Selection and expand buttons first; beside a caption a click selects nothing.
    if (row && (OnCaption(row, pos) || OnExpandButton(row, pos))) {
        QTreeWidget::mousePressEvent(event);
    } else {
        setFocus(Qt::MouseFocusReason);
        event->accept();
    }

    QTreeWidgetItem* node = NodeAt(pos);
    if (node) {
        const int image = ImageIndex(node);
        if ((image == 1 || image == 2) && InGlyphSlot(node, pos)) {
            ToggleCheck(node);
            return;
        }
        const QPersistentModelIndex guard(indexFromItem(node));
        if (image == 3 && node->parent() && InGlyphSlot(node, pos))
            SwitchRadio(node);
        if (guard.isValid() && OnAnchorClick) {
            const QString anchor = AnchorAt(node, pos);
            if (!anchor.isEmpty())
                OnAnchorClick(this, node, anchor);
        }
    }
    if (m_autoExpand)
        viewport()->update();
}

void TMarkupTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* row = RowAt(pos.y());
    if (event->button() != Qt::LeftButton || (row && (OnCaption(row, pos) || OnExpandButton(row, pos))))
        QTreeWidget::mouseDoubleClickEvent(event);
    else
        event->accept();
    viewport()->update();
}

void TMarkupTreeView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    QTreeWidgetItem* node = NodeAt(pos);
    if (node) {
        if (m_hotTrack && node != currentItem() && event->buttons() == Qt::NoButton)
            setCurrentItem(node);
        const QString anchor = AnchorAt(node, pos);
        if (!anchor.isEmpty()) {
            m_anchors.PutHand();
            if (anchor != m_anchors.Current()) {
                const QString previous = m_anchors.Current();
                m_anchors.SetCurrent(anchor);
                const QPersistentModelIndex guard(indexFromItem(node));
                if (OnAnchorExit)
                    OnAnchorExit(this, node, previous);
                if (OnAnchorEnter && guard.isValid())
                    OnAnchorEnter(this, node, anchor);
            }
        } else {
            LeaveAnchor(node);
        }
    } else {
        LeaveAnchor(nullptr);
    }
    QTreeWidget::mouseMoveEvent(event);
    CheckHint(NodeAt(pos));
}

void TMarkupTreeView::LeaveAnchor(QTreeWidgetItem* node) {
    if (!m_anchors.Hand())
        return;
    m_anchors.Restore();
    const QString previous = m_anchors.Current();
    m_anchors.SetCurrent(QString());
    if (!previous.isEmpty() && OnAnchorExit)
        OnAnchorExit(this, node, previous);
}

void TMarkupTreeView::leaveEvent(QEvent* event) {
    LeaveAnchor(nullptr);
    // The caption hint takes no input, so the pointer resting under it never leaves the tree:
    // a leave is the pointer going elsewhere.
    HideCaptionHint();
    QTreeWidget::leaveEvent(event);
}

void TMarkupTreeView::keyPressEvent(QKeyEvent* event) {
    HideCaptionHint();
    QTreeWidgetItem* node = currentItem();
    const bool arrow = event->key() == Qt::Key_Down || event->key() == Qt::Key_Up;
    if (arrow && event->modifiers() == Qt::NoModifier && node && !node->isHidden() &&
        !selectionModel()->hasSelection()) {
        // A fresh tree has a current item nobody chose: the first arrow picks it, not the next.
        event->accept();
        setCurrentItem(node);
        return;
    }
    if (event->key() == Qt::Key_Space && node && node->isSelected()) {
        // Space belongs to check and radio items; the tree itself never sees it.
        event->accept();
        const int image = ImageIndex(node);
        if (image == 1 || image == 2)
            ToggleCheck(node);
        else if (image == 3 && node->parent())
            SwitchRadio(node);
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// --- hint ----------------------------------------------------------------------------------------

bool TMarkupTreeView::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip:
        return ShowNodeHint(static_cast<QHelpEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        // As tool tips do: the user has gone on to something else.
        HideCaptionHint();
        break;
    default:
        break;
    }
    return QTreeWidget::viewportEvent(event);
}

bool TMarkupTreeView::ShowNodeHint(QHelpEvent* event) {
    if (m_hintColor != clNone) {
        QPalette p = QToolTip::palette();
        p.setColor(QPalette::ToolTipBase, ToQColor(m_hintColor));
        QToolTip::setPalette(p);
    }
    QTreeWidgetItem* node = NodeAt(event->pos());
    m_hintNode = node ? QPersistentModelIndex(indexFromItem(node)) : QPersistentModelIndex();

    if (node) {
        const QString caption = node->text(0);
        const QFontMetrics metrics(font());
        const int indent = (Level(node) + (rootIsDecorated() ? 1 : 0)) * indentation();
        const int width = metrics.horizontalAdvance(caption) + metrics.averageCharWidth() + indent;
        if (width > this->width()) {
            QToolTip::hideText();
            ShowCaptionHint(node);
            return true;
        }
    }
    HideCaptionHint();
    const QString text = Hint();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // Shown as written, as a caption would be: a hint is text to read, not rich text to render.
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    QToolTip::showText(event->globalPos(),
                       QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>"),
                       viewport());
    return true;
}

void TMarkupTreeView::ShowCaptionHint(const QTreeWidgetItem* node) {
    if (!m_captionHint)
        m_captionHint = new TMarkupHintWindow(this);
    TMarkupHint hint;
    const QString caption = node->text(0);
    hint.Text = m_markupHint ? caption : StripMarkup(caption);
    hint.Font = font();
    hint.Color = m_hintColor;
    hint.LinkColor = m_urlColor;
    hint.Images = MarkupImages();
    hint.PictureCache = &PictureCache();
    // The hint's text lies over the caption's: past the glyph slot and the state image, at the
    // height the caption has in its row.
    const QRect row = visualItemRect(node);
    const int height = MeasureCaption(hint.Text, CaptionRow(node)).height();
    int left = CaptionLeft(node) + 3 + (ImageIndex(node) > 0 ? 16 : 0);
    if (StateImageValid(node))
        left += m_stateImages->Width() + 4;
    const int top = row.top() + qMax(0, (row.height() - height) / 2);
    m_captionHint->ShowHint(hint, viewport()->mapToGlobal(QPoint(left, top)));
}

void TMarkupTreeView::HideCaptionHint() {
    if (m_captionHint)
        m_captionHint->HideHint();
}

void TMarkupTreeView::CheckHint(QTreeWidgetItem* underPointer) {
    if (!m_hintNode.isValid()) {
        m_hintNode = QPersistentModelIndex();
        return;
    }
    if (itemFromIndex(m_hintNode) != underPointer) {
        QToolTip::hideText();
        HideCaptionHint();
        m_hintNode = QPersistentModelIndex();
    }
}

// --- repaint requests ----------------------------------------------------------------------------

void TMarkupTreeView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update(); // selection colours depend on the focus
}

void TMarkupTreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void TMarkupTreeView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    viewport()->update();
}

void TMarkupTreeView::scrollContentsBy(int dx, int dy) {
    HideCaptionHint(); // it would no longer lie over its item
    TMarkupTreeBase::scrollContentsBy(dx, dy);
}

void TMarkupTreeView::hideEvent(QHideEvent* event) {
    HideCaptionHint();
    QTreeWidget::hideEvent(event);
}
