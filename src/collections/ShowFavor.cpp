#include "collections/ShowFavor.h"

#include "app/Roster.h"
#include "browser/EmbeddedBrowser.h"
#include "collections/Favorite.h"
#include "look/CommandImages.h"
#include "look/ToolStrip.h"
#include "popups/LinkRules.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

// FormCreate: a window without a parent is a top-level window with a task-bar button of its own.
TShowFavorForm::TShowFavorForm(const TAppContext& context) : TPageWindow(context) {
    setObjectName(QStringLiteral("ShowFavorForm"));
    setWindowTitle(QStringLiteral("Подборка учебных материалов"));
    resize(900, 680);

    actPrint = NewToolAction(this, "actPrint", QStringLiteral("Печать"), ciPrint);
    ShowCommandImages(this, context.CommandImages);

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
    AddPageBrowser();
    connect(actPrint, &QAction::triggered, this, [this] { wbToolTip->PrintPreview(); });
}

void TShowFavorForm::SetShowTaskVisible(bool visible) {
    if (m_showTaskItem)
        m_showTaskItem->setVisible(visible);
}

bool TShowFavorForm::ShowTaskVisible() const {
    return m_showTaskItem && m_showTaskItem->isVisible();
}

void TShowFavorForm::ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) {
    const TShowFavorRoute route = RouteShowFavorRequest(targetFrameName);
    if (route == TShowFavorRoute::Own)
        wbToolTip->Navigate(url);
    else if (route == TShowFavorRoute::ToolTip && OnShowToolTip)
        OnShowToolTip(url);
    else if (route == TShowFavorRoute::Test && OnShowTest)
        OnShowTest(url);
}
