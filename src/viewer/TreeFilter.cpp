#include "viewer/TreeFilter.h"

#include "markup/Markup.h"
#include "markuptree/MarkupTreeView.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

// --- text ------------------------------------------------------------------------------------------

QString FilterFold(const QString& text) {
    // Composed first, so that "е" with a combining diaeresis is "ё" and "и" with a breve is "й";
    // the marks still left after that are accents (stress marks) and go.
    const QString lower = text.normalized(QString::NormalizationForm_C).toLower();
    QString folded;
    folded.reserve(lower.size());
    for (const QChar c : lower) {
        const char16_t u = c.unicode();
        if (u == u'ё') {
            folded += u'е';
        } else if (u == 0x00AD || c.category() == QChar::Mark_NonSpacing) {
            continue; // soft hyphen, stress mark
        } else if (c.isSpace()) {
            folded += u' ';
        } else if ((u >= 0x2010 && u <= 0x2015) || u == 0x2212) {
            folded += u'-'; // hyphens, dashes and the minus sign
        } else {
            folded += c;
        }
    }
    return folded;
}

namespace {

// The entities the markup engine shows as characters.
struct TEntity {
    const char* name;
    char16_t shown;
};
constexpr TEntity kEntities[] = {
    {"&nbsp;", u' '}, {"&lt;", u'<'},   {"&gt;", u'>'},     {"&amp;", u'&'},
    {"&quot;", u'"'}, {"&sect;", u'§'}, {"&permil;", u'‰'}, {"&reg;", u'®'},
    {"&copy;", u'©'}, {"&para;", u'¶'}, {"&trade;", u'™'},  {"&euro;", u'€'},
};

QString DecodeEntities(const QString& text) {
    if (!text.contains(u'&'))
        return text;
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        bool replaced = false;
        if (text.at(i) == u'&') {
            for (const TEntity& entity : kEntities) {
                const QLatin1StringView name(entity.name);
                if (QStringView(text).mid(i, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                    decoded += QChar(entity.shown);
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            decoded += text.at(i++);
    }
    return decoded;
}

} // namespace

QString FilterCaptionText(const QString& caption) {
    return FilterFold(DecodeEntities(StripMarkup(caption)));
}

TFilterQuery::TFilterQuery(const QString& typed)
    : m_words(FilterFold(typed).split(u' ', Qt::SkipEmptyParts)) {
}

bool TFilterQuery::Matches(const QString& foldedText) const {
    if (m_words.isEmpty())
        return false;
    for (const QString& word : m_words)
        if (!foldedText.contains(word))
            return false;
    return true;
}

// --- the tree ----------------------------------------------------------------------------------------

// Marks the filter's own changes to the tree for as long as it lives.
class TTreeFilter::TApplying final {
public:
    explicit TApplying(TTreeFilter& filter) : m_filter(filter) { ++m_filter.m_applying; }
    ~TApplying() { --m_filter.m_applying; }
    TApplying(const TApplying&) = delete;
    TApplying& operator=(const TApplying&) = delete;

private:
    TTreeFilter& m_filter;
};

// The work one turn of the event loop may take.
struct TTreeFilter::TSlice {
    int work = 0;
    int items;
    int ms;
    QElapsedTimer clock;
    bool Tired() const { return work >= items && clock.elapsed() >= ms; }
};

namespace {
constexpr char kShown = 1, kOpened = 2, kMatch = 4;
}

TTreeFilter::TTreeFilter(QTreeWidget* tree) : QObject(tree), m_tree(tree), m_slicer(new QTimer(this)) {
    m_slicer->setSingleShot(true);
    m_slicer->setInterval(0);
    connect(m_slicer, &QTimer::timeout, this, &TTreeFilter::RunSlice);
    tree->installEventFilter(this);
    QAbstractItemModel* model = tree->model();
    const auto stale = [this] { m_stale = true; };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::rowsMoved, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    // The nodes the filter remembers are about to go: nothing is left to put back.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (!m_active)
            return;
        Reset();
        emit Filtered();
        emit Ended();
    });
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TTreeFilter::SelectionChangedByOthers);
    // Once the user has chosen, the node they move to goes with their choice.
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (m_active && !Applying() && m_userChose)
                    m_userCurrent = QPersistentModelIndex(current);
            });
}

TTreeFilter::~TTreeFilter() = default;

void TTreeFilter::SetSlice(int items, int budgetMs) {
    m_sliceItems = qMax(1, items);
    m_sliceMs = qMax(0, budgetMs);
}

bool TTreeFilter::eventFilter(QObject* watched, QEvent* event) {
    // The tree lays out all its shown rows at every turn of the event loop after a row was
    // hidden; while the filter changes rows in slices, that waits for the last slice.
    if (m_holding && watched == m_tree && event->type() == QEvent::Timer)
        return true;
    return QObject::eventFilter(watched, event);
}

void TTreeFilter::Hold(bool on) {
    if (m_holding == on)
        return;
    m_holding = on;
    // Half-filtered rows are not worth painting.
    m_tree->viewport()->setUpdatesEnabled(!on);
}

void TTreeFilter::DeferLayout() {
    // Hiding a row only asks for one layout of all rows later, and while that is pending Qt
    // merely notes each expansion. Without it every single expansion lays out and measures
    // all shown captions again at once: seconds for a tree of some thousands of items.
    if (m_tree->topLevelItemCount() > 0)
        m_tree->setRowHidden(0, QModelIndex(), m_tree->isRowHidden(0, QModelIndex()));
}

void TTreeFilter::SetQuery(const QString& typed) {
    TFilterQuery query(typed);
    if (!m_active) {
        if (query.IsEmpty())
            return;
        m_selection = SelectedInOrder();
        m_current = QPersistentModelIndex(m_tree->currentIndex());
        m_scroll = QPoint(m_tree->horizontalScrollBar()->value(), m_tree->verticalScrollBar()->value());
        m_userChose = false;
        m_userSelection.clear();
        m_userCurrent = QPersistentModelIndex();
        m_active = true;
    }
    if (query.IsEmpty() && !m_touched) {
        // Cleared before anything was changed: nothing to put back.
        Reset();
        emit Filtered();
        return;
    }
    m_target = std::move(query);
    // The nodes and their texts do not depend on the text: collecting them goes on.
    if (m_stale || (!m_collected && m_step != TStep::Collect))
        Start(TStep::Collect);
    else if (m_collected)
        Start(m_target.IsEmpty() ? TStep::Show : TStep::Match);
    RunSlice();
}

void TTreeFilter::Start(TStep step) {
    m_step = step;
    m_cursor = 0;
    if (step != TStep::Collect)
        return;
    m_nodes.clear();
    m_position.clear();
    m_collected = false;
    m_stale = false;
    if (!m_touched) {
        // Nothing changed by the filter yet: the expansion seen while collecting is the user's.
        m_expanded.clear();
        m_expandedKnown = false;
    }
    m_walk = std::make_unique<QTreeWidgetItemIterator>(m_tree);
}

void TTreeFilter::RunSlice() {
    m_slicer->stop();
    TSlice slice{0, m_sliceItems, m_sliceMs, {}};
    slice.clock.start();
    {
        const TApplying applying(*this);
        while (m_step != TStep::Idle && m_step != TStep::Finish && !slice.Tired()) {
            if (m_stale && m_step != TStep::Collect)
                Start(TStep::Collect);
            switch (m_step) {
            case TStep::Collect:
                if (CollectSome(slice))
                    Start(m_target.IsEmpty() ? TStep::Show : TStep::Match);
                break;
            case TStep::Match:
                if (MatchSome(slice)) {
                    Start(TStep::Measure);
                    PlanMeasure();
                }
                break;
            case TStep::Measure:
                if (MeasureSome(slice))
                    Start(TStep::Show);
                break;
            case TStep::Show:
                if (ShowSome(slice))
                    Start(m_target.IsEmpty() ? TStep::Select : TStep::Finish);
                break;
            case TStep::Select:
                // The selection first: a shown view scrolls to its new current node and opens
                // the branches on the way, which the expansion put back next then closes again.
                if (m_userChose)
                    SelectOnly(m_userSelection, m_userCurrent);
                else
                    SelectOnly(m_selection, m_current);
                Start(TStep::Expand);
                break;
            case TStep::Expand:
                if (ExpandSome(slice))
                    Start(TStep::Finish);
                break;
            case TStep::Idle:
            case TStep::Finish:
                break;
            }
        }
    }
    // Laying out the rows shown is one piece of work that cannot be cut: it gets a turn of its
    // own unless this one has time left (a small tree is still done within SetQuery).
    if (m_step == TStep::Finish && slice.work > 0 && slice.clock.elapsed() >= m_sliceMs / 2) {
        m_slicer->start();
    } else if (m_step == TStep::Finish) {
        m_step = TStep::Idle;
        Hold(false);
        if (m_target.IsEmpty())
            FinishRestore();
        else
            FinishQuery();
    } else if (m_step != TStep::Idle) {
        m_slicer->start();
    }
}

bool TTreeFilter::CollectSome(TSlice& slice) {
    for (; **m_walk; ++*m_walk, ++slice.work) {
        if (slice.Tired())
            return false;
        QTreeWidgetItem* item = **m_walk;
        TNode node;
        node.index = QPersistentModelIndex(m_tree->indexFromItem(item));
        node.parent = item->parent() ? m_position.value(item->parent(), -1) : -1;
        node.text = FilterCaptionText(item->text(0));
        if (!m_expandedKnown && item->isExpanded())
            m_expanded.insert(node.index);
        m_position.insert(item, static_cast<int>(m_nodes.size()));
        m_nodes.push_back(std::move(node));
    }
    m_walk.reset();
    m_collected = true;
    m_expandedKnown = true;
    return true;
}

bool TTreeFilter::MatchSome(TSlice& slice) {
    const std::size_t count = m_nodes.size();
    if (m_cursor == 0)
        m_want.assign(count, 0);
    for (; m_cursor < count; ++m_cursor, ++slice.work) {
        if (slice.Tired())
            return false;
        if (m_target.Matches(m_nodes[m_cursor].text))
            m_want[m_cursor] = kShown | kMatch;
    }
    // Parents come before their children, so one walk backwards carries a match up to the top.
    for (std::size_t i = count; i-- > 0;)
        if ((m_want[i] & kShown) && m_nodes[i].parent >= 0)
            m_want[m_nodes[i].parent] |= kShown | kOpened;
    return true;
}

void TTreeFilter::PlanMeasure() {
    // A column as wide as its contents is measured, once the rows are shown, on some rows
    // around the node in view: the current node, else the first. Those rows are measured here
    // in slices, so that the tree finds their widths known and the layout stays short.
    m_measure.clear();
    const QHeaderView* header = m_tree->header();
    const int sampled = header->resizeContentsPrecision();
    if (header->count() == 0 || header->sectionResizeMode(0) != QHeaderView::ResizeToContents || sampled <= 0)
        return;
    const int rowHeight = qMax(1, m_tree->fontMetrics().height());
    const int reach = sampled / 2 + m_tree->viewport()->height() / rowHeight + 1;
    const QPersistentModelIndex& current = m_userChose ? m_userCurrent : m_current;
    const QTreeWidgetItem* anchor = current.isValid() ? m_tree->itemFromIndex(current) : nullptr;
    std::vector<int> shown;
    std::size_t at = 0;
    for (std::size_t i = 0; i < m_nodes.size(); ++i) {
        if (!(m_want[i] & kShown))
            continue;
        if (anchor && m_nodes[i].index == current)
            at = shown.size();
        shown.push_back(int(i));
    }
    const std::size_t first = at > std::size_t(reach) ? at - std::size_t(reach) : 0;
    const std::size_t last = qMin(shown.size(), first + 2 * std::size_t(reach));
    m_measure.assign(shown.begin() + qsizetype(first), shown.begin() + qsizetype(last));
}

bool TTreeFilter::MeasureSome(TSlice& slice) {
    const QStyleOptionViewItem option;
    // A caption not measured before takes some tens of times a node's share of the other steps.
    constexpr int kMeasureWork = 32;
    for (; m_cursor < m_measure.size(); ++m_cursor, slice.work += kMeasureWork) {
        if (slice.Tired())
            return false;
        const QModelIndex index = m_nodes[std::size_t(m_measure[m_cursor])].index;
        if (QAbstractItemDelegate* delegate = m_tree->itemDelegateForIndex(index))
            delegate->sizeHint(option, index);
    }
    m_measure.clear();
    return true;
}

bool TTreeFilter::WillShow(const QPersistentModelIndex& index) const {
    const int position = m_position.value(index.isValid() ? m_tree->itemFromIndex(index) : nullptr, -1);
    return position >= 0 && (m_want[position] & kShown);
}

bool TTreeFilter::ShowSome(TSlice& slice) {
    const bool restoring = m_target.IsEmpty();
    if (m_cursor == 0) {
        m_touched = true;
        Hold(true);
        if (!restoring) {
            // What is about to be hidden leaves the selection before it goes.
            QList<QPersistentModelIndex> kept;
            for (const QPersistentModelIndex& index : SelectedInOrder())
                if (WillShow(index))
                    kept.append(index);
            const QPersistentModelIndex current(m_tree->currentIndex());
            SelectOnly(kept, WillShow(current) ? current : QPersistentModelIndex());
        }
    }
    DeferLayout();
    for (; m_cursor < m_nodes.size(); ++m_cursor, ++slice.work) {
        if (slice.Tired())
            return false;
        QTreeWidgetItem* item = m_tree->itemFromIndex(m_nodes[m_cursor].index);
        if (!item)
            continue;
        if (restoring) {
            if (item->isHidden())
                item->setHidden(false);
            continue;
        }
        const bool shown = m_want[m_cursor] & kShown;
        const bool opened = m_want[m_cursor] & kOpened;
        if (item->isHidden() == shown)
            item->setHidden(!shown);
        // Shown nodes are open exactly when something below them is shown, so that an arrow
        // never opens onto nothing.
        if (shown && item->isExpanded() != opened)
            item->setExpanded(opened);
    }
    return true;
}

bool TTreeFilter::ExpandSome(TSlice& slice) {
    DeferLayout();
    for (; m_cursor < m_nodes.size(); ++m_cursor, ++slice.work) {
        if (slice.Tired())
            return false;
        const TNode& node = m_nodes[m_cursor];
        QTreeWidgetItem* item = m_tree->itemFromIndex(node.index);
        if (const bool expanded = m_expanded.contains(node.index); item && item->isExpanded() != expanded)
            item->setExpanded(expanded);
    }
    return true;
}

void TTreeFilter::FinishQuery() {
    {
        const TApplying applying(*this);
        m_matches = 0;
        for (std::size_t i = 0; i < m_nodes.size(); ++i) {
            m_nodes[i].match = m_want[i] & kMatch;
            m_matches += m_nodes[i].match ? 1 : 0;
        }
        // Only what can be seen stays selected.
        const QList<QPersistentModelIndex>& wanted = m_userChose ? m_userSelection : m_selection;
        const QPersistentModelIndex& current = m_userChose ? m_userCurrent : m_current;
        const auto visible = [this](const QPersistentModelIndex& index) {
            const QTreeWidgetItem* item = index.isValid() ? m_tree->itemFromIndex(index) : nullptr;
            return item && !item->isHidden();
        };
        QList<QPersistentModelIndex> selection;
        for (const QPersistentModelIndex& index : wanted)
            if (visible(index))
                selection.append(index);
        SelectOnly(selection, visible(current) ? current : QPersistentModelIndex());
        // The node the user is on stays in view; without one the matches are read from the top.
        if (QTreeWidgetItem* item = m_tree->currentItem())
            m_tree->scrollToItem(item);
        else
            m_tree->scrollToTop();
    }
    emit Filtered();
}

void TTreeFilter::FinishRestore() {
    {
        const TApplying applying(*this);
        if (m_userChose) {
            RevealChoice();
        } else {
            // The rows are laid out anew first, so that the old position is within range again.
            m_tree->doItemsLayout();
            m_tree->horizontalScrollBar()->setValue(m_scroll.x());
            m_tree->verticalScrollBar()->setValue(m_scroll.y());
        }
    }
    Reset();
    emit Filtered();
}

void TTreeFilter::Forget() {
    if (!m_active)
        return;
    {
        // Every node, not only those collected: a collection may be half done.
        const TApplying applying(*this);
        Hold(false);
        for (QTreeWidgetItemIterator it(m_tree, QTreeWidgetItemIterator::Hidden); *it; ++it)
            (*it)->setHidden(false);
    }
    Reset();
    emit Filtered();
}

QTreeWidgetItem* TTreeFilter::FirstMatch() const {
    if (!m_active)
        return nullptr;
    for (const TNode& node : m_nodes)
        if (node.match)
            if (QTreeWidgetItem* item = m_tree->itemFromIndex(node.index); item && !item->isHidden())
                return item;
    return nullptr;
}

void TTreeFilter::RevealChoice() {
    // The branches that hold the user's choice open, and the current node comes into view.
    DeferLayout();
    QList<QPersistentModelIndex> chosen = m_userSelection;
    if (m_userCurrent.isValid())
        chosen.append(m_userCurrent);
    for (const QPersistentModelIndex& index : chosen)
        if (QTreeWidgetItem* item = m_tree->itemFromIndex(index))
            for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
                parent->setExpanded(true);
    m_tree->doItemsLayout();
    if (QTreeWidgetItem* current = m_tree->currentItem())
        m_tree->scrollToItem(current);
}

void TTreeFilter::Reset() {
    m_slicer->stop();
    Hold(false);
    m_step = TStep::Idle;
    m_target = TFilterQuery(QString());
    m_walk.reset();
    m_want.clear();
    m_measure.clear();
    m_position.clear();
    m_collected = false;
    m_expandedKnown = false;
    m_touched = false;
    m_active = false;
    m_stale = false;
    m_matches = 0;
    m_nodes.clear();
    m_expanded.clear();
    m_selection.clear();
    m_current = QPersistentModelIndex();
    m_userChose = false;
    m_userSelection.clear();
    m_userCurrent = QPersistentModelIndex();
}

QList<QPersistentModelIndex> TTreeFilter::SelectedInOrder() const {
    QList<QTreeWidgetItem*> items;
    // The course tree knows the order the user selected its nodes in; commands follow it.
    if (const auto* markupTree = qobject_cast<const TMarkupTreeView*>(m_tree))
        items = markupTree->SelectedNodes();
    else
        items = m_tree->selectedItems();
    QList<QPersistentModelIndex> indexes;
    for (const QTreeWidgetItem* item : items)
        indexes.append(QPersistentModelIndex(m_tree->indexFromItem(item)));
    return indexes;
}

void TTreeFilter::SelectOnly(const QList<QPersistentModelIndex>& nodes,
                             const QPersistentModelIndex& current) {
    QItemSelectionModel* model = m_tree->selectionModel();
    QList<QPersistentModelIndex> valid;
    for (const QPersistentModelIndex& index : nodes)
        if (index.isValid())
            valid.append(index);
    if (SelectedInOrder() != valid) {
        // One by one, so that the tree learns the order again.
        model->clearSelection();
        for (const QPersistentModelIndex& index : valid)
            model->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    if (model->currentIndex() != current)
        model->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
}

void TTreeFilter::SelectionChangedByOthers() {
    if (!m_active || Applying())
        return;
    m_userChose = true;
    m_userSelection = SelectedInOrder();
    m_userCurrent = QPersistentModelIndex(m_tree->currentIndex());
    // A node the filter hides was chosen from elsewhere (a search result, say): the filter
    // gives way so that the choice can be seen.
    bool hiddenChosen = false;
    for (const QPersistentModelIndex& index : m_userSelection)
        if (const QTreeWidgetItem* item = m_tree->itemFromIndex(index); item && item->isHidden())
            hiddenChosen = true;
    if (hiddenChosen) {
        SetQuery(QString());
        emit Ended();
    }
}
