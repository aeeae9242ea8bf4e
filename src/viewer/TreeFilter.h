#pragma once

#include <QHash>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QSet>
#include <QStringList>
#include <memory>
#include <vector>

class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QTreeWidgetItemIterator;

// Text as the filter compares it: lower case, "ё" read as "е", stress marks and soft hyphens
// dropped, every blank a plain space, typographic dashes a hyphen. People type "елка" for
// "Ёлка" and "-" for "—", and stress marks in school texts must not split a word.
QString FilterFold(const QString& text);

// What a caption reads as on screen, folded: the markup's tags and hidden sections gone and
// its entities ("&nbsp;", "&lt;", "&amp;", ...) turned into the characters they show.
QString FilterCaptionText(const QString& caption);

// The typed filter: its words, blanks around and between them ignored. A caption passes when
// it holds every word, anywhere and in any order.
class TFilterQuery final {
public:
    explicit TFilterQuery(const QString& typed);

    bool IsEmpty() const { return m_words.isEmpty(); }
    const QStringList& Words() const { return m_words; }
    // foldedText: FilterCaptionText of a caption.
    bool Matches(const QString& foldedText) const;

private:
    QStringList m_words;
};

// Narrows a tree of markup captions (column 0) to the nodes that match a query, with their
// ancestors shown and expanded, and puts the tree back as it was when the query is cleared:
// expansion, selection (in its order), current node and scroll position.
//
// The selection: while the filter is on, only shown nodes stay selected, so that commands on
// the selection never act on nodes the user cannot see. A selection the user makes while the
// filter is on is their choice and wins: clearing keeps it (and opens its branches) instead of
// the one from before. Every change the filter makes to the selection or the current node
// happens while Applying() is true, so that the window can tell them from the user's.
//
// The work is done in slices between turns of the event loop, so that a huge tree never freezes
// the window: a small tree is done at once, within SetQuery; a large one goes on afterwards
// (Busy() says so), Filtered() telling when it is done. A newer text drops the work for an
// older one at the next slice, keeping only what does not depend on the text.
//
// The filter forgets everything, restoring nothing, when the tree is cleared or replaced (a
// new section): the remembered nodes are gone.
class TTreeFilter final : public QObject {
    Q_OBJECT
public:
    explicit TTreeFilter(QTreeWidget* tree);
    ~TTreeFilter() override;

    // Filters by typed; empty or blank text ends the filter and restores the tree.
    void SetQuery(const QString& typed);
    // Ends the filter: restores the tree as SetQuery("") does.
    void Clear() { SetQuery(QString()); }
    // Ends the filter without restoring anything: every node shown, the rest left as it is.
    void Forget();

    bool IsActive() const { return m_active; }
    // Work for the last text is still to be done in later slices.
    bool Busy() const { return m_step != TStep::Idle; }
    // A slice does at least items nodes' worth of work, then goes on while budgetMs lasts.
    void SetSlice(int items, int budgetMs);
    // Nodes that match the current query (their ancestors not counted); 0 when not active.
    int MatchCount() const { return m_matches; }
    // True while the filter itself changes the tree (visibility, expansion, selection).
    bool Applying() const { return m_applying > 0; }
    // Whether the user changed the selection since the filter began.
    bool UserChoseSelection() const { return m_userChose; }
    // The first shown node that matches, in tree order; nullptr when none or not active.
    QTreeWidgetItem* FirstMatch() const;

signals:
    // The filter ended by itself (the tree was replaced, or a hidden node was selected from
    // outside it); the query box empties itself.
    void Ended();
    // The set of shown nodes changed (MatchCount and IsActive tell the new state).
    void Filtered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TNode {
        QPersistentModelIndex index;
        int parent = -1;    // position of the parent in m_nodes; -1 for a top-level node
        QString text;       // FilterCaptionText of the caption
        bool match = false; // matches the query last applied
    };
    // What is left to do for the current target, in this order.
    enum class TStep { Idle, Collect, Match, Measure, Show, Select, Expand, Finish };
    class TApplying;
    struct TSlice;

    void Start(TStep step);
    void RunSlice();
    bool CollectSome(TSlice& slice);
    bool MatchSome(TSlice& slice);
    void PlanMeasure();
    bool MeasureSome(TSlice& slice);
    bool ShowSome(TSlice& slice);
    bool ExpandSome(TSlice& slice);
    void FinishQuery();
    void FinishRestore();
    void Hold(bool on);
    void DeferLayout();
    void Reset();
    void SelectOnly(const QList<QPersistentModelIndex>& nodes, const QPersistentModelIndex& current);
    QList<QPersistentModelIndex> SelectedInOrder() const;
    void SelectionChangedByOthers();
    void RevealChoice();
    bool WillShow(const QPersistentModelIndex& index) const;

    QTreeWidget* m_tree;
    bool m_active = false;
    int m_applying = 0;
    bool m_stale = false; // rows came or went while filtering: collect the nodes again
    int m_matches = 0;
    std::vector<TNode> m_nodes; // every node in tree order, parents before children

    // The work in progress: the text it is for (no words: restoring), the step and where in it.
    TFilterQuery m_target{QString()};
    TStep m_step = TStep::Idle;
    std::size_t m_cursor = 0;
    std::vector<char> m_want;     // per node: kShown, kOpened, kMatch for the target
    std::vector<int> m_measure;   // nodes whose width the tree will ask for once shown
    bool m_collected = false;     // m_nodes holds every node of the tree
    bool m_expandedKnown = false; // m_expanded holds the expansion from before the filter
    bool m_touched = false;       // the filter has changed the tree since it began
    bool m_holding = false;       // the tree's layout and painting wait for the filter
    std::unique_ptr<QTreeWidgetItemIterator> m_walk;
    QHash<const QTreeWidgetItem*, int> m_position; // of each node in m_nodes
    QTimer* m_slicer;
    int m_sliceItems = 1024;
    int m_sliceMs = 15;

    // The tree as it was before the filter began.
    QSet<QPersistentModelIndex> m_expanded;
    QList<QPersistentModelIndex> m_selection;
    QPersistentModelIndex m_current;
    QPoint m_scroll;
    // The user's own choice made while filtering.
    bool m_userChose = false;
    QList<QPersistentModelIndex> m_userSelection;
    QPersistentModelIndex m_userCurrent;
};
