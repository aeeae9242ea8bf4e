#include "search/SearchForm.h"

#include "look/Accessibility.h"
#include "look/GradientPanel.h"
#include "look/KeyboardAccess.h"
#include "look/MarkRoom.h"
#include "look/Theme.h"
#include "search/SearchResultDelegate.h"
#include "search/SearchResults.h"
#include "search/SearchSnippet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>
#include <tuple>

namespace {

// While the index grows, the rows follow it at this pace rather than at every page read.
constexpr int kProgressRefreshMs = 1500;

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TSearchForm::TSearchForm() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("SearchForm"));
    ExposeAsWindow(this);
    m_showMessage = [this](const QString& message) {
        QMessageBox::information(this, windowTitle(), message);
    };
    m_typingPause = new QTimer(this);
    m_typingPause->setSingleShot(true);
    m_typingPause->setInterval(TypingPauseMs);
    connect(m_typingPause, &QTimer::timeout, this, &TSearchForm::RunSearch);
    m_progressRefresh = new QTimer(this);
    m_progressRefresh->setSingleShot(true);
    m_progressRefresh->setInterval(kProgressRefreshMs);
    connect(m_progressRefresh, &QTimer::timeout, this, [this] {
        if (!Query().isEmpty())
            RunSearch();
    });
    BuildLayout();
    // Esc hides too (keyPressEvent), as in the other windows.
    auto* close = new QAction(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("actHide"));
    AddWindowKeys(this, close, {QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(close, &QAction::triggered, this, &QWidget::hide);
    UpdateTitle();
    UpdateStatus();
}

TSearchForm::~TSearchForm() {
    SetIndex(nullptr);
}

void TSearchForm::BuildLayout() {
    resize(620, 640);
    setMinimumSize(420, 360);
    setFont(Theme::DefaultFont());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    HeaderPanel = new TGradientPanel(this);
    HeaderPanel->setObjectName(QStringLiteral("HeaderPanel"));
    HeaderPanel->SetColors(QColor(0xdd, 0xeb, 0xf8), Theme::Deep);
    HeaderPanel->SetCornerRadius(10);

    TitleLabel = new QLabel(HeaderPanel);
    TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 3);
    TitleLabel->setFont(titleFont);
    KeepMarksWhole(TitleLabel);
    QPalette titlePalette = TitleLabel->palette();
    titlePalette.setColor(QPalette::WindowText, Theme::Deep);
    TitleLabel->setPalette(titlePalette);

    QueryBox = new QLineEdit(HeaderPanel);
    QueryBox->setObjectName(QStringLiteral("QueryBox"));
    QueryBox->setPlaceholderText(QStringLiteral("Что найти: слово, «фраза в кавычках», нача*"));
    QueryBox->setClearButtonEnabled(true);
    QueryBox->setAccessibleName(QStringLiteral("Что найти"));
    NameEditButton(QueryBox, nullptr, QStringLiteral("Очистить"));
    QFont queryFont = font();
    queryFont.setPointSize(queryFont.pointSize() + 2);
    QueryBox->setFont(queryFont);
    QueryBox->setMinimumHeight(28);
    QueryBox->installEventFilter(this);
    connect(QueryBox, &QLineEdit::textEdited, this, [this] { m_typingPause->start(); });
    // Clearing with the box's own button is an edit too.
    connect(QueryBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_typingPause->start();
    });

    FindButton = new QPushButton(QStringLiteral("Найти"), HeaderPanel);
    FindButton->setObjectName(QStringLiteral("FindButton"));
    FindButton->setMinimumHeight(28);
    FindButton->setCursor(Qt::PointingHandCursor);
    FindButton->setAutoDefault(false);
    connect(FindButton, &QPushButton::clicked, this, [this] {
        RunSearch();
        QueryBox->setFocus();
    });

    auto* queryRow = new QHBoxLayout;
    queryRow->setSpacing(6);
    queryRow->addWidget(QueryBox, 1);
    queryRow->addWidget(FindButton);
    auto* header = new QVBoxLayout(HeaderPanel);
    header->setContentsMargins(14, 10, 14, 14);
    header->setSpacing(8);
    header->addWidget(TitleLabel);
    header->addLayout(queryRow);

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setMaximumHeight(14);
    Progress->setTextVisible(false);
    Progress->setVisible(false);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    QPalette statusPalette = StatusLabel->palette();
    statusPalette.setColor(QPalette::WindowText, Theme::Deep);
    StatusLabel->setPalette(statusPalette);

    Results = new TSearchResultModel(this);
    m_delegate = new TSearchResultDelegate(this);
    ResultList = new QListView(this);
    ResultList->setObjectName(QStringLiteral("ResultList"));
    ResultList->setModel(Results);
    ResultList->setItemDelegate(m_delegate);
    ResultList->setUniformItemSizes(true);
    ResultList->setSelectionMode(QAbstractItemView::SingleSelection);
    ResultList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ResultList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ResultList->setMouseTracking(true);
    ResultList->viewport()->setAttribute(Qt::WA_Hover);
    ResultList->setCursor(Qt::PointingHandCursor);
    ResultList->installEventFilter(this);
    // More rows come as the list nears its end, by wheel, scroll bar or keys alike.
    connect(ResultList->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value >= ResultList->verticalScrollBar()->maximum() - ResultList->viewport()->height() / 2)
            LoadMore();
    });
    connect(ResultList, &QListView::clicked, this,
            [this](const QModelIndex& index) { OpenResult(index.row()); });

    auto* status = new QHBoxLayout;
    status->setContentsMargins(4, 0, 4, 0);
    status->addWidget(StatusLabel, 1);
    status->addWidget(Progress, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(HeaderPanel);
    layout->addLayout(status);
    layout->addWidget(ResultList, 1);
    setTabOrder(QueryBox, FindButton);
    setTabOrder(FindButton, ResultList);
}

void TSearchForm::SetIndex(TSearchIndex* index) {
    for (const QMetaObject::Connection& connection : m_indexConnections)
        disconnect(connection);
    m_indexConnections.clear();
    // The rows of another index answer for another library.
    if (index != m_index) {
        m_searched.clear();
        m_total = 0;
        Results->SetHits({});
        UpdateStatus();
    }
    m_index = index;
    if (!index) {
        m_backend = {};
        ShowUpdating(false);
        return;
    }
    m_backend.Search = [this](const QString& query, int course, int limit, int* total) {
        return m_index ? m_index->Search(query, course, limit, total) : std::vector<TSearchHit>();
    };
    m_backend.IsUpdating = [this] { return m_index && m_index->IsUpdating(); };
    m_backend.UpdatedElsewhere = [this] { return m_index && m_index->UpdatedElsewhere(); };
    m_indexConnections << connect(index, &TSearchIndex::Progress, this, &TSearchForm::IndexProgress)
                       << connect(index, &TSearchIndex::Updated, this, &TSearchForm::IndexUpdated);
    ShowUpdating(index->IsUpdating());
}

void TSearchForm::SetBackend(TSearchBackend backend) {
    SetIndex(nullptr);
    m_backend = std::move(backend);
    ShowUpdating(m_backend.IsUpdating && m_backend.IsUpdating());
}

void TSearchForm::SetScope(int course, const QString& courseName) {
    const bool changed = course != m_course || courseName != m_courseName;
    m_course = course < 0 ? -1 : course;
    m_courseName = courseName;
    UpdateTitle();
    // The rows of another scope would answer a question the user did not ask.
    if (changed) {
        m_searched.clear();
        m_total = 0;
        Results->SetHits({});
        UpdateStatus();
    }
}

void TSearchForm::UpdateTitle() {
    const QString title = m_course < 0             ? QStringLiteral("Поиск по всем курсам")
                          : m_courseName.isEmpty() ? QStringLiteral("Поиск по курсу")
                                                   : QStringLiteral("Поиск по курсу «%1»").arg(m_courseName);
    setWindowTitle(title);
    TitleLabel->setText(title);
}

void TSearchForm::ShowSearch() {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    QueryBox->setFocus(Qt::OtherFocusReason);
    QueryBox->selectAll();
    if (!Query().isEmpty())
        RunSearch();
}

QString TSearchForm::Query() const {
    return QueryBox->text().trimmed();
}

QString TSearchForm::StatusText() const {
    return StatusLabel->text();
}

void TSearchForm::RunSearch() {
    m_typingPause->stop();
    m_progressRefresh->stop();
    const QString query = Query();
    // The row the user stands on stays chosen when the same item is found again.
    const TSearchHit* current = Results->Hit(ResultList->currentIndex().row());
    const std::optional<std::tuple<int, int, int>> keep =
        current && query == m_searched
            ? std::optional(std::tuple(current->Course, current->Section, current->ID))
            : std::nullopt;
    // The same query again (the index grew, say) keeps the rows loaded so far.
    const int limit = query == m_searched ? qMax(PageSize, Results->rowCount()) : PageSize;
    std::vector<TSearchHit> hits;
    int total = 0;
    if (!query.isEmpty() && m_backend.Search)
        hits = m_backend.Search(query, m_course, limit, &total);
    m_total = qMax(total, int(hits.size()));
    m_searched = query;
    Results->SetHits(std::move(hits));
    if (keep) {
        const int row = Results->RowOf(std::get<0>(*keep), std::get<1>(*keep), std::get<2>(*keep));
        if (row >= 0)
            ResultList->setCurrentIndex(Results->index(row));
    }
    UpdateStatus();
}

void TSearchForm::LoadMore() {
    const int shown = Results->rowCount();
    if (m_searched.isEmpty() || !m_backend.Search || shown >= m_total)
        return;
    int total = 0;
    std::vector<TSearchHit> hits = m_backend.Search(m_searched, m_course, shown + PageSize, &total);
    m_total = qMax(total, int(hits.size()));
    Results->ExtendHits(std::move(hits));
    UpdateStatus();
}

void TSearchForm::UpdateStatus() {
    TSearchState state;
    state.HasQuery = !m_searched.isEmpty();
    state.Updating = m_updating;
    state.Found = Results->rowCount();
    state.Total = m_total;
    state.Elsewhere =
        state.HasQuery && state.Found == 0 && m_backend.UpdatedElsewhere && m_backend.UpdatedElsewhere();
    StatusLabel->setText(SearchStatusText(state));
}

void TSearchForm::ShowUpdating(bool updating) {
    m_updating = updating;
    Progress->setVisible(updating);
    if (updating && Progress->value() < 0)
        Progress->setRange(0, 0); // busy until the first figures come
    UpdateStatus();
}

void TSearchForm::IndexProgress(int done, int total) {
    if (!m_updating)
        ShowUpdating(true);
    if (total > 0) {
        Progress->setRange(0, total);
        Progress->setValue(qBound(0, done, total));
        Progress->setToolTip(QStringLiteral("Прочитано страниц: %1 из %2").arg(done).arg(total));
    } else {
        Progress->setRange(0, 0);
    }
    // The index answers while it grows: the rows catch up now and then.
    if (!m_searched.isEmpty() && !m_progressRefresh->isActive())
        m_progressRefresh->start();
}

void TSearchForm::IndexUpdated() {
    m_progressRefresh->stop();
    Progress->reset();
    ShowUpdating(m_backend.IsUpdating && m_backend.IsUpdating());
    // The index may answer differently now, also for a query that found nothing before.
    if (!Query().isEmpty())
        RunSearch();
}

bool TSearchForm::OpenResult(int row) {
    const TSearchHit* hit = Results->Hit(row);
    if (!hit)
        return false;
    ResultList->setCurrentIndex(Results->index(row));
    if (!OnOpenResult)
        return true;
    // A copy: opening may run a search again (the window shows once more) and replace the rows.
    const TSearchHit chosen = *hit;
    const QString message = OnOpenResult(chosen, m_searched);
    if (!message.isEmpty() && m_showMessage)
        m_showMessage(message);
    return message.isEmpty();
}

void TSearchForm::SetMessagePresenter(std::function<void(const QString&)> presenter) {
    m_showMessage = std::move(presenter);
}

void TSearchForm::closeEvent(QCloseEvent* event) {
    // Like the other windows it only hides, and keeps its query and results.
    event->accept();
    hide();
}

void TSearchForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TSearchForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        hide();
        return true;
    }
    if (watched == QueryBox) {
        if (IsEnter(key->key())) {
            RunSearch();
            return true;
        }
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown) {
            // A query typed but not yet run is run first, so the list holds its answer.
            if (m_typingPause->isActive())
                RunSearch();
            if (Results->rowCount() == 0)
                return true;
            ResultList->setFocus(Qt::TabFocusReason);
            const int row = qMax(0, ResultList->currentIndex().row());
            ResultList->setCurrentIndex(Results->index(row));
            return true;
        }
    } else if (watched == ResultList) {
        if (IsEnter(key->key())) {
            OpenResult(ResultList->currentIndex().row());
            return true;
        }
        // Up from the first row goes back to the query, as Down came from it.
        if (key->key() == Qt::Key_Up && ResultList->currentIndex().row() <= 0) {
            QueryBox->setFocus(Qt::BacktabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
