#pragma once

#include "search/SearchIndex.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QTimer;
class TGradientPanel;
class TSearchResultDelegate;
class TSearchResultModel;

// What the window asks of an index. The program's is a TSearchIndex (SetIndex); tests give their
// own functions.
struct TSearchBackend {
    // course < 0: the whole library.
    // The best `limit` items; total receives how many match in all.
    std::function<std::vector<TSearchHit>(const QString& query, int course, int limit, int* total)> Search;
    std::function<bool()> IsUpdating;
    // Another program holds the index to update it.
    std::function<bool()> UpdatedElsewhere;
};

// The search window: a query box, a progress bar while the index is built (it answers meanwhile),
// a status line and the results, best first. It searches as the user types, after a short pause,
// and at once on Enter; Down goes from the query box to the results, Enter (or a click) opens
// one, Esc hides the window. Like the other windows it only hides when closed.
class TSearchForm final : public QWidget {
    Q_OBJECT
public:
    TSearchForm();
    ~TSearchForm() override;

    // The pause after the last key before the query runs.
    static constexpr int TypingPauseMs = 350;
    // Rows asked of the index at a time: the first ones at once, more as the list is scrolled.
    static constexpr int PageSize = 50;

    // The index searched; its progress and updates show here. Not owned; nullptr: none. Another
    // index than before empties the rows (the query stays and runs when the index has updated).
    void SetIndex(TSearchIndex* index);
    void SetBackend(TSearchBackend backend);
    // What is searched: one course (its number and name) or, for course < 0, every course.
    void SetScope(int course, const QString& courseName = {});

    // Shows the window in front with the focus in the query box; the last query stays, selected,
    // and runs again (the library may have changed since).
    void ShowSearch();
    // Runs the query of the query box now.
    void RunSearch();
    // The next rows of the last search, when it found more than the list shows (the list calls
    // it as it is scrolled to its end).
    void LoadMore();
    // How many items the last search found in all.
    int Total() const { return m_total; }
    QString Query() const;
    QString StatusText() const;

    // Progress and end of an index update (the index's signals, or a test's).
    void IndexProgress(int done, int total);
    void IndexUpdated();

    // Opens a chosen result; returns the message to show when it cannot be opened, empty when
    // it was opened.
    std::function<QString(const TSearchHit& hit, const QString& query)> OnOpenResult;
    // Opens the result of a row as a click or Enter does; false when there is no such row.
    bool OpenResult(int row);
    // Messages to the user; tests replace the message box.
    void SetMessagePresenter(std::function<void(const QString&)> presenter);

    // Components.
    TGradientPanel* HeaderPanel = nullptr;
    QLabel* TitleLabel = nullptr;
    QLineEdit* QueryBox = nullptr;
    QPushButton* FindButton = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* StatusLabel = nullptr;
    QListView* ResultList = nullptr;
    TSearchResultModel* Results = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void UpdateStatus();
    void UpdateTitle();
    void ShowUpdating(bool updating);

    TSearchBackend m_backend;
    QPointer<TSearchIndex> m_index;
    QList<QMetaObject::Connection> m_indexConnections;
    std::function<void(const QString&)> m_showMessage;
    TSearchResultDelegate* m_delegate = nullptr;
    QTimer* m_typingPause = nullptr;
    QTimer* m_progressRefresh = nullptr; // re-runs the query now and then while the index grows
    int m_course = -1;
    QString m_courseName;
    QString m_searched; // the query the rows answer
    int m_total = 0;    // how many items it found in all
    bool m_updating = false;
};
