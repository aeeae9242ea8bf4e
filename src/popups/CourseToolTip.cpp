#include "popups/CourseToolTip.h"

#include "browser/EmbeddedBrowser.h"
#include "browser/ModalDialog.h"
#include "look/ToolStrip.h"
#include "popups/LinkRules.h"

#include <QToolBar>
#include <QWebEnginePage>

TToolTipForm::TToolTipForm(const TAppContext& context) : TPageWindow(context) {
    setObjectName(QStringLiteral("ToolTipForm"));
    setWindowTitle(QStringLiteral("Подсказка"));
    resize(397, 371);

    // The hint window's strip carries words only: it has no image list of its own.
    QToolBar* navigate = AddToolStrip(this, QStringLiteral("NavigateToolBar"), false);
    AddToolButton(navigate, actBack);
    AddToolButton(navigate, actForward);
    QToolBar* close = AddToolStrip(this, QStringLiteral("CloseToolBar"), false);
    AddToolButton(close, actHide);

    AddPageBrowser();
    // Library pages' window.showModalDialog shows its page here.
    if (TModalDialogBroker* dialogs = TModalDialogBroker::Of(wbToolTip->page()->profile()))
        dialogs->SetDialogWindow(wbToolTip, this);
}

void TToolTipForm::ShowPage(const QString& url) {
    show();
    raise();
    activateWindow();
    wbToolTip->Navigate(url);
    setCursor(Qt::WaitCursor);
    wbToolTip->WaitUntilComplete();
    unsetCursor();
}

void TToolTipForm::ServePopupRequest(const QString& url, const std::optional<QString>& targetFrameName) {
    if (HintWindowShows(url, targetFrameName))
        wbToolTip->Navigate(url);
}
