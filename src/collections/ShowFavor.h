#pragma once

#include "popups/PageWindow.h"

#include <functional>

class QToolBar;
class QToolButton;

// The collection presentation window ("Подборка учебных материалов"): the collection composed into
// one page by the library's "ShowFavor.htm", with back, forward, "run all tasks", print preview
// and close. Links of the page that ask for new windows go to the hint window ("tooltip"), to a
// test ("test") or, by any other name, into this window.
class TShowFavorForm final : public TPageWindow {
    Q_OBJECT
public:
    explicit TShowFavorForm(const TAppContext& context);

    // The tasks button: shown by "Показать подборку", hidden by "Посмотреть всю теорию" and by a
    // "Выполнить все задания" that finds tasks. Its own state, apart from the editor's action.
    void SetShowTaskVisible(bool visible);
    bool ShowTaskVisible() const;

    // The viewer's ShowToolTip and ShowTest (the viewer lies above this library; start-up wires
    // them). Without them hint and test requests are ignored.
    std::function<void(const QString& url)> OnShowToolTip;
    std::function<void(const QString& url)> OnShowTest;

    QToolBar* NavigateToolBar = nullptr;
    QToolBar* ActionToolBar = nullptr;
    QToolButton* tbtnShowTask = nullptr; // the editor's actShowTasksOnly
    QAction* actPrint = nullptr;

protected:
    void ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) override;

private:
    QAction* m_showTaskItem = nullptr; // tbtnShowTask's place in ActionToolBar
};
