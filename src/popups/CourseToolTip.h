#pragma once

#include "app/AppContext.h"

#include <QMainWindow>
#include <optional>

class QAction;
class QToolBar;
class TEmbeddedBrowser;
class TPlainBrowser;
class TWebBrowser;

// The hint window ("Подсказка"): a browser under a small tool strip. Pages in it may open
// further hints; nothing else they ask for is shown.
class TToolTipForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TToolTipForm(const TAppContext& context);
    ~TToolTipForm() override; // FormDestroy

    // Shows the window in front, navigates to url and waits, pumping events with the hour-glass
    // cursor, until the page is complete (or the application quits). The viewer's ShowToolTip.
    void ShowPage(const QString& url);

    TEmbeddedBrowser* wbToolTip = nullptr;
    TPlainBrowser* PopupBrowser = nullptr; // created on the first new-window request
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actHide = nullptr;

    void wbToolTipCommandStateChange(TWebBrowser* sender, int command, bool enable);
    void wbToolTipNewWindow2(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel);
    void PopupBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);

private:
    TAppContext m_context;
    bool m_quitting = false; // the application is going down: waits give up
};
