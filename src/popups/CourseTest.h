#pragma once

#include "popups/PageWindow.h"

#include <functional>

// The test window ("Тест"): a test page under a tool strip with back, forward, print and close.
// Pages in it may ask for hints and further tests, which go through the viewer's rules.
class TTestForm final : public TPageWindow {
    Q_OBJECT
public:
    explicit TTestForm(const TAppContext& context);

    // Clears the window to a blank page, shows it and then navigates to url (already suffixed).
    void ShowPage(const QString& url);

    // The viewer's ShowToolTip and ShowTest, for "tooltip" and "test" requests of the pages.
    // Without a viewer hint requests go straight to the hint window and tests are ignored.
    std::function<void(const QString& url)> OnShowToolTip;
    std::function<void(const QString& url)> OnShowTest;

    QAction* actPrintTest = nullptr;

    void wbToolTipBeforeNavigate2(TWebBrowser* sender, const QString& url,
                                  const std::optional<QString>& targetFrameName, bool& cancel);
    void wbToolTipNavigateComplete2(TWebBrowser* sender);

protected:
    void ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) override;
};
