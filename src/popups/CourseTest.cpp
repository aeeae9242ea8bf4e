#include "popups/CourseTest.h"

#include "app/CommandImages.h"
#include "app/Roster.h"
#include "app/browser/EmbeddedBrowser.h"
#include "app/browser/PlainBrowser.h"
#include "popups/CourseToolTip.h"
#include "popups/LinkRules.h"
#include "popups/PopupBrowser.h"
#include "popups/ToolStrip.h"

#include <QAction>
#include <QToolBar>

TTestForm::TTestForm(const TAppContext& context) : m_context(context) {
    setObjectName(QStringLiteral("TestForm"));
    setWindowTitle(QStringLiteral("Тест"));
    resize(564, 401);

    actBack = NewToolAction(this, "actBack", QStringLiteral("Назад"), ciBack);
    actForward = NewToolAction(this, "actForward", QStringLiteral("Вперед"), ciForward);
    actPrintTest = NewToolAction(this, "actPrintTest", QStringLiteral("Печать теста"), ciPrint);
    actHide = NewToolAction(this, "actHide", QStringLiteral("Закрыть"), ciClose);

    QToolBar* bar = AddToolStrip(this, QStringLiteral("TestToolBar"), true);
    AddToolButton(bar, actBack);
    AddToolButton(bar, actForward);
    AddToolButton(bar, actPrintTest);
    bar->addSeparator();
    AddToolButton(bar, actHide);

    wbToolTip = AddPopupWindowBrowser(this, context.PageZoom);
    connect(actPrintTest, &QAction::triggered, this, [this] { wbToolTip->PrintPreview(); });
    wbToolTip->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                          const std::optional<QString>& targetFrameName, bool& cancel) {
        wbToolTipBeforeNavigate2(sender, url, targetFrameName, cancel);
    };
    wbToolTip->OnNavigateComplete2 = [this](TWebBrowser* sender) { wbToolTipNavigateComplete2(sender); };
}

TTestForm::~TTestForm() {
    delete PopupBrowser;
    PopupBrowser = nullptr;
}

void TTestForm::ShowPage(const QString& url) {
    // A test still loading is stopped first, so that the wait sees the blank page's own load.
    wbToolTip->Stop();
    wbToolTip->LoadBlankAndWait();
    show();
    raise();
    activateWindow();
    wbToolTip->Navigate(url);
}

void TTestForm::wbToolTipCommandStateChange(TWebBrowser*, int command, bool enable) {
    FollowCommandState(command, enable, actBack, actForward);
}

void TTestForm::wbToolTipNewWindow2(TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
    ppDisp = ArmPopupBrowser(PopupBrowser, this, &TTestForm::PopupBeforeNavigate2);
}

void TTestForm::wbToolTipBeforeNavigate2(TWebBrowser*, const QString&, const std::optional<QString>&, bool&) {
    wbToolTip->setCursor(Qt::WaitCursor);
}

void TTestForm::wbToolTipNavigateComplete2(TWebBrowser*) {
    wbToolTip->unsetCursor();
}

void TTestForm::PopupBeforeNavigate2(TWebBrowser*, const QString& url,
                                     const std::optional<QString>& targetFrameName, bool& cancel) {
    const TTestRoute route = RouteTestRequest(targetFrameName);
    ServeAfterBrowser(PopupBrowser, cancel, this, [this, route, url] {
        switch (route) {
        case TTestRoute::ToolTip:
            if (OnShowToolTip)
                OnShowToolTip(url);
            else if (Roster().ToolTipForm)
                Roster().ToolTipForm->ShowPage(url);
            break;
        case TTestRoute::Test:
            if (OnShowTest)
                OnShowTest(url);
            break;
        case TTestRoute::Nothing:
            break;
        }
    });
}
