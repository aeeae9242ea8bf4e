#include "viewer/ShowCourse.h"

#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PageTools.h"
#include "browser/PlainBrowser.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "collections/ShowFavor.h"
#include "core/DiscFiles.h"
#include "look/ToolStrip.h"
#include "markuptree/MarkupTreeView.h"
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"
#include "popups/LinkRules.h"
#include "popups/PopupBrowser.h"
#include "popups/ResourceFailure.h"
#include "viewer/CourseLayout.h"
#include "viewer/TreeFilter.h"
#include "viewer/TreeFilterBox.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <climits>

namespace {
constexpr int TreeWidth = 370;
constexpr int kStatusMs = 5000; // how long a status message stays
} // namespace

TForm1::TForm1(const TAppContext& context) : m_context(context) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    resize(1024, 700);
    setWindowState(Qt::WindowMaximized);

    BuildCommands();
    ShowCommandImages(this, context.CommandImages);
    BuildMenus();
    BuildToolBars();

    LeftTree = new TMarkupTreeView(this);
    LeftTree->setObjectName(QStringLiteral("LeftTree"));
    LeftTree->setAccessibleName(QStringLiteral("Оглавление"));
    LeftTree->setHeaderHidden(true);
    LeftTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LeftTree->SetItemHeight(18);
    LeftTree->SetRightClickSelect(true);
    // Pale yellow, Tahoma 13 px, indent 19: the tree of the course discs' own look. No hot
    // tracking: with it the node under the pointer would be selected and its page opened.
    LeftTree->SetColor(0x00E4FEFF);
    QFont treeFont(QStringLiteral("Tahoma"));
    treeFont.setPixelSize(13);
    LeftTree->setFont(treeFont);
    LeftTree->setIndentation(19);
    LeftTree->setContextMenuPolicy(Qt::CustomContextMenu);
    wMain = new TEmbeddedBrowser(this);
    wMain->setObjectName(QStringLiteral("wMain"));
    wMain->SetContextMenuEnabled(false);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    m_treePane = new TTreeFilterPane(LeftTree, this);
    Splitter1->addWidget(m_treePane);
    Splitter1->addWidget(AddPageTools(this, wMain, m_context.PageZoom));
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({TreeWidth, 1024 - TreeWidth});
    setCentralWidget(Splitter1);
    BuildZoomMenu();

    se1 = new QSpinBox(this);
    se1->setObjectName(QStringLiteral("se1"));
    se1->setRange(INT_MIN, INT_MAX);
    se1->setValue(0);
    se1->hide();
    sButton4 = new QPushButton(QStringLiteral("LoadToStandart"), this);
    sButton4->setObjectName(QStringLiteral("sButton4"));
    sButton4->hide();

    connect(se1, &QSpinBox::valueChanged, this, &TForm1::se1Change);
    connect(sButton4, &QPushButton::clicked, this, &TForm1::sButton4Click);
    // The user's choice of a node shows as a selected current node. Qt changes the current node
    // and the selection in two steps (and makes the first node current, unselected, when the
    // view gets the focus), so both signals lead to one check.
    connect(LeftTree, &QTreeWidget::currentItemChanged, this, &TForm1::TreeSelectionMoved);
    connect(LeftTree, &QTreeWidget::itemSelectionChanged, this, &TForm1::TreeSelectionMoved);
    connect(LeftTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (LeftTree->NodeAt(pos))
            TreePopupMenu->popup(LeftTree->viewport()->mapToGlobal(pos));
    });

    wMain->OnBeforeNavigate2 = [this](TWebBrowser* sender, const QString& url,
                                      const std::optional<QString>& targetFrameName, bool& cancel) {
        wMainBeforeNavigate2(sender, url, targetFrameName, cancel);
    };
    wMain->OnNewWindow2 = [this](TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel) {
        wMainNewWindow2(sender, ppDisp, cancel);
    };
    wMain->OnCommandStateChange = [this](TWebBrowser* sender, int command, bool enable) {
        wMainCommandStateChange(sender, command, enable);
    };
    // The page that hung is gone and the chosen one shows: the reader learns why the old one
    // went.
    wMain->OnNotResponding = [this](TWebBrowser*) { Tell(QStringLiteral("Страница не отвечает")); };

    m_showMessage = [this](const QString& message) {
        QMessageBox::information(this, QApplication::applicationName(), message);
    };
    m_choosePdfFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как PDF"),
                                            QDir::homePath() + u'/' + ProposedPdfName(),
                                            QStringLiteral("Документ PDF (*.pdf)"));
    };
    FormCreate();
}

TForm1::~TForm1() {
    delete PopupBrowser;
    PopupBrowser = nullptr;
    LeftTree->ClearTree();
}

void TForm1::FormCreate() {
    // The catalogue is created first and has already looked for the plug-ins.
    const TMainForm* catalogue = Roster().MainForm;
    const bool flash = catalogue && catalogue->FlashInstalled;
    const bool math = catalogue && catalogue->MathPlayerInstalled;
    const bool svg = catalogue && catalogue->SVGViewerInstalled;
    actSetupFlash->setEnabled(!flash);
    actSetupMath->setEnabled(!math);
    actSetupSVG->setEnabled(!svg);
    menuBtnSetup->menuAction()->setVisible(!(flash && math && svg));
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The viewer only hides and keeps its course; the catalogue comes back with its tab.
    event->accept();
    if (Roster().MainForm)
        Roster().MainForm->show();
}

void TForm1::SetMessagePresenter(std::function<void(const QString&)> presenter) {
    m_showMessage = std::move(presenter);
}

void TForm1::SetPdfFileChooser(std::function<QString()> chooser) {
    m_choosePdfFile = std::move(chooser);
}

QString TForm1::ProposedPdfName() const {
    // A page without a title of its own reports its address as the title.
    const QUrl url = wMain->url();
    QString title = wMain->title();
    if (title == url.toString() || title == url.toDisplayString() || title == url.fileName() ||
        title.startsWith(QLatin1String("file:")) || title.startsWith(QLatin1String("about:")))
        title.clear();
    const TContent* content = m_treeNode ? TMarkupTreeView::NodeContent(m_treeNode) : nullptr;
    return PdfFileName(title, content ? content->text : CourseTitle);
}

void TForm1::Tell(const QString& message) {
    if (m_showMessage)
        m_showMessage(message);
}

void TForm1::OpenPath(const QString& path, const QString& firstLine) {
    if (m_context.Shell && !m_context.Shell->Open(path))
        Tell(FailureMessage(firstLine, ShellFailureReason(path)));
}

QAction* TForm1::SectionAction(int sectionId) const {
    switch (sectionId) {
    case 5:
        return actEduCourse;
    case 7:
        return actMaterial;
    case 8:
        return actNotion;
    case 12:
        return actTheory;
    case 68:
        return actAdditional;
    case TasksSection:
        return actEduTask;
    default:
        return nullptr;
    }
}

TTreeFilterBox* TForm1::LeftTreeFilter() const {
    return m_treePane->Box();
}

int TForm1::CurrentSection() const {
    return se1->value();
}

bool TForm1::IsSectionAvailable(int sectionId, QString* whyNot) {
    return ::IsSectionAvailable(XMLDocument1, CourseDir, sectionId, whyNot);
}

bool TForm1::OpenCourse(int courseNumber) {
    CourseDir = CourseFolder(m_context.ProgramFolder, courseNumber);
    QString lastFailure; // why the last section with a tree document could not be used
    TXMLDocument probes;
    const auto available = ProbeSections(probes, CourseDir, &lastFailure, XMLDocument1);
    const int start = StartSection(available);
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i)
        if (QAction* action = SectionAction(SectionProbeOrder[i]))
            action->setVisible(available[i]);
    const bool result = QFileInfo(CourseDir).isDir();
    ConnectPopupWindows();
    // The last course's pages are no way back from this one: Back and Forward go grey now, and
    // the history starts with the first page of this course shown. Nothing waits for the blank
    // page (a renderer round trip); it shows until an item is chosen, also when no section loads.
    wMain->Stop();
    wMain->ClearHistoryUntilNextPage();
    wMain->Navigate(QStringLiteral("about:blank"));
    CourseNumber = courseNumber;
    if (start != 0) {
        ShowSection(start, true);
        return result;
    }
    // No section loads: the load of the section "0" that follows fails, and its message alone
    // would only name a folder that never exists. It says why the sections failed as well.
    try {
        NavigateToObject(start);
    } catch (const TXmlError& e) {
        throw TXmlError(e.Message() + QStringLiteral("\n\n") + NoSectionReason(CourseDir, lastFailure));
    }
    return result;
}

void TForm1::NavigateToObject(int sectionId) {
    ShowSection(sectionId, false);
}

void TForm1::ShowSection(int sectionId, bool treeParsed) {
    // Another section (or course) starts unfiltered; the old tree's state is not put back.
    m_treePane->Box()->Forget();
    se1->setValue(sectionId);
    setWindowTitle(SectionCaption(sectionId) + QStringLiteral(" - ") + CourseTitle);
    if (QFileInfo(CourseDir).isDir()) {
        m_treeNode = nullptr;
        if (treeParsed)
            LeftTree->LoadTreeFromDocument(XMLDocument1);
        else
            LeftTree->LoadTreeFromXML(XMLDocument1, TreeDocumentPath(CourseDir, sectionId));
        wMain->Navigate(QStringLiteral("about:blank"));
    }
}

bool TForm1::SelectItem(int sectionId, int itemId) {
    // Another section's document is read once: the check that the section is there leaves it
    // parsed for the tree.
    if (CurrentSection() != sectionId) {
        if (!ReadSectionIfAvailable(XMLDocument1, CourseDir, sectionId))
            return false;
        ShowSection(sectionId, true);
    } else if (!IsSectionAvailable(sectionId)) {
        return false;
    }
    // The item may be among those a filter hides: the tree comes back whole first.
    if (!LeftTreeFilter()->text().isEmpty())
        LeftTreeFilter()->clear();
    QTreeWidgetItem* node = nullptr;
    for (QTreeWidgetItemIterator it(LeftTree); *it && !node; ++it)
        if (const TContent* content = TMarkupTreeView::NodeContent(*it); content && content->id == itemId)
            node = *it;
    if (!node)
        return false;
    for (QTreeWidgetItem* parent = node->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    // The node may already have been the chosen one: its page is opened again all the same, and
    // once. Forgetting the chosen node makes the selection below open it; when the selection
    // reports nothing (it did not move), it is opened here.
    m_treeNode = nullptr;
    LeftTree->clearSelection();
    LeftTree->setCurrentItem(node);
    node->setSelected(true);
    LeftTree->scrollToItem(node);
    if (m_treeNode != node) {
        m_treeNode = node;
        LeftTreeChange(node);
    }
    return true;
}

void TForm1::TreeSelectionMoved() {
    // What the filter hides or puts back is not the user's choice and opens no page.
    if (m_treePane->Box()->Filter().Applying())
        return;
    QTreeWidgetItem* node = LeftTree->currentItem();
    if (!node || !node->isSelected()) {
        m_treeNode = nullptr;
        return;
    }
    if (node == m_treeNode)
        return;
    m_treeNode = node;
    LeftTreeChange(node);
}

void TForm1::se1Change(int value) {
    ppRun->setVisible(value == TasksSection);
}

void TForm1::sButton4Click() {
    m_treeNode = nullptr;
    LeftTree->LoadTreeFromXML(XMLDocument1, TreeDocumentPath(CourseDir, CurrentSection()));
}

void TForm1::LeftTreeChange(QTreeWidgetItem* node) {
    const TContent* content = node ? TMarkupTreeView::NodeContent(node) : nullptr;
    if (!content)
        return;
    QString path = ItemPagePath(CourseDir, CurrentSection(), content->id);
    if (!QFileInfo(path).isFile())
        return;
    if (CurrentSection() == TasksSection && actRunTask->isChecked())
        path += QStringLiteral("#run");
    wMain->Navigate(path);
}

void TForm1::wMainBeforeNavigate2(TWebBrowser*, const QString& url, const std::optional<QString>&,
                                  bool& cancel) {
    if (!NeedsRunFragment(url, actRunTask->isChecked()))
        return;
    // Also when a frame asked: the task runs in the whole browser.
    cancel = true;
    wMain->Navigate(url + QStringLiteral("#run"));
}

void TForm1::wMainNewWindow2(TWebBrowser*, TWebBrowser*& ppDisp, bool&) {
    ppDisp = ArmPopupBrowser(
        PopupBrowser, this,
        [this](TWebBrowser* sender, const QString& url, const std::optional<QString>& targetFrameName,
               bool& cancel) { PopupBeforeNavigate2(sender, url, targetFrameName, cancel); });
}

void TForm1::PopupBeforeNavigate2(TWebBrowser*, const QString& url,
                                  const std::optional<QString>& targetFrameName, bool& cancel) {
    const TViewerRoute route = RouteViewerRequest(url, targetFrameName);
    ServeAfterBrowser(PopupBrowser, cancel, this, [this, route, url] { ServeRequest(route, url); });
}

void TForm1::ServeRequest(TViewerRoute route, const QString& url) {
    switch (route) {
    case TViewerRoute::ToolTip:
        ShowToolTip(url);
        break;
    case TViewerRoute::Test:
        ShowTest(url);
        break;
    case TViewerRoute::RunInMain:
    case TViewerRoute::Main:
        wMain->Navigate(url);
        break;
    case TViewerRoute::RunInShell: {
        const std::optional<QString> target = ShellTargetOf(url, m_context.ProgramFolder);
        if (!target)
            Tell(FailureMessage(kResourceUnavailable, UnavailableReason(url, m_context.ProgramFolder)));
        else
            OpenPath(*target);
        break;
    }
    case TViewerRoute::Nothing:
        break;
    }
}

void TForm1::wMainCommandStateChange(TWebBrowser*, int command, bool enable) {
    FollowCommandState(command, enable, actBack, actFoward);
}

void TForm1::ConnectPopupWindows() {
    if (TTestForm* test = Roster().TestForm) {
        test->OnShowToolTip = [this](const QString& url) { ShowToolTip(url); };
        test->OnShowTest = [this](const QString& url) { ShowTest(url); };
    }
}

void TForm1::ShowToolTip(const QString& url) {
    if (TToolTipForm* hint = Roster().ToolTipForm)
        hint->ShowPage(url);
}

void TForm1::ShowTest(const QString& url) {
    const QString text = TestUrl(url, actShowTaskHint->isChecked());
    if (actShowTaskInMain->isChecked()) {
        wMain->Stop();
        wMain->Navigate(text);
        return;
    }
    ConnectPopupWindows();
    if (TTestForm* test = Roster().TestForm)
        test->ShowPage(text);
}

void TForm1::ShowFavorPage(const QString& fragment) {
    TShowFavorForm* window = Roster().ShowFavorForm;
    if (!window)
        return;
    // A page still loading is stopped first, so that the wait sees the blank page's own load.
    window->wbToolTip->Stop();
    window->wbToolTip->LoadBlankAndWait();
    if (!window->isVisible())
        window->show();
    window->raise();
    window->activateWindow();
    window->wbToolTip->Navigate(ShowFavorUrl(m_context.ProgramFolder, fragment));
}

void TForm1::actToFavorExecute() {
    TFavoriteForm* editor = Roster().FavoriteForm;
    if (!editor || !wMain->DocumentLoaded())
        return;
    const int before = editor->Rows().Count();
    int chosen = 0;
    for (QTreeWidgetItem* node : LeftTree->SelectedNodes()) {
        const TContent* content = TMarkupTreeView::NodeContent(node);
        if (!content)
            continue;
        // One item that cannot be added does not keep the others out.
        ++chosen;
        try {
            editor->AddFavor(CourseNumber, CurrentSection(), content->id, content->text);
        } catch (const std::exception&) {
        }
    }
    // The editor may be hidden: the status bar is the sign that something happened.
    const int added = editor->Rows().Count() - before;
    if (added > 0)
        statusBar()->showMessage(QStringLiteral("Добавлено в подборку: %1").arg(added), kStatusMs);
    else if (chosen > 0)
        statusBar()->showMessage(QStringLiteral("Уже в подборке: %1").arg(chosen), kStatusMs);
}

void TForm1::actRemoveFavorExecute() {
    TFavoriteForm* editor = Roster().FavoriteForm;
    if (!editor || !wMain->DocumentLoaded())
        return;
    const int before = editor->Rows().Count();
    editor->RemoveFavorByURL(wMain->LocationURL());
    statusBar()->showMessage(editor->Rows().Count() < before ? QStringLiteral("Удалено из подборки")
                                                             : QStringLiteral("Этой страницы нет в подборке"),
                             kStatusMs);
}

void TForm1::actFavorExecute() {
    if (TFavoriteForm* editor = Roster().FavoriteForm) {
        editor->show();
        editor->raise();
        editor->activateWindow();
    }
}

void TForm1::ppOpenExecute() {
    QTreeWidgetItem* node = LeftTree->currentItem();
    if (!node || !node->isSelected()) {
        const QList<QTreeWidgetItem*> selected = LeftTree->SelectedNodes();
        node = selected.isEmpty() ? nullptr : selected.last();
    }
    if (node)
        LeftTreeChange(node);
}

void TForm1::ppRunExecute() {
    if (CurrentSection() != TasksSection)
        return;
    QTreeWidgetItem* node = LeftTree->currentItem();
    const TContent* content = node && node->isSelected() ? TMarkupTreeView::NodeContent(node) : nullptr;
    if (!content)
        return;
    const QString path = ItemPagePath(CourseDir, TasksSection, content->id);
    if (!QFileInfo(path).isFile())
        return;
    wMain->Stop();
    wMain->LoadBlankAndWait();
    wMain->Navigate(path + QStringLiteral("#run"));
}

void TForm1::actShowManualExecute() {
    const QString path =
        FindDiscFile(m_context.ProgramFolder + QStringLiteral("Help/Руководство пользователя.doc"));
    const QString unavailable = QStringLiteral("Справка недоступна");
    if (QFileInfo(path).isFile())
        OpenPath(path, unavailable);
    else
        Tell(FailureMessage(
            unavailable,
            QStringLiteral("Нет файла «%1» в папке «Help» библиотеки.").arg(QFileInfo(path).fileName())));
}

void TForm1::actSaveAsPdfExecute() {
    const QString fileName = m_choosePdfFile ? m_choosePdfFile() : QString();
    if (fileName.isEmpty())
        return;
    if (!wMain->SaveAsPdf(fileName))
        Tell(QStringLiteral("Не удалось сохранить страницу в файл «%1».")
                 .arg(QDir::toNativeSeparators(fileName)));
}
