// The viewer's commands, menus, tool bars and tree pop-up menu, built in one place.

#include "viewer/ShowCourse.h"

#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PageZoom.h"
#include "catalogue/Main.h"
#include "core/ComponentStaging.h"
#include "core/DiscFiles.h"
#include "look/CommandImages.h"
#include "look/KeyboardAccess.h"
#include "look/ToolStrip.h"
#include "viewer/CourseLayout.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

// One constant address: the open bank of exam tasks of the federal institute for
// pedagogical measurements, where pupils try themselves on real test tasks.
const char* const TForm1::ExamenAddress = "https://fipi.ru/";

namespace {
const QString kMathShownByPlayer = QStringLiteral(
    "Формулы на страницах курсов проигрыватель показывает сам: устанавливать MathPlayer не нужно.");
const QString kSvgShownByPlayer = QStringLiteral(
    "Рисунки SVG на страницах курсов проигрыватель показывает сам: устанавливать SVG Viewer не нужно.");
} // namespace

namespace {
struct TCommandText {
    const char* caption;
    const char* hint; // nullptr: the caption
};

QAction* NewCommand(QObject* owner, const char* name, const char* category, TCommandText text,
                    int image = -1) {
    auto* action = new QAction(QString::fromUtf8(text.caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    const QString hint = QString::fromUtf8(text.hint ? text.hint : text.caption);
    action->setToolTip(hint);
    action->setStatusTip(hint);
    SetCategory(action, category);
    SetCommandImage(action, image);
    return action;
}

QAction* NewOption(QObject* owner, const char* name, TCommandText text, bool checked) {
    QAction* action = NewCommand(owner, name, "Options", text);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}
} // namespace

void TForm1::BuildCommands() {
    actEduCourse = NewCommand(this, "actEduCourse", "View", {"Учебный курс", nullptr});
    actMaterial = NewCommand(this, "actMaterial", "View", {"Вспомогательные ресурсы", nullptr});
    actNotion = NewCommand(this, "actNotion", "View", {"Понятийный аппарат", nullptr});
    actTheory = NewCommand(this, "actTheory", "View", {"Теоретические материалы", nullptr});
    actAdditional = NewCommand(this, "actAdditional", "View", {"Дополнительные материалы", nullptr});
    actEduTask = NewCommand(this, "actEduTask", "View", {"Учебные задания", nullptr});
    for (int section : SectionProbeOrder)
        if (QAction* action = SectionAction(section))
            connect(action, &QAction::triggered, this, [this, section] { NavigateToObject(section); });

    actClose = NewCommand(this, "actClose", "General", {"Закрыть", nullptr}, ciClose);
    actPrint = NewCommand(this, "actPrint", "General", {"Печать...", "Печать"}, ciPrint);
    actPreview =
        NewCommand(this, "actPreview", "General", {"Предварительный просмотр", nullptr}, ciPrintPreview);
    actSaveAsPdf = NewCommand(this, "actSaveAsPdf", "General",
                              {"Сохранить как PDF...", "Сохранить страницу в файл PDF"});
    actPrinterSetup = NewCommand(this, "actPrinterSetup", "Options", {"Настройки печати", nullptr});
    connect(actClose, &QAction::triggered, this, &QWidget::close);
    connect(actPrint, &QAction::triggered, this, [this] { wMain->Print(); });
    connect(actPreview, &QAction::triggered, this, [this] { wMain->PrintPreview(); });
    connect(actSaveAsPdf, &QAction::triggered, this, &TForm1::actSaveAsPdfExecute);
    connect(actPrinterSetup, &QAction::triggered, this, [this] { wMain->PageSetup(); });

    actToFavor = NewCommand(this, "actToFavor", "General", {"Добавить в подборку", nullptr}, ciAddFavor);
    actRemoveFavor =
        NewCommand(this, "actRemoveFavor", "General", {"Удалить из подборки", nullptr}, ciRemoveFavor);
    actFavor = NewCommand(this, "actFavor", "General", {"Редактировать подборку", nullptr});
    connect(actToFavor, &QAction::triggered, this, &TForm1::actToFavorExecute);
    connect(actRemoveFavor, &QAction::triggered, this, &TForm1::actRemoveFavorExecute);
    connect(actFavor, &QAction::triggered, this, &TForm1::actFavorExecute);

    actBack = NewCommand(this, "actBack", "Navigate", {"Назад", nullptr}, ciBack);
    actFoward = NewCommand(this, "actFoward", "Navigate", {"Вперед", nullptr}, ciForward);
    connect(actBack, &QAction::triggered, this, [this] { wMain->GoBack(); });
    connect(actFoward, &QAction::triggered, this, [this] { wMain->GoForward(); });

    ppOpen = NewCommand(this, "ppOpen", "PopUp", {"Открыть", nullptr});
    ppRun = NewCommand(this, "ppRun", "PopUp", {"Выполнить", "Выполнить задание"}, ciRun);
    ppRun->setVisible(false);
    connect(ppOpen, &QAction::triggered, this, &TForm1::ppOpenExecute);
    connect(ppRun, &QAction::triggered, this, &TForm1::ppRunExecute);

    actShowTaskHint = NewOption(this, "actShowTaskHint", {"Показывать подсказки в заданиях", nullptr}, true);
    actShowTaskInMain =
        NewOption(this, "actShowTaskInMain", {"Показывать задания в основном окне", nullptr}, false);
    actRunTask = NewOption(this, "actRunTask", {"Сразу запускать задания", nullptr}, false);
    actShowPPTInMain =
        NewOption(this, "actShowPPTInMain", {"Показывать презентации в основном окне", nullptr}, false);
    connect(actShowPPTInMain, &QAction::triggered, this, [this](bool checked) {
        if (Roster().MainForm)
            Roster().MainForm->SetPPTBrowserFlags(checked);
    });

    actSetupFlash = NewCommand(this, "actSetupFlash", "Options",
                               {"Проигрыватель Flash", "Установить проигрыватель Flash"});
    actSetupMath = NewCommand(this, "actSetupMath", "Options", {"MathPlayer", "Установить MathPlayer"});
    actSetupSVG = NewCommand(this, "actSetupSVG", "Options", {"SVG Viewer", "Установить SVG Viewer"});
    actSetupMath->setVisible(false);
    actSetupSVG->setVisible(false);
    connect(actSetupFlash, &QAction::triggered, this, [this] {
        OpenPath(
            FindDiscFile(m_context.ProgramFolder + QStringLiteral("Plugins/install_flash_player_ax.exe")));
    });
    // Formulas and SVG pictures need no Windows installer here: the player typesets MathML
    // itself (with its staged typesetter) and the browser draws SVG.
    connect(actSetupMath, &QAction::triggered, this, [this] {
        if (MathTypesetterStaged())
            Tell(kMathShownByPlayer);
        else
            OpenPath(FindDiscFile(m_context.ProgramFolder + QStringLiteral("Plugins/MathPlayerSetup.exe")));
    });
    connect(actSetupSVG, &QAction::triggered, this, [this] { Tell(kSvgShownByPlayer); });

    actShowManual = NewCommand(this, "actShowManual", "Help", {"Показать справку", nullptr});
    actShowManual->setShortcut(QKeySequence(Qt::Key_F1));
    actShowManual->setShortcutContext(Qt::WindowShortcut);
    connect(actShowManual, &QAction::triggered, this, &TForm1::actShowManualExecute);
    actExamen = NewCommand(
        this, "actExamen", "Help",
        {"Тестирование на сайте ФИПИ", "Открыть открытый банк тестовых заданий ФИПИ (fipi.ru) в браузере"});
    connect(actExamen, &QAction::triggered, this, [this] { OpenPath(QString::fromLatin1(ExamenAddress)); });

    actSearchCourse = NewCommand(this, "actSearchCourse", "General",
                                 {"Поиск по курсу...", "Найти слово или фразу во всех материалах курса"});
    actSearchCourse->setIcon(TCommandImages::ExtraIcon(QStringLiteral(":/icons/search.svg")));
    actSearchCourse->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    actSearchCourse->setShortcutContext(Qt::WindowShortcut);

    // Shortcuts work only for actions added to a widget of the window.
    addActions({actShowManual, actClose, actSearchCourse});
    // Wherever the focus is, the page included: the tool strips take none.
    AddWindowKeys(this, actBack, {QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
    AddWindowKeys(this, actFoward, {QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
    AddWindowKeys(this, actPrint, {QKeySequence(Qt::CTRL | Qt::Key_P)});
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* actions = bar->addMenu(QStringLiteral("Действия"));
    actions->setObjectName(QStringLiteral("menuActions"));
    actions->addAction(actSearchCourse);
    actions->addSeparator();
    actions->addActions({actPrint, actPreview, actSaveAsPdf});
    actions->addSeparator();
    actions->addAction(actClose);

    // The editor's own commands join this menu later (AddFavoriteCommands).
    menuFavor = bar->addMenu(QStringLiteral("Подборки"));
    menuFavor->setObjectName(QStringLiteral("menuFavor"));
    menuFavor->addSeparator();
    menuFavor->addActions({actToFavor, actRemoveFavor, actFavor});
    menuFavor->addSeparator();

    QMenu* materials = bar->addMenu(QStringLiteral("Материалы"));
    materials->setObjectName(QStringLiteral("menuMaterials"));
    materials->addActions({actEduCourse, actNotion, actTheory, actAdditional, actMaterial, actEduTask});

    QMenu* options = bar->addMenu(QStringLiteral("Настройки"));
    options->setObjectName(QStringLiteral("menuOptions"));
    options->addAction(actPrinterSetup);
    options->addSeparator();
    options->addAction(actShowPPTInMain);
    options->addSeparator();
    options->addActions({actShowTaskHint, actShowTaskInMain, actRunTask});
    options->addSeparator();
    menuBtnSetup = options->addMenu(QStringLiteral("Установить"));
    menuBtnSetup->setObjectName(QStringLiteral("menuBtnSetup"));
    menuBtnSetup->addActions({actSetupFlash, actSetupMath, actSetupSVG});

    QMenu* help = bar->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(actShowManual);
    help->addSeparator();
    help->addAction(actExamen);

    TreePopupMenu = new QMenu(this);
    TreePopupMenu->setObjectName(QStringLiteral("TreePopupMenu"));
    TreePopupMenu->addActions({actToFavor, actRemoveFavor});
    TreePopupMenu->addSeparator();
    TreePopupMenu->addActions({ppOpen, ppRun});
    AddMnemonics(bar);
    AddMnemonics(TreePopupMenu);
    AddMenuBarKey(this);
}

void TForm1::BuildZoomMenu() {
    if (!m_context.PageZoom)
        return;
    QMenu* actions = menuBar()->findChild<QMenu*>(QStringLiteral("menuActions"));
    menuZoom = new QMenu(this);
    menuZoom->setObjectName(QStringLiteral("menuZoom"));
    for (const char* name : {"actZoomIn", "actZoomOut", "actZoomReset"})
        if (QAction* action = findChild<QAction*>(QString::fromLatin1(name)))
            menuZoom->addAction(action);
    if (QAction* reset = findChild<QAction*>(QStringLiteral("actZoomReset")))
        reset->setText(QStringLiteral("Обычный масштаб (100 %)"));
    // Above "Закрыть", after printing.
    const QList<QAction*> entries = actions->actions();
    actions->insertMenu(entries.size() >= 2 ? entries.at(entries.size() - 2) : nullptr, menuZoom);
    const auto showFactor = [this] {
        menuZoom->setTitle(QStringLiteral("Масштаб: %1 %").arg(m_context.PageZoom->Percent()));
    };
    showFactor();
    connect(m_context.PageZoom, &TPageZoom::FactorChanged, menuZoom, showFactor);
}

void TForm1::BuildToolBars() {
    LeftToolBar = AddToolStrip(this, QStringLiteral("LeftToolBar"), true);
    AddToolButton(LeftToolBar, actToFavor);
    AddToolButton(LeftToolBar, actRemoveFavor);
    NavigateToolBar = AddToolStrip(this, QStringLiteral("NavigateToolBar"), true);
    AddToolButton(NavigateToolBar, actBack);
    AddToolButton(NavigateToolBar, actFoward);
    ActionToolBar = AddToolStrip(this, QStringLiteral("ActionToolBar"), true);
    FillActionToolBar();
    SearchToolBar = AddToolStrip(this, QStringLiteral("SearchToolBar"), true);
    AddToolButton(SearchToolBar, actSearchCourse);
}

void TForm1::FillActionToolBar() {
    ActionToolBar->clear();
    if (m_favorLoad && m_favorShowAll) {
        AddToolButton(ActionToolBar, m_favorLoad);
        AddToolButton(ActionToolBar, m_favorShowAll);
        ActionToolBar->addSeparator();
    }
    AddToolButton(ActionToolBar, actPreview);
    AddToolButton(ActionToolBar, actPrint);
}

void TForm1::AddFavoriteCommands(QAction* showAll, QAction* load, QAction* save) {
    m_favorShowAll = showAll = MirrorAction(showAll, this);
    m_favorLoad = load = MirrorAction(load, this);
    m_favorSave = save = MirrorAction(save, this);
    // "Показать подборку" heads the menu, above the viewer's own three; loading and saving close it.
    const QList<QAction*> entries = menuFavor->actions();
    menuFavor->insertAction(entries.isEmpty() ? nullptr : entries.first(), showAll);
    menuFavor->addActions({load, save});
    FillActionToolBar();
}
