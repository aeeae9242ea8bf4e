#include "app/browser/WebPage.h"

#include "app/browser/WebBrowser.h"

#include <QTimer>
#include <QWebEngineScript>

TWebPage::TWebPage(QWebEngineProfile* profile, TWebBrowser* browser)
    : QWebEnginePage(profile, browser), m_browser(browser) {
}

bool TWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    return m_browser->BeforeNavigate(url, std::nullopt);
}

QWebEnginePage* TWebPage::createWindow(WebWindowType) {
    TWebBrowser* receiver = m_browser->RequestNewWindow();
    if (!receiver)
        return nullptr;
    // Drop the oldest catchers that never got a URL, so a page that opens windows in a loop
    // cannot pile them up.
    QList<TNewWindowCatcher*> idle;
    for (TNewWindowCatcher* catcher : findChildren<TNewWindowCatcher*>(QString(), Qt::FindDirectChildrenOnly))
        if (catcher->IsIdle())
            idle.append(catcher);
    for (qsizetype i = 0; i + TNewWindowCatcher::kMaxIdle <= idle.size(); ++i)
        idle.at(i)->deleteLater();
    return new TNewWindowCatcher(profile(), m_browser, receiver, this);
}

TNewWindowCatcher::TNewWindowCatcher(QWebEngineProfile* profile, TWebBrowser* source, TWebBrowser* receiver,
                                     QObject* parent)
    : QWebEnginePage(profile, parent), m_source(source), m_receiver(receiver) {
    // The name is readable only once createWindow has returned and Chromium has adopted us.
    QTimer::singleShot(0, this, &TNewWindowCatcher::ReadName);
    // Navigations to schemes Chromium cannot load never pass acceptNavigationRequest; the new
    // window's address still shows them.
    connect(this, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (url.isEmpty())
            m_lastSeen.clear();
        else if (url != m_lastSeen)
            AddRequest(url);
    });
}

bool TNewWindowCatcher::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    if (isMainFrame)
        AddRequest(url);
    return false;
}

void TNewWindowCatcher::ReadName() {
    runJavaScript(QStringLiteral("window.name"), QWebEngineScript::ApplicationWorld,
                  [self = QPointer<TNewWindowCatcher>(this)](const QVariant& value) {
                      if (!self)
                          return;
                      if (value.typeId() != QMetaType::QString && ++self->m_nameAttempts < 5) {
                          QTimer::singleShot(0, self.data(), &TNewWindowCatcher::ReadName);
                          return;
                      }
                      self->m_name = value.toString();
                      self->Deliver();
                  });
}

void TNewWindowCatcher::AddRequest(const QUrl& url) {
    m_lastSeen = url;
    m_pending.append(url);
    if (m_name)
        QTimer::singleShot(0, this, &TNewWindowCatcher::Deliver);
}

void TNewWindowCatcher::Deliver() {
    // Handlers may pump events or delete the source; work on a copy and re-check the guard.
    QPointer<TNewWindowCatcher> self(this);
    while (self && m_name && !m_pending.isEmpty()) {
        const QUrl url = m_pending.takeFirst();
        TWebBrowser* receiver = nullptr;
        if (!m_delivered) {
            receiver = m_receiver;
            m_delivered = true;
        } else if (m_source) {
            receiver = m_source->RequestNewWindow();
        }
        if (receiver)
            receiver->DeliverNewWindowNavigation(url, *m_name);
    }
    // Served: go away, so that the next request for this name asks for a new window again.
    if (self && m_delivered && m_pending.isEmpty())
        deleteLater();
}
