// The search window on its own, with a stand-in for the index: the snippet's marked words, the
// status line, the order of the rows, searching while typing and on Enter, the keyboard, the
// progress of an index update, and how a row looks.

#include "look/Theme.h"
#include "search/SearchForm.h"
#include "search/SearchResultDelegate.h"
#include "search/SearchResults.h"
#include "search/SearchSnippet.h"
#include "tests/TypeText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// Runs as text with the hits in brackets: "теорема [Пифагора]".
QString Describe(const std::vector<TSnippetRun>& runs) {
    QString text;
    for (const TSnippetRun& run : runs)
        text += run.Hit ? u'[' + run.Text + u']' : run.Text;
    return text;
}

TSearchHit MakeHit(int course, int section, int id, const QString& caption, double relevance,
                   const QString& snippet = {}) {
    TSearchHit hit;
    hit.Course = course;
    hit.CourseName = QStringLiteral("Курс %1").arg(course);
    hit.Section = section;
    hit.ID = id;
    hit.Caption = caption;
    hit.Snippet = snippet;
    hit.Relevance = relevance;
    return hit;
}

// The index as the window sees it: answers from a fixed list, and remembers the questions.
struct TFakeIndex {
    std::vector<TSearchHit> Answer;
    QStringList Queries;
    QList<int> Courses;
    QList<int> Limits;
    bool Updating = false;
    bool Elsewhere = false;

    TSearchBackend Backend() {
        return {[this](const QString& query, int course, int limit, int* total) {
                    Queries << query;
                    Courses << course;
                    Limits << limit;
                    *total = int(Answer.size());
                    return std::vector<TSearchHit>(
                        Answer.begin(),
                        Answer.begin() + qMin(std::ptrdiff_t(limit), std::ptrdiff_t(Answer.size())));
                },
                [this] { return Updating; }, [this] { return Elsewhere; }};
    }
};

const std::vector<TSearchHit> kThree = {
    MakeHit(101, 5, 1, QStringLiteral("<b>Глава 1.</b> Выражения"), 2.5,
            QStringLiteral("числовые <b>выражения</b> и их значения")),
    MakeHit(101, 12, 7, QStringLiteral("Тождества"), 9.0, QStringLiteral("<b>выражение</b> тождественно")),
    MakeHit(202, 2010, 3, QStringLiteral("Задание 3"), 2.5, QStringLiteral("упростите <b>выражение</b>")),
};

} // namespace

class TestSearchForm : public QObject {
    Q_OBJECT

    TFakeIndex m_index;
    std::unique_ptr<TSearchForm> m_form;
    QStringList m_messages;
    QList<QPair<int, QString>> m_opened; // item id and query of every opened result
    QString m_openAnswer;                // what OnOpenResult answers

    // The window as a user finds it: shown, empty, the stand-in index behind it.
    void Reset() {
        m_index = {};
        m_index.Answer = kThree;
        m_form->SetBackend(m_index.Backend());
        m_form->SetScope(-1);
        m_form->QueryBox->clear();
        m_form->RunSearch();
        m_index.Queries.clear();
        m_index.Courses.clear();
        m_messages.clear();
        m_opened.clear();
        m_openAnswer.clear();
        m_form->ShowSearch();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->activateWindow();
        m_form->QueryBox->setFocus();
    }

private slots:
    void initTestCase() {
        ApplyTheme(*qApp);
        m_form = std::make_unique<TSearchForm>();
        m_form->SetMessagePresenter([this](const QString& message) { m_messages << message; });
        m_form->OnOpenResult = [this](const TSearchHit& hit, const QString& query) {
            m_opened << qMakePair(hit.ID, query);
            return m_openAnswer;
        };
    }
    void cleanupTestCase() { m_form.reset(); }
    void init() { Reset(); }

    void snippetPieces_data() {
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("pieces");
        QTest::newRow("plain") << "теорема гласит"
                               << "теорема гласит";
        QTest::newRow("one hit") << "теорема <b>Пифагора</b> гласит"
                                 << "теорема [Пифагора] гласит";
        QTest::newRow("hits at both ends") << "<b>Катет</b> и <b>гипотенуза</b>"
                                           << "[Катет] и [гипотенуза]";
        QTest::newRow("neighbouring hits join") << "<b>a</b><b>b</b> c"
                                                << "[ab] c";
        QTest::newRow("capital tag") << "x <B>y</B>"
                                     << "x [y]";
        QTest::newRow("escaped tag stays text") << "код &lt;b&gt;жирный&lt;/b&gt; и <b>хит</b>"
                                                << "код <b>жирный</b> и [хит]";
        QTest::newRow("entities") << "&quot;а&quot; &amp; б &#1105;&#x451;"
                                  << "\"а\" & б ёё";
        QTest::newRow("escaped ampersand of an entity") << "&amp;lt;"
                                                        << "&lt;";
        QTest::newRow("unknown entity kept") << "a &bogus; b"
                                             << "a &bogus; b";
        QTest::newRow("no NUL from a numeric entity") << "a&#0;b"
                                                      << "a&#0;b";
        QTest::newRow("no surrogate half") << "a&#xD800;b"
                                           << "a&#xD800;b";
        QTest::newRow("lone ampersand") << "Ч & П"
                                        << "Ч & П";
        QTest::newRow("unclosed hit runs to the end") << "x <b>y z"
                                                      << "x [y z]";
        QTest::newRow("cut-off tag at the end") << "abc <b"
                                                << "abc ";
        QTest::newRow("other tags dropped") << "a<br/>b <i>c</i>"
                                            << "ab c";
        QTest::newRow("empty") << ""
                               << "";
    }
    void snippetPieces() {
        QFETCH(QString, snippet);
        QFETCH(QString, pieces);
        QCOMPARE(Describe(SnippetRuns(snippet)), pieces);
        // No empty piece and no two neighbours of the same kind.
        const std::vector<TSnippetRun> runs = SnippetRuns(snippet);
        for (size_t i = 0; i < runs.size(); ++i) {
            QVERIFY(!runs[i].Text.isEmpty());
            if (i > 0)
                QVERIFY(runs[i].Hit != runs[i - 1].Hit);
        }
    }

    void statusLine_data() {
        QTest::addColumn<bool>("hasQuery");
        QTest::addColumn<bool>("updating");
        QTest::addColumn<int>("found");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("found") << true << false << 3 << 3 << "Найдено: 3";
        QTest::newRow("nothing") << true << false << 0 << 0 << "Ничего не найдено";
        QTest::newRow("nothing yet while building") << true << true << 0 << 0 << "Индекс строится…";
        QTest::newRow("found while building") << true << true << 12 << 12 << "Найдено: 12 · индекс строится…";
        QTest::newRow("more found than shown")
            << true << false << 50 << 738 << "Найдено: 738, показаны первые 50";
        QTest::newRow("more found while building")
            << true << true << 50 << 60 << "Найдено: 60, показаны первые 50 · индекс строится…";
        QTest::newRow("no query while building") << false << true << 0 << 0 << "Индекс строится…";
        QTest::newRow("no query") << false << false << 0 << 0
                                  << "Введите слово, «фразу в кавычках» или начало слова со звёздочкой";
    }
    void statusLine() {
        QFETCH(bool, hasQuery);
        QFETCH(bool, updating);
        QFETCH(int, found);
        QFETCH(int, total);
        QTEST(SearchStatusText({hasQuery, updating, found, total}), "text");
    }

    // 120 found: the first 50 show with the true count, more come as the list is scrolled to its
    // end, and the row the user stands on stays when the index answers again.
    void moreRowsAsTheListScrolls() {
        m_index.Answer.clear();
        for (int id = 1; id <= 120; ++id)
            m_index.Answer.push_back(MakeHit(7, 5, id, QStringLiteral("Урок %1").arg(id), 200 - id));
        m_form->QueryBox->setText(QStringLiteral("уравнение"));
        m_form->RunSearch();
        QCOMPARE(m_form->Results->rowCount(), TSearchForm::PageSize);
        QCOMPARE(m_form->Total(), 120);
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 120, показаны первые 50"));
        QScrollBar* bar = m_form->ResultList->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        QCOMPARE(m_form->Results->rowCount(), 100);
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 120, показаны первые 100"));
        QCOMPARE(m_form->Results->Hit(99)->ID, 100);
        m_form->ResultList->setCurrentIndex(m_form->Results->index(80));
        QTRY_VERIFY(bar->maximum() > bar->value());
        bar->setValue(bar->maximum());
        QCOMPARE(m_form->Results->rowCount(), 120);
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 120"));
        QCOMPARE(m_index.Limits, (QList<int>{50, 100, 150}));
        // The index answers again (it grew): the rows loaded so far stay, and the chosen one.
        m_form->IndexUpdated();
        QCOMPARE(m_index.Limits.last(), 120);
        QCOMPARE(m_form->Results->rowCount(), 120);
        QCOMPARE(m_form->ResultList->currentIndex().row(), 80);
    }

    // Best first whatever order the index gave; equal relevance keeps the index's order.
    void rowsBestFirst() {
        TSearchResultModel model;
        model.SetHits(kThree);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.Hit(0)->ID, 7);
        QCOMPARE(model.Hit(1)->ID, 1);
        QCOMPARE(model.Hit(2)->ID, 3);
        QCOMPARE(model.Hit(3), nullptr);
        QCOMPARE(model.Hit(-1), nullptr);
        QCOMPARE(model.data(model.index(1)).toString(), QStringLiteral("Глава 1. Выражения"));
        QCOMPARE(model.data(model.index(2), Qt::ToolTipRole).toString(),
                 QStringLiteral("Курс 202 — Учебные задания"));
        QCOMPARE(model.data(model.index(0), Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("выражение тождественно"));
        QCOMPARE(model.RowOf(202, 2010, 3), 2);
        QCOMPARE(model.RowOf(202, 5, 3), -1);
        QCOMPARE(TSearchResultDelegate::PlaceText(*model.Hit(0)),
                 QStringLiteral("Курс 101  ›  Теоретические материалы"));
        // Section 30 has no caption: the course alone.
        QCOMPARE(TSearchResultDelegate::PlaceText(MakeHit(5, 30, 1, "x", 1)), QStringLiteral("Курс 5"));
    }

    // Typing searches once, after the pause, not at every key.
    void searchesAfterThePause() {
        Type(m_form->QueryBox, QStringLiteral("выраж"));
        QCOMPARE(m_index.Queries.size(), 0);
        QTRY_COMPARE(m_form->Results->rowCount(), 3);
        QCOMPARE(m_index.Queries, QStringList{QStringLiteral("выраж")});
        QCOMPARE(m_index.Courses, QList<int>{-1});
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 3"));
        QCOMPARE(m_form->Results->Hit(0)->ID, 7);
    }

    // Enter does not wait; a query of spaces asks nothing.
    void enterSearchesAtOnceAndEmptyAsksNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("status");
        QTest::newRow("word") << "теорема" << 3 << 1 << "Найдено: 3";
        QTest::newRow("spaces") << "   " << 0 << 0
                                << "Введите слово, «фразу в кавычках» или начало слова со звёздочкой";
        QTest::newRow("trimmed") << "  катет  " << 3 << 1 << "Найдено: 3";
    }
    void enterSearchesAtOnceAndEmptyAsksNothing() {
        QFETCH(QString, typed);
        m_form->QueryBox->setText(typed);
        QTest::keyClick(m_form->QueryBox, Qt::Key_Return);
        QTEST(m_form->Results->rowCount(), "rows");
        QTEST(int(m_index.Queries.size()), "asked");
        if (!m_index.Queries.isEmpty())
            QCOMPARE(m_index.Queries.first(), typed.trimmed());
        QTEST(m_form->StatusText(), "status");
    }

    void nothingFound_data() {
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << false << "Ничего не найдено";
        // Another program (coursetool, a second player) holds the index to update it.
        QTest::newRow("index busy elsewhere")
            << true << "Индекс обновляется другой программой, попробуйте позже";
    }
    void nothingFound() {
        QFETCH(bool, elsewhere);
        m_index.Answer.clear();
        m_index.Elsewhere = elsewhere;
        m_form->QueryBox->setText(QStringLiteral("абракадабра"));
        QTest::keyClick(m_form->QueryBox, Qt::Key_Enter);
        QCOMPARE(m_form->Results->rowCount(), 0);
        QTEST(m_form->StatusText(), "text");
        // Down into an empty list stays in the query box.
        QTest::keyClick(m_form->QueryBox, Qt::Key_Down);
        QVERIFY(m_form->QueryBox->hasFocus());
    }

    // Down from the query enters the list, Enter opens the row with the query it answers, Up
    // from the first row goes back; a query typed but not run yet runs before Down.
    void keyboardThroughTheResults() {
        Type(m_form->QueryBox, QStringLiteral("тождество"));
        QTest::keyClick(m_form->QueryBox, Qt::Key_Down);
        QCOMPARE(m_index.Queries, QStringList{QStringLiteral("тождество")});
        QVERIFY(m_form->ResultList->hasFocus());
        QCOMPARE(m_form->ResultList->currentIndex().row(), 0);
        QTest::keyClick(m_form->ResultList, Qt::Key_Down);
        QCOMPARE(m_form->ResultList->currentIndex().row(), 1);
        QTest::keyClick(m_form->ResultList, Qt::Key_Return);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first(), qMakePair(1, QStringLiteral("тождество")));
        QVERIFY(m_messages.isEmpty());
        QTest::keyClick(m_form->ResultList, Qt::Key_Up);
        QCOMPARE(m_form->ResultList->currentIndex().row(), 0);
        QTest::keyClick(m_form->ResultList, Qt::Key_Up);
        QVERIFY(m_form->QueryBox->hasFocus());
    }

    // A click opens; a result that cannot be opened says why, in the window's message.
    void clickOpensAndFailureIsTold() {
        m_form->QueryBox->setText(QStringLiteral("выражение"));
        m_form->RunSearch();
        m_openAnswer = QStringLiteral("Курса «Курс 202» больше нет в библиотеке.");
        const QRect third = m_form->ResultList->visualRect(m_form->Results->index(2));
        QVERIFY(third.isValid());
        QTest::mouseClick(m_form->ResultList->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().first, 3);
        QCOMPARE(m_messages, QStringList{m_openAnswer});
        QVERIFY(!m_form->OpenResult(3)); // no such row
        QCOMPARE(m_opened.size(), 1);
    }

    void escAndCloseOnlyHide_data() {
        QTest::addColumn<bool>("fromList");
        QTest::addColumn<bool>("byClose");
        QTest::newRow("Esc in the query") << false << false;
        QTest::newRow("Esc in the list") << true << false;
        QTest::newRow("close button") << false << true;
    }
    void escAndCloseOnlyHide() {
        QFETCH(bool, fromList);
        QFETCH(bool, byClose);
        m_form->QueryBox->setText(QStringLiteral("катет"));
        m_form->RunSearch();
        if (fromList)
            QTest::keyClick(m_form->QueryBox, Qt::Key_Down);
        if (byClose)
            QVERIFY(m_form->close());
        else
            QTest::keyClick(fromList ? static_cast<QWidget*>(m_form->ResultList) : m_form->QueryBox,
                            Qt::Key_Escape);
        QVERIFY(!m_form->isVisible());
        // Shown again, it keeps its query and results and asks the index again.
        m_form->ShowSearch();
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->Query(), QStringLiteral("катет"));
        QCOMPARE(m_form->QueryBox->selectedText(), QStringLiteral("катет"));
        QCOMPARE(m_form->Results->rowCount(), 3);
        QCOMPARE(m_index.Queries.size(), 2);
    }

    // One course or all of them: the title says which, the index is asked for it, and rows of
    // another scope do not stay.
    void scopeOfTheSearch() {
        m_form->QueryBox->setText(QStringLiteral("катет"));
        m_form->RunSearch();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Поиск по всем курсам"));
        QCOMPARE(m_form->TitleLabel->text(), m_form->windowTitle());
        m_form->SetScope(202, QStringLiteral("Геометрия, 8 класс"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Поиск по курсу «Геометрия, 8 класс»"));
        QCOMPARE(m_form->Results->rowCount(), 0);
        m_form->ShowSearch();
        QCOMPARE(m_index.Courses.last(), 202);
        QCOMPARE(m_form->Results->rowCount(), 3);
    }

    // While the index grows: the bar shows the pages read, the query runs again now and then,
    // and once more when the update ends; the row the user stands on stays chosen.
    void followsTheIndexUpdate() {
        m_index.Updating = true;
        m_form->SetBackend(m_index.Backend());
        QVERIFY(m_form->Progress->isVisible());
        QCOMPARE(m_form->StatusText(), QStringLiteral("Индекс строится…"));
        m_index.Answer = {kThree[0]};
        m_form->QueryBox->setText(QStringLiteral("выражение"));
        m_form->RunSearch();
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 1 · индекс строится…"));
        m_form->ResultList->setCurrentIndex(m_form->Results->index(0));
        m_form->IndexProgress(40, 120);
        QCOMPARE(m_form->Progress->maximum(), 120);
        QCOMPARE(m_form->Progress->value(), 40);
        m_index.Answer = kThree;
        QTRY_COMPARE(m_form->Results->rowCount(), 3); // refreshed while the index grows
        QCOMPARE(m_index.Queries.size(), 2);
        QCOMPARE(m_form->ResultList->currentIndex().row(), 1); // the same item, now second
        m_index.Updating = false;
        m_form->IndexUpdated();
        QCOMPARE(m_index.Queries.size(), 3);
        QVERIFY(!m_form->Progress->isVisible());
        QCOMPARE(m_form->StatusText(), QStringLiteral("Найдено: 3"));
    }

    // Each row shows its caption, course and section, and its snippet with the hits on the
    // warm highlight; a row whose snippet has no hit shows none.
    void rowsLookFinished() {
        std::vector<TSearchHit> hits = kThree;
        hits.push_back(MakeHit(301, 8, 11, QStringLiteral("Без совпадений в тексте"), 0.5,
                               QStringLiteral("обычный текст страницы без выделения")));
        m_index.Answer = hits;
        m_form->QueryBox->setText(QStringLiteral("выражение"));
        m_form->RunSearch();
        QTest::keyClick(m_form->QueryBox, Qt::Key_Down);
        const QImage shot = m_form->grab().toImage();
        if (qEnvironmentVariableIsSet("CP_SEARCH_PREVIEW"))
            shot.save(qEnvironmentVariable("CP_SEARCH_PREVIEW"));
        const QImage list =
            m_form->ResultList->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        auto rowHas = [&](int row, const QColor& colour) {
            const QRect rect = m_form->ResultList->visualRect(m_form->Results->index(row));
            const qreal ratio = list.devicePixelRatio();
            for (int y = int(rect.top() * ratio); y < int(rect.bottom() * ratio) && y < list.height(); ++y)
                for (int x = int(rect.left() * ratio); x < int(rect.right() * ratio) && x < list.width(); ++x)
                    if (list.pixelColor(x, y) == colour)
                        return true;
            return false;
        };
        QVERIFY(rowHas(1, TSearchResultDelegate::HitColour()));
        QVERIFY(rowHas(2, TSearchResultDelegate::HitColour()));
        QVERIFY(!rowHas(3, TSearchResultDelegate::HitColour()));
        // The chosen row stands out in the selection colour.
        QVERIFY(rowHas(0, m_form->ResultList->palette().color(QPalette::Highlight)));
        QVERIFY(!rowHas(1, m_form->ResultList->palette().color(QPalette::Highlight)));
        QVERIFY(!m_form->windowIcon().isNull());
    }
};

QTEST_MAIN(TestSearchForm)
#include "test_searchform.moc"
