#pragma once

#include "app/browser/PlainBrowser.h"

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
