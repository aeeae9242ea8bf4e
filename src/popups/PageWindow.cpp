#include "popups/PageWindow.h"

#include "browser/EmbeddedBrowser.h"
#include "browser/PageTools.h"
#include "browser/PlainBrowser.h"
#include "look/CommandImages.h"
#include "look/ToolStrip.h"
#include "popups/PopupBrowser.h"

#include <QAction>

TPageWindow::TPageWindow(const TAppContext& context) : m_context(context) {
    actBack = NewToolAction(this, "actBack", QStringLiteral("Назад"), ciBack);
    actForward = NewToolAction(this, "actForward", QStringLiteral("Вперед"), ciForward);
    actHide = NewToolAction(this, "actHide", QStringLiteral("Закрыть"), ciClose);
}

TPageWindow::~TPageWindow() {
    delete PopupBrowser;
    PopupBrowser = nullptr;
}

void TPageWindow::AddPageBrowser() {
    wbToolTip = new TEmbeddedBrowser(this);
    wbToolTip->setObjectName(QStringLiteral("wbToolTip"));
    wbToolTip->SetDropsEnabled(false);
    setCentralWidget(AddPageTools(this, wbToolTip, m_context.PageZoom));
    connect(actBack, &QAction::triggered, wbToolTip, [this] { wbToolTip->GoBack(); });
    connect(actForward, &QAction::triggered, wbToolTip, [this] { wbToolTip->GoForward(); });
    connect(actHide, &QAction::triggered, this, &QWidget::hide);
    wbToolTip->OnCommandStateChange = [this](TWebBrowser* sender, int command, bool enable) {
        wbToolTipCommandStateChange(sender, command, enable);
    };
    wbToolTip->OnNewWindow2 = [this](TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel) {
        wbToolTipNewWindow2(sender, ppDisp, cancel);
    };
}

void TPageWindow::wbToolTipCommandStateChange(TWebBrowser*, int command, bool enable) {
    FollowCommandState(command, enable, actBack, actForward);
}

void TPageWindow::wbToolTipNewWindow2(TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
    ppDisp = ArmPopupBrowser(
        PopupBrowser, this,
        [this](TWebBrowser* sender, const QString& url, const std::optional<QString>& targetFrameName,
               bool& cancel) { PopupBeforeNavigate2(sender, url, targetFrameName, cancel); });
}

void TPageWindow::PopupBeforeNavigate2(TWebBrowser*, const QString& url,
                                       const std::optional<QString>& targetFrameName, bool& cancel) {
    ServeAfterBrowser(PopupBrowser, cancel, this,
                      [this, url, targetFrameName] { ServePopupRequest(url, targetFrameName); });
}
