#pragma once

#include <QObject>
#include <QPoint>

class QWidget;
class TPlainBrowser;

// The right-click hook: one application-wide event filter, installed by the constructor and
// removed by the destructor. Create it once, before the first window; keep it until exit.
// A right press over a TPlainBrowser (or a class derived from it) is swallowed; the release
// shows the browser's PopupMenu, when it has one, at the cursor. Everything else passes.
class TWbPopup final : public QObject {
    Q_OBJECT
public:
    TWbPopup();
    ~TWbPopup() override;

    // The plain browser under a screen point, or nullptr.
    static TPlainBrowser* PlainBrowserAt(const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_installed = false;
};
