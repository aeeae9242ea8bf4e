// How the search reads words: folding of case and "ё", and the words of a shown page that a
// query matches (what the page highlights).

#include "search/SearchWords.h"

#include <QTest>

class TestSearchWords final : public QObject {
    Q_OBJECT
private slots:
    void fold_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keepCase");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ё small") << "ёлка"
                                 << "елка"
                                 << "елка";
        QTest::newRow("Ё capital") << "ЁЛКА Ёж"
                                   << "ЕЛКА Еж"
                                   << "елка еж";
        QTest::newRow("ё inside") << "Пришёл"
                                  << "Пришел"
                                  << "пришел";
        QTest::newRow("latin and digits") << "Ohm 5 В"
                                          << "Ohm 5 В"
                                          << "ohm 5 в";
        QTest::newRow("й stays") << "Йод"
                                 << "Йод"
                                 << "йод";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void fold() {
        QFETCH(QString, text);
        QFETCH(QString, keepCase);
        QFETCH(QString, folded);
        QCOMPARE(FoldYo(text), keepCase);
        QCOMPARE(FoldSearchText(text), folded);
    }

    void matchedWords_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        const QString equations = QStringLiteral("Уравнения и уравнений; уравнение, неравенство. Уравнения");
        QTest::newRow("forms by stem")
            << "уравнение" << equations << QStringList{"Уравнения", "уравнений", "уравнение"};
        QTest::newRow("query in capitals")
            << "УРАВНЕНИЙ" << equations << QStringList{"Уравнения", "уравнений", "уравнение"};
        QTest::newRow("ё in the text") << "елка"
                                       << "Ёлка, ёлки и ЕЛКА" << QStringList{"Ёлка", "ёлки", "ЕЛКА"};
        QTest::newRow("ё in the query") << "ёлка"
                                        << "Елка и елки" << QStringList{"Елка", "елки"};
        QTest::newRow("phrase keeps its forms")
            << "\"теорема пифагора\""
            << "Теорема Пифагора; теоремы Пифагора" << QStringList{"Теорема", "Пифагора"};
        QTest::newRow("word outside the phrase by stem")
            << "\"теорема пифагора\" катет"
            << "катеты теоремы Теорема" << QStringList{"катеты", "Теорема"};
        QTest::newRow("prefix") << "уравн*"
                                << "уравнение уравновесить равно Уравн"
                                << QStringList{"уравнение", "уравновесить", "Уравн"};
        QTest::newRow("excluded word") << "теорема -пифагора"
                                       << "Теорема Пифагора" << QStringList{"Теорема"};
        QTest::newRow("hyphen inside a word is no exclusion")
            << "северо-запад"
            << "на северо-запад" << QStringList{"северо", "запад"};
        QTest::newRow("nothing matches") << "гипотенуза"
                                         << "катет и угол" << QStringList{};
        QTest::newRow("empty query") << ""
                                     << "катет" << QStringList{};
        QTest::newRow("no prefix of the middle of a word") << "равн*"
                                                           << "уравнение" << QStringList{};
        QTest::newRow("latin") << "Ohm"
                               << "закон OHM и ohms" << QStringList{"OHM"};
    }
    void matchedWords() {
        QFETCH(QString, query);
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(MatchQueryWords(query, text), expected);
    }

    // Snippets are cut from the folded text and spelt again as the page spells it.
    void restoreYo_data() {
        QTest::addColumn<QString>("original");
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hit") << "Формулы сокращённого умножения"
                             << "Формулы <b>сокращенного</b> умножения"
                             << "Формулы <b>сокращённого</b> умножения";
        QTest::newRow("capital, outside the hit") << "Ёлка и её игрушки"
                                                  << "Елка и ее <b>игрушки</b>"
                                                  << "Ёлка и её <b>игрушки</b>";
        QTest::newRow("plain е stays") << "Все ещё здесь"
                                       << "Все еще <b>здесь</b>"
                                       << "Все ещё <b>здесь</b>";
        QTest::newRow("pieces in order") << "ёж тут. ель там. ёж снова"
                                         << "…ель там. <b>еж</b> снова"
                                         << "…ель там. <b>ёж</b> снова";
        QTest::newRow("entities kept") << "x < ёж & y"
                                       << "x &lt; <b>еж</b> &amp; y"
                                       << "x &lt; <b>ёж</b> &amp; y";
        QTest::newRow("piece not in the text") << "ёж"
                                               << "<b>ель</b>"
                                               << "<b>ель</b>";
        QTest::newRow("no ё at all") << "просто текст"
                                     << "просто <b>текст</b>"
                                     << "просто <b>текст</b>";
    }
    void restoreYo() {
        QFETCH(QString, original);
        QFETCH(QString, snippet);
        QFETCH(QString, expected);
        QCOMPARE(RestoreYo(snippet, FoldYo(original), original), expected);
    }
};

QTEST_GUILESS_MAIN(TestSearchWords)
#include "test_searchwords.moc"
