#include "app/browser/BrowserUrl.h"

#include <QDir>
#include <QRegularExpression>

namespace {

bool StartsWithScheme(const QString& text) {
    // One letter before the colon is a drive ("C:/…"), not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return scheme.match(text).hasMatch();
}

} // namespace

QUrl BrowserUrlFromText(const QString& urlOrPath) {
    const QString text = urlOrPath.trimmed();
    if (text.isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    if (StartsWithScheme(text))
        return QUrl(text, QUrl::TolerantMode);

    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    const QString path = hash < 0 ? text : text.left(hash);
    QUrl url =
        QUrl::fromLocalFile(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    if (hash >= 0)
        url.setFragment(text.mid(hash + 1), QUrl::TolerantMode);
    return url;
}
