#include "browser/WbPopup.h"

#include "browser/PlainBrowser.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

TWbPopup::TWbPopup() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        m_installed = true;
    }
}

TWbPopup::~TWbPopup() {
    if (m_installed)
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
}

TPlainBrowser* TWbPopup::PlainBrowserAt(const QPoint& globalPos) {
    for (QWidget* widget = QApplication::widgetAt(globalPos); widget; widget = widget->parentWidget())
        if (auto* browser = dynamic_cast<TPlainBrowser*>(widget))
            return browser;
    return nullptr;
}

bool TWbPopup::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        // A mouse event passes here first on its way to the window, then once more on its way
        // to the widget; swallowed at the first, it never reaches the second.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton)
            break;
        const QPoint globalPos = mouse->globalPosition().toPoint();
        TPlainBrowser* browser = PlainBrowserAt(globalPos);
        if (!browser)
            break;
        if (event->type() == QEvent::MouseButtonRelease && browser->PopupMenu) {
            browser->PopupMenu->setProperty("PopupComponent", QVariant::fromValue<QObject*>(browser));
            browser->PopupMenu->popup(globalPos);
        }
        return true;
    }
    case QEvent::ContextMenu: {
        // Qt turns a right press into a context-menu request even when the press was taken.
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        if (menu->reason() == QContextMenuEvent::Mouse && PlainBrowserAt(menu->globalPos()))
            return true;
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
