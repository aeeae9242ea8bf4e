#pragma once

#include "app/AppContext.h"

#include <QMainWindow>
#include <optional>

class QAction;
class TEmbeddedBrowser;
class TFindBar;
class TPlainBrowser;
class TWebBrowser;

// What the hint, test and presentation windows share: a browser below the window's tool strips
// (with the find bar and the shared zoom), back, forward and close commands that follow it, and
// the hidden browser that catches its pages' requests for new windows. Each window says where
// such a request goes; a window hides rather than closes.
class TPageWindow : public QMainWindow {
    Q_OBJECT
public:
    ~TPageWindow() override; // FormDestroy

    TEmbeddedBrowser* wbToolTip = nullptr;
    TPlainBrowser* PopupBrowser = nullptr; // created on the first new-window request
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actHide = nullptr;
    QAction* actPrintPage = nullptr; // Ctrl+P, on no strip

    void wbToolTipCommandStateChange(TWebBrowser* sender, int command, bool enable);
    void wbToolTipNewWindow2(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel);
    void PopupBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);

protected:
    explicit TPageWindow(const TAppContext& context);

    // Puts the browser below the tool strips built so far; once, from the window's constructor.
    void AddPageBrowser();

    // Where a page's request for a new window goes, by its target name. Runs right after the
    // hidden browser's own work, so it may wait for pages.
    virtual void ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) = 0;

    TAppContext m_context;

private:
    void AddPageKeys(TFindBar* findBar);
};
