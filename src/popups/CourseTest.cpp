#include "popups/CourseTest.h"

#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "look/CommandImages.h"
#include "look/ToolStrip.h"
#include "popups/CourseToolTip.h"
#include "popups/LinkRules.h"

#include <QAction>
#include <QToolBar>

TTestForm::TTestForm(const TAppContext& context) : TPageWindow(context) {
    setObjectName(QStringLiteral("TestForm"));
    setWindowTitle(QStringLiteral("Тест"));
    resize(564, 401);

    actPrintTest = NewToolAction(this, "actPrintTest", QStringLiteral("Печать теста"), ciPrint);
    ShowCommandImages(this, context.CommandImages);

    QToolBar* bar = AddToolStrip(this, QStringLiteral("TestToolBar"), true);
    AddToolButton(bar, actBack);
    AddToolButton(bar, actForward);
    AddToolButton(bar, actPrintTest);
    bar->addSeparator();
    AddToolButton(bar, actHide);

    AddPageBrowser();
    connect(actPrintTest, &QAction::triggered, this, [this] { wbToolTip->PrintPreview(); });
    wbToolTip->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                          const std::optional<QString>& targetFrameName, bool& cancel) {
        wbToolTipBeforeNavigate2(sender, url, targetFrameName, cancel);
    };
    wbToolTip->OnNavigateComplete2 = [this](TWebBrowser* sender) { wbToolTipNavigateComplete2(sender); };
}

void TTestForm::ShowPage(const QString& url) {
    // A test still loading is stopped first, so that the blank page's own load is the one
    // followed; the test then loads as a new document even when only its fragment differs from
    // the last one. No nested loop waits for the blank page: a page's request for a test is served
    // right after the engine's own work, where a wait could stall the engine. The window comes
    // up once the blank page is in it, so a hidden window never shows the last pupil's test.
    wbToolTip->Stop();
    wbToolTip->LoadBlankThen([this, url] {
        show();
        raise();
        activateWindow();
        wbToolTip->Navigate(url);
    });
}

void TTestForm::wbToolTipBeforeNavigate2(TWebBrowser*, const QString&, const std::optional<QString>&, bool&) {
    wbToolTip->setCursor(Qt::WaitCursor);
}

void TTestForm::wbToolTipNavigateComplete2(TWebBrowser*) {
    wbToolTip->unsetCursor();
}

void TTestForm::ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) {
    switch (RouteTestRequest(targetFrameName)) {
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
}
