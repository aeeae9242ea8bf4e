#include "popups/PageWindow.h"

#include "browser/EmbeddedBrowser.h"
#include "browser/FindBar.h"
#include "browser/PageTools.h"
#include "browser/PlainBrowser.h"
#include "look/CommandImages.h"
#include "look/KeyboardAccess.h"
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
    QWidget* frame = AddPageTools(this, wbToolTip, m_context.PageZoom);
    setCentralWidget(frame);
    AddPageKeys(frame->findChild<TFindBar*>());
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

void TPageWindow::AddPageKeys(TFindBar* findBar) {
    // The tool strips take no focus: these keys are the keyboard's way to their commands, wherever
    // the focus is, the page included.
    AddWindowKeys(this, actBack, {QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
    AddWindowKeys(this, actForward, {QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
    const auto hideKeys = [this](bool findOpen) {
        // While the find bar is open Esc closes the bar first.
        QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_W)};
        if (!findOpen)
            keys.prepend(QKeySequence(Qt::Key_Escape));
        AddWindowKeys(this, actHide, keys);
    };
    hideKeys(false);
    if (findBar)
        connect(findBar, &TFindBar::OpenChanged, this, hideKeys);
    actPrintPage = new QAction(QStringLiteral("Печать"), this);
    actPrintPage->setObjectName(QStringLiteral("actPrintPage"));
    AddWindowKeys(this, actPrintPage, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    connect(actPrintPage, &QAction::triggered, wbToolTip, [this] { wbToolTip->Print(); });
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
