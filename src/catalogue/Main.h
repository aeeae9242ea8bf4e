#pragma once

#include "app/AppContext.h"

#include <QWidget>

// The catalogue window: one tab per subject group, one button per course. The main window.
class TMainForm final : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(const TAppContext& context);

    // Plug-in flags read by the viewer at its creation.
    bool FlashInstalled = false;
    bool MathPlayerInstalled = false;
    bool SVGViewerInstalled = false;

    void SetPPTBrowserFlags(bool showInMain);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TAppContext m_context;
};
