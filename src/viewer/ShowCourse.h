#pragma once

#include "app/AppContext.h"
#include "core/XmlDocument.h"
#include "popups/LinkRules.h"

#include <QMainWindow>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QPushButton;
class QSpinBox;
class QSplitter;
class QToolBar;
class QTreeWidgetItem;
class TEmbeddedBrowser;
class TMarkupTreeView;
class TPlainBrowser;
class TTreeFilterBox;
class TTreeFilterPane;
class TWebBrowser;

// The course viewer: the section's tree on the left, the item's page on the right. Opens courses
// for the catalogue, switches sections, routes the new-window requests of its pages by their
// target names, and drives the hint and test windows.
class TForm1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const TAppContext& context);
    ~TForm1() override; // FormDestroy

    // The address actExamen opens in the default browser.
    static const char* const ExamenAddress;

    QString CourseTitle;
    QString CourseDir;
    int CourseNumber = 0;

    // Probes the sections, opens the first available one and tells whether the course folder
    // exists. A tree document that fails to load raises (the caller's error report shows it).
    bool OpenCourse(int courseNumber);
    // The catalogue switched to another library; the next course opens from there.
    void SetProgramFolder(const QString& folder) { m_context.ProgramFolder = folder; }
    void NavigateToObject(int sectionId);
    // Shows an item as if the user had chosen it in LeftTree: switches to its section when another
    // one is shown, selects its node (ancestors expanded) and opens its page. False, with nothing
    // selected, when the course has no such section or the section no such item.
    bool SelectItem(int sectionId, int itemId);
    // whyNot, when given, receives the reason a tree document that exists cannot be used.
    bool IsSectionAvailable(int sectionId, QString* whyNot = nullptr);
    int CurrentSection() const;

    void ShowToolTip(const QString& url);
    void ShowTest(const QString& url);
    // Shows the collection presentation window on "ShowFavor.htm" with the page list fragment
    // ("#3;12;15$3;2010;7", or empty), after blanking its browser.
    void ShowFavorPage(const QString& fragment);

    // The collection editor's "Показать подборку", "Загрузить подборку" and "Сохранить подборку"
    // join the "Подборки" menu and the action tool bar (the editor is created after the viewer).
    void AddFavoriteCommands(QAction* showAll, QAction* load, QAction* save);

    // Messages to the user ("Данный ресурс недоступен", "Справка недоступна"); tests replace it.
    void SetMessagePresenter(std::function<void(const QString&)> presenter);
    // The name "Сохранить как PDF..." proposes for the page shown: the page's own title, or its
    // item's caption when the page has none.
    QString ProposedPdfName() const;
    // The file name "Сохранить как PDF..." asks for; tests replace the dialog.
    void SetPdfFileChooser(std::function<QString()> chooser);

    // --- handlers ---------------------------------------------------------------------------
    void LeftTreeChange(QTreeWidgetItem* node);
    void wMainBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);
    void wMainNewWindow2(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel);
    void wMainCommandStateChange(TWebBrowser* sender, int command, bool enable);
    void PopupBeforeNavigate2(TWebBrowser* sender, const QString& url,
                              const std::optional<QString>& targetFrameName, bool& cancel);
    void se1Change(int value);
    void sButton4Click();

    // --- components ---------------------------------------------------------------------------
    TMarkupTreeView* LeftTree = nullptr;
    TEmbeddedBrowser* wMain = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSpinBox* se1 = nullptr;         // the current section id; never shown
    QPushButton* sButton4 = nullptr; // reloads the section's tree; never shown
    TXMLDocument XMLDocument1;
    TPlainBrowser* PopupBrowser = nullptr; // created on the first new-window request

    QToolBar* LeftToolBar = nullptr;
    QToolBar* NavigateToolBar = nullptr;
    QToolBar* ActionToolBar = nullptr;
    QToolBar* SearchToolBar = nullptr;
    QMenu* TreePopupMenu = nullptr;
    QMenu* menuFavor = nullptr; // "Подборки"
    QMenu* menuBtnSetup = nullptr;
    QMenu* menuZoom = nullptr; // "Масштаб: 100 %"

    // --- commands -----------------------------------------------------------------------------
    QAction* actEduCourse = nullptr;
    QAction* actMaterial = nullptr;
    QAction* actNotion = nullptr;
    QAction* actTheory = nullptr;
    QAction* actAdditional = nullptr;
    QAction* actEduTask = nullptr;
    QAction* actClose = nullptr;
    QAction* actPrint = nullptr;
    QAction* actPreview = nullptr;
    QAction* actSaveAsPdf = nullptr;
    QAction* actPrinterSetup = nullptr;
    QAction* actToFavor = nullptr;
    QAction* actRemoveFavor = nullptr;
    QAction* actFavor = nullptr;
    QAction* actBack = nullptr;
    QAction* actFoward = nullptr;
    QAction* ppOpen = nullptr;
    QAction* ppRun = nullptr;
    QAction* actShowTaskHint = nullptr;
    QAction* actShowTaskInMain = nullptr;
    QAction* actRunTask = nullptr;
    QAction* actShowPPTInMain = nullptr;
    QAction* actSetupFlash = nullptr;
    QAction* actSetupMath = nullptr;
    QAction* actSetupSVG = nullptr;
    QAction* actShowManual = nullptr;
    QAction* actExamen = nullptr;
    QAction* actSearchCourse = nullptr; // "Поиск по курсу"; start-up connects it to the search window

    // The filter box above LeftTree.
    TTreeFilterBox* LeftTreeFilter() const;

    // The section command of a section id; nullptr for section 30 and unknown ids.
    QAction* SectionAction(int sectionId) const;

    void actToFavorExecute();
    void actRemoveFavorExecute();
    void actFavorExecute();
    void ppRunExecute();
    void ppOpenExecute();
    void actShowManualExecute();
    void actSaveAsPdfExecute();

protected:
    void closeEvent(QCloseEvent* event) override; // FormClose

private:
    // NavigateToObject; treeParsed: XMLDocument1 already holds the section's tree document.
    void ShowSection(int sectionId, bool treeParsed);
    void ServeRequest(TViewerRoute route, const QString& url);
    void TreeSelectionMoved();
    void BuildCommands();
    void BuildMenus();
    void BuildToolBars();
    // "Масштаб" in the "Действия" menu: the page tools' zoom commands, the factor in its title.
    void BuildZoomMenu();
    void FillActionToolBar();
    void FormCreate();
    void ConnectPopupWindows();
    // Hands path to the desktop; on failure tells firstLine with the reason under it.
    void OpenPath(const QString& path, const QString& firstLine = QStringLiteral("Данный ресурс недоступен"));
    void Tell(const QString& message);

    TAppContext m_context;
    std::function<void(const QString&)> m_showMessage;
    std::function<QString()> m_choosePdfFile;
    QTreeWidgetItem* m_treeNode = nullptr; // the node whose page the tree last asked for
    TTreeFilterPane* m_treePane = nullptr; // LeftTree with its filter box
    // The editor's commands on this window, once start-up has handed them over.
    QAction* m_favorShowAll = nullptr;
    QAction* m_favorLoad = nullptr;
    QAction* m_favorSave = nullptr;
};
