#include "viewer/TreeFilterBox.h"

#include "look/Accessibility.h"
#include "look/Theme.h"
#include "viewer/TreeFilter.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// A small magnifying glass in the theme's ink, drawn at the device's resolution.
QIcon LensIcon(qreal ratio) {
    const int side = 16;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Theme::Deep, 1.8));
    painter.setBrush(QColor(0xff, 0xff, 0xff, 160));
    painter.drawEllipse(QRectF(2.5, 2.5, 8.5, 8.5));
    painter.setPen(QPen(Theme::Deep, 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.2, 10.2), QPointF(13.8, 13.8));
    return QIcon(pixmap);
}

} // namespace

TTreeFilterBox::TTreeFilterBox(QTreeWidget* tree, QWidget* parent)
    : QLineEdit(parent), m_tree(tree), m_filter(new TTreeFilter(tree)) {
    setObjectName(QStringLiteral("LeftTreeFilter"));
    setPlaceholderText(QStringLiteral("Фильтр по названию (Ctrl+L)"));
    setToolTip(QStringLiteral("Оставить в оглавлении только пункты, в названии которых есть все "
                              "набранные слова. Esc — показать всё"));
    setAccessibleName(QStringLiteral("Фильтр оглавления"));
    setClearButtonEnabled(true);
    NameEditButton(this, nullptr, QStringLiteral("Показать всё оглавление"));
    const QAction* lens = addAction(LensIcon(devicePixelRatioF()), QLineEdit::LeadingPosition);
    NameEditButton(this, lens, QStringLiteral("Фильтр"));

    m_focusAction = new QAction(QStringLiteral("Фильтр по названию"), this);
    m_focusAction->setObjectName(QStringLiteral("actFilterTree"));
    m_focusAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_focusAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_focusAction, &QAction::triggered, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });

    m_emptyHint = new QLabel(QStringLiteral("Ничего не найдено"), tree->viewport());
    m_emptyHint->setObjectName(QStringLiteral("TreeFilterEmptyHint"));
    m_emptyHint->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_emptyHint->setWordWrap(true);
    QPalette hintPalette = m_emptyHint->palette();
    hintPalette.setColor(QPalette::WindowText, Theme::Ink);
    m_emptyHint->setPalette(hintPalette);
    m_emptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyHint->hide();
    tree->viewport()->installEventFilter(this);

    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_enterWhenDone = false; // typing on: the move into the tree waited for older text
        m_filter->SetQuery(text);
    });
    connect(m_filter, &TTreeFilter::Filtered, this, &TTreeFilterBox::ShowState);
    // The filter ended by itself: the text that asked for it goes too (the filter is already
    // off or putting the tree back, so emptying the box adds nothing).
    connect(m_filter, &TTreeFilter::Ended, this, [this] { clear(); });
}

void TTreeFilterBox::Forget() {
    m_filter->Forget();
    clear();
}

void TTreeFilterBox::EnterTree() {
    // A huge tree is still being filtered: the move follows once the matches are known.
    m_enterWhenDone = m_filter->Busy();
    if (m_enterWhenDone)
        return;
    QTreeWidgetItem* current = m_tree->currentItem();
    const bool onCurrent = current && current->isSelected() && !current->isHidden();
    if (!onCurrent && m_filter->IsActive()) {
        QTreeWidgetItem* first = m_filter->FirstMatch();
        if (!first)
            return; // nothing to move to: the box keeps the focus
        // The user's keys chose it, as moving through the tree with them does.
        m_tree->setCurrentItem(first);
    }
    m_tree->setFocus(Qt::OtherFocusReason);
    if (QTreeWidgetItem* item = m_tree->currentItem())
        m_tree->scrollToItem(item);
}

void TTreeFilterBox::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        clear(); // restores the tree
        m_tree->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    if (plain &&
        (event->key() == Qt::Key_Down || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        EnterTree();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool TTreeFilterBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree->viewport() && event->type() == QEvent::Resize)
        PlaceEmptyHint();
    return QLineEdit::eventFilter(watched, event);
}

void TTreeFilterBox::ShowState() {
    if (m_enterWhenDone && !m_filter->Busy())
        EnterTree();
    const bool empty = m_filter->IsActive() && m_filter->MatchCount() == 0;
    if (empty)
        PlaceEmptyHint();
    m_emptyHint->setVisible(empty);
}

void TTreeFilterBox::PlaceEmptyHint() {
    const int margin = 8;
    const int width = qMax(0, m_tree->viewport()->width() - 2 * margin);
    m_emptyHint->setGeometry(margin, 2 * margin, width, m_emptyHint->heightForWidth(width));
}

TTreeFilterPane::TTreeFilterPane(QTreeWidget* tree, QWidget* parent)
    : QWidget(parent), m_box(new TTreeFilterBox(tree, this)) {
    setObjectName(QStringLiteral("LeftTreePane"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The box sits on the window's own background with a little air round it, so that it
    // reads as a tool of the tree rather than part of it.
    auto* boxRow = new QVBoxLayout;
    boxRow->setContentsMargins(3, 3, 3, 4);
    boxRow->addWidget(m_box);
    layout->addLayout(boxRow);
    tree->setParent(this);
    layout->addWidget(tree, 1);
    setTabOrder(m_box, tree);
    // A shortcut works only for an action added to a widget of the window.
    addAction(m_box->FocusAction());
}
