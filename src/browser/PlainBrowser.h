#pragma once

#include "browser/WebBrowser.h"

class QMenu;

// A hidden browser with no parent window, destroyed together with its owner. Windows use one
// as the receiver of their pages' new-window requests. A right click over it never reaches
// the page; the release shows PopupMenu when there is one (see WbPopup.h).
class TPlainBrowser : public TWebBrowser {
    Q_OBJECT
public:
    explicit TPlainBrowser(QObject* owner);

    QMenu* PopupMenu = nullptr;
};
