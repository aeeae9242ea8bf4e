#include "browser/FindBar.h"

#include "look/Accessibility.h"
#include "look/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEngineView>

namespace {

constexpr int kIconSize = 16;
const QColor kNotFoundBase(0xfd, 0xe2, 0xe2);

enum class TGlyph { Up, Down, Cross };

// The bar's small pictures are drawn, in the theme's ink, so they stay sharp at any scale.
QPixmap GlyphPixmap(TGlyph glyph, const QColor& color) {
    QPixmap pixmap(kIconSize * 2, kIconSize * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    switch (glyph) {
    case TGlyph::Up:
        path.moveTo(3.5, 10.5);
        path.lineTo(8, 6);
        path.lineTo(12.5, 10.5);
        break;
    case TGlyph::Down:
        path.moveTo(3.5, 6);
        path.lineTo(8, 10.5);
        path.lineTo(12.5, 6);
        break;
    case TGlyph::Cross:
        path.moveTo(4.5, 4.5);
        path.lineTo(11.5, 11.5);
        path.moveTo(11.5, 4.5);
        path.lineTo(4.5, 11.5);
        break;
    }
    painter.drawPath(path);
    return pixmap;
}

QIcon GlyphIcon(TGlyph glyph) {
    QIcon icon;
    icon.addPixmap(GlyphPixmap(glyph, Theme::Ink), QIcon::Normal);
    icon.addPixmap(GlyphPixmap(glyph, Theme::Disabled), QIcon::Disabled);
    return icon;
}

QToolButton* NewButton(QWidget* parent, const char* name, TGlyph glyph, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(kIconSize, kIconSize));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    // The keyboard stays in the text box: the keys do what the buttons do.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TFindBar::TFindBar(QWebEngineView* view, QWidget* parent) : QFrame(parent), m_view(view) {
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(false);

    auto* label = new QLabel(QStringLiteral("Найти:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("FindText"));
    m_text->setPlaceholderText(QStringLiteral("Слово на странице"));
    m_text->setClearButtonEnabled(true);
    NameEditButton(m_text, nullptr, QStringLiteral("Очистить"));
    m_text->setMinimumWidth(180);
    m_text->setMaximumWidth(280);
    m_text->installEventFilter(this);
    label->setBuddy(m_text);
    m_previous =
        NewButton(this, "FindPrevious", TGlyph::Up, QStringLiteral("Предыдущее совпадение (Shift+F3)"));
    m_next = NewButton(this, "FindNext", TGlyph::Down, QStringLiteral("Следующее совпадение (F3)"));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("FindCount"));
    m_close = NewButton(this, "FindClose", TGlyph::Cross, QStringLiteral("Закрыть (Esc)"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 6, 4);
    row->setSpacing(4);
    row->addWidget(label);
    row->addWidget(m_text, 1);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addSpacing(6);
    row->addWidget(m_count);
    row->addStretch(1);
    row->addWidget(m_close);

    connect(m_text, &QLineEdit::textChanged, this, [this] { Search(false); });
    connect(m_previous, &QToolButton::clicked, this, &TFindBar::FindPrevious);
    connect(m_next, &QToolButton::clicked, this, &TFindBar::FindNext);
    connect(m_close, &QToolButton::clicked, this, &TFindBar::Close);
    // A new page in the view: its matches are counted afresh.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] {
        if (!isHidden() && !m_text->text().isEmpty()) {
            m_view->findText(QString());
            Search(false);
        }
    });
    ShowCount();
    hide();
}

QString TFindBar::CountText(const QString& text, int activeMatch, int matchCount) {
    if (text.isEmpty())
        return QString();
    if (matchCount <= 0)
        return QStringLiteral("Не найдено");
    return QStringLiteral("%1 из %2").arg(activeMatch).arg(matchCount);
}

QString TFindBar::CountText() const {
    return m_count->text();
}

void TFindBar::Open() {
    const bool wasHidden = isHidden();
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
    // Closing cleared the marks: the text kept in the box marks them again.
    if (wasHidden && !m_text->text().isEmpty())
        Search(false);
    if (wasHidden)
        emit OpenChanged(true);
}

void TFindBar::Close() {
    if (isHidden())
        return;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    EndSearch();
    if (hadFocus)
        m_view->setFocus(Qt::OtherFocusReason);
    emit OpenChanged(false);
}

void TFindBar::FindNext() {
    if (isHidden())
        Open();
    else
        Search(false);
}

void TFindBar::FindPrevious() {
    if (isHidden())
        Open();
    else
        Search(true);
}

void TFindBar::EndSearch() {
    ++m_searchSerial; // an answer still on its way is dropped
    m_searched.clear();
    m_activeMatch = 0;
    m_matchCount = 0;
    // An empty search ends the find session: the marks go, the current match stays selected.
    m_view->findText(QString());
    ShowCount();
}

void TFindBar::Search(bool backward) {
    const QString text = m_text->text();
    if (text.isEmpty()) {
        EndSearch();
        return;
    }
    // Case does not matter: no FindCaseSensitively.
    const QWebEnginePage::FindFlags flags =
        backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    // Typing quickly starts searches faster than the page answers; only the latest one counts.
    const quint64 serial = ++m_searchSerial;
    QPointer<TFindBar> self(this);
    m_view->findText(text, flags, [self, serial, text](const QWebEngineFindTextResult& result) {
        if (self && self->m_searchSerial == serial && self->m_text->text() == text) {
            self->m_searched = text;
            self->ShowResult(result);
        }
    });
}

void TFindBar::ShowResult(const QWebEngineFindTextResult& result) {
    m_matchCount = result.numberOfMatches();
    m_activeMatch = result.activeMatch();
    ShowCount();
    emit ResultShown(m_activeMatch, m_matchCount);
}

void TFindBar::ShowCount() {
    m_count->setText(CountText(m_searched, m_activeMatch, m_matchCount));
    const bool notFound = !m_searched.isEmpty() && m_matchCount <= 0;
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, notFound ? kNotFoundBase : Theme::Paper);
    m_text->setPalette(palette);
    m_previous->setEnabled(m_matchCount > 0);
    m_next->setEnabled(m_matchCount > 0);
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (key->modifiers() & Qt::ShiftModifier)
                FindPrevious();
            else
                FindNext();
            return true;
        case Qt::Key_Escape:
            Close();
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TFindBar::paintEvent(QPaintEvent*) {
    // The player's panel look: a soft gradient with a line between the page and the bar.
    QPainter painter(this);
    QLinearGradient face(0, 0, 0, height());
    face.setColorAt(0, Theme::Paper);
    face.setColorAt(1, Theme::Mist);
    painter.fillRect(rect(), face);
    painter.setPen(Theme::Sky);
    painter.drawLine(0, 0, width(), 0);
}
