#pragma once

// One shard of the search index: an SQLite database with a full-text table of the pages, the
// items they belong to, and the words they hold. Private to src/search; TSearchIndex keeps
// several and reads them as one.

#include "search/SearchQuery.h"
#include "search/SearchSource.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// An SQLite failure, with its result code.
class TSqlError final : public std::runtime_error {
public:
    TSqlError(int code, const std::string& message);
    int Code() const { return m_code; }
    // The file is not a database of ours or is damaged: the index is to be built again.
    bool IsDamage() const;
    // Another program holds the database.
    bool IsBusy() const;
    // The file is there but its writer has not set it up yet.
    bool IsNotBuilt() const;

private:
    int m_code;
};

// A found item of one shard, best first by Rank (lower is better).
struct TShardHit {
    std::int64_t Row = 0;
    double Rank = 0;
    int Course = 0;
    QString CourseName;
    int Section = 0;
    int ID = 0;
    QString Caption;
    QString Snippet; // the page text around the hits (HTML-escaped, hits in <b>…</b>), or the caption's
};

class TSearchShard final {
public:
    // Opens (and for writing, creates) the shard's file. Throws TSqlError; a file of another
    // format throws one that IsDamage().
    TSearchShard(const QString& path, bool write);
    ~TSearchShard();
    TSearchShard(const TSearchShard&) = delete;
    TSearchShard& operator=(const TSearchShard&) = delete;

    // Writing.
    struct TEntry {
        std::int64_t Row;
        std::string Key;   // ItemKey
        std::string Stamp; // what decides whether the item is still current
    };
    std::vector<TEntry> Entries();
    void Begin();
    void Commit();
    // Merges the segments that updates leave: all into one after many changes (`whole`), else
    // a bounded share. Outside a transaction.
    void Tidy(bool whole);
    void Remove(std::int64_t row);
    void Add(const TSearchItem& item, const std::string& stamp, const QByteArray& pageText); // UTF-8

    // Makes the statement running on this shard, from any thread, fail soon (SQLITE_INTERRUPT).
    void Interrupt();

    // Reading. The full-text expression of a query over this shard's words; empty when the query
    // asks for nothing. `any`: pages with some of the words rather than all of them.
    std::string Expression(const std::vector<TQueryPart>& query, bool any);
    // The best `limit` items; `course` < 0: of every course.
    std::vector<TShardHit> Search(const std::string& expression, int course, int limit);
    // How many items match, all of them; `course` < 0: of every course.
    int Count(const std::string& expression, int course);

private:
    class TStatement;
    TStatement& Statement(const char* sql); // prepared once per connection
    void Exec(const char* sql);
    // The forms of a folded word that the shard holds, the word itself first.
    std::vector<std::string> Forms(const std::string& word);

    sqlite3* m_db = nullptr;
    std::map<std::string, std::unique_ptr<TStatement>> m_statements;
};
