#include "search/SearchIndex.h"

#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

// The index itself follows; this first piece fixes the interface and where the index lives.
class TSearchIndexState final {
public:
    QString LibraryFolder;
    QString IndexFolder;
};

namespace {

QString DefaultIndexFolder(const QString& libraryFolder) {
    const QString canonical = QDir(libraryFolder).canonicalPath();
    const QByteArray hash =
        QCryptographicHash::hash((canonical.isEmpty() ? QDir::cleanPath(libraryFolder) : canonical).toUtf8(),
                                 QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/search/" +
           QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

TSearchIndex::TSearchIndex(const QString& libraryFolder, const QString& cacheFolder)
    : m_state(std::make_shared<TSearchIndexState>()) {
    m_state->LibraryFolder = libraryFolder;
    m_state->IndexFolder = cacheFolder.isEmpty() ? DefaultIndexFolder(libraryFolder) : cacheFolder;
}

TSearchIndex::~TSearchIndex() = default;

void TSearchIndex::StartUpdate() {
}

void TSearchIndex::UpdateNow() {
}

bool TSearchIndex::IsUpdating() const {
    return false;
}

std::vector<TSearchHit> TSearchIndex::Search(const QString&, int, int) const {
    return {};
}

QStringList TSearchIndex::MatchedWords(const QString&, const QString&) const {
    return {};
}

QString TSearchIndex::IndexFolder() const {
    return m_state->IndexFolder;
}
