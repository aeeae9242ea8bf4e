#include "browser/UserLinks.h"

#include <QUuid>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

// Only a click the user made (isTrusted) on an <a> or <area> with an address counts; the page's
// own scripts neither see this world nor know the mark.
const char kClickReport[] = R"((function () {
    var mark = MARK;
    window.addEventListener("click", function (event) {
        if (!event.isTrusted || !event.target || !event.target.closest)
            return;
        var link = event.target.closest("a[href], area[href]");
        if (link && link.href)
            console.log(mark + link.href);
    }, true);
})();)";

QString Key(const QUrl& url) {
    return url.adjusted(QUrl::NormalizePathSegments).toString(QUrl::FullyEncoded);
}

} // namespace

TUserLinkWatch::TUserLinkWatch(QWebEngineProfile* profile, std::function<void(const QUrl&)> open)
    : QObject(profile), m_open(std::move(open)),
      m_mark(QStringLiteral("courseplayer-click-") + QUuid::createUuid().toString(QUuid::Id128) + u' ') {
    m_clock.start();
    QWebEngineScript script;
    script.setName(QStringLiteral("courseplayer-user-links"));
    script.setSourceCode(
        QString::fromLatin1(kClickReport).replace(QLatin1String("MARK"), u'"' + m_mark + u'"'));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    profile->scripts()->insert(script);
}

bool TUserLinkWatch::TakeReport(const QString& message) {
    if (!message.startsWith(m_mark))
        return false;
    Pair(QUrl(message.mid(m_mark.size())), m_clicks, m_requests);
    return true;
}

void TUserLinkWatch::Requested(const QUrl& url) {
    Pair(url, m_requests, m_clicks);
}

void TUserLinkWatch::Pair(const QUrl& url, QHash<QString, qint64>& mine, QHash<QString, qint64>& others) {
    const qint64 now = m_clock.elapsed();
    for (QHash<QString, qint64>* entries : {&mine, &others})
        entries->removeIf([now](const auto& entry) { return now - entry.value() > kPairingMs; });
    const QString key = Key(url);
    if (others.remove(key)) {
        if (m_open)
            m_open(url);
        return;
    }
    mine.insert(key, now);
}
