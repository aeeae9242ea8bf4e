#include "browser/ModalDialog.h"

#include "browser/WebBrowser.h"

#include <QBuffer>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTimer>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>
#include <QWidget>

namespace {

constexpr int kRememberedRequests = 16;

QString QueryValue(const QUrlQuery& query, const QString& key) {
    return query.queryItemValue(key, QUrl::FullyDecoded);
}

// JSON of {"value": ...} as JavaScript source, or "{}" (undefined) for anything else: the text
// comes from a page and goes into another page's script.
QString SafeWrappedJson(const QString& text) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return QStringLiteral("{}");
    const QJsonObject object = doc.object();
    if (!object.contains(QLatin1String("value")))
        return QStringLiteral("{}");
    QJsonObject only;
    only.insert(QStringLiteral("value"), object.value(QLatin1String("value")));
    return QString::fromUtf8(QJsonDocument(only).toJson(QJsonDocument::Compact));
}

QString JsString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

void Reply(QWebEngineUrlRequestJob* job, const QString& body) {
    auto* buffer = new QBuffer(job);
    buffer->setData(body.toUtf8());
    job->reply(QByteArrayLiteral("application/json"), buffer);
}

// The returnValue of the dialog's own document only: closed before its page came, a dialog
// returns nothing, not what the page before it left.
const char kReadReturnValue[] = R"((function (id) {
    if (window.__coursePlayerDialog !== id) return "{}";
    try { var text = JSON.stringify({value: window.returnValue}); return text === undefined ? "{}" : text; }
    catch (e) { return "{}"; }
})(%1))";

} // namespace

void RegisterModalDialogScheme() {
    if (!QWebEngineUrlScheme::schemeByName(kModalDialogScheme).name().isEmpty())
        return;
    QWebEngineUrlScheme scheme(kModalDialogScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    // Local: file: pages may ask it (even synchronously), web pages may not.
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

std::optional<TDialogRequest> ParseDialogRequest(const QUrl& url) {
    if (url.scheme() != QLatin1String(kModalDialogScheme) || url.path() != QLatin1String("open"))
        return std::nullopt;
    const QUrlQuery query(url);
    TDialogRequest request;
    request.Id = QueryValue(query, QStringLiteral("id"));
    request.Url = QUrl(QueryValue(query, QStringLiteral("url")), QUrl::StrictMode);
    request.Arguments = SafeWrappedJson(QueryValue(query, QStringLiteral("args")));
    request.Features = QueryValue(query, QStringLiteral("features"));
    // A dialog shows a page; nothing that runs or reads something else instead.
    static const QStringList kSchemes = {QStringLiteral("file"), QStringLiteral("http"),
                                         QStringLiteral("https")};
    if (request.Id.isEmpty() || !request.Url.isValid() || !kSchemes.contains(request.Url.scheme()))
        return std::nullopt;
    return request;
}

QSize DialogSizeFromFeatures(const QString& features) {
    auto length = [&](const QString& name) {
        const QRegularExpression re(name + QStringLiteral(R"(\s*[:=]\s*(\d+)\s*(px)?\s*(;|,|$))"),
                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = re.match(features);
        if (!match.hasMatch())
            return -1;
        const int value = match.captured(1).toInt();
        return value >= 50 && value <= 4000 ? value : -1; // past these it is no size anyone meant
    };
    const int width = length(QStringLiteral("dialogWidth"));
    const int height = length(QStringLiteral("dialogHeight"));
    return width > 0 && height > 0 ? QSize(width, height) : QSize();
}

QString DialogPageScript(const QString& id, const QString& argumentsJson) {
    return QStringLiteral(R"((function (id, args) {
    "use strict";
    window.__coursePlayerDialog = id;
    window.dialogArguments = args.value;
    window.returnValue = undefined;
    var closing = false;
    window.close = function () {
        if (closing)
            return;
        closing = true;
        var answer = "{}";
        try {
            answer = JSON.stringify({value: window.returnValue}) || "{}";
        } catch (e) {
        }
        var request = new XMLHttpRequest();
        request.open("GET", "%3:close?id=" + encodeURIComponent(id) + "&result=" + encodeURIComponent(answer), true);
        request.send();
    };
})(%1, %2);)")
        .arg(JsString(id), SafeWrappedJson(argumentsJson), QLatin1String(kModalDialogScheme));
}

// --- TModalDialogBroker ----------------------------------------------------------------------

TModalDialogBroker::TModalDialogBroker(QWebEngineProfile* profile) : QWebEngineUrlSchemeHandler(profile) {
    profile->installUrlSchemeHandler(kModalDialogScheme, this);
    m_loadTimer = new QTimer(this);
    m_loadTimer->setSingleShot(true);
    connect(m_loadTimer, &QTimer::timeout, this, [this] { ReleaseOpener(); });
}

TModalDialogBroker::~TModalDialogBroker() = default;

bool TModalDialogBroker::Awaits(const QWebEnginePage* page) const {
    return IsOpen() && page && m_opener.data() == page;
}

TModalDialogBroker* TModalDialogBroker::Of(QWebEngineProfile* profile) {
    return profile ? profile->findChild<TModalDialogBroker*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TModalDialogBroker::SetDialogWindow(TWebBrowser* browser, QWidget* window, int autoCloseMs) {
    if (m_window)
        m_window->removeEventFilter(this);
    m_browser = browser;
    m_window = window;
    m_autoCloseMs = autoCloseMs;
    if (m_window)
        m_window->installEventFilter(this);
}

void TModalDialogBroker::NoteRequestPage(const QUrl& url, QWebEnginePage* page) {
    m_requestPages.append({url, page});
    while (m_requestPages.size() > kRememberedRequests)
        m_requestPages.removeFirst();
}

void TModalDialogBroker::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl url = job->requestUrl();
    QWebEnginePage* page = nullptr;
    for (qsizetype i = m_requestPages.size() - 1; i >= 0; --i)
        if (m_requestPages.at(i).first == url) {
            page = m_requestPages.at(i).second;
            m_requestPages.removeAt(i);
            break;
        }
    if (url.path() == QLatin1String("close")) {
        Reply(job, QStringLiteral("{}"));
        const QUrlQuery query(url);
        if (IsOpen() && QueryValue(query, QStringLiteral("id")) == m_id)
            Finish(SafeWrappedJson(QueryValue(query, QStringLiteral("result"))), true);
        else if (m_window && m_browser && page == m_browser->page() && !IsOpen())
            m_window->hide(); // a released dialog still closes its window
        return;
    }
    const std::optional<TDialogRequest> request = ParseDialogRequest(url);
    if (!request) {
        job->fail(QWebEngineUrlRequestJob::UrlInvalid);
        return;
    }
    Open(job, *request, page);
}

void TModalDialogBroker::Open(QWebEngineUrlRequestJob* job, const TDialogRequest& request,
                              QWebEnginePage* opener) {
    if (IsOpen() || !m_browser) {
        Reply(job, QStringLiteral("{}"));
        return;
    }
    if (opener && opener == m_browser->page()) {
        // The dialog window's own page waits for the answer: it cannot show the dialog as well.
        Reply(job, QStringLiteral("{}"));
        m_browser->Navigate(request.Url.toString());
        return;
    }
    m_job = job;
    m_opener = opener;
    m_id = request.Id;
    m_answering = false;
    auto* session = new QObject(this);
    m_session = session;
    // These come while pages are being destroyed, when the dialog's page must not be touched:
    // they are handled once the destruction is over.
    connect(job, &QObject::destroyed, session, [this] { Later([this] { Forget(); }); });
    connect(m_browser.data(), &QObject::destroyed, session, [this] { Later([this] { ReleaseOpener(); }); });
    if (opener) {
        connect(opener, &QObject::destroyed, session, [this] { Later([this] { ReleaseOpener(); }); });
        if (QWebEngineView* view = QWebEngineView::forPage(opener)) {
            m_openerWindow = view->window();
            if (m_openerWindow && m_openerWindow != m_window)
                m_openerWindow->installEventFilter(this);
        }
    }

    QWebEnginePage* page = m_browser->page();
    QWebEngineScript script;
    m_scriptName = QStringLiteral("courseplayer-dialog-") + m_id;
    script.setName(m_scriptName);
    script.setSourceCode(DialogPageScript(m_id, request.Arguments));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);

    // Which load is the dialog's: the engine merges the load reports of pages that follow each
    // other quickly, and an error page cannot reach the scheme; the dialog's document, error page
    // or not, carries its id.
    auto* poll = new QTimer(session);
    poll->setInterval(kDialogPollMs);
    connect(poll, &QTimer::timeout, session,
            [this, page = QPointer<QWebEnginePage>(page), guard = QPointer<QObject>(session)] {
                if (!page)
                    return;
                page->runJavaScript(
                    QStringLiteral("window.__coursePlayerDialog === %1 ? document.readyState : \"\"")
                        .arg(JsString(m_id)),
                    [this, guard](const QVariant& state) {
                        const QString readyState = state.toString();
                        if (readyState == QLatin1String("interactive") ||
                            readyState == QLatin1String("complete"))
                            Later([this, guard, readyState] {
                                if (guard)
                                    DialogLoaded(readyState == QLatin1String("complete"));
                            });
                    });
            });
    poll->start();
    // Should the engine ever put the dialog into the opener's process, the dialog could not run
    // while the opener waits: the opener then goes on at once.
    connect(page, &QWebEnginePage::renderProcessPidChanged, session, [this](qint64 pid) {
        if (m_opener && pid != 0 && pid == m_opener->renderProcessPid())
            ReleaseOpener();
    });
    m_loadTimer->start(kDialogLoadTimeoutMs);

    if (m_window) {
        m_window->show(); // laid out from here on: the browser's share of the window is known
        const QSize size = DialogSizeFromFeatures(request.Features);
        if (size.isValid())
            m_window->resize(size + (m_window->size() - m_browser->size()));
        m_window->raise();
        m_window->activateWindow();
    }
    m_browser->Navigate(request.Url.toString());
}

void TModalDialogBroker::Later(std::function<void()> work) {
    QTimer::singleShot(0, this, std::move(work));
}

void TModalDialogBroker::DialogLoaded(bool complete) {
    // Its script runs: the dialog lives in a process of its own. A page still loading its
    // pictures is no reason to let the opener go.
    m_loadTimer->stop();
    if (!complete)
        return;
    auto* poll = m_session ? m_session->findChild<QTimer*>() : nullptr;
    if (!poll || !poll->isActive())
        return; // told already
    poll->stop();
    if (!m_window && m_autoCloseMs >= 0)
        QTimer::singleShot(m_autoCloseMs, m_session, [this] { CloseDialog(); });
}

void TModalDialogBroker::CloseDialog() {
    if (!IsOpen() || m_answering)
        return;
    m_answering = true;
    QPointer<QObject> guard(m_session);
    // A page that cannot answer (busy, gone) leaves returnValue undefined.
    QTimer::singleShot(kDialogAnswerTimeoutMs, m_session, [this] { Finish(QStringLiteral("{}"), false); });
    if (!m_browser) {
        Finish(QStringLiteral("{}"), false);
        return;
    }
    // A page destroyed meanwhile calls back from its destructor, with no result.
    m_browser->page()->runJavaScript(QString::fromLatin1(kReadReturnValue).arg(JsString(m_id)),
                                     [this, guard](const QVariant& result) {
                                         const QString answer = SafeWrappedJson(result.toString());
                                         Later([this, guard, answer] {
                                             if (guard)
                                                 Finish(answer, false);
                                         });
                                     });
}

void TModalDialogBroker::Finish(const QString& result, bool hide) {
    if (m_job)
        Reply(m_job, result);
    Forget();
    if (hide && m_window)
        m_window->hide();
}

void TModalDialogBroker::ReleaseOpener() {
    if (m_job)
        Reply(m_job, QStringLiteral("{}"));
    Forget();
}

void TModalDialogBroker::Forget() {
    m_loadTimer->stop();
    if (m_openerWindow && m_openerWindow != m_window)
        m_openerWindow->removeEventFilter(this);
    m_openerWindow = nullptr;
    if (m_browser && !m_scriptName.isEmpty()) {
        QWebEngineScriptCollection& scripts = m_browser->page()->scripts();
        for (const QWebEngineScript& script : scripts.find(m_scriptName))
            scripts.remove(script);
    }
    m_scriptName.clear();
    m_job = nullptr;
    m_opener = nullptr;
    m_id.clear();
    m_answering = false;
    delete m_session;
}

bool TModalDialogBroker::eventFilter(QObject* watched, QEvent* event) {
    // hide() (the close box, "Закрыть"), not a minimised window.
    if (event->type() == QEvent::Hide && !event->spontaneous() && IsOpen()) {
        if (watched == m_window)
            CloseDialog();
        else if (watched == m_openerWindow) {
            ReleaseOpener();
            if (m_window)
                m_window->hide();
        }
    }
    return QWebEngineUrlSchemeHandler::eventFilter(watched, event);
}

// --- TDialogRequestWatch ---------------------------------------------------------------------

TDialogRequestWatch::TDialogRequestWatch(QWebEnginePage* page)
    : QWebEngineUrlRequestInterceptor(page), m_page(page) {
}

void TDialogRequestWatch::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (info.requestUrl().scheme() != QLatin1String(kModalDialogScheme))
        return;
    if (TModalDialogBroker* broker = TModalDialogBroker::Of(m_page->profile()))
        broker->NoteRequestPage(info.requestUrl(), m_page);
}
