#pragma once

#include <QObject>
#include <QUrl>
#include <functional>

class QWebEnginePage;

// Notices a page whose renderer no longer answers while a navigation waits for it (a script in
// an endless loop, a stylesheet that never ends): the engine would show nothing else until that
// renderer is free again, which may be never. The watch asks the renderer a trivial question at
// each navigation; when two in a row go unanswered for kAnswerMs each and the navigation still
// waits, it ends that renderer and hands the navigation back to be started in a fresh one.
class TRendererWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int kAnswerMs = 2500;

    // waiting: whether the navigation still waits; restart: starts it again once the stuck
    // renderer is gone.
    TRendererWatch(QWebEnginePage* page, std::function<bool()> waiting,
                   std::function<void(const QUrl&)> restart);

    // A navigation to url has started.
    void Watch(const QUrl& url);

private:
    void Ask(quint64 serial, int silences);

    QWebEnginePage* m_page;
    std::function<bool()> m_waiting;
    std::function<void(const QUrl&)> m_restart;
    quint64 m_serial = 0; // counts navigations: an answer or silence of an older one is ignored
    QUrl m_url;           // the navigation being watched
    QUrl m_restartUrl;    // to start again once the ended renderer is reported gone
};
