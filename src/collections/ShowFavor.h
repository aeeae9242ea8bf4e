#pragma once

#include "app/AppContext.h"

#include <QMainWindow>
#include <functional>
#include <optional>

class QAction;
class QToolBar;
class QToolButton;
class TEmbeddedBrowser;
class TPlainBrowser;
class TWebBrowser;
enum class TShowFavorRoute;

// The collection presentation window ("Подборка учебных материалов"): the collection composed into
// one page by the library's "ShowFavor.htm", with back, forward, "run all tasks", print preview
// and close. Links of the page that ask for new windows go to the hint window ("tooltip"), to a
// test ("test") or, by any other name, into this window.
class TShowFavorForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TShowFavorForm(const TAppContext& context);
    ~TShowFavorForm() override; // FormDestroy

    // The tasks button: shown by "Показать подборку", hidden by "Посмотреть всю теорию" and by a
    // "Выполнить все задания" that finds tasks. Its own state, apart from the editor's action.
    void SetShowTaskVisible(bool visible);
    bool ShowTaskVisible() const;

    // The viewer's ShowToolTip and ShowTest (the viewer lies above this library; start-up wires
    // them). Without them hint and test requests are ignored.
    std::function<void(const QString& url)> OnShowToolTip;
    std::function<void(const QString& url)> OnShowTest;

    TEmbeddedBrowser* wbToolTip = nullptr;
    TPlainBrowser* PopupBrowser = nullptr; // created on the first new-window request
    QToolBar* NavigateToolBar = nullptr;
    QToolBar* ActionToolBar = nullptr;
    QToolButton* tbtnShowTask = nullptr; // the editor's actShowTasksOnly
    QAction* actBack = nullptr;
    QAction* actForward = nullptr;
    QAction* actPrint = nullptr;
    QAction* actHide = nullptr;

    void wbToolTipCommandStateChange(TWebBrowser* sender, int command, bool enable);
    void wbToolTipNewWindow2(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel);
    void PopupBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);

private:
    void ServeRequest(TShowFavorRoute route, const QString& url);

    TAppContext m_context;
    QAction* m_showTaskItem = nullptr; // tbtnShowTask's place in ActionToolBar
};
