#include "search/SearchIndex.h"

#include "core/BytePaths.h"
#include "search/PageText.h"
#include "search/SearchDocument.h"
#include "search/SearchQuery.h"
#include "search/SearchShard.h"
#include "search/SearchSource.h"
#include "search/SearchWords.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

// What the index object shares with the thread of an update.
class TSearchIndexState final {
public:
    QString LibraryFolder;
    QString IndexFolder;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Updating{false};
    std::atomic<int> Generation{0};     // counts the times the index was wiped
    std::atomic<bool> Damaged{false};   // a search found the files damaged: the next update rebuilds
    std::atomic<bool> Elsewhere{false}; // the last update found another program updating
    std::thread Worker;

    // The shards an update writes, so that a cancelled update can interrupt what SQLite is doing.
    std::mutex WritersMutex;
    std::vector<TSearchShard*> Writers;
    // Set when the worker thread is done, so that destroying the index can wait for it briefly.
    std::mutex FinishedMutex;
    std::condition_variable FinishedChanged;
    bool Finished = true;

    std::mutex ReaderMutex; // Search may be called from any thread
    std::vector<std::unique_ptr<TSearchShard>> Readers;
    int ReaderGeneration = 0;
};

namespace {

// An update commits after this many pages once this much time has passed, so that searches see
// the index grow; each commit writes the new postings out as a segment, so not too often.
constexpr int kCommitPages = 2000;
constexpr qint64 kCommitMs = 5000;
// The index is written as this many shards at once, one thread each (this machine class has two
// cores); a search reads them all as one. Fixed, so that an index reads the same on any machine.
constexpr size_t kShards = 2;

QString CanonicalOrClean(const QString& path) {
    const QString canonical = CanonicalPath(path);
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

QString ShardPath(const QString& indexFolder, size_t shard) {
    return indexFolder + u'/' + QString::number(shard) + QStringLiteral(".db");
}

// A search that finds the files damaged leaves this mark in the index folder, so that the next
// update builds anew even in another run of the program (coursetool searches once and exits).
QString DamageMark(const QString& indexFolder) {
    return indexFolder + QStringLiteral("/damaged");
}

// The folder is the index's own: a damaged or old index is removed with everything in it, and
// a file in its place too.
void Wipe(const QString& folder, std::atomic<int>& generation) {
    ++generation;
    const QFileInfo info(folder);
    if (info.isDir() && !info.isSymLink())
        QDir(folder).removeRecursively();
    else if (info.exists() || info.isSymLink())
        QFile::remove(folder);
    QDir().mkpath(folder);
}

// Whether the index folder holds something that no update could open: the folder itself is a
// file, a shard is a folder, or a search marked it damaged.
bool Unusable(const QString& folder) {
    const QFileInfo info(folder);
    if ((info.exists() || info.isSymLink()) && !info.isDir())
        return true;
    for (size_t i = 0; i < kShards; ++i) {
        const QFileInfo shard(ShardPath(folder, i));
        if (shard.exists() && !shard.isFile())
            return true;
    }
    return QFileInfo::exists(DamageMark(folder));
}

// The shards of an update are known to the index while they are open, so that destroying the
// index can interrupt them.
class TWritersGuard final {
public:
    TWritersGuard(TSearchIndexState& state, const std::vector<std::unique_ptr<TSearchShard>>& shards)
        : m_state(state) {
        std::lock_guard lock(m_state.WritersMutex);
        for (const std::unique_ptr<TSearchShard>& shard : shards)
            m_state.Writers.push_back(shard.get());
        if (m_state.Stop)
            for (TSearchShard* shard : m_state.Writers)
                shard->Interrupt();
    }
    ~TWritersGuard() {
        std::lock_guard lock(m_state.WritersMutex);
        m_state.Writers.clear();
    }
    TWritersGuard(const TWritersGuard&) = delete;
    TWritersGuard& operator=(const TWritersGuard&) = delete;

private:
    TSearchIndexState& m_state;
};

// Every shard for writing. An index of an older layout, or with a shard that is damaged or of
// another format, is replaced by an empty one as a whole.
std::vector<std::unique_ptr<TSearchShard>> OpenForUpdate(const QString& folder,
                                                         std::atomic<int>& generation) {
    // The shards of the first versions were folders "0" and "1".
    if (Unusable(folder) || QFileInfo(folder + QStringLiteral("/0")).isDir() ||
        QFileInfo::exists(folder + QStringLiteral("/iamglass")))
        Wipe(folder, generation);
    QDir().mkpath(folder);
    for (int attempt = 0;; ++attempt) {
        try {
            std::vector<std::unique_ptr<TSearchShard>> shards;
            for (size_t i = 0; i < kShards; ++i)
                shards.push_back(std::make_unique<TSearchShard>(ShardPath(folder, i), true));
            return shards;
        } catch (const TSqlError& e) {
            if (!e.IsDamage() || attempt > 0)
                throw;
            Wipe(folder, generation);
        }
    }
}

struct TWork {
    TSearchItem Item;
    std::string Stamp;
    std::int64_t Row = 0; // 0: a new item
};

// The shard a new item goes to; an item keeps the shard it was first indexed in.
size_t ShardOf(const std::string& key) {
    return std::hash<std::string>{}(key) % kShards;
}

// A shard's share of an update, handed from the walk of the library to the shard's writer as the
// walk finds it, so that pages are read and written while the walk goes on.
class TShardWork final {
public:
    void Put(TWork work) {
        {
            std::lock_guard lock(m_mutex);
            m_work.push_back(std::move(work));
        }
        m_changed.notify_one();
    }
    // The walk is over: what else the shard must drop.
    void Close(std::vector<std::int64_t> obsolete) {
        {
            std::lock_guard lock(m_mutex);
            m_obsolete = std::move(obsolete);
            m_closed = true;
        }
        m_changed.notify_one();
    }
    // The next item, waiting for the walk; false once the walk is over and every item is taken.
    bool Take(TWork& work) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_closed || !m_work.empty(); });
        if (m_work.empty())
            return false;
        work = std::move(m_work.front());
        m_work.pop_front();
        return true;
    }
    std::vector<std::int64_t> Obsolete() {
        std::lock_guard lock(m_mutex);
        return m_obsolete;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<TWork> m_work;
    std::vector<std::int64_t> m_obsolete;
    bool m_closed = false;
};

// Writes one shard's share of an update: extracts each page's text and puts the item in,
// committing now and then, then removes what is gone and merges the segments. Runs on a thread
// of its own. A stopped update keeps what it has written.
void WriteShard(TSearchShard& shard, TShardWork& work, size_t held, const QString& library,
                const std::atomic<bool>& stop, std::atomic<int>& done) {
    QElapsedTimer sinceCommit;
    bool begun = false;
    const auto begin = [&] {
        if (!begun) {
            shard.Begin();
            sinceCommit.start();
            begun = true;
        }
    };
    size_t written = 0;
    int sinceLast = 0;
    TWork w;
    while (!stop && work.Take(w)) {
        begin();
        const QByteArray text = SearchDocument::HasNoPage(w.Stamp)
                                    ? QByteArray()
                                    : ExtractPageTextUtf8(w.Item.PagePath, library, &stop);
        if (w.Row)
            shard.Remove(w.Row);
        shard.Add(w.Item, w.Stamp, text);
        ++written;
        ++done;
        if (++sinceLast >= kCommitPages && sinceCommit.elapsed() >= kCommitMs) {
            shard.Commit();
            shard.Begin();
            sinceLast = 0;
            sinceCommit.restart();
        }
    }
    if (!stop) {
        for (const std::int64_t row : work.Obsolete()) {
            begin();
            shard.Remove(row);
        }
    }
    if (!begun)
        return; // nothing changed
    shard.Commit();
    // After a first index or a large change the segments are merged into one; that takes about
    // as long as the writing of a quarter of the pages again.
    if (!stop)
        shard.Tidy(written * 4 >= held || written >= 5000);
}

// One pass over the library; returns false when it was stopped. Progress is called on this thread.
bool RunUpdatePass(TSearchIndexState& state, const std::function<void(int, int)>& progress) {
    std::vector<std::unique_ptr<TSearchShard>> shards = OpenForUpdate(state.IndexFolder, state.Generation);
    const TWritersGuard writersGuard(state, shards);

    // What the index holds: one stamp per item key.
    struct TIndexed {
        size_t Shard;
        std::int64_t Row;
        std::string Stamp;
    };
    std::unordered_map<std::string, TIndexed> indexed;
    std::vector<std::vector<std::int64_t>> obsolete(kShards);
    std::vector<size_t> held(kShards); // items in each shard before the update
    for (size_t i = 0; i < kShards; ++i)
        for (TSearchShard::TEntry& entry : shards[i]->Entries())
            if (!indexed.emplace(std::move(entry.Key), TIndexed{i, entry.Row, std::move(entry.Stamp)}).second)
                obsolete[i].push_back(entry.Row);
    for (const auto& [key, entry] : indexed)
        ++held[entry.Shard];
    if (state.Stop)
        return false;

    // Each shard on its own thread: reading the pages and writing the postings both take their
    // share of the time, and a shard is written from one connection.
    std::vector<TShardWork> work(kShards);
    std::atomic<int> done{0};
    std::vector<std::exception_ptr> errors(kShards);
    std::vector<std::thread> writers;
    std::mutex finishedMutex;
    std::condition_variable finishedChanged;
    size_t finished = 0;
    for (size_t i = 0; i < kShards; ++i)
        writers.emplace_back([&, i] {
            try {
                WriteShard(*shards[i], work[i], held[i], state.LibraryFolder, state.Stop, done);
            } catch (...) {
                errors[i] = std::current_exception();
            }
            std::lock_guard lock(finishedMutex);
            ++finished;
            finishedChanged.notify_all();
        });

    // What the library holds now, handed to the writers course by course.
    int total = 0;
    std::unordered_set<std::string> present;
    std::exception_ptr walkError; // the writers are waiting: they are released first
    try {
        ListSearchItems(state.LibraryFolder, [&](std::vector<TSearchItem>&& items) {
            for (TSearchItem& item : items) {
                std::string key = SearchDocument::ItemKey(item.Course, item.Section, item.ID);
                std::string stamp = SearchDocument::Stamp(item);
                const auto found = indexed.find(key);
                if (!present.insert(key).second || (found != indexed.end() && found->second.Stamp == stamp))
                    continue; // listed twice (the first one counts), or unchanged
                ++total;
                if (found != indexed.end())
                    work[found->second.Shard].Put({std::move(item), std::move(stamp), found->second.Row});
                else
                    work[ShardOf(key)].Put({std::move(item), std::move(stamp), 0});
            }
            return !state.Stop;
        });
    } catch (...) {
        walkError = std::current_exception();
    }
    // Only a whole walk tells which items are gone.
    if (!state.Stop && !walkError)
        for (const auto& [key, entry] : indexed)
            if (!present.count(key))
                obsolete[entry.Shard].push_back(entry.Row);
    for (size_t i = 0; i < kShards; ++i)
        work[i].Close(std::move(obsolete[i]));
    progress(done, total);

    int reported = done;
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
    if (walkError)
        std::rethrow_exception(walkError);
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
    state.Elsewhere = false;
    // A library that is not there (a disc taken out) keeps its index as it is.
    if (!QFileInfo(state.LibraryFolder).isDir())
        return;
    // One update of an index at a time, from whichever program.
    QDir().mkpath(QFileInfo(state.IndexFolder).path());
    QLockFile lock(state.IndexFolder + QStringLiteral(".lock"));
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError)
            state.Elsewhere = true; // the caller tells the user
        else
            qWarning("Search index: cannot write in %s", qPrintable(QFileInfo(state.IndexFolder).path()));
        return;
    }
    if (state.Damaged.exchange(false))
        Wipe(state.IndexFolder, state.Generation);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            RunUpdatePass(state, progress);
            return;
        } catch (const TSqlError& e) {
            if (state.Stop)
                return; // cancelled: SQLite was interrupted, what was committed stays
            if (e.IsBusy()) {
                state.Elsewhere = true;
                return;
            }
            if (!e.IsDamage()) {
                qWarning("Search index not updated: %s", e.what());
                return;
            }
            qWarning("Search index damaged, built again: %s", e.what());
            Wipe(state.IndexFolder, state.Generation);
        }
    }
}

std::vector<TSearchHit> RunQuery(std::vector<std::unique_ptr<TSearchShard>>& shards, const QString& query,
                                 int course, int limit, int* total) {
    const std::vector<TQueryPart> parts = ParseQuery(query);
    std::vector<TShardHit> found;
    // Pages with every word first; when no page has them all, pages with some of them.
    for (const bool any : {false, true}) {
        int count = 0;
        for (const std::unique_ptr<TSearchShard>& shard : shards) {
            const std::string expression = shard->Expression(parts, any);
            if (expression.empty())
                return {};
            std::vector<TShardHit> hits = shard->Search(expression, course, limit);
            // Counted only where the limit may have cut rows off: the rows are the count otherwise.
            if (total)
                count += int(hits.size()) < limit ? int(hits.size()) : shard->Count(expression, course);
            for (TShardHit& hit : hits)
                found.push_back(std::move(hit));
        }
        if (total)
            *total = count;
        if (!found.empty())
            break;
    }
    // The shards rank alike (each holds a random half of the library), so their best merge.
    std::stable_sort(found.begin(), found.end(),
                     [](const TShardHit& a, const TShardHit& b) { return a.Rank < b.Rank; });
    if (found.size() > size_t(limit))
        found.resize(size_t(limit));

    std::vector<TSearchHit> hits;
    hits.reserve(found.size());
    for (TShardHit& f : found) {
        TSearchHit hit;
        hit.Course = f.Course;
        hit.CourseName = std::move(f.CourseName);
        hit.Section = f.Section;
        hit.ID = f.ID;
        hit.Caption = std::move(f.Caption);
        hit.Relevance = -f.Rank; // BM25 as the full-text table gives it is lower for better
        hit.Snippet = std::move(f.Snippet);
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
    TSearchIndexState& state = *m_state;
    state.Stop = true; // pages being read stop at once; the writers commit what they have
    if (!state.Worker.joinable())
        return;
    // A commit or a merge of the segments may take seconds: it is interrupted when it does not end
    // soon, and rolled back (the index is a cache; what was committed before stays).
    {
        std::unique_lock lock(state.FinishedMutex);
        if (!state.FinishedChanged.wait_for(lock, std::chrono::milliseconds(300),
                                            [&] { return state.Finished; })) {
            std::lock_guard writers(state.WritersMutex);
            for (TSearchShard* shard : state.Writers)
                shard->Interrupt();
        }
    }
    state.Worker.join();
}

void TSearchIndex::StartUpdate() {
    if (m_state->Updating)
        return;
    if (m_state->Worker.joinable())
        m_state->Worker.join();
    m_state->Updating = true;
    m_state->Stop = false;
    m_state->Finished = false;
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
        std::lock_guard lock(state->FinishedMutex);
        state->Finished = true;
        state->FinishedChanged.notify_all();
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

bool TSearchIndex::UpdatedElsewhere() const {
    return m_state->Elsewhere;
}

std::vector<TSearchHit> TSearchIndex::Search(const QString& query, int course, int limit, int* total) const {
    if (total)
        *total = 0;
    if (limit <= 0 || query.trimmed().isEmpty())
        return {};
    std::lock_guard lock(m_state->ReaderMutex);
    std::vector<std::unique_ptr<TSearchShard>>& readers = m_state->Readers;
    if (!readers.empty() && m_state->ReaderGeneration != m_state->Generation)
        readers.clear(); // the files they read were replaced
    try {
        if (readers.empty()) {
            m_state->ReaderGeneration = m_state->Generation;
            for (size_t i = 0; i < kShards; ++i) {
                const QString path = ShardPath(m_state->IndexFolder, i);
                if (!QFileInfo(path).isFile()) {
                    readers.clear();
                    return {}; // not built yet
                }
                readers.push_back(std::make_unique<TSearchShard>(path, false));
            }
        }
        return RunQuery(readers, query, course, limit, total);
    } catch (const TSqlError& e) {
        // Damage is mended by the next update without a word.
        if (!e.IsNotBuilt() && !e.IsDamage())
            qWarning("Search failed: %s", e.what());
        if (e.IsDamage()) {
            m_state->Damaged = true;
            QFile mark(DamageMark(m_state->IndexFolder));
            if (mark.open(QIODevice::WriteOnly))
                mark.close();
        }
        readers.clear();
    }
    return {};
}

QStringList TSearchIndex::MatchedWords(const QString& query, const QString& text) const {
    return MatchQueryWords(query, text);
}

QString TSearchIndex::IndexFolder() const {
    return m_state->IndexFolder;
}
