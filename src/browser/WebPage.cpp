#include "browser/WebPage.h"

#include "browser/BrowserProfile.h"
#include "browser/ModalDialog.h"
#include "browser/WebBrowser.h"

#include <QTimer>
#include <QWebEngineScript>

namespace {
// Windows that never got a URL are kept for a while (a script may still send them one).
constexpr int kMaxIdleWindows = 8;
constexpr int kNameAttempts = 5;
} // namespace

TWebPage::TWebPage(QWebEngineProfile* profile, TWebBrowser* browser)
    : QWebEnginePage(profile, browser), m_browser(browser) {
    // The engine names no page in a request to a scheme of the player's own; modal dialogs need
    // to know their opener.
    setUrlRequestInterceptor(new TDialogRequestWatch(this));
}

bool TWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
    // The handler sees the document first and may cancel it; the browser never loads it.
    return m_browser->BeforeNavigate(url, std::nullopt) && !HandOverDesktopDocument(url);
}

void TWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceID) {
    if (!TakeUserLinkReport(message))
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

QWebEnginePage* TWebPage::createWindow(WebWindowType) {
    if (!m_browser->OnNewWindow2)
        return nullptr;
    QList<TNewWindowCatcher*> idle;
    int pending = 0;
    for (TNewWindowCatcher* catcher :
         findChildren<TNewWindowCatcher*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (catcher->IsIdle())
            idle.append(catcher);
        else if (catcher->IsPending())
            ++pending;
    }
    if (pending >= kMaxPendingWindows)
        return nullptr;
    for (qsizetype i = 0; i + kMaxIdleWindows <= idle.size(); ++i)
        idle.at(i)->deleteLater();
    return new TNewWindowCatcher(profile(), m_browser, this);
}

TNewWindowCatcher::TNewWindowCatcher(QWebEngineProfile* profile, TWebBrowser* source, QObject* parent)
    : QWebEnginePage(profile, parent), m_source(source) {
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
                      if (value.typeId() != QMetaType::QString && ++self->m_nameAttempts < kNameAttempts) {
                          QTimer::singleShot(0, self.data(), &TNewWindowCatcher::ReadName);
                          return;
                      }
                      self->m_name = value.toString();
                      // Handlers may pump events or delete pages: never run them inside a
                      // callback of the page.
                      QTimer::singleShot(0, self.data(), &TNewWindowCatcher::Deliver);
                  });
}

void TNewWindowCatcher::AddRequest(const QUrl& url) {
    m_lastSeen = url;
    m_pending.append(url);
    if (m_name)
        QTimer::singleShot(0, this, &TNewWindowCatcher::Deliver);
}

void TNewWindowCatcher::Deliver() {
    QPointer<TNewWindowCatcher> self(this);
    while (self && m_name && !m_pending.isEmpty()) {
        const QUrl url = m_pending.takeFirst();
        const QString name = *m_name;
        m_served = true;
        QPointer<TWebBrowser> receiver = m_source ? m_source->RequestNewWindow() : nullptr;
        if (receiver)
            receiver->DeliverNewWindowNavigation(url, name);
    }
    // Served: go away, so that the next request for this name asks for a new window again.
    if (self && m_served && m_pending.isEmpty())
        deleteLater();
}
