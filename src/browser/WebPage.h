#pragma once

#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <optional>

class TWebBrowser;

// The page inside every TWebBrowser: reports navigations to its browser and catches every
// request for a new window, so that no window of the browser's own ever appears.
class TWebPage final : public QWebEnginePage {
    Q_OBJECT
public:
    TWebPage(QWebEngineProfile* profile, TWebBrowser* browser);

    // New windows still waiting to hand over their navigation, per page; a page that asks for
    // more at once (a script opening windows in a loop) gets no more until some are served.
    static constexpr int kMaxPendingWindows = 16;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

private:
    TWebBrowser* m_browser; // the view that owns this page
};

// How window names are learnt: Qt tells C++ nothing of the target of a new window, but
// Chromium has already named the new window when createWindow returns, so window.name of the
// page given back holds the name exactly as the page wrote it (a link's, area's, form's or base
// element's target, or window.open's second argument, from the page or any of its frames).
// "_blank", window.open without a name and window.open(url, "") all read as "". A target naming
// an existing frame, or a window this page opened before and that still exists, never gets
// here: Chromium navigates that frame or window itself. A javascript: address opens a window
// without any navigation, so nothing is handed over for it.
//
// Stands in for a new window that a page asked for. Chromium gives it the new window's name
// (window.name) and its navigations; it never loads anything itself. Each navigation is one
// request of the source browser: OnNewWindow2 names the receiving browser, whose
// OnBeforeNavigate2 then gets the URL and the name, one right after the other. Chromium sends a
// later request for the same name to this window while it exists.
class TNewWindowCatcher final : public QWebEnginePage {
    Q_OBJECT
public:
    TNewWindowCatcher(QWebEngineProfile* profile, TWebBrowser* source, QObject* parent);

    // Still to hand over a navigation, or to learn the name.
    bool IsPending() const { return !m_name || !m_pending.isEmpty(); }
    // Named, served nothing yet, nothing to serve: window.open("", name), a javascript: link.
    bool IsIdle() const { return m_name && m_pending.isEmpty() && !m_served; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    void ReadName();
    void AddRequest(const QUrl& url);
    void Deliver();

    QPointer<TWebBrowser> m_source;
    std::optional<QString> m_name; // window.name, once read
    QList<QUrl> m_pending;         // navigations waiting to be handed over
    QUrl m_lastSeen;               // the URL of the navigation being handled
    int m_nameAttempts = 0;
    bool m_served = false;
};
