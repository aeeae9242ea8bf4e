#pragma once

#include "popups/PageWindow.h"

// The hint window ("Подсказка"): a browser under a small tool strip. Pages in it may open
// further hints; nothing else they ask for is shown.
class TToolTipForm final : public TPageWindow {
    Q_OBJECT
public:
    explicit TToolTipForm(const TAppContext& context);

    // Shows the window in front, navigates to url and waits, pumping events with the hour-glass
    // cursor, until the page is complete (or the application quits). The viewer's ShowToolTip.
    void ShowPage(const QString& url);

protected:
    void ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) override;
};
