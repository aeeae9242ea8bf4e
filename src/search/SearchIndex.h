#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One found item, as the search window lists it.
struct TSearchHit {
    int Course = 0;
    QString CourseName;
    int Section = 0;
    int ID = 0;
    QString Caption;      // with markup, as in tree.xml
    QString Snippet;      // HTML-escaped page text around the hits, hits as <b>...</b>
    double Relevance = 0; // BM25 weight, results come best first
};

class TSearchIndexState;

// The full-text index of one library folder. It is a cache: it lives in the user's cache folder,
// never inside the library (discs are read-only), and is rebuilt silently when it is damaged or of
// an older format. Updates are incremental by the size and time of each page and of each tree.xml.
// Destroying the index cancels its update: it returns within a fraction of a second whatever
// page is being read.
class TSearchIndex final : public QObject {
    Q_OBJECT
public:
    // cacheFolder empty: QStandardPaths::CacheLocation + "/search/<hash of the library path>".
    explicit TSearchIndex(const QString& libraryFolder, const QString& cacheFolder = {});
    ~TSearchIndex() override;

    void StartUpdate(); // builds or updates on a worker thread; searchable meanwhile
    void UpdateNow();   // the same, synchronously (coursetool, tests)
    bool IsUpdating() const;
    // Whether the last update found another program updating the index and left it alone: what
    // a search finds then may be only part of the library.
    bool UpdatedElsewhere() const;

    // course < 0: the whole library. Russian as people type it: case, ё=е, stems, "phrases", prefix*.
    // total, when given, receives how many items match in all, beyond the limit too.
    std::vector<TSearchHit> Search(const QString& query, int course = -1, int limit = 50,
                                   int* total = nullptr) const;
    // The distinct words of `text` that the query matches (same folding and stemming), for
    // highlighting the hits in a shown page.
    QStringList MatchedWords(const QString& query, const QString& text) const;

    // The folder that holds the index database.
    QString IndexFolder() const;

signals:
    void Progress(int done, int total);
    void Updated(); // an update finished

private:
    std::shared_ptr<TSearchIndexState> m_state; // shared with the worker thread of an update
};
