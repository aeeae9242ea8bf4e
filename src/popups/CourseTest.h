#pragma once

#include "app/AppContext.h"

#include <QMainWindow>
#include <functional>
#include <optional>

class QAction;
class TEmbeddedBrowser;
class TPlainBrowser;
class TWebBrowser;

// The test window ("Тест"): a test page under a tool strip with back, forward, print and close.
// Pages in it may ask for hints and further tests, which go through the viewer's rules.
class TTestForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TTestForm(const TAppContext& context);
    ~TTestForm() override; // FormDestroy

    // Clears the window to a blank page, shows it and navigates to url (already suffixed).
    void ShowPage(const QString& url);

    // The viewer's ShowToolTip and ShowTest, for "tooltip" and "test" requests of the pages.
    // Without a viewer hint requests go straight to the hint window and tests are ignored.
    std::function<void(const QString& url)> OnShowToolTip;
    std::function<void(const QString& url)> OnShowTest;

    TEmbeddedBrowser* wbToolTip = nullptr;
    TPlainBrowser* PopupBrowser = nullptr; // created on the first new-window request
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actPrintTest = nullptr;
    QAction* actHide = nullptr;

    void wbToolTipCommandStateChange(TWebBrowser* sender, int command, bool enable);
    void wbToolTipNewWindow2(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel);
    void wbToolTipBeforeNavigate2(TWebBrowser* sender, const QString& url,
                                  const std::optional<QString>& targetFrameName, bool& cancel);
    void wbToolTipNavigateComplete2(TWebBrowser* sender);
    void PopupBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);

private:
    TAppContext m_context;
};
