// What the keyboard and screen readers get from the look's pieces: menu letters that never
// clash, and the subject tab strip as a list of named, selectable tabs.

#include "look/Accessibility.h"
#include "look/KeyboardAccess.h"
#include "look/PageControl.h"

#include <QAccessible>
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
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
