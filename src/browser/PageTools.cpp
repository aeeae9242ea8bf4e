#include "browser/PageTools.h"

#include "browser/FindBar.h"
#include "browser/PageZoom.h"

#include "look/Theme.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {

QAction* NewPageCommand(QWidget* window, const char* name, const QString& caption,
                        const QList<QKeySequence>& keys) {
    auto* action = new QAction(caption, window);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    // Anywhere in the window: the keyboard is in the page most of the time.
    action->setShortcutContext(Qt::WindowShortcut);
    // Shortcuts work only for actions added to a widget of the window.
    window->addAction(action);
    return action;
}

// A moment's note of the new zoom over the top right corner of the page, in the window where the
// user changed it: the keys and the wheel give no other sign of the factor reached.
void AddZoomBadge(QWidget* frame, TPageZoom* zoom) {
    auto* badge = new QLabel(frame);
    badge->setObjectName(QStringLiteral("ZoomBadge"));
    badge->setStyleSheet(
        QStringLiteral("QLabel { background: %1; color: white; border: 1px solid white; border-radius: 6px; "
                       "padding: 4px 10px; font-weight: bold; }")
            .arg(Theme::Deep.name()));
    badge->hide();
    auto* timer = new QTimer(badge);
    timer->setSingleShot(true);
    timer->setInterval(1500);
    QObject::connect(timer, &QTimer::timeout, badge, &QWidget::hide);
    QObject::connect(zoom, &TPageZoom::FactorChanged, badge, [frame, badge, timer, zoom] {
        if (!frame->isVisible() || !frame->window()->isActiveWindow())
            return;
        badge->setText(QStringLiteral("%1 %").arg(zoom->Percent()));
        badge->adjustSize();
        badge->move(frame->width() - badge->width() - 16, 12);
        badge->raise();
        badge->show();
        timer->start();
    });
}

} // namespace

QWidget* AddPageTools(QWidget* window, QWebEngineView* browser, TPageZoom* zoom) {
    auto* frame = new QWidget(window);
    frame->setObjectName(QStringLiteral("PageFrame"));
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(browser, 1);
    auto* bar = new TFindBar(browser, frame);
    column->addWidget(bar);

    QAction* find = NewPageCommand(window, "actFindInPage", QStringLiteral("Найти на странице"),
                                   {QKeySequence(Qt::CTRL | Qt::Key_F)});
    QAction* next =
        NewPageCommand(window, "actFindNext", QStringLiteral("Найти далее"), {QKeySequence(Qt::Key_F3)});
    QAction* previous = NewPageCommand(window, "actFindPrevious", QStringLiteral("Найти назад"),
                                       {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
    QAction* close = NewPageCommand(window, "actCloseFind", QStringLiteral("Закрыть поиск"),
                                    {QKeySequence(Qt::Key_Escape)});
    // Esc belongs to the page unless the bar is open, and to the rest of the window (a filter
    // box beside the page, say) always.
    close->setEnabled(false);
    window->removeAction(close);
    close->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    frame->addAction(close);
    QObject::connect(find, &QAction::triggered, bar, &TFindBar::Open);
    QObject::connect(next, &QAction::triggered, bar, &TFindBar::FindNext);
    QObject::connect(previous, &QAction::triggered, bar, &TFindBar::FindPrevious);
    QObject::connect(close, &QAction::triggered, bar, &TFindBar::Close);
    QObject::connect(bar, &TFindBar::OpenChanged, close, &QAction::setEnabled);

    if (zoom) {
        zoom->Attach(browser);
        AddZoomBadge(frame, zoom);
        // Ctrl++ is Ctrl+Shift+= on most keyboards, and the keypad's plus and minus count too.
        QAction* in = NewPageCommand(
            window, "actZoomIn", QStringLiteral("Увеличить"),
            {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Equal),
             QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus))});
        QAction* out = NewPageCommand(
            window, "actZoomOut", QStringLiteral("Уменьшить"),
            {QKeySequence(Qt::CTRL | Qt::Key_Minus),
             QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus))});
        QAction* reset = NewPageCommand(
            window, "actZoomReset", QStringLiteral("Обычный масштаб"),
            {QKeySequence(Qt::CTRL | Qt::Key_0),
             QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_0))});
        QObject::connect(in, &QAction::triggered, zoom, &TPageZoom::ZoomIn);
        QObject::connect(out, &QAction::triggered, zoom, &TPageZoom::ZoomOut);
        QObject::connect(reset, &QAction::triggered, zoom, &TPageZoom::Reset);
    }
    return frame;
}
