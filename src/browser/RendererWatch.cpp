#include "browser/RendererWatch.h"

#include <QCoreApplication>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <memory>
#include <signal.h>
#include <utility>

TRendererWatch::TRendererWatch(QWebEnginePage* page, std::function<bool()> waiting,
                               std::function<void(const QUrl&)> restart)
    : QObject(page), m_page(page), m_waiting(std::move(waiting)), m_restart(std::move(restart)) {
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (m_restartUrl.isEmpty())
            return;
        // Not inside the engine's own report.
        QTimer::singleShot(0, this, [this, url = std::exchange(m_restartUrl, QUrl())] { m_restart(url); });
    });
}

void TRendererWatch::Watch(const QUrl& url) {
    m_url = url;
    Ask(++m_serial, 0);
}

void TRendererWatch::Ask(quint64 serial, int silences) {
    auto answered = std::make_shared<bool>(false);
    // The player's own world: the page's scripts cannot answer, or refuse to, in its place.
    m_page->runJavaScript(QStringLiteral("0"), QWebEngineScript::ApplicationWorld,
                          [answered](const QVariant&) { *answered = true; });
    QTimer::singleShot(kAnswerMs, this, [this, serial, silences, answered] {
        if (serial != m_serial || *answered || !m_waiting())
            return;
        // One silence may be a question lost as the old document went; a second is a stuck renderer.
        if (silences == 0) {
            Ask(serial, 1);
            return;
        }
        const qint64 pid = m_page->renderProcessPid();
        if (pid <= 0 || pid == QCoreApplication::applicationPid())
            return; // no renderer of its own to end
        m_restartUrl = m_url;
        ::kill(pid_t(pid), SIGKILL);
    });
}
