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

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    TWebBrowser* m_browser; // the view that owns this page
};

// Stands in for a new window that a page asked for. Chromium gives it the new window's name
// (window.name) and its navigations; it never loads anything itself but hands each navigation,
// with the name, to a receiving browser. Chromium sends a later request for the same name to
// this window while it exists; each of those is a new request of the source browser.
class TNewWindowCatcher final : public QWebEnginePage {
    Q_OBJECT
public:
    TNewWindowCatcher(QWebEngineProfile* profile, TWebBrowser* source, TWebBrowser* receiver,
                      QObject* parent);

    // Catchers that were asked for a window but never got a URL (window.open("", name), a
    // javascript: link) are kept at most this many per source page, oldest dropped first.
    static constexpr int kMaxIdle = 16;
    // Asked for, named, and still without a navigation.
    bool IsIdle() const { return m_name && m_pending.isEmpty() && !m_delivered; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

private:
    void ReadName();
    void AddRequest(const QUrl& url);
    void Deliver();

    QPointer<TWebBrowser> m_source;
    QPointer<TWebBrowser> m_receiver; // for the first request; later ones ask the source again
    std::optional<QString> m_name;    // window.name, once read
    QList<QUrl> m_pending;            // navigations waiting for the name
    QUrl m_lastSeen;                  // the URL of the navigation being handled
    int m_nameAttempts = 0;
    bool m_delivered = false;
};
