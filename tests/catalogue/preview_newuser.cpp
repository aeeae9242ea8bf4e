// Renders what a new user meets in a few situations to PNG files, to look at without a display:
// preview_newuser SCENE OUTDIR, SCENE one of history, emptylib, search, chooser, editor, collect,
// dialogs (Qt's own dialogs: files, page set-up, a question), bold (captions with й and Ё).
// A developer's aid.

#include "app/Fonts.h"
#include "app/Roster.h"
#include "app/Shell.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PageZoom.h"
#include "browser/PrintPipeline.h"
#include "catalogue/LibraryChooser.h"
#include "catalogue/Main.h"
#include "collections/Favorite.h"
#include "core/Registry.h"
#include "look/GradientPanel.h"
#include "look/Theme.h"
#include "markuptree/MarkupTreeList.h"
#include "markuptree/MarkupTreeView.h"
#include "player/Startup.h"
#include "search/SearchForm.h"
#include "search/SearchIndex.h"
#include "viewer/ShowCourse.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

namespace {

QString g_out;

void Shot(QWidget* widget, const QString& name) {
    QTest::qWait(300);
    widget->grab().save(g_out + u'/' + name + QStringLiteral(".png"));
}

bool WaitLoaded(TWebBrowser* browser) {
    return QTest::qWaitFor([&] { return browser->ReadyState() == TWebBrowser::ReadyComplete; }, 60000);
}

QTreeWidgetItem* NodeWithPage(TForm1* viewer, int nth) {
    int seen = 0;
    for (QTreeWidgetItemIterator it(viewer->LeftTree); *it; ++it) {
        const TContent* content = TMarkupTreeView::NodeContent(*it);
        if (content &&
            QFileInfo::exists(viewer->CourseDir +
                              QStringLiteral("%1/%2.xml").arg(viewer->CurrentSection()).arg(content->id)) &&
            seen++ == nth)
            return *it;
    }
    return nullptr;
}

void OpenCourse(TForm1* viewer, int course, const QString& title) {
    viewer->CourseTitle = title;
    viewer->OpenCourse(course);
    viewer->resize(1000, 650);
    viewer->show();
    WaitLoaded(viewer->wMain);
}

void ShowNode(TForm1* viewer, int nth) {
    if (QTreeWidgetItem* node = NodeWithPage(viewer, nth)) {
        viewer->LeftTree->setCurrentItem(node);
        node->setSelected(true);
    }
    QTest::qWait(500);
    WaitLoaded(viewer->wMain);
    QTest::qWait(1000);
}

void History() {
    TForm1* viewer = Roster().Form1;
    OpenCourse(viewer, 101, QStringLiteral("Алгебра"));
    ShowNode(viewer, 1);
    viewer->hide();
    OpenCourse(viewer, 102, QStringLiteral("Геометрия"));
    QTest::qWait(1000);
    Shot(viewer, QStringLiteral("history-fresh-course"));
    viewer->actBack->trigger();
    QTest::qWait(1500);
    WaitLoaded(viewer->wMain);
    Shot(viewer, QStringLiteral("history-after-back"));
}

void Collect() {
    TForm1* viewer = Roster().Form1;
    OpenCourse(viewer, 101, QStringLiteral("Алгебра"));
    ShowNode(viewer, 0);
    viewer->LeftTree->selectAll();
    viewer->actToFavor->trigger();
    QTest::qWait(300);
    Shot(viewer, QStringLiteral("collect-viewer"));
    for (QMenu* menu : viewer->menuBar()->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        menu->popup(viewer->mapToGlobal(QPoint(10, 30)));
        QTest::qWait(300);
        Shot(menu, QStringLiteral("collect-menu-") + menu->objectName());
        menu->hide();
    }
}

void Editor() {
    TFavoriteForm* editor = Roster().FavoriteForm;
    editor->resize(520, 300);
    editor->show();
    Shot(editor, QStringLiteral("editor-empty"));
    const QString longCaption = QStringLiteral("Длинный заголовок пункта, который шире окна подборки: "
                                               "уравнения и неравенства с модулем, задачи с параметром");
    editor->AddFavor(101, 5, 1, QStringLiteral("Действия с дробями"));
    editor->AddFavor(101, 5, 2, longCaption);
    editor->AddFavor(101, 12, 3, QStringLiteral("Йод, ёж и Ёлка: подписи"));
    editor->FavorTree->setFocus();
    editor->FavorTree->setCurrentItem(editor->FavorTree->topLevelItem(0));
    Shot(editor, QStringLiteral("editor-rows"));
    editor->FavorTree->horizontalScrollBar()->setValue(editor->FavorTree->horizontalScrollBar()->maximum() /
                                                       2);
    QTest::qWait(100);
    Shot(editor, QStringLiteral("editor-scrolled"));
}

void Chooser(const QString& library, QTemporaryDir& dir) {
    TLibraryHistory history(dir.filePath(QStringLiteral("settings.ini")));
    history.Remember(QStringLiteral(CP_SOURCE_DIR "/tests/data/viewer/library/"));
    history.Remember(library);
    auto* chooser = new TLibraryChooser(Roster().MainForm->GradientPanel2, history);
    chooser->SetCurrent(library);
    Roster().MainForm->show();
    Shot(Roster().MainForm, QStringLiteral("chooser-catalogue"));
    chooser->Menu()->popup(QPoint(100, 100));
    QTest::qWait(300);
    Shot(chooser->Menu(), QStringLiteral("chooser-menu"));
}

void EmptyLibrary(QTemporaryDir& dir) {
    auto* chooser =
        new TLibraryChooser(Roster().MainForm->GradientPanel2, TLibraryHistory(dir.filePath("settings.ini")));
    chooser->SetCurrent(Roster().MainForm->ProgramFolder());
    Roster().MainForm->SetLibraryOpener([chooser] { chooser->OpenFolder(); });
    Roster().MainForm->show();
    Shot(Roster().MainForm, QStringLiteral("emptylib-catalogue"));
}

void Search(QTemporaryDir& dir) {
    const QString folder = dir.filePath(QStringLiteral("searchlib/"));
    QDir().mkpath(folder + QStringLiteral("7/5"));
    QFile descriptor(folder + QStringLiteral("7.xml"));
    descriptor.open(QIODevice::WriteOnly);
    descriptor.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CourseInfo Id=\"7\" "
                                    "Group=\"Математика\" Name=\"Алгебра, 7 класс\" Description=\"\"/>\n")
                         .toUtf8());
    descriptor.close();
    QString tree = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>\n");
    for (int id = 1; id <= 120; ++id) {
        tree += QStringLiteral("<item id=\"%1\" text=\"Урок %1. Линейное уравнение\"/>\n").arg(id);
        QFile page(folder + QStringLiteral("7/5/%1.xml").arg(id));
        page.open(QIODevice::WriteOnly);
        page.write(
            QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>Решим уравнение номер %1: "
                           "x + %1 = 0. Каждое уравнение имеет корень.</p></body></html>")
                .arg(id)
                .toUtf8());
    }
    QFile treeFile(folder + QStringLiteral("7/5/tree.xml"));
    treeFile.open(QIODevice::WriteOnly);
    treeFile.write((tree + QStringLiteral("</tree>\n")).toUtf8());
    treeFile.close();
    TSearchIndex index(folder, dir.filePath(QStringLiteral("index")));
    index.UpdateNow();
    TSearchForm form;
    form.SetIndex(&index);
    form.show();
    form.QueryBox->setText(QStringLiteral("уравнение"));
    form.RunSearch();
    Shot(&form, QStringLiteral("search-first"));
    form.ResultList->verticalScrollBar()->setValue(form.ResultList->verticalScrollBar()->maximum());
    QTest::qWait(300);
    Shot(&form, QStringLiteral("search-scrolled"));
}

// Each dialog is shot once it has painted, then closed.
void ShootDialog(QDialog* dialog, const QString& name) {
    QTimer::singleShot(800, dialog, [dialog, name] {
        Shot(dialog, name);
        dialog->reject();
    });
    dialog->exec();
}

void Dialogs() {
    QFileDialog files(nullptr, QStringLiteral("Открыть папку с курсами"),
                      QStringLiteral(CP_SOURCE_DIR "/content"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setViewMode(QFileDialog::Detail);
    files.resize(760, 420);
    ShootDialog(&files, QStringLiteral("dialog-files"));
    QPageSetupDialog setup(SharedPrinter());
    ShootDialog(&setup, QStringLiteral("dialog-pagesetup"));
    QMessageBox question(QMessageBox::Question, QStringLiteral("Подборки"),
                         QStringLiteral("Сохранить подборку?"),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    ShootDialog(&question, QStringLiteral("dialog-question"));
    QMessageBox warning(QMessageBox::Warning, QStringLiteral("Проигрыватель учебных курсов"),
                        QStringLiteral("Данный ресурс недоступен\nНет файла «урок.doc»."), QMessageBox::Ok);
    ShootDialog(&warning, QStringLiteral("dialog-warning"));
}

// Bold captions with й, Й, ё, Ё: the search window's title, 3x for the eye, and the catalogue.
void BoldCaptions() {
    TSearchForm search;
    search.TitleLabel->setText(QStringLiteral("Поиск по курсу «Древний мир» Ий Ёё"));
    search.show();
    QTest::qWait(300);
    const QImage title = search.TitleLabel->grab().toImage();
    title.scaled(title.size() * 3).save(g_out + QStringLiteral("/item9-bold-title-3x.png"));
    Shot(&search, QStringLiteral("item9-search-window"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterOriginalFonts();
    ApplyTheme(app);
    if (argc < 3)
        return 2;
    const QString scene = QString::fromLocal8Bit(argv[1]);
    g_out = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir dir;
    TIniRegistry registry(dir.filePath(QStringLiteral("registry.ini")));
    TShell shell;
    TAppContext context;
    context.ProgramFolder = scene == QLatin1String("emptylib") ? QStringLiteral("/media/cdrom/")
                                                               : QStringLiteral(CP_SOURCE_DIR "/content/");
    context.Registry = &registry;
    context.Shell = &shell;
    TPageZoom zoom(dir.filePath(QStringLiteral("settings.ini")));
    context.PageZoom = &zoom;
    if (scene == QLatin1String("dialogs")) {
        Dialogs();
        return 0;
    }
    if (scene == QLatin1String("bold")) {
        BoldCaptions();
        return 0;
    }
    if (scene == QLatin1String("search")) {
        Search(dir);
        return 0;
    }
    CreateWindows(context);
    if (scene == QLatin1String("history"))
        History();
    else if (scene == QLatin1String("collect"))
        Collect();
    else if (scene == QLatin1String("editor"))
        Editor();
    else if (scene == QLatin1String("chooser"))
        Chooser(context.ProgramFolder, dir);
    else if (scene == QLatin1String("emptylib"))
        EmptyLibrary(dir);
    DestroyWindows();
    return 0;
}
