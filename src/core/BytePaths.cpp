#include "core/BytePaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMutex>
#include <QStandardPaths>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>

namespace {

struct TLink {
    QByteArray target; // the real path, in bytes, without a trailing '/'
    QString link;
};

QMutex g_linksLock;
QList<TLink> g_links;

QByteArray RealPath(const QByteArray& path) {
    char* real = ::realpath(path.constData(), nullptr);
    if (!real)
        return {};
    const QByteArray result(real);
    std::free(real);
    return result;
}

// The link's own name: readable where the bytes allow, and one per target.
QString LinkName(const QByteArray& target) {
    QString shown = QFile::decodeName(target.mid(target.lastIndexOf('/') + 1));
    for (QChar& c : shown)
        if (c == QChar::ReplacementCharacter || c == u'/')
            c = u'_';
    const QByteArray hash = QCryptographicHash::hash(target, QCryptographicHash::Sha1).toHex().left(12);
    return QString::fromLatin1(hash) + u'-' + shown;
}

// A name LinkName gives: twelve hex digits, a dash, the rest.
bool IsLinkName(const char* name) {
    for (int i = 0; i < 12; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i])))
            return false;
    return name[12] == '-';
}

bool IsUtf8(const QByteArray& bytes) {
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

} // namespace

QString PathArgument(const QByteArray& bytes) {
    const QString text = QFile::decodeName(bytes);
    if (IsUtf8(bytes))
        return text;
    // Only the path up to the last name that is not UTF-8 goes behind the link; the names below
    // stay as they are, so that a page's "../" still leads where it did. ('/' is never part of
    // a longer UTF-8 sequence, so the names can be judged one by one.)
    qsizetype end = bytes.size();
    for (;;) {
        const qsizetype slash = bytes.lastIndexOf('/', end - 1);
        if (slash <= 0 || !IsUtf8(bytes.mid(slash + 1, end - slash - 1)))
            break;
        end = slash;
    }
    const QString rest = QFile::decodeName(bytes.mid(end));
    const QByteArray target = RealPath(bytes.left(end));
    if (target.isEmpty())
        return text; // names nothing: the caller says so
    // The runtime folder is the user's own (mode 0700): nobody else can swap the link.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString folder = runtime + QStringLiteral("/courseplayer-paths");
    if (runtime.isEmpty() || !QDir().mkpath(folder))
        return text;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    static std::atomic<bool> swept{false}; // once a run: a run asks for few such paths
    if (!swept.exchange(true))
        RemoveStalePathLinks(folder);
    const QString link = folder + u'/' + LinkName(target);
    const QByteArray linkBytes = QFile::encodeName(link);
    if (RealPath(linkBytes) != target) {
        ::unlink(linkBytes.constData());
        if (::symlink(target.constData(), linkBytes.constData()) != 0)
            return text;
    }
    const QMutexLocker lock(&g_linksLock);
    bool known = false;
    for (const TLink& entry : std::as_const(g_links))
        known = known || entry.link == link;
    if (!known)
        g_links.append({target, link});
    return link + rest;
}

QString CanonicalPath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.contains(QChar::ReplacementCharacter))
        return canonical;
    const QMutexLocker lock(&g_linksLock);
    if (g_links.isEmpty())
        return canonical;
    const QByteArray real = RealPath(QFile::encodeName(path));
    for (const TLink& entry : std::as_const(g_links))
        if (real == entry.target || (real.startsWith(entry.target) && real.at(entry.target.size()) == '/'))
            return entry.link + QFile::decodeName(real.mid(entry.target.size()));
    return canonical;
}

int RemoveStalePathLinks(const QString& folder) {
    // Only a real folder of ours that nobody else may write to: in any other, a link's target
    // could be swapped, or the links could be someone else's.
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    struct stat st;
    DIR* dir = nullptr;
    if (::fstat(dirFd, &st) != 0 || st.st_uid != ::getuid() || (st.st_mode & 077) != 0 ||
        !(dir = ::fdopendir(dirFd))) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsLinkName(entry->d_name))
            continue;
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode) ||
            st.st_uid != ::getuid())
            continue;
        // Its target gone (a stick pulled out, a folder renamed): nothing will use it again.
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0 && (errno == ENOENT || errno == ENOTDIR) &&
            ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir); // closes dirFd
    return removed;
}
