// Xapian before Qt: Qt's keyword macros (emit, slots) would break Xapian's headers.
#include <xapian.h>

#include "search/SearchIndex.h"

#include "markup/Markup.h"
#include "search/SearchDocument.h"
#include "search/SearchSource.h"
#include "search/SearchWords.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>

using namespace SearchDocument;

// What the index object shares with the thread of an update.
class TSearchIndexState final {
public:
    QString LibraryFolder;
    QString IndexFolder;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Updating{false};
    std::atomic<int> Generation{0}; // counts the times the index was wiped
    std::thread Worker;

    std::mutex ReaderMutex; // Search may be called from any thread
    std::optional<Xapian::Database> Reader;
    int ReaderGeneration = 0;
};

namespace {

// An update commits after this many pages once this much time has passed, so that searches see
// the index grow; each commit merges the new postings into the tables, so not too often.
constexpr int kCommitPages = 2000;
constexpr qint64 kCommitMs = 5000;
// The index is written as this many shards at once, one thread each (this machine class has two
// cores); a search reads them all as one. Fixed, so that an index reads the same on any machine.
constexpr size_t kShards = 2;
// Snippets aim at this many bytes of text around the hits.
constexpr size_t kSnippetBytes = 240;

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString CanonicalOrClean(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : canonical;
}

QString DefaultIndexFolder(const QString& libraryFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(CanonicalOrClean(libraryFolder).toUtf8(), QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/search/") +
           QString::fromLatin1(hash.toHex().left(16));
}

bool IsInside(const QString& path, const QString& folder) {
    const QString p = CanonicalOrClean(path);
    const QString f = CanonicalOrClean(folder);
    return p == f || p.startsWith(f.endsWith(u'/') ? f : f + u'/');
}

QString ShardFolder(const QString& indexFolder, size_t shard) {
    return indexFolder + u'/' + QString::number(shard);
}

// The folder is the index's own: a damaged or old index is removed with everything in it.
void Wipe(const QString& folder, std::atomic<int>& generation) {
    ++generation;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

// One shard for writing, or nothing when it cannot be opened or is of another format.
// Another process updating the same index raises DatabaseLockError.
std::optional<Xapian::WritableDatabase> OpenShard(const QString& folder) {
    QDir().mkpath(folder);
    try {
        Xapian::WritableDatabase db(LocalPath(folder),
                                    Xapian::DB_CREATE_OR_OPEN | Xapian::DB_BACKEND_GLASS |
                                        // A cache: a crash at worst leaves a damaged index, which is rebuilt.
                                        Xapian::DB_NO_SYNC);
        const std::string format = db.get_metadata(kFormatKey);
        if (format == kFormat)
            return db;
        if (format.empty() && db.get_doccount() == 0 && db.metadata_keys_begin() == db.metadata_keys_end()) {
            db.set_metadata(kFormatKey, kFormat);
            db.commit();
            return db;
        }
        db.close();
    } catch (const Xapian::DatabaseLockError&) {
        throw;
    } catch (const Xapian::DatabaseError&) {
    }
    return std::nullopt;
}

// Every shard for writing. An index of an older layout (one database right in the folder), or
// with a shard that cannot be opened or is of another format, is replaced by an empty one as a
// whole.
std::vector<Xapian::WritableDatabase> OpenForUpdate(const QString& folder, std::atomic<int>& generation) {
    if (QFileInfo::exists(folder + QStringLiteral("/iamglass")))
        Wipe(folder, generation);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<Xapian::WritableDatabase> shards;
        for (size_t i = 0; i < kShards; ++i) {
            std::optional<Xapian::WritableDatabase> shard = OpenShard(ShardFolder(folder, i));
            if (!shard)
                break;
            shards.push_back(std::move(*shard));
        }
        if (shards.size() == kShards)
            return shards;
        for (Xapian::WritableDatabase& db : shards)
            db.close();
        shards.clear();
        if (attempt == 0)
            Wipe(folder, generation);
    }
    throw Xapian::DatabaseCreateError("the search index cannot be created");
}

struct TWork {
    TSearchItem Item;
    std::string Stamp;
    Xapian::docid DocId = 0; // 0: a new item
};

// The shard a new item goes to; an item keeps the shard it was first indexed in.
size_t ShardOf(const std::string& key) {
    return std::hash<std::string>{}(key) % kShards;
}

// Writes one shard's share of an update: extracts each page's text, builds its document and adds
// or replaces it, committing now and then. Runs on a thread of its own.
void WriteShard(Xapian::WritableDatabase& db, const std::vector<TWork>& work, const std::atomic<bool>& stop,
                std::atomic<int>& done) {
    QElapsedTimer sinceCommit;
    sinceCommit.start();
    int sinceLast = 0;
    for (const TWork& w : work) {
        if (stop)
            return;
        const QString text = w.Stamp.rfind("-1:", 0) == 0 ? QString() : ExtractPageText(w.Item.PagePath);
        const Xapian::Document doc = Build(w.Item, text, w.Stamp);
        if (w.DocId)
            db.replace_document(w.DocId, doc);
        else
            db.add_document(doc);
        ++done;
        if (++sinceLast >= kCommitPages && sinceCommit.elapsed() >= kCommitMs) {
            db.commit();
            sinceLast = 0;
            sinceCommit.restart();
        }
    }
    db.commit();
}

// One pass over the library; returns false when it was stopped. Progress is called on this thread.
bool RunUpdatePass(TSearchIndexState& state, const std::function<void(int, int)>& progress) {
    std::vector<Xapian::WritableDatabase> shards = OpenForUpdate(state.IndexFolder, state.Generation);

    // What the index holds: one stamp per item key.
    struct TIndexed {
        size_t Shard;
        Xapian::docid DocId;
        std::string Stamp;
    };
    std::unordered_map<std::string, TIndexed> indexed;
    std::vector<std::vector<Xapian::docid>> obsolete(kShards);
    for (size_t i = 0; i < kShards; ++i) {
        Xapian::WritableDatabase& db = shards[i];
        for (auto it = db.valuestream_begin(kStampSlot); it != db.valuestream_end(kStampSlot); ++it) {
            std::string key, stamp;
            if (!SplitStampValue(*it, key, stamp) ||
                !indexed.emplace(key, TIndexed{i, it.get_docid(), stamp}).second)
                obsolete[i].push_back(it.get_docid());
        }
    }
    if (state.Stop)
        return false;

    // What the library holds now.
    std::vector<std::vector<TWork>> work(kShards);
    std::unordered_set<std::string> present;
    for (TSearchItem& item : ListSearchItems(state.LibraryFolder)) {
        if (state.Stop)
            return false;
        std::string key = ItemKey(item.Course, item.Section, item.ID);
        std::string stamp = Stamp(item);
        const auto found = indexed.find(key);
        if (!present.insert(key).second || (found != indexed.end() && found->second.Stamp == stamp))
            continue; // listed twice (the first one counts), or unchanged
        if (found != indexed.end())
            work[found->second.Shard].push_back({std::move(item), std::move(stamp), found->second.DocId});
        else
            work[ShardOf(key)].push_back({std::move(item), std::move(stamp), 0});
    }
    for (const auto& [key, entry] : indexed)
        if (!present.count(key))
            obsolete[entry.Shard].push_back(entry.DocId);
    for (size_t i = 0; i < kShards; ++i)
        for (const Xapian::docid id : obsolete[i])
            shards[i].delete_document(id);

    int total = 0;
    for (const auto& w : work)
        total += int(w.size());
    progress(0, total);

    // Each shard on its own thread: Xapian writes one database from one thread, and the writing,
    // not the reading of pages, is most of the work.
    std::atomic<int> done{0};
    std::vector<std::exception_ptr> errors(kShards);
    std::vector<std::thread> writers;
    std::mutex finishedMutex;
    std::condition_variable finishedChanged;
    size_t finished = 0;
    for (size_t i = 0; i < kShards; ++i)
        writers.emplace_back([&, i] {
            try {
                WriteShard(shards[i], work[i], state.Stop, done);
            } catch (...) {
                errors[i] = std::current_exception();
            }
            std::lock_guard lock(finishedMutex);
            ++finished;
            finishedChanged.notify_all();
        });
    int reported = 0;
    {
        std::unique_lock lock(finishedMutex);
        while (finished < kShards) {
            finishedChanged.wait_for(lock, std::chrono::milliseconds(200));
            const int now = done;
            if (now != reported && finished < kShards) {
                lock.unlock();
                progress(now, total);
                reported = now;
                lock.lock();
            }
        }
    }
    for (std::thread& t : writers)
        t.join();
    for (const std::exception_ptr& e : errors)
        if (e)
            std::rethrow_exception(e);
    if (state.Stop)
        return false;
    progress(total, total);
    return true;
}

// A whole update: a damaged index found on the way is replaced and built again once.
void RunUpdate(TSearchIndexState& state, const std::function<void(int, int)>& progress) {
    // A library that is not there (a disc taken out) keeps its index as it is.
    if (!QFileInfo(state.LibraryFolder).isDir())
        return;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            RunUpdatePass(state, progress);
            return;
        } catch (const Xapian::DatabaseLockError& e) {
            qWarning("Search index: another program is updating it (%s)", e.get_msg().c_str());
            return;
        } catch (const Xapian::DatabaseError& e) {
            qWarning("Search index damaged, built again: %s", e.get_msg().c_str());
            Wipe(state.IndexFolder, state.Generation);
        } catch (const Xapian::Error& e) {
            qWarning("Search index not updated: %s", e.get_msg().c_str());
            return;
        }
    }
}

std::vector<TSearchHit> RunQuery(const Xapian::Database& db, const QString& query, int course, int limit) {
    const Xapian::Stem stemmer("russian");
    Xapian::QueryParser parser;
    parser.set_stemmer(stemmer);
    parser.set_stemming_strategy(Xapian::QueryParser::STEM_SOME);
    parser.set_database(db);
    parser.set_max_expansion(200, Xapian::Query::WILDCARD_LIMIT_MOST_FREQUENT,
                             Xapian::QueryParser::FLAG_WILDCARD);
    const std::string folded = FoldSearchText(query).toStdString();
    const auto parse = [&](Xapian::Query::op op) {
        parser.set_default_op(op);
        Xapian::Query parsed;
        try {
            parsed = parser.parse_query(folded, Xapian::QueryParser::FLAG_DEFAULT |
                                                    Xapian::QueryParser::FLAG_WILDCARD);
        } catch (const Xapian::QueryParserError&) {
            // Unbalanced quotes or brackets: the words as they are.
            parsed = parser.parse_query(folded, 0);
        }
        if (course >= 0 && !parsed.empty())
            parsed = Xapian::Query(Xapian::Query::OP_FILTER, parsed, Xapian::Query(CourseTerm(course)));
        return parsed;
    };

    Xapian::Enquire enquire(db);
    Xapian::MSet mset;
    // Pages with every word first; when no page has them all, pages with some of them.
    for (const Xapian::Query::op op : {Xapian::Query::OP_AND, Xapian::Query::OP_OR}) {
        const Xapian::Query parsed = parse(op);
        if (parsed.empty())
            return {};
        enquire.set_query(parsed);
        mset = enquire.get_mset(0, Xapian::doccount(limit));
        if (!mset.empty())
            break;
    }

    std::vector<TSearchHit> hits;
    hits.reserve(mset.size());
    for (auto it = mset.begin(); it != mset.end(); ++it) {
        const TStored stored = Read(it.get_document().get_data());
        TSearchHit hit;
        hit.Course = stored.Course;
        hit.CourseName = stored.CourseName;
        hit.Section = stored.Section;
        hit.ID = stored.ID;
        hit.Caption = stored.Caption;
        hit.Relevance = it.get_weight();
        // Cut from the folded text, where the hits are the words the index holds, then spelt as
        // the page spells them ("ё" stays "ё").
        const QString text =
            (stored.Text.trimmed().isEmpty() ? StripMarkup(stored.Caption) : stored.Text).simplified();
        const QString folded = FoldYo(text);
        const QString snippet = QString::fromStdString(
            mset.snippet(folded.toStdString(), kSnippetBytes, stemmer, 0, "<b>", "</b>", "…"));
        hit.Snippet = RestoreYo(snippet, folded, text);
        hits.push_back(std::move(hit));
    }
    return hits;
}

} // namespace

TSearchIndex::TSearchIndex(const QString& libraryFolder, const QString& cacheFolder)
    : m_state(std::make_shared<TSearchIndexState>()) {
    m_state->LibraryFolder = libraryFolder;
    QString folder = cacheFolder.isEmpty() ? DefaultIndexFolder(libraryFolder) : cacheFolder;
    // Discs are read-only and the library is never written: an index asked for inside it goes
    // to the cache folder instead.
    if (IsInside(folder, libraryFolder))
        folder = DefaultIndexFolder(libraryFolder);
    m_state->IndexFolder = QDir::cleanPath(QDir(folder).absolutePath());
}

TSearchIndex::~TSearchIndex() {
    m_state->Stop = true;
    if (m_state->Worker.joinable())
        m_state->Worker.join();
}

void TSearchIndex::StartUpdate() {
    if (m_state->Updating)
        return;
    if (m_state->Worker.joinable())
        m_state->Worker.join();
    m_state->Updating = true;
    m_state->Stop = false;
    m_state->Worker = std::thread([this, state = m_state] {
        // Signals reach the owner's thread through its event queue; the destructor joins this
        // thread first, so `this` outlives every call made here.
        RunUpdate(*state, [this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { emit Progress(done, total); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_state->Updating = false;
                emit Updated();
            },
            Qt::QueuedConnection);
    });
}

void TSearchIndex::UpdateNow() {
    if (m_state->Worker.joinable())
        m_state->Worker.join();
    m_state->Updating = true;
    m_state->Stop = false;
    RunUpdate(*m_state, [this](int done, int total) { emit Progress(done, total); });
    m_state->Updating = false;
    emit Updated();
}

bool TSearchIndex::IsUpdating() const {
    return m_state->Updating;
}

std::vector<TSearchHit> TSearchIndex::Search(const QString& query, int course, int limit) const {
    if (limit <= 0 || query.trimmed().isEmpty())
        return {};
    std::lock_guard lock(m_state->ReaderMutex);
    std::optional<Xapian::Database>& reader = m_state->Reader;
    for (int attempt = 0; attempt < 3; ++attempt) {
        try {
            if (reader && m_state->ReaderGeneration != m_state->Generation)
                reader.reset(); // the files it reads were replaced
            if (!reader) {
                m_state->ReaderGeneration = m_state->Generation;
                Xapian::Database all;
                for (size_t i = 0; i < kShards; ++i) {
                    const QString shard = ShardFolder(m_state->IndexFolder, i);
                    if (!QFileInfo::exists(shard + QStringLiteral("/iamglass")))
                        return {}; // not built yet
                    all.add_database(Xapian::Database(LocalPath(shard), Xapian::DB_BACKEND_GLASS));
                }
                reader.emplace(all);
            } else {
                reader->reopen(); // the update's latest commit
            }
            if (reader->get_metadata(kFormatKey) != kFormat)
                return {};
            return RunQuery(*reader, query, course, limit);
        } catch (const Xapian::DatabaseModifiedError&) {
            continue; // an update committed meanwhile: reopen and ask again
        } catch (const Xapian::Error& e) {
            qWarning("Search failed: %s", e.get_msg().c_str());
            reader.reset();
        }
    }
    return {};
}

QStringList TSearchIndex::MatchedWords(const QString& query, const QString& text) const {
    return MatchQueryWords(query, text);
}

QString TSearchIndex::IndexFolder() const {
    return m_state->IndexFolder;
}
