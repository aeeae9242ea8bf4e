// The collection editor as the user and the viewer drive it: commands, moves, drops, files,
// the show commands and the question at exit.

#include "app/ErrorReport.h"
#include "collections/FavorFile.h"
#include "collections/FavorRecord.h"
#include "collections/Favorite.h"
#include "markuptree/MarkupTreeList.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

// "course;folder;id" for each row, joined by spaces.
QString Keys(const TFavoriteForm& form) {
    QStringList out;
    for (int i = 0; i < form.Rows().Count(); ++i) {
        const TFavor& f = form.Rows().At(i);
        out << QStringLiteral("%1;%2;%3").arg(f.Course).arg(f.Folder).arg(f.ID);
    }
    return out.join(u' ');
}

// The list shows what the rows hold, in the same order.
bool ListMirrorsRows(const TFavoriteForm& form) {
    if (form.FavorTree->topLevelItemCount() != form.Rows().Count())
        return false;
    for (int i = 0; i < form.Rows().Count(); ++i) {
        const TFavor& f = form.Rows().At(i);
        if (form.FavorTree->topLevelItem(i)->text(0) != FavorRowText(f))
            return false;
    }
    return true;
}

int SelectedRow(const TFavoriteForm& form) {
    const QList<QTreeWidgetItem*> selected = form.FavorTree->selectedItems();
    return selected.size() == 1 ? form.FavorTree->indexOfTopLevelItem(selected.first()) : -1;
}

void Select(TFavoriteForm& form, int row) {
    form.FavorTree->setCurrentItem(form.FavorTree->topLevelItem(row));
}

QString ToolBarLayout(const QToolBar* bar) {
    QStringList names;
    for (const QAction* a : bar->actions())
        names << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    return names.join(u' ');
}

} // namespace

class TestFavoriteForm final : public QObject {
    Q_OBJECT

    std::unique_ptr<TFavoriteForm> m_form;
    QTemporaryDir m_dir;
    QStringList m_errors;
    QStringList m_messages;
    QStringList m_shown; // ShowFavorPage fragments
    QStringList m_tests; // ShowTest addresses
    QString m_courseDir;
    int m_courseNumber = 0;
    int m_questions = 0;

    TFavoriteForm& Form() { return *m_form; }

    void AddFive() {
        for (int i = 1; i <= 5; ++i)
            Form().AddFavor(1, 12, i, QStringLiteral("<B>Пункт</B> %1").arg(i));
    }

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        f.write(bytes);
        return path;
    }

private slots:
    void initTestCase() {
        SetErrorReporter([this](const QString& m) { m_errors << m; });
    }
    void cleanupTestCase() { SetErrorReporter({}); }

    void init() {
        m_form = std::make_unique<TFavoriteForm>(TAppContext{});
        m_errors.clear();
        m_messages.clear();
        m_shown.clear();
        m_tests.clear();
        m_questions = 0;
        m_courseDir = m_dir.path() + QStringLiteral("/3/");
        m_courseNumber = 3;
        Form().SetViewerLink({
            [this](const QString& fragment) { m_shown << fragment; },
            [this](const QString& url) { m_tests << url; },
            [this] { return m_courseDir; },
            [this] { return m_courseNumber; },
        });
        Form().SetMessagePresenter([this](const QString& m) { m_messages << m; });
        Form().SetOpenFileChooser([] { return QString(); });
        Form().SetSaveFileChooser([] { return QString(); });
        Form().SetExitQuestion([this] {
            ++m_questions;
            return QMessageBox::Cancel;
        });
    }
    void cleanup() { m_form.reset(); }

    void commands_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("image");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("up") << "actUp"
                            << "Вверх"
                            << "Переместить вверх" << 1 << false;
        QTest::newRow("down") << "actDown"
                              << "Вниз"
                              << "Переместить вниз" << 2 << false;
        QTest::newRow("delete") << "actDelete"
                                << "Удалить из подборки"
                                << "Удалить из подборки" << 0 << true;
        QTest::newRow("clear") << "actClear"
                               << "Очистить подборку"
                               << "Очистить подборку" << 8 << true;
        QTest::newRow("load") << "actLoad"
                              << "Загрузить подборку"
                              << "Загрузить подборку" << 9 << true;
        QTest::newRow("save") << "actSave"
                              << "Сохранить подборку"
                              << "Сохранить подборку" << 13 << true;
        QTest::newRow("show all") << "actShowAll"
                                  << "Показать подборку"
                                  << "Показать подборку" << 11 << true;
        QTest::newRow("theory") << "actShowTheory"
                                << "Посмотреть всю теорию"
                                << "Посмотреть всю теорию" << 14 << true;
        QTest::newRow("tasks") << "actShowTasksOnly"
                               << "Выполнить все задания"
                               << "Выполнить все задания" << 4 << true;
        QTest::newRow("hide") << "actHide"
                              << "Закрыть"
                              << "Закрыть" << 6 << true;
    }
    void commands() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(int, image);
        QFETCH(bool, enabled);
        auto* action = Form().findChild<QAction*>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->toolTip(), hint);
        QCOMPARE(action->property("imageIndex").toInt(), image);
        QCOMPARE(action->isEnabled(), enabled);
    }

    void window() {
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки"));
        QCOMPARE(ToolBarLayout(Form().MoveToolBar), QStringLiteral("actUp actDown"));
        QCOMPARE(ToolBarLayout(Form().ActionToolBar),
                 QStringLiteral(
                     "actDelete | actClear actLoad actSave | actShowAll actShowTheory actShowTasksOnly | "
                     "actHide"));
        const TMarkupTreeList& list = *Form().FavorTree;
        QCOMPARE(list.Columns().Count(), 2);
        QCOMPARE(list.Columns()[0]->Header(), QStringLiteral("Элемент"));
        QCOMPARE(list.Columns()[0]->Width(), 400);
        QCOMPARE(list.Columns()[1]->Header(), QStringLiteral("Раздел"));
        QCOMPARE(list.Separator(), QStringLiteral("$$$$$$$"));
        QCOMPARE(list.Color(), TColor(0x00E4FFFF));
        QVERIFY(list.ReadOnly());
        QCOMPARE(list.DragMode(), TMarkupTreeList::dmAutomatic);
        QVERIFY(list.RightClickSelect());
        QCOMPARE(list.Indent(), 19);
        QCOMPARE(list.HeaderSettings().Height(), 18);
        // The list fills the window below the tool bars, its header strip above it.
        Form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Form()));
        const QWidget* panel = Form().centralWidget();
        QCOMPARE(list.parentWidget(), panel);
        QCOMPARE(list.geometry().bottom(), panel->rect().bottom());
        QCOMPARE(list.Header()->geometry().top(), 0);
    }

    void addFavorAppendsOnce() {
        Form().AddFavor(3, 12, 15, QStringLiteral("<B>Тема</B>"));
        Form().AddFavor(3, 12, 15, QStringLiteral("другая подпись"));
        Form().AddFavor(3, 8, 15, QStringLiteral("понятие"));
        Form().AddFavor(4, 12, 15, QStringLiteral("другой курс"));
        QCOMPARE(Keys(Form()), QStringLiteral("3;12;15 3;8;15 4;12;15"));
        // The first caption stays; the row text is caption, separator, section caption.
        QCOMPARE(Form().FavorTree->topLevelItem(0)->text(0),
                 QStringLiteral("<B>Тема</B>$$$$$$$Теоретические материалы"));
        QCOMPARE(Form().FavorTree->topLevelItem(1)->text(0),
                 QStringLiteral("понятие$$$$$$$Понятийный аппарат"));
        QVERIFY(ListMirrorsRows(Form()));
        QVERIFY(Form().FavorTree->selectedItems().isEmpty());
        QVERIFY(!Form().isVisible());
    }

    // The move commands follow the selection, focus and resizing, and nothing else.
    void moveActionsAtTheirMomentsOnly_data() {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<bool>("down");
        QTest::newRow("adding alone") << "none" << false;
        QTest::newRow("the list gets focus") << "enter" << true;
        QTest::newRow("the window is resized") << "resize" << true;
        QTest::newRow("the selection changes") << "select" << true;
    }
    void moveActionsAtTheirMomentsOnly() {
        QFETCH(QString, moment);
        QFETCH(bool, down);
        Form().AddFavor(1, 12, 1, QStringLiteral("a"));
        Form().AddFavor(1, 12, 2, QStringLiteral("b"));
        Select(Form(), 1);
        QVERIFY(Form().actUp->isEnabled());
        QVERIFY(!Form().actDown->isEnabled());
        Form().AddFavor(1, 12, 3, QStringLiteral("c")); // the selected row is no longer the last
        QCOMPARE(SelectedRow(Form()), 1);
        if (moment == QLatin1String("enter")) {
            Form().show();
            QVERIFY(QTest::qWaitForWindowExposed(&Form()));
            Form().activateWindow();
            Form().FavorTree->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(Form().FavorTree->hasFocus());
        } else if (moment == QLatin1String("resize")) {
            Form().show();
            QVERIFY(QTest::qWaitForWindowExposed(&Form()));
            Form().resize(Form().width() + 40, Form().height() + 10);
            QTRY_COMPARE(Form().actDown->isEnabled(), true);
        } else if (moment == QLatin1String("select")) {
            Select(Form(), 0);
            Select(Form(), 1);
        }
        QCOMPARE(Form().actDown->isEnabled(), down);
        QVERIFY(Form().actUp->isEnabled());
    }

    void moveButtons_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<bool>("up");
        QTest::addColumn<bool>("down");
        QTest::newRow("third up") << 2 << "up"
                                  << "1;12;1 1;12;3 1;12;2 1;12;4 1;12;5" << 1 << true << true;
        QTest::newRow("third down") << 2 << "down"
                                    << "1;12;1 1;12;2 1;12;4 1;12;3 1;12;5" << 3 << true << true;
        QTest::newRow("up then down") << 2 << "up down"
                                      << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5" << 2 << true << true;
        QTest::newRow("second up to the top") << 1 << "up"
                                              << "1;12;2 1;12;1 1;12;3 1;12;4 1;12;5" << 0 << false << true;
        QTest::newRow("fourth down to the end") << 3 << "down"
                                                << "1;12;1 1;12;2 1;12;3 1;12;5 1;12;4" << 4 << true << false;
        QTest::newRow("first up does nothing") << 0 << "up"
                                               << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5" << 0 << false << true;
        QTest::newRow("last down does nothing") << 4 << "down"
                                                << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5" << 4 << true << false;
        QTest::newRow("nothing selected") << -1 << "up down"
                                          << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5" << -1 << false << false;
        QTest::newRow("first to the end") << 0 << "down down down down down"
                                          << "1;12;2 1;12;3 1;12;4 1;12;5 1;12;1" << 4 << true << false;
    }
    void moveButtons() {
        QFETCH(int, selected);
        QFETCH(QString, commands);
        QFETCH(QString, rows);
        QFETCH(int, selectedAfter);
        QFETCH(bool, up);
        QFETCH(bool, down);
        AddFive();
        if (selected >= 0)
            Select(Form(), selected);
        const TFavor* record = selected >= 0 ? &Form().Rows().At(selected) : nullptr;
        for (const QString& c : commands.split(u' '))
            (c == QLatin1String("up") ? Form().actUp : Form().actDown)->trigger();
        QCOMPARE(Keys(Form()), rows);
        QVERIFY(ListMirrorsRows(Form()));
        QCOMPARE(SelectedRow(Form()), selectedAfter);
        QCOMPARE(Form().actUp->isEnabled(), up);
        QCOMPARE(Form().actDown->isEnabled(), down);
        // The selected item's own record moved with it.
        if (record)
            QCOMPARE(&Form().Rows().At(selectedAfter), record);
    }

    void drops_data() {
        QTest::addColumn<int>("dragged");
        QTest::addColumn<QString>("where"); // row N, "below", "top"
        QTest::addColumn<QString>("rows");
        QTest::newRow("third onto first") << 2 << "row 0"
                                          << "1;12;3 1;12;1 1;12;2 1;12;4 1;12;5";
        QTest::newRow("third onto fifth") << 2 << "row 4"
                                          << "1;12;1 1;12;2 1;12;4 1;12;3 1;12;5";
        QTest::newRow("third below the last") << 2 << "below"
                                              << "1;12;1 1;12;2 1;12;4 1;12;5 1;12;3";
        QTest::newRow("third in the top 5 px") << 2 << "top"
                                               << "1;12;3 1;12;1 1;12;2 1;12;4 1;12;5";
        QTest::newRow("onto itself") << 2 << "row 2"
                                     << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5";
        QTest::newRow("onto the next row") << 2 << "row 3"
                                           << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5";
        QTest::newRow("first below the last") << 0 << "below"
                                              << "1;12;2 1;12;3 1;12;4 1;12;5 1;12;1";
    }
    void drops() {
        QFETCH(int, dragged);
        QFETCH(QString, where);
        QFETCH(QString, rows);
        AddFive();
        Form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Form()));
        Select(Form(), dragged);
        const TFavor* record = &Form().Rows().At(dragged);
        QPoint at;
        if (where.startsWith(QLatin1String("row ")))
            at = Form()
                     .FavorTree->visualItemRect(Form().FavorTree->topLevelItem(where.mid(4).toInt()))
                     .center();
        else if (where == QLatin1String("below"))
            at = QPoint(30, Form().FavorTree->viewport()->height() - 3);
        else
            at = QPoint(30, 2);
        QVERIFY(where != QLatin1String("below") || !Form().FavorTree->GetNodeAt(at.x(), at.y()));
        // As the list hands an accepted drop of its own row to the window.
        bool accept = true;
        Form().FavorTree->OnDragOver(Form().FavorTree, Form().FavorTree, at.x(), at.y(), accept);
        QVERIFY(accept);
        Form().FavorTree->OnDragDrop(Form().FavorTree, Form().FavorTree, at.x(), at.y());
        QCOMPARE(Keys(Form()), rows);
        QVERIFY(ListMirrorsRows(Form()));
        // The dropped row is the selected one and carries its own record.
        QCOMPARE(&Form().Rows().At(SelectedRow(Form())), record);
    }

    void dropsOnlyFromTheListItself() {
        QWidget other;
        const auto accepts = [this](QObject* source) {
            bool accept = true;
            Form().FavorTree->OnDragOver(Form().FavorTree, source, 10, 10, accept);
            return accept;
        };
        QVERIFY(accepts(Form().FavorTree));
        QVERIFY(!accepts(&other));
        QVERIFY(!accepts(nullptr));
    }

    void dropWithoutSelectionDoesNothing() {
        AddFive();
        Form().FavorTreeDragDrop(30, 2);
        QCOMPARE(Keys(Form()), QStringLiteral("1;12;1 1;12;2 1;12;3 1;12;4 1;12;5"));
    }

    void deleteAndClear_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("left");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("delete the selected middle row") << 5 << 2 << "delete"
                                                        << "1;12;1 1;12;2 1;12;4 1;12;5" << 2;
        QTest::newRow("delete the selected last row") << 5 << 4 << "delete"
                                                      << "1;12;1 1;12;2 1;12;3 1;12;4" << 3;
        QTest::newRow("delete without a selection") << 5 << -1 << "delete"
                                                    << "1;12;1 1;12;2 1;12;3 1;12;4 1;12;5" << -1;
        QTest::newRow("delete in an empty list") << 0 << -1 << "delete"
                                                 << "" << -1;
        QTest::newRow("clear") << 5 << 3 << "clear"
                               << "" << -1;
        QTest::newRow("clear an empty list") << 0 << -1 << "clear"
                                             << "" << -1;
    }
    void deleteAndClear() {
        QFETCH(int, rows);
        QFETCH(int, selected);
        QFETCH(QString, command);
        QFETCH(QString, left);
        QFETCH(int, selectedAfter);
        for (int i = 1; i <= rows; ++i)
            Form().AddFavor(1, 12, i, QString::number(i));
        if (selected >= 0)
            Select(Form(), selected);
        (command == QLatin1String("delete") ? Form().actDelete : Form().actClear)->trigger();
        QCOMPARE(Keys(Form()), left);
        QVERIFY(ListMirrorsRows(Form()));
        QCOMPARE(SelectedRow(Form()), selectedAfter);
        QVERIFY(m_errors.isEmpty());
    }

    void removeFavorByURL_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("left");
        QTest::newRow("item page") << "file:///lib/3/12/15.xml"
                                   << "3;8;15 3;2010;7";
        QTest::newRow("task page with run") << "file:///lib/3/2010/7.xml#run"
                                            << "3;12;15 3;8;15";
        QTest::newRow("backslashes") << "C:\\lib\\3\\8\\15.xml"
                                     << "3;12;15 3;2010;7";
        QTest::newRow("item not in the collection") << "file:///lib/3/12/16.xml"
                                                    << "3;12;15 3;8;15 3;2010;7";
        QTest::newRow("web page") << "https://fipi.ru/"
                                  << "3;12;15 3;8;15 3;2010;7";
        QTest::newRow("task runner") << "file:///lib/3/2010/runtest.html#tid=7_1;-1"
                                     << "3;12;15 3;8;15 3;2010;7";
        QTest::newRow("blank") << "about:blank"
                               << "3;12;15 3;8;15 3;2010;7";
    }
    void removeFavorByURL() {
        QFETCH(QString, url);
        QFETCH(QString, left);
        Form().AddFavor(3, 12, 15, QStringLiteral("a"));
        Form().AddFavor(3, 8, 15, QStringLiteral("b"));
        Form().AddFavor(3, 2010, 7, QStringLiteral("c"));
        Form().RemoveFavorByURL(url);
        QCOMPARE(Keys(Form()), left);
        QVERIFY(ListMirrorsRows(Form()));
        QVERIFY(m_errors.isEmpty());
        QVERIFY(m_messages.isEmpty());
    }

    // The viewer's removal touches the removed row only: no other row becomes selected, even
    // when the list has the focus (and so a current row without a selection).
    void removeFavorByURLKeepsSelection_data() {
        QTest::addColumn<bool>("focus");
        QTest::addColumn<int>("selected"); // before; -1: none
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("selectedAfter"); // its key; empty: none
        QTest::newRow("focus, none selected, first removed") << true << -1 << 0 << "";
        QTest::newRow("focus, none selected, middle removed") << true << -1 << 1 << "";
        QTest::newRow("focus, another selected") << true << 2 << 0 << "1;12;3";
        QTest::newRow("focus, the selected removed") << true << 1 << 1 << "";
        QTest::newRow("no focus, the selected removed") << false << 1 << 1 << "";
        QTest::newRow("no focus, another selected") << false << 0 << 2 << "1;12;1";
    }
    void removeFavorByURLKeepsSelection() {
        QFETCH(bool, focus);
        QFETCH(int, selected);
        QFETCH(int, removed);
        QFETCH(QString, selectedAfter);
        for (int i = 1; i <= 4; ++i)
            Form().AddFavor(1, 12, i, QString::number(i));
        if (focus) {
            Form().show();
            Form().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&Form()));
            Form().FavorTree->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(Form().FavorTree->hasFocus());
        }
        if (selected >= 0)
            Select(Form(), selected);
        QCOMPARE(SelectedRow(Form()), selected);
        Form().RemoveFavorByURL(QStringLiteral("file:///lib/1/12/%1.xml").arg(removed + 1));
        QCOMPARE(Form().Rows().Count(), 3);
        const int row = SelectedRow(Form());
        QCOMPARE(row < 0 ? QString() : Keys(Form()).split(u' ').at(row), selectedAfter);
    }

    void doubleClick_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("an item") << 3 << true << QStringList{QStringLiteral("#3;2010;7")};
        QTest::newRow("course 0") << 0 << true << QStringList{};
        QTest::newRow("no selection") << 3 << false << QStringList{};
    }
    void doubleClick() {
        QFETCH(int, course);
        QFETCH(bool, select);
        QFETCH(QStringList, shown);
        Form().AddFavor(course, 2010, 7, QStringLiteral("задача"));
        Form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Form()));
        if (select)
            Select(Form(), 0);
        const QPoint at = select
                              ? Form().FavorTree->visualItemRect(Form().FavorTree->topLevelItem(0)).center()
                              : QPoint(30, Form().FavorTree->viewport()->height() - 3);
        // A view takes a double click only after the press of the same click.
        QTest::mouseClick(Form().FavorTree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Form().FavorTree->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(m_shown, shown);
    }

    void keyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("rows");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier)
                                << "1;12;1 1;12;2 1;12;4 1;12;5";
        QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << int(Qt::ControlModifier)
                                 << "1;12;1 1;12;3 1;12;2 1;12;4 1;12;5";
        QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << int(Qt::ControlModifier)
                                   << "1;12;1 1;12;2 1;12;4 1;12;3 1;12;5";
    }
    void keyboard() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, rows);
        AddFive();
        Form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Form()));
        Form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Form()));
        Form().FavorTree->setFocus();
        Select(Form(), 2);
        QTest::keyClick(Form().FavorTree, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(Keys(Form()), rows);
    }

    void loadReplacesRows_data() {
        QTest::addColumn<QByteArray>("file"); // empty: no file of that name
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("messages");
        const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        QTest::newRow("good file") << decl +
                                          "<items><item Course=\"3\" Folder=\"12\" ID=\"15\" Caption=\"a\"/>"
                                          "<item Course=\"3\" Folder=\"12\" ID=\"15\" Caption=\"b\"/></items>"
                                   << "3;12;15 3;12;15" << 0;
        QTest::newRow("empty collection") << decl + "<items/>"
                                          << "" << 0;
        QTest::newRow("breaks at the third item")
            << decl +
                   "<items><item Course=\"3\" Folder=\"12\" ID=\"15\"/><item Course=\"3\" Folder=\"8\" "
                   "ID=\"1\"/><item Course=\"3\" ID=\"2\"/><item Course=\"3\" Folder=\"8\" ID=\"3\"/></items>"
            << "3;12;15 3;8;1" << 1;
        QTest::newRow("not well-formed") << decl + "<items><item Course=\"3\""
                                         << "9;9;9 9;9;8" << 1;
        QTest::newRow("no such file") << QByteArray() << "9;9;9 9;9;8" << 0;
    }
    void loadReplacesRows() {
        QFETCH(QByteArray, file);
        QFETCH(QString, rows);
        QFETCH(int, messages);
        Form().AddFavor(9, 9, 9, QStringLiteral("было"));
        Form().AddFavor(9, 9, 8, QStringLiteral("было"));
        Select(Form(), 1);
        const QString path = file.isEmpty() ? m_dir.filePath(QStringLiteral("none.sff"))
                                            : Write(QStringLiteral("load.sff"), file);
        Form().SetOpenFileChooser([path] { return path; });
        Form().actLoad->trigger();
        QCOMPARE(Keys(Form()), rows);
        QVERIFY(ListMirrorsRows(Form()));
        QCOMPARE(m_messages.size(), messages);
        if (messages)
            QCOMPARE(m_messages.first(), QStringLiteral("Ошибка загрузки файла"));
        QVERIFY(m_errors.isEmpty());
    }

    void cancelledDialogsChangeNothing() {
        Form().AddFavor(1, 12, 1, QStringLiteral("a"));
        Form().actLoad->trigger();
        Form().actSave->trigger();
        QCOMPARE(Keys(Form()), QStringLiteral("1;12;1"));
        QVERIFY(m_messages.isEmpty());
        QVERIFY(m_errors.isEmpty());
        QVERIFY(Form().IsModified());
    }

    // The editor saves what the viewer sent, and a second editor loads the same rows back.
    void saveThenLoad() {
        Form().AddFavor(3, 12, 15, QStringLiteral("<B>Тема</B> & \"кавычки\" <x>"));
        Form().AddFavor(0, 8, 2, QString::fromUtf8("😀"));
        Form().AddFavor(3, 2010, 7, QString());
        const QString path = m_dir.filePath(QStringLiteral("saved.sff"));
        Form().SetSaveFileChooser([path] { return path; });
        Form().actSave->trigger();
        QVERIFY(m_errors.isEmpty());
        QVERIFY(!Form().IsModified());
        TFavoriteForm second{TAppContext{}};
        second.SetOpenFileChooser([path] { return path; });
        second.actLoad->trigger();
        QVERIFY(second.Rows().Records() == Form().Rows().Records());
        QVERIFY(ListMirrorsRows(second));
    }

    // The title names the collection's file and marks unsaved changes.
    void titleNamesTheFileAndMarksChanges() {
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки"));
        Form().AddFavor(3, 12, 15, QStringLiteral("a"));
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки *"));
        const QString path = m_dir.filePath(QStringLiteral("урок 5.sff"));
        Form().SetSaveFileChooser([path] { return path; });
        Form().actSave->trigger();
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки — урок 5.sff"));
        Form().AddFavor(3, 12, 16, QStringLiteral("b"));
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки — урок 5.sff *"));
        Form().DeleteFavor(3, 12, 16);
        QCOMPARE(Form().windowTitle(), QStringLiteral("Подборки — урок 5.sff"));
    }

    // A file in a folder that is not there is refused before anything is written.
    void saveRefusesAMissingFolder() {
        Form().AddFavor(3, 12, 15, QStringLiteral("a"));
        const QString path = m_dir.filePath(QStringLiteral("нет такой папки/урок.sff"));
        Form().SetSaveFileChooser([path] { return path; });
        Form().actSave->trigger();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().startsWith(QStringLiteral("Папки «")), qPrintable(m_messages.first()));
        QVERIFY(m_errors.isEmpty());
        QVERIFY(Form().IsModified());
    }

    void failedSaveIsReportedAndKeepsRows() {
        Form().AddFavor(3, 12, 15, QStringLiteral("a"));
        const QString path = QStringLiteral("/proc/collection.sff");
        Form().SetSaveFileChooser([path] { return path; });
        Form().actSave->trigger();
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(m_errors.first().contains(path));
        QCOMPARE(Keys(Form()), QStringLiteral("3;12;15"));
        QVERIFY(Form().IsModified());
    }

    void showCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("tests");
        QTest::addColumn<int>("errors");
        QTest::newRow("all") << "actShowAll"
                             << QStringList{QStringLiteral("#3;12;15$3;2010;7$4;2010;7$3;7;1")}
                             << QStringList{} << 0;
        QTest::newRow("theory") << "actShowTheory" << QStringList{QStringLiteral("#3;12;15")} << QStringList{}
                                << 0;
        QTest::newRow("tasks of the open course")
            << "actShowTasksOnly" << QStringList{}
            << QStringList{m_dir.path() + QStringLiteral("/3/2010/runtest.html#tid=12_1;13_1;")} << 0;
        QTest::newRow("tasks with a missing task page") << "missing" << QStringList{} << QStringList{} << 1;
        QTest::newRow("no task of the open course") << "other course" << QStringList{} << QStringList{} << 0;
    }
    void showCommands() {
        QFETCH(QString, command);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, tests);
        QFETCH(int, errors);
        Write(QStringLiteral("3/2010/7.xml"),
              "<page><task id=\"12\" type=\"1\"/><task id=\"013\" type=\"1\"/><task id=\"14\"/></page>");
        Write(QStringLiteral("4/2010/7.xml"), "<page><task id=\"40\" type=\"1\"/></page>");
        Form().AddFavor(3, 12, 15, QStringLiteral("теория"));
        Form().AddFavor(3, 2010, 7, QStringLiteral("задача"));
        Form().AddFavor(4, 2010, 7, QStringLiteral("задача другого курса"));
        Form().AddFavor(3, 7, 1, QStringLiteral("ресурс"));
        QAction* action = Form().actShowTasksOnly;
        if (command == QLatin1String("missing"))
            Form().AddFavor(3, 2010, 8, QStringLiteral("нет файла"));
        else if (command == QLatin1String("other course"))
            m_courseNumber = 5;
        else
            action = Form().findChild<QAction*>(command);
        action->trigger();
        QCOMPARE(m_shown, shown);
        QCOMPARE(m_tests, tests);
        QCOMPARE(m_errors.size(), errors);
    }

    void emptyCollectionShowsNoFragment() {
        Form().actShowAll->trigger();
        Form().actShowTheory->trigger();
        Form().actShowTasksOnly->trigger();
        QCOMPARE(m_shown, (QStringList{QString(), QString()}));
        QVERIFY(m_tests.isEmpty());
    }

    void hideKeepsRows() {
        Form().show();
        Form().AddFavor(1, 12, 1, QStringLiteral("a"));
        Form().actHide->trigger();
        QVERIFY(!Form().isVisible());
        QCOMPARE(Keys(Form()), QStringLiteral("1;12;1"));
    }

    void exitQuestion_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("quits");
        QTest::newRow("untouched") << "" << int(QMessageBox::Cancel) << false << true;
        QTest::newRow("added, cancel") << "add" << int(QMessageBox::Cancel) << true << false;
        QTest::newRow("added, no") << "add" << int(QMessageBox::No) << true << true;
        QTest::newRow("added, yes and saved") << "add" << int(QMessageBox::Yes) << true << true;
        QTest::newRow("added, yes but the save dialog cancelled")
            << "add nosave" << int(QMessageBox::Yes) << true << false;
        QTest::newRow("added, yes but the save fails")
            << "add badsave" << int(QMessageBox::Yes) << true << false;
        QTest::newRow("saved") << "add save" << int(QMessageBox::Cancel) << false << true;
        QTest::newRow("changed after saving") << "add save add2" << int(QMessageBox::Cancel) << true << false;
        QTest::newRow("moved back after saving")
            << "add add2 save up down" << int(QMessageBox::Cancel) << false << true;
        QTest::newRow("loaded") << "load" << int(QMessageBox::Cancel) << false << true;
        QTest::newRow("moved after loading") << "load up" << int(QMessageBox::Cancel) << true << false;
        QTest::newRow("cleared to empty") << "add clear" << int(QMessageBox::Cancel) << false << true;
    }
    void exitQuestion() {
        QFETCH(QString, steps);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, quits);
        const QString path = m_dir.filePath(QStringLiteral("exit.sff"));
        QFile::remove(path);
        const QString loadPath =
            Write(QStringLiteral("exit-load.sff"), "<items><item Course=\"1\" Folder=\"5\" ID=\"1\"/>"
                                                   "<item Course=\"1\" Folder=\"5\" ID=\"2\"/></items>");
        QString savePath = path;
        Form().SetSaveFileChooser([&savePath] { return savePath; });
        Form().SetOpenFileChooser([loadPath] { return loadPath; });
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step == QLatin1String("add"))
                Form().AddFavor(1, 12, 1, QStringLiteral("a"));
            else if (step == QLatin1String("add2"))
                Form().AddFavor(1, 12, 2, QStringLiteral("b"));
            else if (step == QLatin1String("save"))
                Form().actSave->trigger();
            else if (step == QLatin1String("load"))
                Form().actLoad->trigger();
            else if (step == QLatin1String("clear"))
                Form().actClear->trigger();
            else if (step == QLatin1String("nosave"))
                savePath.clear();
            else if (step == QLatin1String("badsave"))
                savePath = QStringLiteral("/proc/exit.sff");
            else {
                Select(Form(), step == QLatin1String("up") ? 1 : 0);
                (step == QLatin1String("up") ? Form().actUp : Form().actDown)->trigger();
            }
        }
        const int savedBefore = QFileInfo::exists(path);
        Form().SetExitQuestion([this, answer] {
            ++m_questions;
            return QMessageBox::StandardButton(answer);
        });
        QCOMPARE(Form().CanQuit(), quits);
        QCOMPARE(m_questions, asked ? 1 : 0);
        if (answer == QMessageBox::Yes && quits) {
            QVERIFY(!savedBefore);
            QVERIFY(QFileInfo::exists(path));
            QVERIFY(!Form().IsModified());
        }
    }
};

QTEST_MAIN(TestFavoriteForm)
#include "test_favoriteform.moc"
