#include "collections/ShowFavor.h"

#include "app/CommandImages.h"
#include "app/Roster.h"
#include "app/browser/EmbeddedBrowser.h"
#include "app/browser/PlainBrowser.h"
#include "collections/Favorite.h"
#include "popups/LinkRules.h"
#include "popups/PopupBrowser.h"
#include "popups/ToolStrip.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

// FormCreate: a window without a parent is a top-level window with a task-bar button of its own.
TShowFavorForm::TShowFavorForm(const TAppContext& context) : m_context(context) {
    setObjectName(QStringLiteral("ShowFavorForm"));
    setWindowTitle(QStringLiteral("Подборка учебных материалов"));
    resize(900, 680);

    actBack = NewToolAction(this, "actBack", QStringLiteral("Назад"), ciBack);
    actForward = NewToolAction(this, "actForward", QStringLiteral("Вперед"), ciForward);
    actPrint = NewToolAction(this, "actPrint", QStringLiteral("Печать"), ciPrint);
    actHide = NewToolAction(this, "actHide", QStringLiteral("Закрыть"), ciClose);

    NavigateToolBar = AddToolStrip(this, QStringLiteral("NavigateToolBar"), true);
    AddToolButton(NavigateToolBar, actBack);
    AddToolButton(NavigateToolBar, actForward);
    ActionToolBar = AddToolStrip(this, QStringLiteral("ActionToolBar"), true);
    // The editor is created just before this window; the button runs the editor's own command.
    QAction* showTasks = Roster().FavoriteForm ? Roster().FavoriteForm->actShowTasksOnly : nullptr;
    if (showTasks) {
        m_showTaskItem = AddOwnToolButton(ActionToolBar, showTasks, QStringLiteral("tbtnShowTask"));
        tbtnShowTask = qobject_cast<QToolButton*>(ActionToolBar->widgetForAction(m_showTaskItem));
        ActionToolBar->addSeparator();
    }
    AddToolButton(ActionToolBar, actPrint);
    ActionToolBar->addSeparator();
    AddToolButton(ActionToolBar, actHide);

    // Script errors are left to the page, as the browser shows them; Ctrl+N and the print header
    // and footer are the embedded browser's own.
    wbToolTip = AddPopupWindowBrowser(this, context.PageZoom);
    connect(actPrint, &QAction::triggered, this, [this] { wbToolTip->PrintPreview(); });
}

TShowFavorForm::~TShowFavorForm() {
    delete PopupBrowser;
    PopupBrowser = nullptr;
}

void TShowFavorForm::SetShowTaskVisible(bool visible) {
    if (m_showTaskItem)
        m_showTaskItem->setVisible(visible);
}

bool TShowFavorForm::ShowTaskVisible() const {
    return m_showTaskItem && m_showTaskItem->isVisible();
}

void TShowFavorForm::wbToolTipCommandStateChange(TWebBrowser*, int command, bool enable) {
    FollowCommandState(command, enable, actBack, actForward);
}

void TShowFavorForm::wbToolTipNewWindow2(TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
    ppDisp = ArmPopupBrowser(PopupBrowser, this, &TShowFavorForm::PopupBeforeNavigate2);
}

void TShowFavorForm::PopupBeforeNavigate2(TWebBrowser*, const QString& url,
                                          const std::optional<QString>& targetFrameName, bool& cancel) {
    const TShowFavorRoute route = RouteShowFavorRequest(targetFrameName);
    ServeAfterBrowser(PopupBrowser, cancel, this, [this, route, url] { ServeRequest(route, url); });
}

void TShowFavorForm::ServeRequest(TShowFavorRoute route, const QString& url) {
    if (route == TShowFavorRoute::Own)
        wbToolTip->Navigate(url);
    else if (route == TShowFavorRoute::ToolTip && OnShowToolTip)
        OnShowToolTip(url);
    else if (route == TShowFavorRoute::Test && OnShowTest)
        OnShowTest(url);
}
