#include "search/SearchShard.h"

#include "markup/Markup.h"
#include "search/SearchDocument.h"
#include "search/SearchTokenizer.h"
#include "search/SearchWords.h"

#include <QFile>
#include <memory>
#include <sqlite3.h>

namespace {

// Marks this program's index files ("CPSX"), and the layout of their tables: a file with another
// version is built again.
constexpr int kApplicationId = 0x43505358;
constexpr int kFormatVersion = 3;

// Words of the caption count this many times as much as words of the page.
constexpr const char* kRanking = "bm25(4.0, 1.0, 0.0)";
// A snippet is about this many words of text around the hits.
constexpr int kSnippetWords = 20;
// A query word stands for at most this many of its forms, and this many words sharing the
// beginning of its stem are looked at to find them.
constexpr int kMaxForms = 200;
constexpr int kMaxCandidates = 5000;

const char* const kSchema =
    "CREATE TABLE items(id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, stamp TEXT NOT NULL,"
    " course INTEGER NOT NULL, course_name TEXT NOT NULL, section INTEGER NOT NULL,"
    " item INTEGER NOT NULL, caption TEXT NOT NULL);"
    "CREATE VIRTUAL TABLE pages USING fts5(caption, body, course, tokenize='courseplayer');"
    "CREATE VIRTUAL TABLE words USING fts5vocab(pages, 'row');";

// Text that FTS5 reads as one string whatever it holds: its syntax never comes from a query.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

// The word that marks the pages of one course in their own column: a search in one course is then
// one full-text query, ranked and cut by the table like any other.
std::string CourseToken(int course) {
    return "c" + std::to_string(course);
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string out;
    for (const std::string& part : parts)
        out += (out.empty() ? "" : separator) + part;
    return out;
}

} // namespace

TSqlError::TSqlError(int code, const std::string& message) : std::runtime_error(message), m_code(code) {
}

bool TSqlError::IsDamage() const {
    const int primary = m_code & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || primary == SQLITE_FORMAT;
}

bool TSqlError::IsBusy() const {
    const int primary = m_code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

bool TSqlError::IsNotBuilt() const {
    return m_code == SQLITE_EMPTY;
}

// A prepared statement, finalized when it goes.
class TSearchShard::TStatement final {
public:
    TStatement(sqlite3* db, const char* sql) : m_db(db) {
        Check(sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr));
    }
    ~TStatement() { sqlite3_finalize(m_statement); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    TStatement& Bind(int i, std::int64_t value) {
        Check(sqlite3_bind_int64(m_statement, i, value));
        return *this;
    }
    TStatement& Bind(int i, const std::string& text) {
        Check(sqlite3_bind_text(m_statement, i, text.data(), int(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    TStatement& Bind(int i, const QByteArray& text) {
        Check(sqlite3_bind_text(m_statement, i, text.constData(), int(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while there is a row; the statement is reset after its last one.
    bool Step() {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        sqlite3_reset(m_statement);
        if (rc != SQLITE_DONE)
            throw TSqlError(rc, sqlite3_errmsg(m_db));
        return false;
    }
    void Run() {
        while (Step()) {
        }
    }
    void Reset() {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(m_statement, column); }
    double Real(int column) const { return sqlite3_column_double(m_statement, column); }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return text ? std::string(text, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
    }
    QString String(int column) const { return QString::fromStdString(Text(column)); }

private:
    void Check(int rc) const {
        if (rc != SQLITE_OK)
            throw TSqlError(rc, sqlite3_errmsg(m_db));
    }
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

TSearchShard::TSearchShard(const QString& path, bool write) {
    // SQLite counts its memory under a global lock by default; two writers would take turns at it.
    static const int noStatus = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)noStatus;
    const int flags =
        (write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_extended_result_codes(m_db, 1);
    if (rc == SQLITE_OK)
        rc = SearchTokenizer::Register(m_db);
    if (rc != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw TSqlError(rc, message);
    }
    try {
        sqlite3_busy_timeout(m_db, 2000);
        TStatement version(m_db, "SELECT (SELECT application_id FROM pragma_application_id),"
                                 " (SELECT user_version FROM pragma_user_version),"
                                 " (SELECT count(*) FROM sqlite_schema)");
        version.Step();
        const std::int64_t application = version.Int(0);
        const std::int64_t format = version.Int(1);
        const std::int64_t tables = version.Int(2);
        version.Reset();
        if (write) {
            // The index is a cache: a crash leaves at worst a damaged file, which is built again.
            // Large pages: fewer writes and a shallower tree of postings (a new file only).
            Exec("PRAGMA page_size=32768; PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"
                 " PRAGMA cache_size=-65536;");
            if (application == 0 && format == 0 && tables == 0) {
                Exec("BEGIN");
                Exec(kSchema);
                Exec(("PRAGMA application_id=" + std::to_string(kApplicationId) +
                      "; PRAGMA user_version=" + std::to_string(kFormatVersion))
                         .c_str());
                // Segments are not merged while pages go in, but once at the end of an update
                // (Tidy): merging as they come rewrote the postings several times over.
                Exec("INSERT INTO pages(pages, rank) VALUES('automerge', 0);"
                     "INSERT INTO pages(pages, rank) VALUES('crisismerge', 200);"
                     "INSERT INTO pages(pages, rank) VALUES('pgsz', 32000);");
                Exec("COMMIT");
                return;
            }
        }
        if (!write && application == 0 && format == 0 && tables == 0)
            throw TSqlError(SQLITE_EMPTY, "the search index is not built yet");
        if (application != kApplicationId || format != kFormatVersion)
            throw TSqlError(SQLITE_NOTADB, "the search index is of another format");
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

TSearchShard::~TSearchShard() {
    m_statements.clear();
    sqlite3_close(m_db);
}

void TSearchShard::Interrupt() {
    sqlite3_interrupt(m_db);
}

void TSearchShard::Exec(const char* sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(m_db);
        sqlite3_free(error);
        throw TSqlError(rc, message);
    }
}

TSearchShard::TStatement& TSearchShard::Statement(const char* sql) {
    auto& statement = m_statements[sql];
    if (!statement)
        statement = std::make_unique<TStatement>(m_db, sql);
    return *statement;
}

std::vector<TSearchShard::TEntry> TSearchShard::Entries() {
    std::vector<TEntry> entries;
    TStatement& s = Statement("SELECT id, key, stamp FROM items");
    while (s.Step())
        entries.push_back({s.Int(0), s.Text(1), s.Text(2)});
    return entries;
}

void TSearchShard::Begin() {
    Exec("BEGIN");
}

void TSearchShard::Commit() {
    Exec("COMMIT");
}

void TSearchShard::Tidy(bool whole) {
    if (whole)
        Exec("INSERT INTO pages(pages) VALUES('optimize')");
    else // a little at a time: a few changed pages do not rewrite the index
        Exec("INSERT INTO pages(pages, rank) VALUES('merge', 500)");
}

void TSearchShard::Remove(std::int64_t row) {
    Statement("DELETE FROM pages WHERE rowid = ?1").Bind(1, row).Run();
    Statement("DELETE FROM items WHERE id = ?1").Bind(1, row).Run();
}

void TSearchShard::Add(const TSearchItem& item, const std::string& stamp, const QByteArray& pageText) {
    Statement("INSERT INTO items(key, stamp, course, course_name, section, item, caption)"
              " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)")
        .Bind(1, SearchDocument::ItemKey(item.Course, item.Section, item.ID))
        .Bind(2, stamp)
        .Bind(3, item.Course)
        .Bind(4, item.CourseName.toUtf8())
        .Bind(5, item.Section)
        .Bind(6, item.ID)
        .Bind(7, item.Caption.toUtf8())
        .Run();
    Statement("INSERT INTO pages(rowid, caption, body, course) VALUES(?1, ?2, ?3, ?4)")
        .Bind(1, sqlite3_last_insert_rowid(m_db))
        .Bind(2, StripMarkup(item.Caption).toUtf8())
        .Bind(3, pageText)
        .Bind(4, CourseToken(item.Course))
        .Run();
}

std::vector<std::string> TSearchShard::Forms(const std::string& word) {
    // A Russian stem is the beginning of each of its forms: the candidates are the words that
    // begin with it, and the forms those of them with the same stem.
    const std::string stem = RussianStem(word);
    std::vector<std::string> forms{word};
    TStatement& s = Statement("SELECT term FROM words WHERE term >= ?1 AND term < ?2 LIMIT ?3");
    s.Bind(1, stem).Bind(2, stem + "\xF4\x8F\xBF\xBF").Bind(3, kMaxCandidates);
    while (s.Step()) {
        std::string candidate = s.Text(0);
        if (candidate != word && RussianStem(candidate) == stem)
            forms.push_back(std::move(candidate));
        if (forms.size() >= size_t(kMaxForms)) {
            s.Reset();
            break;
        }
    }
    return forms;
}

std::string TSearchShard::Expression(const std::vector<TQueryPart>& query, bool any) {
    std::vector<std::string> wanted;
    std::vector<std::string> excluded;
    const auto anyForm = [this](const QString& word) {
        std::vector<std::string> forms;
        for (const std::string& form : Forms(word.toStdString()))
            forms.push_back(Quoted(form));
        return forms.size() == 1 ? forms.front() : "(" + Joined(forms, " OR ") + ")";
    };
    for (const TQueryPart& part : query) {
        switch (part.Kind) {
        case TQueryPart::Word:
            wanted.push_back(anyForm(part.Words.front()));
            break;
        case TQueryPart::Phrase:
            wanted.push_back(Quoted(part.Words.join(u' ').toStdString()));
            break;
        case TQueryPart::Prefix:
            wanted.push_back(Quoted(part.Words.front().toStdString()) + " *");
            break;
        case TQueryPart::Excluded:
            excluded.push_back(anyForm(part.Words.front()));
            break;
        }
    }
    if (wanted.empty())
        return {};
    std::string expression = "(" + Joined(wanted, any ? " OR " : " AND ") + ")";
    if (!excluded.empty())
        expression += " NOT (" + Joined(excluded, " OR ") + ")";
    // The words of the items only: the course column holds the marks of the course filter.
    return "{caption body} : (" + expression + ")";
}

namespace {

// The page text around the hits, or the caption's when the item has no page text, with the hits
// between \2 and \3.
std::string SnippetColumn() {
    const std::string words = std::to_string(kSnippetWords);
    return "CASE WHEN length(body) > 0 THEN snippet(pages, 1, char(2), char(3), '…', " + words +
           ") ELSE snippet(pages, 0, char(2), char(3), '…', " + words + ") END";
}

// HTML for the result list: the text escaped as element text (quotes stay), the hits in <b>.
QString SnippetHtml(QString snippet) {
    snippet = snippet.simplified();
    snippet.replace(u'&', QLatin1String("&amp;"));
    snippet.replace(u'<', QLatin1String("&lt;"));
    snippet.replace(u'>', QLatin1String("&gt;"));
    snippet.replace(QChar(2), QLatin1String("<b>"));
    snippet.replace(QChar(3), QLatin1String("</b>"));
    return snippet;
}

} // namespace

int TSearchShard::Count(const std::string& expression, int course) {
    if (expression.empty())
        return 0;
    TStatement& s = Statement("SELECT count(*) FROM pages WHERE pages MATCH ?1");
    s.Bind(1, course < 0 ? expression : "(" + expression + ") AND course : " + Quoted(CourseToken(course)));
    const int count = s.Step() ? int(s.Int(0)) : 0;
    s.Reset();
    return count;
}

std::vector<TShardHit> TSearchShard::Search(const std::string& expression, int course, int limit) {
    std::vector<TShardHit> hits;
    if (expression.empty() || limit <= 0)
        return hits;
    // The table hands the rows over best first, so that only the rows taken get their snippet:
    // a snippet reads the row's postings again.
    static const std::string sql = "SELECT rowid, rank, " + SnippetColumn() +
                                   " FROM pages WHERE pages MATCH ?1 AND rank MATCH '" + kRanking +
                                   "' ORDER BY rank LIMIT ?2";
    TStatement& s = Statement(sql.c_str());
    s.Bind(1, course < 0 ? expression : "(" + expression + ") AND course : " + Quoted(CourseToken(course)))
        .Bind(2, limit);
    while (s.Step())
        hits.push_back({s.Int(0), s.Real(1), 0, {}, 0, 0, {}, SnippetHtml(s.String(2))});
    TStatement& item =
        Statement("SELECT course, course_name, section, item, caption FROM items WHERE id = ?1");
    for (TShardHit& hit : hits) {
        item.Bind(1, hit.Row);
        if (item.Step()) {
            hit.Course = int(item.Int(0));
            hit.CourseName = item.String(1);
            hit.Section = int(item.Int(2));
            hit.ID = int(item.Int(3));
            hit.Caption = item.String(4);
        }
        item.Reset();
    }
    return hits;
}
