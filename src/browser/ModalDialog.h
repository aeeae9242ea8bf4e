#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>
#include <functional>
#include <optional>

class QTimer;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineUrlRequestJob;
class QWidget;
class TWebBrowser;

// window.showModalDialog for the pages of old discs. The page's call must return only when the
// dialog closes, with the dialog's window.returnValue. The engine runs a page's scripts in its
// own renderer process and lets nothing block it from C++, but a synchronous XMLHttpRequest does:
// the page's shim (ie-objects.js) asks "courseplayer-dialog:open?..." and this handler, on the
// user-interface thread, shows the dialog's page in the dialog window and answers only when that
// window closes. The dialog's page runs in a renderer of its own (the dialog window's page is not
// related to the opener), so it stays alive while the opener waits.
//
// The dialog's page gets window.dialogArguments (a copy of what JSON can carry: numbers, texts,
// arrays, plain objects; a window or other live object arrives as null) and a window.close()
// that ends the dialog with its window.returnValue; closing the dialog window ends it too. The
// opener is released, with undefined, when its own window hides or its page goes, when another
// dialog is already open, when the dialog page has not loaded after kDialogLoadTimeoutMs (the
// engine put it in the opener's blocked process), or when the opener is the dialog window's own
// page (it cannot show its dialog in itself while it waits): that page is then replaced by the
// dialog, as a link to the hint window would.
//
// The scheme is local: web pages cannot reach it, and file: pages may.
inline constexpr char kModalDialogScheme[] = "courseplayer-dialog";
inline constexpr int kDialogLoadTimeoutMs = 20000;
// How often a loading dialog is asked whether its page is complete.
inline constexpr int kDialogPollMs = 100;
// How long a closed dialog's page may take to tell its returnValue.
inline constexpr int kDialogAnswerTimeoutMs = 2000;

// Registers the scheme with the engine; must run before the engine starts (the shared profile
// calls it before it makes itself). Later calls do nothing.
void RegisterModalDialogScheme();

// What a dialog's request carries, read from its URL.
struct TDialogRequest {
    QString Id;        // made by the opener's shim, names the dialog in the close request
    QUrl Url;          // the dialog's page, already resolved against the opener's page
    QString Arguments; // dialogArguments as JSON ("null" when none)
    QString Features;  // "dialogWidth:300px;dialogHeight:200px" and the like
};
// The request of "courseplayer-dialog:open?id=..&url=..&args=..&features=..", or nothing for
// another URL or one without a file: page to show.
std::optional<TDialogRequest> ParseDialogRequest(const QUrl& url);
// The dialog window's client size the features ask for ("dialogWidth:25em" and other units
// than px are ignored); an invalid size when none.
QSize DialogSizeFromFeatures(const QString& features);
// The script the dialog's page gets before its own: dialogArguments and window.close().
QString DialogPageScript(const QString& id, const QString& argumentsJson);

// The handler of the scheme, one per profile.
class TModalDialogBroker final : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    explicit TModalDialogBroker(QWebEngineProfile* profile);
    ~TModalDialogBroker() override;

    // Where dialogs show: browser loads the dialog's page; window is shown for it, and its
    // hiding closes the dialog. Without a window (headless) the dialog closes autoCloseMs after
    // its page has loaded. No browser: every dialog returns undefined at once.
    void SetDialogWindow(TWebBrowser* browser, QWidget* window, int autoCloseMs = -1);
    bool IsOpen() const { return !m_job.isNull(); }
    // page waits for its dialog to close: its renderer is blocked on purpose.
    bool Awaits(const QWebEnginePage* page) const;
    // Closes the open dialog as the user would: the opener gets the page's returnValue.
    void CloseDialog();

    // The page that sent a request to the scheme; told by each page's interceptor just before
    // the request reaches this handler.
    void NoteRequestPage(const QUrl& url, QWebEnginePage* page);

    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The broker of the shared profile's pages.
    static TModalDialogBroker* Of(QWebEngineProfile* profile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Open(QWebEngineUrlRequestJob* job, const TDialogRequest& request, QWebEnginePage* opener);
    // Answers the opener with result (JSON of {"value": ...}; "{}" is undefined) and forgets
    // the dialog; hides the dialog window when hide is set.
    void Finish(const QString& result, bool hide);
    void ReleaseOpener();                   // the opener goes on with undefined; the dialog stays as it is
    void DialogLoaded(bool complete);       // the dialog's document is parsed, or complete
    void Later(std::function<void()> work); // from the event loop, outside any destructor
    void Forget();

    QPointer<TWebBrowser> m_browser;
    QPointer<QWidget> m_window;
    int m_autoCloseMs = -1;

    QPointer<QWebEngineUrlRequestJob> m_job; // the opener's request, answered at the close
    QPointer<QWebEnginePage> m_opener;
    QPointer<QWidget> m_openerWindow;
    QString m_id;
    QString m_scriptName;        // the dialog page's own script while the dialog is open
    QPointer<QObject> m_session; // context of the open dialog's connections and timers
    QTimer* m_loadTimer = nullptr;
    bool m_answering = false; // asked the dialog page for its returnValue
    QList<QPair<QUrl, QPointer<QWebEnginePage>>> m_requestPages;
};

// Tells the broker which page sends each request to the scheme. Every page of the player has
// one (the engine names no page in a scheme request).
class TDialogRequestWatch final : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit TDialogRequestWatch(QWebEnginePage* page);
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    QWebEnginePage* m_page;
};
