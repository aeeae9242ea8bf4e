#pragma once

#include "app/browser/EmbeddedBrowser.h"
#include "app/browser/PageTools.h"
#include "app/browser/PlainBrowser.h"

#include <QAction>
#include <QMainWindow>

#include <optional>

// Every window catches its pages' new-window requests in one hidden browser of its own: made on
// the first request, armed for exactly one (the handler disarms it before routing the request),
// and handed to the page as the browser that receives the new window's navigation.
template <typename TForm>
TWebBrowser* ArmPopupBrowser(TPlainBrowser*& popup, TForm* form,
                             void (TForm::*handler)(TWebBrowser*, const QString&,
                                                    const std::optional<QString>&, bool&)) {
    if (!popup)
        popup = new TPlainBrowser(form);
    popup->OnBeforeNavigate2 = [form, handler](TWebBrowser* sender, const QString& url,
                                               const std::optional<QString>& targetFrameName, bool& cancel) {
        (form->*handler)(sender, url, targetFrameName, cancel);
    };
    return popup;
}

// The end of a window's PopupBeforeNavigate2: the hidden browser is disarmed (each arming serves
// one request) and never loads the page itself. The request is reported from inside the
// browser's own work, where waiting for another page (hints and tests wait for theirs) could
// never end, so serve runs right after it.
template <typename TServe>
void ServeAfterBrowser(TPlainBrowser* popup, bool& cancel, QObject* context, TServe serve) {
    popup->OnBeforeNavigate2 = nullptr;
    cancel = true;
    QMetaObject::invokeMethod(context, std::move(serve), Qt::QueuedConnection);
}

// The browser of a hint or test window: it fills the window below the tool strip, with the find
// bar under it and the shared zoom, takes no dropped files, follows the window's back, forward
// and close commands, and reports its history and new-window requests to the window's handlers.
template <typename TForm> TEmbeddedBrowser* AddPopupWindowBrowser(TForm* form, TPageZoom* zoom) {
    auto* browser = new TEmbeddedBrowser(form);
    browser->setObjectName(QStringLiteral("wbToolTip"));
    browser->SetDropsEnabled(false);
    form->setCentralWidget(AddPageTools(form, browser, zoom));
    QObject::connect(form->actBack, &QAction::triggered, browser, [browser] { browser->GoBack(); });
    QObject::connect(form->actForward, &QAction::triggered, browser, [browser] { browser->GoForward(); });
    QObject::connect(form->actHide, &QAction::triggered, form, &QWidget::hide);
    browser->OnCommandStateChange = [form](TWebBrowser* sender, int command, bool enable) {
        form->wbToolTipCommandStateChange(sender, command, enable);
    };
    browser->OnNewWindow2 = [form](TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel) {
        form->wbToolTipNewWindow2(sender, ppDisp, cancel);
    };
    return browser;
}

// Back and forward follow what the window's browser reports.
inline void FollowCommandState(int command, bool enable, QAction* back, QAction* forward) {
    if (command == TWebBrowser::CommandForward)
        forward->setEnabled(enable);
    else if (command == TWebBrowser::CommandBack)
        back->setEnabled(enable);
}
