#pragma once

#include "browser/WebBrowser.h"

// The browser inside the player's windows (wMain, wbToolTip). Ctrl+N does nothing in it; its
// context menu offers only what works in the player (no saving, no page source).
class TEmbeddedBrowser final : public TWebBrowser {
    Q_OBJECT
public:
    explicit TEmbeddedBrowser(QWidget* parent = nullptr);

    // Off: the browser shows no context menu of its own (the page still gets its events).
    void SetContextMenuEnabled(bool enabled);
    // Off: files and text dropped onto the browser are refused.
    void SetDropsEnabled(bool enabled);
    bool DropsEnabled() const { return m_dropsEnabled; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void WatchChild(QObject* child);
    // Ctrl+N, and drops while they are refused: taken before the page sees them.
    bool Swallowed(QEvent* event) const;

    bool m_dropsEnabled = true;
};
