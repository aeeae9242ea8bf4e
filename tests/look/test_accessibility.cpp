// What the keyboard and screen readers get from the look's pieces: menu letters that never
// clash, the subject tab strip as a list of named, selectable tabs, and one window's command in
// another window's menu.

#include "look/Accessibility.h"
#include "look/KeyboardAccess.h"
#include "look/PageControl.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

class TestAccessibility final : public QObject {
    Q_OBJECT
private slots:
    void mnemonics_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("marked");
        QTest::newRow("first letters")
            << QStringList{"Печать...", "Закрыть"} << QStringList{"&Печать...", "&Закрыть"};
        QTest::newRow("same first letter: next word")
            << QStringList{"Показать подборку", "Посмотреть всю теорию"}
            << QStringList{"&Показать подборку", "Посмотреть &всю теорию"};
        QTest::newRow("case does not matter")
            << QStringList{"Вперед", "вниз"} << QStringList{"&Вперед", "в&низ"};
        QTest::newRow("a letter set by hand is kept and taken")
            << QStringList{"Удалить", "&Очистить", "Открыть"}
            << QStringList{"&Удалить", "&Очистить", "О&ткрыть"};
        QTest::newRow("literal ampersand is no letter") << QStringList{"Физика && химия", "Физкультура"}
                                                        << QStringList{"&Физика && химия", "Ф&изкультура"};
        QTest::newRow("separator and a text with no free letter")
            << QStringList{"Аб", "", "Ба", "аб"} << QStringList{"&Аб", "", "&Ба", "аб"};
        QTest::newRow("digits and punctuation")
            << QStringList{"?", "100 %", "1 страница"} << QStringList{"?", "&100 %", "1 &страница"};
    }
    void mnemonics() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, marked);
        QCOMPARE(WithMnemonics(texts), marked);
    }

    void tabStrip() {
        TPageControl control;
        control.resize(400, 200);
        for (const char* subject : {"Алгебра", "Физика", "Химия"})
            control.AddPage(new QWidget, QString::fromUtf8(subject));
        control.show();
        QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(&control);
        QVERIFY(strip);
        QCOMPARE(strip->role(), QAccessible::PageTabList);
        QVERIFY(!strip->text(QAccessible::Name).isEmpty());
        // The tabs, then the shown page with whatever it holds.
        QCOMPARE(strip->childCount(), 4);
        QCOMPARE(strip->child(3)->object(), control.Stack());
        QStringList names;
        for (int i = 0; i < 3; ++i) {
            QAccessibleInterface* tab = strip->child(i);
            QCOMPARE(tab->role(), QAccessible::PageTab);
            QCOMPARE(tab->parent(), strip);
            QCOMPARE(strip->indexOfChild(tab), i);
            QCOMPARE(tab->state().selected, i == 0);
            QCOMPARE(tab->rect().size(), control.TabRect(i).size());
            names << tab->text(QAccessible::Name);
        }
        QCOMPARE(names, (QStringList{"Алгебра", "Физика", "Химия"}));

        control.SetCurrentIndex(2);
        QVERIFY(strip->child(2)->state().selected);
        QVERIFY(!strip->child(0)->state().selected);
        // A screen reader's press picks the tab as a click does, telling the catalogue.
        QSignalSpy changed(&control, &TPageControl::Changed);
        strip->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(control.CurrentIndex(), 1);
        QCOMPARE(changed.count(), 1);
        // A tab that went with a new library is no longer valid; the new ones are.
        QAccessibleInterface* old = strip->child(2);
        control.Clear();
        QVERIFY(!old->isValid());
        control.AddPage(new QWidget, QStringLiteral("История"));
        QCOMPARE(strip->childCount(), 2);
        QCOMPARE(strip->child(0)->text(QAccessible::Name), QStringLiteral("История"));
    }

    // A command of one window shown in another window's menu: screen readers see its entry there
    // (shared, it belonged to the first window's hidden menu), and it follows and runs the command.
    void mirroredCommand_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("as it is") << "";
        QTest::newRow("disabled") << "disable";
        QTest::newRow("hidden") << "hide";
        QTest::newRow("run from the mirror") << "trigger";
    }
    void mirroredCommand() {
        QFETCH(QString, change);
        QMenu first, second;
        auto* command = new QAction(QStringLiteral("Сохранить подборку"), &first);
        command->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        first.addAction(command);
        second.addAction(MirrorAction(command, &second));
        QAccessibleInterface* mine = QAccessible::queryAccessibleInterface(&first)->child(0);
        QVERIFY(mine);
        second.popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QSignalSpy runs(command, &QAction::triggered);
        if (change == "disable")
            command->setEnabled(false);
        else if (change == "hide")
            command->setVisible(false);
        else if (change == "trigger")
            second.actions().first()->trigger();
        QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(&second)->child(0);
        QVERIFY(entry && entry != mine);
        QCOMPARE(entry->text(QAccessible::Name), command->text());
        QCOMPARE(entry->state().invisible, change == "hide");
        QCOMPARE(entry->state().disabled, change == "disable" || change == "hide"); // Qt: hidden is disabled
        QCOMPARE(second.actions().first()->shortcut(), command->shortcut());
        QCOMPARE(runs.count(), change == "trigger" ? 1 : 0);
        if (command->isEnabled()) { // the entry current in its own menu is the focused one
            second.setActiveAction(second.actions().first());
            QVERIFY(entry->state().focused);
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
