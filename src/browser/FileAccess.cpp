#include "browser/FileAccess.h"

#include "core/BytePaths.h"
#include "core/DiscFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsLocalFileUrl(const QUrl& url) {
    // file://host/… names a share of another machine; the library is local.
    return url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0 &&
           (url.host().isEmpty() || url.host() == QLatin1String("localhost"));
}

bool Exists(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

QString ResolvedLocalPath(const QString& absolutePath) {
    // Lexically first, as a URL's dot segments are: "a/link/../b" is "a/b" to the browser.
    QString existing = QDir::cleanPath(QDir::fromNativeSeparators(absolutePath));
    if (!QDir::isAbsolutePath(existing))
        return QString();
    QStringList missing;
    // Walk up to the nearest part that exists; only that part has links to resolve.
    for (;;) {
        const QString canonical = CanonicalPath(existing);
        if (!canonical.isEmpty())
            return missing.isEmpty() ? canonical : QDir::cleanPath(canonical + u'/' + missing.join(u'/'));
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash < 0 || existing.size() == slash + 1)
            return QString(); // the root itself cannot be resolved
        missing.prepend(existing.mid(slash + 1));
        existing.truncate(slash + 1);
        if (existing.size() > 1 && !existing.endsWith(QLatin1String(":/")))
            existing.chop(1);
    }
}

TFileAccessRules::TFileAccessRules(const QStringList& folders) {
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QFileInfo info(folder);
        if (!info.isDir())
            continue;
        QString canonical = CanonicalPath(folder);
        if (!canonical.endsWith(u'/'))
            canonical += u'/';
        if (!m_folders.contains(canonical))
            m_folders.append(canonical);
    }
}

bool TFileAccessRules::AllowsPath(const QString& path) const {
    if (!QDir::isAbsolutePath(path))
        return false;
    return Inside(ResolvedLocalPath(path));
}

bool TFileAccessRules::Inside(QString resolved) const {
    if (resolved.isEmpty())
        return false;
    // The allowed folder itself (a listing of it) counts as inside.
    if (!resolved.endsWith(u'/'))
        resolved += u'/';
    for (const QString& folder : m_folders)
        if (resolved.startsWith(folder))
            return true;
    return false;
}

bool TFileAccessRules::Allows(const QUrl& url) const {
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return true;
    if (!IsLocalFileUrl(url))
        return false;
    return AllowsPath(url.path(QUrl::FullyDecoded));
}

bool TFileAccessRules::Serves(const QUrl& url) const {
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return true;
    const QString path = url.path(QUrl::FullyDecoded);
    if (!IsLocalFileUrl(url) || !QDir::isAbsolutePath(path))
        return false;
    const QString resolved = ResolvedLocalPath(path);
    if (!Inside(resolved))
        return false;
    // Judged by name first, so that a pipe or a device is never opened; then opened without
    // waiting and judged by the descriptor, so that a name swapped for a pipe or for a link
    // leading out after the checks by name is caught.
    const QByteArray native = QFile::encodeName(resolved);
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR; // the browser reports it missing
    if (!S_ISREG(st.st_mode))
        return false;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    const bool served = ServesOpenFile(fd, resolved);
    ::close(fd);
    return served;
}

bool TFileAccessRules::ServesOpenFile(int fd, const QString& resolved) const {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // Where the opened file really is, whatever its name leads to by now.
    const QString opened = CanonicalPath(QStringLiteral("/proc/self/fd/%1").arg(fd));
    return Inside(opened.isEmpty() ? resolved : opened);
}

std::optional<QUrl> TFileAccessRules::FoundOnDisc(const QUrl& url) const {
    if (!IsLocalFileUrl(url))
        return std::nullopt;
    const QString written = url.path(QUrl::FullyDecoded);
    // A disc whose links match its names costs one stat per request, nothing more.
    if (written.isEmpty() || Exists(written))
        return std::nullopt;
    // "..\" is undone here by the letters, as the browser undoes "../", so that the file checked
    // below is the very file the redirected request loads.
    const QString cleaned = QDir::cleanPath(QString(written).replace(u'\\', u'/'));
    if (!cleaned.startsWith(u'/'))
        return std::nullopt;
    const QString found = FindDiscFile(cleaned);
    if (found == written || !Exists(found) || !AllowsPath(found))
        return std::nullopt;
    QUrl onDisc = QUrl::fromLocalFile(found);
    if (url.hasQuery())
        onDisc.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (url.hasFragment())
        onDisc.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return onDisc;
}

TFileAccessInterceptor::TFileAccessInterceptor(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {
}

void TFileAccessInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (const std::optional<QUrl> onDisc = m_rules.FoundOnDisc(info.requestUrl())) {
        info.redirect(*onDisc);
        return;
    }
    if (!m_rules.Serves(info.requestUrl()))
        info.block(true);
}
