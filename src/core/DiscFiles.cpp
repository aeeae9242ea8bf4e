#include "core/DiscFiles.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <algorithm>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <time.h>

namespace {

// A listing read less than this long after its folder last changed may miss a name added in the
// same tick of the file system's clock, which leaves the folder's time unchanged; such a listing
// is trusted for the names it has but read again before a name is declared missing.
constexpr qint64 RacyWindowNs = 50'000'000;
// Folders remembered at most; the cache starts over beyond that rather than grow without bound.
constexpr qsizetype MaxFolders = 4096;
// Names that differ only in case at several levels could make the search try every combination;
// past this many tries the path counts as not found.
constexpr int MaxTries = 256;

qint64 Nanoseconds(const timespec& t) {
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct TFolderListing final {
    dev_t Device = 0;
    ino_t Inode = 0;
    qint64 Changed = 0; // the later of the folder's mtime and ctime, in ns
    bool Racy = false;
    // Case-folded name -> the names on disk with that folding, in code-point order.
    QHash<QString, QStringList> Names;
};

using TListingPtr = std::shared_ptr<const TFolderListing>;

bool StatFolder(const QByteArray& folder, struct stat* st) {
    return ::stat(folder.constData(), st) == 0 && S_ISDIR(st->st_mode);
}

bool SameFolderState(const TFolderListing& listing, const struct stat& st) {
    return listing.Device == st.st_dev && listing.Inode == st.st_ino &&
           listing.Changed == std::max(Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim));
}

TListingPtr ReadFolder(const QByteArray& folder) {
    struct stat st;
    if (!StatFolder(folder, &st))
        return nullptr;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return nullptr;
    auto listing = std::make_shared<TFolderListing>();
    listing->Device = st.st_dev;
    listing->Inode = st.st_ino;
    listing->Changed = std::max(Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim));
    listing->Racy = Nanoseconds(now) - listing->Changed < RacyWindowNs;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const QString decoded = QFile::decodeName(name);
        listing->Names[decoded.toCaseFolded()].append(decoded);
    }
    ::closedir(dir);
    for (QStringList& names : listing->Names)
        if (names.size() > 1)
            std::sort(names.begin(), names.end());
    return listing;
}

class TFolderCache final {
public:
    // The cached listing of folder, read now when there is none. fresh: checked against the
    // folder's current state and read again when the folder changed (or the listing is racy).
    // justRead tells whether the returned listing was read by this call.
    TListingPtr Listing(const QByteArray& folder, bool fresh, bool* justRead) {
        *justRead = false;
        TListingPtr cached;
        {
            QMutexLocker lock(&m_mutex);
            cached = m_listings.value(folder);
        }
        if (cached && !fresh)
            return cached;
        if (cached && !cached->Racy) {
            struct stat st;
            if (StatFolder(folder, &st) && SameFolderState(*cached, st))
                return cached;
        }
        // Read outside the lock: a large folder on a slow disc must not hold up other threads.
        TListingPtr read = ReadFolder(folder);
        *justRead = true;
        QMutexLocker lock(&m_mutex);
        if (!read) {
            m_listings.remove(folder);
            return nullptr;
        }
        if (m_listings.size() >= MaxFolders)
            m_listings.clear();
        m_listings.insert(folder, read);
        return read;
    }

    // Where the folder written as `written` was last found on disc (*folder), and the names of
    // its cached listing that fold to `folded` (*names, in code-point order; *listed false when
    // the folder has no listing yet). False when the folder has not been found before. Nothing
    // here is trusted: the caller checks the file it makes of it.
    bool KnownFolder(const QString& written, const QString& folded, QString* folder, QStringList* names,
                     bool* listed) {
        QMutexLocker lock(&m_mutex);
        const auto known = m_found.constFind(written);
        if (known == m_found.cend())
            return false;
        *folder = known->Path;
        const TListingPtr listing = m_listings.value(known->Native);
        *listed = listing != nullptr;
        if (listing)
            *names = listing->Names.value(folded);
        return true;
    }

    void RememberFolder(const QString& written, const QString& found) {
        QMutexLocker lock(&m_mutex);
        if (m_found.size() >= MaxFolders)
            m_found.clear();
        m_found.insert(written, TFoundFolder{found, QFile::encodeName(found)});
    }

    void Clear() {
        QMutexLocker lock(&m_mutex);
        m_listings.clear();
        m_found.clear();
    }

private:
    struct TFoundFolder {
        QString Path;
        QByteArray Native;
    };

    QMutex m_mutex;
    QHash<QByteArray, TListingPtr> m_listings;
    // A folder as the disc's links write it -> as it was found on disc: the pictures of a page
    // are named with the same folder, which is then matched once, not once per picture.
    QHash<QString, TFoundFolder> m_found;
};

TFolderCache& Cache() {
    static TFolderCache cache;
    return cache;
}

bool Exists(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

QString Join(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

class TResolver final {
public:
    explicit TResolver(const QStringList& names) : m_names(names) {}

    // Extends folder (an existing path, empty for the current folder) by names[i..], each matched
    // ignoring case; the result in *out.
    bool From(const QString& folder, qsizetype i, QString* out) {
        if (i == m_names.size()) {
            *out = folder;
            return true;
        }
        if (++m_tries > MaxTries)
            return false;
        const QString& name = m_names[i];
        QString exact = Join(folder, name);
        if (Exists(exact) && From(exact, i + 1, out))
            return true;
        if (name == u"..")
            return false;
        const QByteArray listed = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
        const QString folded = name.toCaseFolded();
        QStringList tried;
        // The cached listing first; only when it offers nothing that exists is the folder checked
        // for changes and read again.
        for (const bool fresh : {false, true}) {
            bool justRead = false;
            const TListingPtr listing = Cache().Listing(listed, fresh, &justRead);
            if (!listing)
                return false;
            for (const QString& candidate : listing->Names.value(folded)) {
                if (candidate == name || tried.contains(candidate))
                    continue;
                tried.append(candidate);
                const QString path = Join(folder, candidate);
                // Never trust the listing alone: the name may have gone since it was read.
                if (Exists(path) && From(path, i + 1, out))
                    return true;
            }
            if (justRead)
                break;
        }
        return false;
    }

private:
    const QStringList& m_names;
    int m_tries = 0;
};

// The last name of a path whose folder was found before: one stat when the name is in the cached
// listing. Empty when the folder is not known or the name is not found there.
QString FindInKnownFolder(const QString& folderWritten, const QString& name) {
    QString folder;
    QStringList names;
    bool listed = false;
    if (!Cache().KnownFolder(folderWritten, name.toCaseFolded(), &folder, &names, &listed))
        return QString();
    if (!listed || names.contains(name)) {
        QString exact = Join(folder, name);
        if (Exists(exact))
            return exact;
    }
    for (const QString& candidate : std::as_const(names)) {
        if (candidate == name)
            continue;
        QString path = Join(folder, candidate);
        if (Exists(path))
            return path;
    }
    return QString();
}

} // namespace

QString FindDiscFile(const QString& path) {
    if (path.isEmpty() || Exists(path))
        return path;
    QString normalized = path;
    normalized.replace(u'\\', u'/');
    // The common case: a page's picture in another case, in a folder already found. Only absolute
    // folders are remembered: a relative one means another folder once the current one changes.
    const bool absolute = normalized.startsWith(u'/');
    const qsizetype slash = normalized.lastIndexOf(u'/');
    const QString leaf = normalized.mid(slash + 1);
    const bool plainLeaf = absolute && slash > 0 && !leaf.isEmpty() && leaf != u"." && leaf != u"..";
    const QString folderWritten = plainLeaf ? normalized.left(slash) : QString();
    if (plainLeaf) {
        QString quick = FindInKnownFolder(folderWritten, leaf);
        if (!quick.isEmpty())
            return quick;
    }
    QStringList names = normalized.split(u'/', Qt::SkipEmptyParts);
    names.removeAll(QStringLiteral("."));
    if (names.isEmpty())
        return path;
    TResolver resolver(names);
    QString found;
    if (!resolver.From(absolute ? QStringLiteral("/") : QString(), 0, &found))
        return path;
    if (plainLeaf) {
        const qsizetype foundSlash = found.lastIndexOf(u'/');
        if (foundSlash >= 0)
            Cache().RememberFolder(folderWritten,
                                   foundSlash == 0 ? QStringLiteral("/") : found.left(foundSlash));
    }
    return found;
}

void ClearDiscFileCache() {
    Cache().Clear();
}
