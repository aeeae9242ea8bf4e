#include "look/PageControl.h"

#include "look/Accessibility.h"

#include "look/Theme.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

namespace {

constexpr int kTabPadding = 14;
constexpr int kMinTabWidth = 48;
constexpr int kMinPageHeight = 40;
constexpr int kMinRowHeight = 20;

} // namespace

std::vector<std::vector<int>> WrapTabRows(const std::vector<int>& widths, int rowWidth) {
    std::vector<std::vector<int>> rows;
    int used = 0;
    for (int i = 0; i < int(widths.size()); ++i) {
        if (rows.empty() || (used > 0 && used + widths[size_t(i)] > rowWidth)) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += widths[size_t(i)];
    }
    return rows;
}

TPageControl::TPageControl(QWidget* parent) : QWidget(parent), m_stack(new QWidget(this)) {
    setMouseTracking(true);
    // Going from a tab down into the page is no leave of this widget, so the page says so.
    m_stack->installEventFilter(this);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover, true);
    InstallLookAccessibility();
    m_stack->setAutoFillBackground(false);
}

int TPageControl::AddPage(QWidget* page, const QString& caption) {
    m_tabs.push_back(TTab{caption, page, -1, 0, {}});
    page->setParent(m_stack);
    page->setGeometry(m_stack->rect());
    page->setVisible(false);
    if (m_current < 0)
        m_current = 0;
    if (Count() - 1 == m_current)
        page->show();
    Relayout();
    return Count() - 1;
}

void TPageControl::Clear() {
    for (TTab& tab : m_tabs)
        delete tab.Page;
    m_tabs.clear();
    m_current = -1;
    m_hot = -1;
    Relayout();
    update();
}

QWidget* TPageControl::Page(int index) const {
    return index >= 0 && index < Count() ? m_tabs[size_t(index)].Page : nullptr;
}

QString TPageControl::Caption(int index) const {
    return index >= 0 && index < Count() ? m_tabs[size_t(index)].Caption : QString();
}

QRect TPageControl::TabRect(int index) const {
    return index >= 0 && index < Count() ? m_tabs[size_t(index)].Rect : QRect();
}

int TPageControl::TabAt(const QPoint& pos) const {
    for (int i = 0; i < Count(); ++i)
        if (m_tabs[size_t(i)].Rect.contains(pos))
            return i;
    return -1;
}

void TPageControl::SetCurrentIndex(int index) {
    if (index < 0 || index >= Count() || index == m_current)
        return;
    // Plain show and hide rather than a stacked layout: while the window is not yet shown these
    // only set flags, where a stacked layout walks every button of every page at each switch,
    // and the catalogue's scan switches pages at every descriptor.
    const int previous = m_current;
    m_current = index;
    if (QWidget* old = Page(previous))
        old->hide();
    CurrentPage()->show();
    Relayout();
    TellTabChanged(this, index);
}

void TPageControl::PickByUser(int index) {
    if (index < 0 || index >= Count() || index == m_current)
        return;
    SetCurrentIndex(index);
    emit Changed(index);
}

void TPageControl::SetHot(int index) {
    if (index == m_hot)
        return;
    m_hot = index;
    update();
}

int TPageControl::TabWidth(const QString& caption) const {
    return qMax(kMinTabWidth, fontMetrics().horizontalAdvance(caption) + 2 * kTabPadding);
}

void TPageControl::Relayout() {
    const int width = qMax(1, this->width());
    // Caption widths are measured once per tab (and again when the font changes): the scan
    // switches pages at every descriptor, and measuring text each time would dominate it.
    std::vector<int> natural;
    natural.reserve(m_tabs.size());
    for (TTab& tab : m_tabs) {
        if (tab.Width < 0)
            tab.Width = TabWidth(tab.Caption);
        natural.push_back(qMin(width, tab.Width));
    }
    // Each row keeps the tab height while the page keeps some room. Past that the rows squeeze,
    // and when even squeezed rows would not fit, tabs get narrower (their captions elided) so
    // that no tab is ever pushed out of reach.
    const int maxRows = qMax(1, (height() - kMinPageHeight) / kMinRowHeight);
    std::vector<int> widths = natural;
    std::vector<std::vector<int>> rows = WrapTabRows(widths, width);
    for (int perRow = 2; int(rows.size()) > maxRows && width / perRow >= kMinTabWidth; ++perRow) {
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = qMin(natural[i], width / perRow);
        rows = WrapTabRows(widths, width);
    }
    m_rowCount = int(rows.size());
    m_rowHeight = TabHeight;
    if (m_rowCount > 0 && m_rowCount * TabHeight > height() - kMinPageHeight)
        m_rowHeight = qMax(kMinRowHeight, (height() - kMinPageHeight) / m_rowCount);

    const int activeRow = m_current >= 0 && m_current < Count() ? [&] {
        for (int r = 0; r < m_rowCount; ++r)
            for (int i : rows[size_t(r)])
                if (i == m_current)
                    return r;
        return 0;
    }()
                                                                : 0;
    for (int r = 0; r < m_rowCount; ++r) {
        const std::vector<int>& row = rows[size_t(r)];
        // The active row stands next to the page; the others keep their order above it.
        const int visualRow = (r - activeRow - 1 + 2 * m_rowCount) % m_rowCount;
        int used = 0;
        for (int i : row)
            used += widths[size_t(i)];
        // Rows of a multi-row strip are stretched to the full width, as they were in the old
        // toolkit; a single row keeps its natural widths.
        const int spare = m_rowCount > 1 ? width - used : 0;
        int x = 0;
        for (int k = 0; k < int(row.size()); ++k) {
            const int i = row[size_t(k)];
            int w = widths[size_t(i)] + spare / int(row.size()) + (k < spare % int(row.size()) ? 1 : 0);
            if (k == int(row.size()) - 1 && m_rowCount > 1)
                w = width - x;
            m_tabs[size_t(i)].Row = r;
            m_tabs[size_t(i)].Rect = QRect(x, visualRow * m_rowHeight, w, m_rowHeight);
            x += w;
        }
    }
    const int top = m_rowCount * m_rowHeight;
    m_stack->setGeometry(2, top + 2, qMax(0, this->width() - 4), qMax(0, height() - top - 4));
    if (QWidget* page = CurrentPage())
        page->setGeometry(m_stack->rect());
    update();
}

void TPageControl::focusInEvent(QFocusEvent* event) {
    // The dotted frame is for those who move with the keyboard; a click needs no such mark.
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    QWidget::focusInEvent(event);
    // Screen readers name the tab that has the focus, not just the strip.
    TellTabChanged(this, m_current);
}

void TPageControl::focusOutEvent(QFocusEvent* event) {
    m_keyboardFocus = false;
    QWidget::focusOutEvent(event);
}

void TPageControl::resizeEvent(QResizeEvent*) {
    Relayout();
}

void TPageControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        for (TTab& tab : m_tabs)
            tab.Width = -1;
        Relayout();
    }
    QWidget::changeEvent(event);
}

void TPageControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        PickByUser(TabAt(event->position().toPoint()));
}

void TPageControl::mouseMoveEvent(QMouseEvent* event) {
    SetHot(TabAt(event->position().toPoint()));
}

void TPageControl::leaveEvent(QEvent*) {
    SetHot(-1);
}

bool TPageControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_stack && event->type() == QEvent::Enter)
        SetHot(-1);
    return QWidget::eventFilter(watched, event);
}

bool TPageControl::event(QEvent* event) {
    // A caption cut short by a narrow tab shows whole as the tab's hint.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = TabAt(help->pos());
        const QString caption = Caption(index);
        if (index >= 0 && TabWidth(caption) > m_tabs[size_t(index)].Rect.width())
            QToolTip::showText(help->globalPos(), caption, this, m_tabs[size_t(index)].Rect);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void TPageControl::keyPressEvent(QKeyEvent* event) {
    if (Count() == 0)
        return QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Left:
        PickByUser(qMax(0, m_current - 1));
        break;
    case Qt::Key_Right:
        PickByUser(qMin(Count() - 1, m_current + 1));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TPageControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int top = m_rowCount * m_rowHeight;
    const QRectF page = QRectF(0, top, width(), height() - top).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Theme::Sky, 1));
    painter.setBrush(Theme::Paper);
    painter.drawRect(page);

    auto drawTab = [&](int i) {
        const TTab& tab = m_tabs[size_t(i)];
        const bool selected = i == m_current;
        const bool hot = i == m_hot && isEnabled();
        QRectF r = QRectF(tab.Rect).adjusted(1, selected ? 0 : 3, -1, selected ? 1.5 : 0);
        const qreal radius = 6;
        QPainterPath path;
        path.moveTo(r.left() + 0.5, r.bottom());
        path.lineTo(r.left() + 0.5, r.top() + radius);
        path.quadTo(r.left() + 0.5, r.top() + 0.5, r.left() + radius, r.top() + 0.5);
        path.lineTo(r.right() - radius, r.top() + 0.5);
        path.quadTo(r.right() - 0.5, r.top() + 0.5, r.right() - 0.5, r.top() + radius);
        path.lineTo(r.right() - 0.5, r.bottom());
        QLinearGradient face(r.topLeft(), r.bottomLeft());
        if (selected) {
            face.setColorAt(0, QColor(0xff, 0xf6, 0xe4));
            face.setColorAt(0.35, Theme::Paper);
            face.setColorAt(1, Theme::Paper);
        } else if (hot) {
            face.setColorAt(0, Qt::white);
            face.setColorAt(1, QColor(0xff, 0xe2, 0xa8));
        } else {
            face.setColorAt(0, Qt::white);
            face.setColorAt(1, QColor(0xd4, 0xe4, 0xf6));
        }
        painter.setBrush(face);
        painter.setPen(QPen(hot && !selected ? QColor(0xe0, 0x8a, 0x10) : Theme::Sky, 1));
        painter.drawPath(path);
        if (selected) {
            // A warm strip along the top marks the active subject.
            painter.setPen(QPen(Theme::Glow, 3, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(r.left() + radius, r.top() + 1.5),
                             QPointF(r.right() - radius, r.top() + 1.5));
        }
        QFont font = this->font();
        font.setBold(selected);
        painter.setFont(font);
        painter.setPen(isEnabled() ? (selected ? Theme::Deep : Theme::Ink) : Theme::Disabled);
        const QRect textRect = r.toRect().adjusted(kTabPadding / 2, 0, -kTabPadding / 2, 0);
        const QString text = QFontMetrics(font).elidedText(tab.Caption, Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignCenter, text);
        if (selected && hasFocus() && m_keyboardFocus) {
            painter.setPen(QPen(Theme::Sky, 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(textRect).adjusted(-2, 6, 2, -6));
        }
    };
    for (int i = 0; i < Count(); ++i)
        if (i != m_current)
            drawTab(i);
    if (m_current >= 0 && m_current < Count())
        drawTab(m_current);
}
