#include "popups/CourseToolTip.h"

#include "app/CommandImages.h"
#include "app/browser/EmbeddedBrowser.h"
#include "app/browser/ModalDialog.h"
#include "app/browser/PlainBrowser.h"
#include "popups/LinkRules.h"
#include "popups/PopupBrowser.h"
#include "popups/ToolStrip.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QToolBar>
#include <QWebEnginePage>

TToolTipForm::TToolTipForm(const TAppContext& context) : m_context(context) {
    setObjectName(QStringLiteral("ToolTipForm"));
    setWindowTitle(QStringLiteral("Подсказка"));
    resize(397, 371);

    actBack = new QAction(QStringLiteral("Назад"), this);
    actBack->setObjectName(QStringLiteral("actBack"));
    actForward = new QAction(QStringLiteral("Вперед"), this);
    actForward->setObjectName(QStringLiteral("actForward"));
    actHide = new QAction(QStringLiteral("Закрыть"), this);
    actHide->setObjectName(QStringLiteral("actHide"));
    // The hint window's strip carries words only: it has no image list of its own.
    for (QAction* action : {actBack, actForward, actHide}) {
        action->setToolTip(action->text());
        action->setStatusTip(action->text());
    }
    actBack->setProperty("imageIndex", int(ciBack));
    actForward->setProperty("imageIndex", int(ciForward));
    actHide->setProperty("imageIndex", int(ciClose));

    QToolBar* navigate = AddToolStrip(this, QStringLiteral("NavigateToolBar"), false);
    AddToolButton(navigate, actBack);
    AddToolButton(navigate, actForward);
    QToolBar* close = AddToolStrip(this, QStringLiteral("CloseToolBar"), false);
    AddToolButton(close, actHide);

    wbToolTip = AddPopupWindowBrowser(this, context.PageZoom);
    // Library pages' window.showModalDialog shows its page here.
    if (TModalDialogBroker* dialogs = TModalDialogBroker::Of(wbToolTip->page()->profile()))
        dialogs->SetDialogWindow(wbToolTip, this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_quitting = true; });
}

TToolTipForm::~TToolTipForm() {
    delete PopupBrowser;
    PopupBrowser = nullptr;
}

void TToolTipForm::ShowPage(const QString& url) {
    show();
    raise();
    activateWindow();
    wbToolTip->Navigate(url);
    setCursor(Qt::WaitCursor);
    // Each pass ends when the page reports its load or after a short while, so the wait never
    // depends on one wake-up; the user interface stays responsive meanwhile.
    while (wbToolTip->ReadyState() != TWebBrowser::ReadyComplete && !m_quitting) {
        QEventLoop pass;
        QTimer::singleShot(20, &pass, &QEventLoop::quit);
        connect(wbToolTip, &QWebEngineView::loadFinished, &pass, &QEventLoop::quit);
        pass.exec();
    }
    unsetCursor();
}

void TToolTipForm::wbToolTipCommandStateChange(TWebBrowser*, int command, bool enable) {
    FollowCommandState(command, enable, actBack, actForward);
}

void TToolTipForm::wbToolTipNewWindow2(TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
    ppDisp = ArmPopupBrowser(PopupBrowser, this, &TToolTipForm::PopupBeforeNavigate2);
}

void TToolTipForm::PopupBeforeNavigate2(TWebBrowser*, const QString& url,
                                        const std::optional<QString>& targetFrameName, bool& cancel) {
    // Each arming serves one request.
    PopupBrowser->OnBeforeNavigate2 = nullptr;
    cancel = true;
    if (HintWindowShows(url, targetFrameName))
        wbToolTip->Navigate(url);
}
