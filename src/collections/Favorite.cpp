#include "collections/Favorite.h"

#include "app/ErrorReport.h"
#include "app/Roster.h"
#include "collections/FavorFile.h"
#include "collections/FavorLists.h"
#include "collections/ShowFavor.h"
#include "core/CourseSections.h"
#include "core/DiscFiles.h"
#include "look/CommandImages.h"
#include "look/KeyboardAccess.h"
#include "look/ToolStrip.h"
#include "markuptree/MarkupTreeList.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

const QString kFileFilter = QStringLiteral("Файлы подборок (*.sff)");
const QString kDefaultSuffix = QStringLiteral("sff");

QAction* NewCommand(QObject* owner, const char* name, const char* caption, int image) {
    auto* action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    // Every command's hint is its caption.
    action->setToolTip(action->text());
    action->setStatusTip(action->text());
    SetCommandImage(action, image);
    return action;
}

QTreeWidgetItem* NewRowItem(const TFavor& favor) {
    auto* item = new TMarkupListItem(QStringList{FavorRowText(favor)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    return item;
}

// The editor may be hidden when the viewer runs its load or save: the dialog then belongs to
// the window the user is working in.
QWidget* DialogParent(QWidget* editor) {
    return editor->isVisible() ? editor : QApplication::activeWindow();
}

// Why a collection cannot be saved under fileName before trying: its folder is not there.
QString SaveFolderProblem(const QString& fileName) {
    const QString folder = QFileInfo(fileName).absolutePath();
    if (QFileInfo(folder).isDir())
        return {};
    return QStringLiteral("Папки «%1» нет. Выберите существующую папку.")
        .arg(QDir::toNativeSeparators(folder));
}

// The save dialog stays open on a file in a folder that does not exist, as the open dialog does
// on a file that does not exist.
class TCollectionFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

protected:
    void accept() override {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty())
            if (const QString problem = SaveFolderProblem(files.constFirst()); !problem.isEmpty()) {
                QMessageBox::warning(this, windowTitle(), problem);
                return;
            }
        QFileDialog::accept();
    }
};

QString ChooseFile(QWidget* parent, bool save) {
    TCollectionFileDialog dialog(parent, save ? QStringLiteral("Сохранение подборки")
                                              : QStringLiteral("Загрузка подборок"));
    dialog.setNameFilter(kFileFilter);
    dialog.setDefaultSuffix(kDefaultSuffix);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QMessageBox::StandardButton AskSaveAtExit(QWidget* parent) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                    QStringLiteral("Сохранить подборку?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

TFavoriteForm::TFavoriteForm(const TAppContext& context) : m_context(context) {
    setObjectName(QStringLiteral("FavoriteForm"));
    setWindowTitle(QStringLiteral("Подборки"));
    resize(640, 420);
    BuildCommands();
    ShowCommandImages(this, context.CommandImages);
    BuildToolBars();
    BuildMenus();
    BuildList();
}

TFavoriteForm::~TFavoriteForm() = default;

void TFavoriteForm::BuildCommands() {
    actUp = NewCommand(this, "actUp", "Вверх", ciUp);
    actUp->setToolTip(QStringLiteral("Переместить вверх"));
    actUp->setStatusTip(actUp->toolTip());
    actDown = NewCommand(this, "actDown", "Вниз", ciDown);
    actDown->setToolTip(QStringLiteral("Переместить вниз"));
    actDown->setStatusTip(actDown->toolTip());
    actDelete = NewCommand(this, "actDelete", "Удалить из подборки", ciRemoveFavor);
    actClear = NewCommand(this, "actClear", "Очистить подборку", ciClearFavor);
    actLoad = NewCommand(this, "actLoad", "Загрузить подборку", ciLoadFavor);
    actSave = NewCommand(this, "actSave", "Сохранить подборку", ciSaveFavor);
    actShowAll = NewCommand(this, "actShowAll", "Показать подборку", ciShowFavor);
    actShowTheory = NewCommand(this, "actShowTheory", "Посмотреть всю теорию", ciShowAllTheory);
    actShowTasksOnly = NewCommand(this, "actShowTasksOnly", "Выполнить все задания", ciRun);
    actHide = NewCommand(this, "actHide", "Закрыть", ciClose);
    actUp->setEnabled(false);
    actDown->setEnabled(false);

    // The list's own keys: Delete deletes, Ctrl+Up and Ctrl+Down move the selected row.
    actDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    actUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    actDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    for (QAction* action : {actDelete, actUp, actDown})
        action->setShortcutContext(Qt::WindowShortcut);

    // Each command runs through the error report: a failure shows its text and the program
    // goes on, whether the command came from this window or from the viewer's menu.
    const auto bind = [this](QAction* action, void (TFavoriteForm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { RunReported([&] { (this->*handler)(); }); });
    };
    bind(actUp, &TFavoriteForm::actUpExecute);
    bind(actDown, &TFavoriteForm::actDownExecute);
    bind(actDelete, &TFavoriteForm::actDeleteExecute);
    bind(actClear, &TFavoriteForm::actClearExecute);
    bind(actLoad, &TFavoriteForm::actLoadExecute);
    bind(actSave, &TFavoriteForm::actSaveExecute);
    bind(actShowAll, &TFavoriteForm::actShowAllExecute);
    bind(actShowTheory, &TFavoriteForm::actShowTheoryExecute);
    bind(actShowTasksOnly, &TFavoriteForm::actShowTasksOnlyExecute);
    bind(actHide, &TFavoriteForm::actHideExecute);
}

void TFavoriteForm::BuildToolBars() {
    MoveToolBar = AddToolStrip(this, QStringLiteral("MoveToolBar"), true);
    AddToolButton(MoveToolBar, actUp);
    AddToolButton(MoveToolBar, actDown);
    ActionToolBar = AddToolStrip(this, QStringLiteral("ActionToolBar"), true);
    AddToolButton(ActionToolBar, actDelete);
    ActionToolBar->addSeparator();
    AddToolButton(ActionToolBar, actClear);
    AddToolButton(ActionToolBar, actLoad);
    AddToolButton(ActionToolBar, actSave);
    ActionToolBar->addSeparator();
    AddToolButton(ActionToolBar, actShowAll);
    AddToolButton(ActionToolBar, actShowTheory);
    AddToolButton(ActionToolBar, actShowTasksOnly);
    ActionToolBar->addSeparator();
    AddToolButton(ActionToolBar, actHide);
}

void TFavoriteForm::BuildMenus() {
    // The tool strips take no focus: the menus are the keyboard's way to every command, with
    // its keys shown.
    AddWindowKeys(this, actSave, {QKeySequence(Qt::CTRL | Qt::Key_S)});
    AddWindowKeys(this, actLoad, {QKeySequence(Qt::CTRL | Qt::Key_O)});
    AddWindowKeys(this, actHide, {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    QMenu* file = menuBar()->addMenu(QStringLiteral("Подборка"));
    file->setObjectName(QStringLiteral("menuFile"));
    file->addActions({actLoad, actSave});
    file->addSeparator();
    file->addActions({actShowAll, actShowTheory, actShowTasksOnly});
    file->addSeparator();
    file->addAction(actHide);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Правка"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    edit->addActions({actUp, actDown});
    edit->addSeparator();
    edit->addActions({actDelete, actClear});
    AddMnemonics(menuBar());
    AddMenuBarKey(this);
}

void TFavoriteForm::BuildList() {
    // The list's header strip is a sibling of the list, so both live in a panel of their own.
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    FavorTree = new TMarkupTreeList;
    FavorTree->setObjectName(QStringLiteral("FavorTree"));
    FavorTree->SetReadOnly(true);
    FavorTree->setSelectionMode(QAbstractItemView::SingleSelection);
    FavorTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    FavorTree->SetRightClickSelect(true);
    FavorTree->SetDragMode(TMarkupTreeList::dmAutomatic);
    FavorTree->SetToolTips(false);
    FavorTree->SetIndent(19);
    FavorTree->SetItemHeight(16);
    FavorTree->SetColor(0x00E4FFFF); // RGB(255, 255, 228)
    FavorTree->SetColumnLines(true);
    FavorTree->SetAnchorHint(false);
    FavorTree->SetSeparator(QString::fromUtf16(kFavorSeparator));
    FavorTree->Columns().Add(QStringLiteral("Элемент"), 400);
    FavorTree->Columns().Add(QStringLiteral("Раздел"), 50);
    FavorTree->HeaderSettings().SetHeight(18);
    FavorTree->HeaderSettings().SetAllowResize(true);
    FavorTree->HeaderSettings().SetFlat(false);
    FavorTree->HeaderSettings().SetColor(clBtnFace);
    FavorTree->SetSelectionColor(clHighlight);
    FavorTree->SetSelectionFontColor(clHighlightText);
    FavorTree->SetURLColor(clBlue);
    FavorTree->SetAlign(TMarkupTreeList::alClient);
    layout->addWidget(FavorTree);
    setCentralWidget(panel);

    connect(FavorTree, &QTreeWidget::itemSelectionChanged, this, &TFavoriteForm::FavorTreeChange);
    FavorTree->OnDblClick = [this](QObject*) { RunReported([this] { FavorTreeDblClick(); }); };
    FavorTree->OnDragOver = [this](QObject*, QObject* source, int, int, bool& accept) {
        accept = FavorTreeDragOver(source);
    };
    FavorTree->OnDragDrop = [this](QObject*, QObject*, int X, int Y) { FavorTreeDragDrop(X, Y); };
    FavorTree->installEventFilter(this);
    addActions({actUp, actDown, actDelete});

    EmptyHint = new QLabel(QStringLiteral("Подборка пуста.\n\nВыберите материалы в дереве курса и нажмите "
                                          "«Добавить в подборку» или загрузите сохранённую подборку."),
                           FavorTree->viewport());
    EmptyHint->setObjectName(QStringLiteral("EmptyHint"));
    EmptyHint->setAlignment(Qt::AlignCenter);
    EmptyHint->setWordWrap(true);
    EmptyHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = EmptyHint->palette();
    hintPalette.setColor(QPalette::WindowText, Qt::darkGray);
    EmptyHint->setPalette(hintPalette);
    FavorTree->viewport()->installEventFilter(this);
    RowsChanged();
}

bool TFavoriteForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FavorTree->viewport() && event->type() == QEvent::Resize)
        EmptyHint->setGeometry(FavorTree->viewport()->rect().adjusted(24, 16, -24, -16));
    if (watched == FavorTree && event->type() == QEvent::FocusIn)
        FavorTreeEnter();
    return QMainWindow::eventFilter(watched, event);
}

void TFavoriteForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    UpdateMoveActions();
}

// --- viewer link and test hooks -------------------------------------------------------------

void TFavoriteForm::SetViewerLink(TFavorViewerLink link) {
    m_viewer = std::move(link);
}

void TFavoriteForm::SetSaveFileChooser(std::function<QString()> chooser) {
    m_chooseSaveFile = std::move(chooser);
}

void TFavoriteForm::SetOpenFileChooser(std::function<QString()> chooser) {
    m_chooseOpenFile = std::move(chooser);
}

void TFavoriteForm::SetMessagePresenter(std::function<void(const QString&)> presenter) {
    m_showMessage = std::move(presenter);
}

void TFavoriteForm::SetExitQuestion(std::function<QMessageBox::StandardButton()> question) {
    m_askExit = std::move(question);
}

void TFavoriteForm::Tell(const QString& message) {
    if (m_showMessage) {
        m_showMessage(message);
        return;
    }
    QMessageBox::information(DialogParent(this), QApplication::applicationName(), message);
}

// --- rows -----------------------------------------------------------------------------------

int TFavoriteForm::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = FavorTree->selectedItems();
    return selected.size() == 1 ? FavorTree->indexOfTopLevelItem(selected.constFirst()) : -1;
}

void TFavoriteForm::SelectRow(int row) {
    if (QTreeWidgetItem* item = FavorTree->topLevelItem(row)) {
        FavorTree->setCurrentItem(item);
        item->setSelected(true);
    }
}

void TFavoriteForm::AppendRow(const TFavor& favor) {
    m_rows.Append(favor);
    FavorTree->addTopLevelItem(NewRowItem(favor));
    RowsChanged();
}

void TFavoriteForm::RemoveRow(int row, TAfterRemove after) {
    if (row < 0 || row >= m_rows.Count())
        return;
    const bool wasSelected = SelectedRow() == row;
    QTreeWidgetItem* removed = FavorTree->topLevelItem(row);
    // A single-selection view selects the row that follows a removed current row. The current
    // row moves on without selecting anything (a focused list has a current row without a
    // selection), and the selection is decided here.
    if (FavorTree->currentItem() == removed) {
        const QList<QTreeWidgetItem*> selected = FavorTree->selectedItems();
        QTreeWidgetItem* keep =
            selected.size() == 1 && selected.constFirst() != removed ? selected.constFirst() : nullptr;
        FavorTree->selectionModel()->setCurrentIndex(keep ? FavorTree->indexFromItem(keep) : QModelIndex(),
                                                     QItemSelectionModel::NoUpdate);
    }
    m_rows.Remove(row);
    delete FavorTree->takeTopLevelItem(row);
    RowsChanged();
    // As in any list: the row that takes the deleted one's place becomes the selected one.
    if (after == TAfterRemove::SelectNext && wasSelected && m_rows.Count() > 0)
        SelectRow(qMin(row, m_rows.Count() - 1));
    UpdateMoveActions();
}

void TFavoriteForm::MoveRow(int from, int to) {
    if (from == to || from < 0 || to < 0 || from >= m_rows.Count() || to >= m_rows.Count())
        return;
    m_rows.Move(from, to);
    QTreeWidgetItem* item = FavorTree->takeTopLevelItem(from);
    FavorTree->insertTopLevelItem(to, item);
    RowsChanged();
}

void TFavoriteForm::ReplaceRows(const std::vector<TFavor>& records) {
    actClearExecute();
    // Row by row: the list looks at each new row as it arrives, and finds a row that was just
    // appended at once, where a block of appended rows costs it a search per row.
    for (const TFavor& favor : records)
        AppendRow(favor);
}

// --- operations -----------------------------------------------------------------------------

void TFavoriteForm::AddFavor(int Course, int Folder, int ID, const QString& Caption) {
    const TFavor favor{Course, Folder, Caption, ID};
    if (m_rows.Contains(KeyOf(favor)))
        return;
    AppendRow(favor);
}

void TFavoriteForm::DeleteFavor(int Course, int Folder, int ID) {
    RemoveRow(m_rows.Find({Course, Folder, ID}), TAfterRemove::KeepSelection);
}

void TFavoriteForm::RemoveFavorByURL(const QString& URL) {
    if (const std::optional<TFavorKey> key = ItemKeyFromURL(URL))
        DeleteFavor(key->Course, key->Folder, key->ID);
}

QString TFavoriteForm::GetFavorList() const {
    return FavorPageList(m_rows);
}

QString TFavoriteForm::GetTheoryList() const {
    return TheoryPageList(m_rows);
}

QString TFavoriteForm::GetTaskList() {
    const int course = m_viewer.CourseNumber ? m_viewer.CourseNumber() : 0;
    const QString courseDir = m_viewer.CourseDir ? m_viewer.CourseDir() : QString();
    return FavorTaskList(m_rows, course, courseDir, m_taskXml);
}

QString TFavoriteForm::SectionName(int Folder) {
    return SectionCaption(Folder);
}

void TFavoriteForm::UpdateMoveActions() {
    const TMoveActionsState state =
        MoveActionsState(int(FavorTree->selectedItems().size()), SelectedRow(), m_rows.Count());
    actUp->setEnabled(state.Up);
    actDown->setEnabled(state.Down);
}

bool TFavoriteForm::IsModified() const {
    return !m_rows.IsEmpty() && m_rows.Records() != m_savedRows;
}

bool TFavoriteForm::CanQuit() {
    if (!IsModified())
        return true;
    const QMessageBox::StandardButton answer = m_askExit ? m_askExit() : AskSaveAtExit(DialogParent(this));
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    bool saved = false;
    RunReported([&] { saved = SaveCollection(); });
    return saved;
}

void TFavoriteForm::RowsChanged() {
    EmptyHint->setVisible(m_rows.IsEmpty());
    QString title = QStringLiteral("Подборки");
    if (!m_fileName.isEmpty())
        title += QStringLiteral(" — ") + QFileInfo(m_fileName).fileName();
    if (IsModified())
        title += QStringLiteral(" *");
    setWindowTitle(title);
}

void TFavoriteForm::SetShowTaskVisible(bool visible) {
    // The tasks button of the presentation window, which is created after the editor.
    if (TShowFavorForm* presentation = Roster().ShowFavorForm)
        presentation->SetShowTaskVisible(visible);
}

// --- handlers -------------------------------------------------------------------------------

void TFavoriteForm::FavorTreeChange() {
    UpdateMoveActions();
}

void TFavoriteForm::FavorTreeEnter() {
    UpdateMoveActions();
}

bool TFavoriteForm::FavorTreeDragOver(const QObject* source) const {
    return source == FavorTree;
}

void TFavoriteForm::FavorTreeDragDrop(int X, int Y) {
    const int dragged = SelectedRow();
    const int target = FavorTree->indexOfTopLevelItem(FavorTree->GetNodeAt(X, Y));
    const int row = RowAfterDrop(dragged, target, Y, m_rows.Count());
    if (row < 0)
        return;
    MoveRow(dragged, row);
    SelectRow(row);
}

void TFavoriteForm::FavorTreeDblClick() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString fragment = FavorPageEntry(m_rows.At(row));
    if (!fragment.isEmpty() && m_viewer.ShowFavorPage)
        m_viewer.ShowFavorPage(fragment);
}

void TFavoriteForm::actUpExecute() {
    const int row = SelectedRow();
    const int to = RowAfterUp(row, m_rows.Count());
    if (to >= 0) {
        MoveRow(row, to);
        SelectRow(to);
    }
    UpdateMoveActions();
}

void TFavoriteForm::actDownExecute() {
    const int row = SelectedRow();
    const int to = RowAfterDown(row, m_rows.Count());
    if (to >= 0) {
        // The neighbour goes up above the selected row, which keeps its selection.
        MoveRow(to, row);
        SelectRow(to);
    }
    UpdateMoveActions();
}

void TFavoriteForm::actDeleteExecute() {
    RemoveRow(SelectedRow(), TAfterRemove::SelectNext);
}

void TFavoriteForm::actClearExecute() {
    m_rows.Clear();
    FavorTree->clear();
    RowsChanged();
}

void TFavoriteForm::actLoadExecute() {
    const QString fileName = m_chooseOpenFile ? m_chooseOpenFile() : ChooseFile(DialogParent(this), false);
    if (fileName.isEmpty())
        return;
    const TFavorLoadResult result = LoadFavorFile(SffXML, fileName);
    if (result.ReplacesList()) {
        ReplaceRows(result.Records);
        m_savedRows = result.Records;
        m_fileName = fileName;
        RowsChanged();
    }
    if (result.Failed())
        Tell(QString::fromUtf16(kFavorLoadError));
}

void TFavoriteForm::actSaveExecute() {
    SaveCollection();
}

bool TFavoriteForm::SaveCollection() {
    const QString fileName = m_chooseSaveFile ? m_chooseSaveFile() : ChooseFile(DialogParent(this), true);
    if (fileName.isEmpty())
        return false;
    // Refused before anything is written, as the load refuses a file that is not there.
    if (const QString problem = SaveFolderProblem(fileName); !problem.isEmpty()) {
        Tell(problem);
        return false;
    }
    std::vector<TFavor> records = m_rows.Records();
    SaveFavorFile(SffXML, records, fileName);
    m_savedRows = std::move(records);
    m_fileName = fileName;
    RowsChanged();
    return true;
}

void TFavoriteForm::actShowAllExecute() {
    SetShowTaskVisible(true);
    if (m_viewer.ShowFavorPage)
        m_viewer.ShowFavorPage(GetFavorList());
}

void TFavoriteForm::actShowTheoryExecute() {
    SetShowTaskVisible(false);
    if (m_viewer.ShowFavorPage)
        m_viewer.ShowFavorPage(GetTheoryList());
}

void TFavoriteForm::actShowTasksOnlyExecute() {
    const QString list = GetTaskList();
    if (list.isEmpty())
        return;
    SetShowTaskVisible(false);
    if (m_viewer.ShowTest && m_viewer.CourseDir)
        m_viewer.ShowTest(FindDiscFile(m_viewer.CourseDir() + QStringLiteral("2010/runtest.html")) +
                          QStringLiteral("#tid=") + list);
}

void TFavoriteForm::actHideExecute() {
    hide();
}
