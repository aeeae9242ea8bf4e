// Find in page with a real page: counts as the user types, next and previous by keys and
// buttons, "Не найдено", and Esc closing the bar and clearing the marks. One page load.

#include "BrowserTestSupport.h"
#include "FindMarks.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/FindBar.h"
#include "browser/PageTools.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Types text key by key as a keyboard would (QTest::keyClicks knows Latin-1 only).
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class TestFindBar : public QObject {
    Q_OBJECT

    QWidget m_window;
    TEmbeddedBrowser* m_browser = nullptr;
    TFindBar* m_bar = nullptr;

    // Waits for the page's answer to what step starts; false when none came.
    bool Answered(const std::function<void()>& step) {
        QSignalSpy answered(m_bar, &TFindBar::ResultShown);
        step();
        return answered.count() > 0 || answered.wait(kWebTimeout);
    }

    // Types text into an empty box, as the user does, and waits for the answer to the last letter.
    bool TypeFresh(const QString& text) {
        m_bar->TextBox()->clear();
        // A new search starts from the selection; the rows start from the top of the page.
        RunScript(m_browser->page(), QStringLiteral("window.getSelection().removeAllRanges(); true"));
        QSignalSpy answered(m_bar, &TFindBar::ResultShown);
        TypeText(m_bar->TextBox(), text);
        // Only the answer for the whole text is shown: the earlier letters' come too late.
        return (!answered.isEmpty() || answered.wait(kWebTimeout)) && m_bar->TextBox()->text() == text;
    }

    int MarkPixels() { return FindMarkPixels(m_browser); }

    QString SelectedElement() {
        return RunScript(m_browser->page(), QStringLiteral(R"((function () {
            var s = window.getSelection();
            return s.rangeCount ? s.toString().toLowerCase() + '@' + s.anchorNode.parentElement.id : '';
        })())"))
            .toString();
    }

private slots:
    void initTestCase() {
        m_browser = new TEmbeddedBrowser;
        QWidget* frame = AddPageTools(&m_window, m_browser, nullptr);
        auto* layout = new QVBoxLayout(&m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(frame);
        m_bar = m_window.findChild<TFindBar*>();
        QVERIFY(m_bar);
        QVERIFY(m_bar->isHidden());
        ShowForInput(&m_window);
        m_window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_window));
        QVERIFY(NavigateAndWait(m_browser, Fixture("find.html")));
        // The bar lies under the page, across its whole width.
        m_bar->Open();
        QVERIFY(m_bar->isVisible());
        QVERIFY(m_bar->geometry().top() >= m_browser->geometry().bottom());
        QCOMPARE(m_bar->width(), m_browser->width());
        m_bar->Close();
    }

    void countsAsTheUserTypes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("shown");
        QTest::newRow("three, whatever the case") << "пифагор" << 3 << "1 из 3";
        QTest::newRow("upper case typed") << "ПИФАГОР" << 3 << "1 из 3";
        QTest::newRow("mixed case typed") << "пИфАгОр" << 3 << "1 из 3";
        QTest::newRow("two") << "теорема" << 2 << "1 из 2";
        QTest::newRow("inside a word") << "ипотену" << 1 << "1 из 1";
        QTest::newRow("digits") << "3, 4, 5" << 1 << "1 из 1";
        QTest::newRow("nowhere") << "синхрофазотрон" << 0 << "Не найдено";
        QTest::newRow("title is not the page") << "Теоремы" << 0 << "Не найдено";
    }

    void countsAsTheUserTypes() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QString, shown);
        m_browser->setFocus();
        QTest::keyClick(InputWidget(m_browser), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(m_bar->isVisible());
        QVERIFY(m_bar->TextBox()->hasFocus());
        QVERIFY(TypeFresh(text));
        QTRY_COMPARE_WITH_TIMEOUT(m_bar->MatchCount(), count, kWebTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(m_bar->CountText(), shown, kWebTimeout);
        QCOMPARE(m_bar->findChild<QLabel*>("FindCount")->text(), shown);
        QCOMPARE(m_bar->findChild<QToolButton*>("FindNext")->isEnabled(), count > 0);
        // Emptying the box clears the count.
        m_bar->TextBox()->clear();
        QTRY_COMPARE(m_bar->CountText(), QString());
        QCOMPARE(m_bar->MatchCount(), 0);
    }

    void nextAndPreviousMoveTheCurrentMatch_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("active");
        QTest::newRow("F3") << QStringList{"F3"} << 2;
        QTest::newRow("F3 twice") << QStringList{"F3", "F3"} << 3;
        QTest::newRow("F3 past the last goes round") << QStringList{"F3", "F3", "F3"} << 1;
        QTest::newRow("Shift+F3 before the first goes round") << QStringList{"Shift+F3"} << 3;
        QTest::newRow("Enter") << QStringList{"Enter"} << 2;
        QTest::newRow("Enter, Enter, Shift+Enter") << QStringList{"Enter", "Enter", "Shift+Enter"} << 2;
        QTest::newRow("F3 with the keyboard in the page") << QStringList{"page", "F3", "F3"} << 3;
        QTest::newRow("buttons") << QStringList{"next", "next", "previous"} << 2;
    }

    void nextAndPreviousMoveTheCurrentMatch() {
        QFETCH(QStringList, steps);
        QFETCH(int, active);
        m_bar->Open();
        QVERIFY(TypeFresh(QStringLiteral("пифагор")));
        QCOMPARE(m_bar->CountText(), QStringLiteral("1 из 3"));
        QWidget* keys = m_bar->TextBox();
        for (const QString& step : steps) {
            if (step == "page") {
                InputWidget(m_browser)->setFocus();
                keys = InputWidget(m_browser);
                continue;
            }
            QVERIFY2(Answered([&] {
                         if (step == "F3")
                             QTest::keyClick(keys, Qt::Key_F3);
                         else if (step == "Shift+F3")
                             QTest::keyClick(keys, Qt::Key_F3, Qt::ShiftModifier);
                         else if (step == "Enter")
                             QTest::keyClick(keys, Qt::Key_Return);
                         else if (step == "Shift+Enter")
                             QTest::keyClick(keys, Qt::Key_Return, Qt::ShiftModifier);
                         else if (step == "next")
                             QTest::mouseClick(m_bar->findChild<QToolButton*>("FindNext"), Qt::LeftButton);
                         else if (step == "previous")
                             QTest::mouseClick(m_bar->findChild<QToolButton*>("FindPrevious"),
                                               Qt::LeftButton);
                     }),
                     qPrintable(step));
        }
        QCOMPARE(m_bar->ActiveMatch(), active);
        QCOMPARE(m_bar->CountText(), QStringLiteral("%1 из 3").arg(active));
        // The page agrees: closing the bar leaves the current match selected.
        m_bar->Close();
        QTRY_COMPARE_WITH_TIMEOUT(SelectedElement().section('@', 1), QStringLiteral("m%1").arg(active),
                                  kWebTimeout);
    }

    void escClosesTheBarAndClearsTheMarks_data() {
        QTest::addColumn<bool>("fromPage");
        QTest::newRow("keyboard in the bar") << false;
        QTest::newRow("keyboard in the page") << true;
    }

    void escClosesTheBarAndClearsTheMarks() {
        QFETCH(bool, fromPage);
        m_bar->Open();
        QVERIFY(TypeFresh(QStringLiteral("пифагор")));
        QTRY_VERIFY_WITH_TIMEOUT(MarkPixels() > 0, kWebTimeout);
        QWidget* keys = m_bar->TextBox();
        if (fromPage) {
            keys = InputWidget(m_browser);
            keys->setFocus();
        }
        QTest::keyClick(keys, Qt::Key_Escape);
        QVERIFY(m_bar->isHidden());
        QCOMPARE(m_bar->CountText(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(MarkPixels(), 0, kWebTimeout);
        // The keyboard goes back to the page, and Esc is the page's again.
        QVERIFY(InputWidget(m_browser)->hasFocus() || m_browser->hasFocus());
        QVERIFY(!m_window.findChild<QAction*>("actCloseFind")->isEnabled());
        // Opened again, the bar keeps its text and marks it again.
        QVERIFY(Answered([&] { QTest::keyClick(InputWidget(m_browser), Qt::Key_F, Qt::ControlModifier); }));
        QCOMPARE(m_bar->TextBox()->text(), QStringLiteral("пифагор"));
        QCOMPARE(m_bar->TextBox()->selectedText(), QStringLiteral("пифагор"));
        QCOMPARE(m_bar->MatchCount(), 3);
        QTRY_VERIFY_WITH_TIMEOUT(MarkPixels() > 0, kWebTimeout);
        m_bar->Close();
    }
};

CP_BROWSER_TEST_MAIN(TestFindBar)
#include "test_findbar.moc"
