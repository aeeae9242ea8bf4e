#include "browser/EmbeddedBrowser.h"

#include <QAction>
#include <QChildEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QWebEnginePage>

namespace {

bool IsNewWindowShortcut(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_N && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

bool IsDropEvent(const QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Entries of the browser's own menu that lead nowhere in the player: pages and downloads are
// never saved, there are no developer tools, and a page source would open as one more
// new-window request routed by the page's rules.
constexpr QWebEnginePage::WebAction kDeadEntries[] = {
    QWebEnginePage::SavePage,
    QWebEnginePage::ViewSource,
    QWebEnginePage::InspectElement,
    QWebEnginePage::DownloadLinkToDisk,
    QWebEnginePage::DownloadImageToDisk,
    QWebEnginePage::DownloadMediaToDisk,
};

} // namespace

TEmbeddedBrowser::TEmbeddedBrowser(QWidget* parent) : TWebBrowser(parent) {
    // Keyboard and drag events reach the page through a child widget the view creates (its
    // focus proxy); watch every child, present and future.
    for (QObject* child : children())
        WatchChild(child);
    // The standard menu shows only the page's visible actions.
    for (QWebEnginePage::WebAction dead : kDeadEntries)
        pageAction(dead)->setVisible(false);
}

void TEmbeddedBrowser::SetContextMenuEnabled(bool enabled) {
    setContextMenuPolicy(enabled ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

void TEmbeddedBrowser::SetDropsEnabled(bool enabled) {
    m_dropsEnabled = enabled;
}

void TEmbeddedBrowser::WatchChild(QObject* child) {
    if (child->isWidgetType())
        child->installEventFilter(this);
}

bool TEmbeddedBrowser::Swallowed(QEvent* event) const {
    if (IsNewWindowShortcut(event)) {
        // Taken here: neither a shortcut nor the page sees it.
        event->accept();
        return true;
    }
    if (!m_dropsEnabled && IsDropEvent(event)) {
        event->ignore();
        return true;
    }
    return false;
}

bool TEmbeddedBrowser::eventFilter(QObject* watched, QEvent* event) {
    return Swallowed(event) || TWebBrowser::eventFilter(watched, event);
}

bool TEmbeddedBrowser::event(QEvent* event) {
    if (event->type() == QEvent::ChildAdded)
        WatchChild(static_cast<QChildEvent*>(event)->child());
    return Swallowed(event) || TWebBrowser::event(event);
}
