#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class QWebEngineProfile;

// Which documents a user asked for with a click on their link. The engine reports a script's
// change of location exactly as a click on a link, so a script of the player's own, in a world
// the page's scripts cannot reach, reports each link a user clicks in any frame through the
// console, with a mark only it knows. A document request and the report of a click on its link
// come in either order, close together; a request that no click matches does nothing.
class TUserLinkWatch final : public QObject {
    Q_OBJECT
public:
    // How far apart a click and the request it makes may come.
    static constexpr qint64 kPairingMs = 3000;

    // open is called for each document a user clicked.
    TUserLinkWatch(QWebEngineProfile* profile, std::function<void(const QUrl&)> open);

    // A page's console message: true when it was a click report, which is then not the page's own.
    bool TakeReport(const QString& message);
    // A document was requested: it opens now, or when the report of its click comes.
    void Requested(const QUrl& url);

private:
    // Pairs url with an entry of others, or keeps it in mine to wait for one.
    void Pair(const QUrl& url, QHash<QString, qint64>& mine, QHash<QString, qint64>& others);

    std::function<void(const QUrl&)> m_open;
    QString m_mark;                    // starts every click report
    QHash<QString, qint64> m_clicks;   // link address -> when the user clicked it
    QHash<QString, qint64> m_requests; // document address -> when it was requested
    QElapsedTimer m_clock;
};
