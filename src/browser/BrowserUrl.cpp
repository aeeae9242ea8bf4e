#include "browser/BrowserUrl.h"

#include "core/BytePaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

bool StartsWithScheme(const QString& text) {
    // One letter before the colon is a drive ("C:/…"), not a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return scheme.match(text).hasMatch();
}

QString Absolute(const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
}

// Where the path ends and the fragment begins: -1 for no fragment. Folders may hold '#' in their
// names ("Курсы #2"), so a '#' splits only where the file name ends: at the first '#' whose
// left part is an existing file, or else at the first '#' of the last part of the path.
qsizetype FragmentStart(const QString& text) {
    for (qsizetype hash = text.indexOf(u'#'); hash >= 0; hash = text.indexOf(u'#', hash + 1))
        if (QFileInfo(Absolute(text.left(hash))).isFile())
            return hash;
    if (QFileInfo::exists(Absolute(text)))
        return -1;
    const qsizetype lastSeparator = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    return text.indexOf(u'#', lastSeparator + 1);
}

} // namespace

QUrl BrowserUrlFromText(const QString& urlOrPath) {
    const QString text = urlOrPath.trimmed();
    if (text.isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    if (StartsWithScheme(text))
        return QUrl(text, QUrl::TolerantMode);

    const qsizetype hash = FragmentStart(text);
    QString path = Absolute(hash < 0 ? text : text.left(hash));
    // The file the browser will read, links resolved: what it shows is what was checked.
    if (const QString canonical = CanonicalPath(path); !canonical.isEmpty())
        path = canonical;
    QUrl url = QUrl::fromLocalFile(path);
    if (hash >= 0)
        url.setFragment(text.mid(hash + 1), QUrl::TolerantMode);
    return url;
}
