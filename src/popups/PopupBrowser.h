#pragma once

#include "browser/WebBrowser.h"

#include <functional>

class QAction;
class QObject;
class TPlainBrowser;

// Every window catches its pages' new-window requests in one hidden browser of its own: made on
// the first request (owned by owner), armed for exactly one (the handler disarms it before
// routing the request), and handed to the page as the browser that receives the new window's
// navigation.
TWebBrowser* ArmPopupBrowser(TPlainBrowser*& popup, QObject* owner,
                             decltype(TWebBrowser::OnBeforeNavigate2) handler);

// The end of a window's PopupBeforeNavigate2: the hidden browser is disarmed (each arming serves
// one request) and never loads the page itself. The request is reported from inside the
// browser's own work, where waiting for another page (hints and tests wait for theirs) could
// never end, so serve runs right after it.
void ServeAfterBrowser(TPlainBrowser* popup, bool& cancel, QObject* context, std::function<void()> serve);

// Back and forward follow what a window's browser reports (OnCommandStateChange).
void FollowCommandState(int command, bool enable, QAction* back, QAction* forward);
