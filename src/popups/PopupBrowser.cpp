#include "popups/PopupBrowser.h"

#include "browser/PlainBrowser.h"

#include <QAction>
#include <QMetaObject>

TWebBrowser* ArmPopupBrowser(TPlainBrowser*& popup, QObject* owner,
                             decltype(TWebBrowser::OnBeforeNavigate2) handler) {
    if (!popup)
        popup = new TPlainBrowser(owner);
    popup->OnBeforeNavigate2 = std::move(handler);
    return popup;
}

void ServeAfterBrowser(TPlainBrowser* popup, bool& cancel, QObject* context, std::function<void()> serve) {
    popup->OnBeforeNavigate2 = nullptr;
    cancel = true;
    QMetaObject::invokeMethod(context, std::move(serve), Qt::QueuedConnection);
}

void FollowCommandState(int command, bool enable, QAction* back, QAction* forward) {
    if (command == TWebBrowser::CommandForward)
        forward->setEnabled(enable);
    else if (command == TWebBrowser::CommandBack)
        back->setEnabled(enable);
}
