// How the search reads words: folding of case and "ё", and the words of a shown page that a
// query matches (what the page highlights).

#include "search/SearchQuery.h"
#include "search/SearchTokenizer.h"
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

    // How a query reads: the parts the index and the page highlighting both take.
    void parseQuery_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("expected"); // kind:words
        QTest::newRow("words, folded")
            << "Теорема ПИФАГОРА ёлка" << QStringList{"w:теорема", "w:пифагора", "w:елка"};
        QTest::newRow("phrase") << "\"теорема Виета\" корни" << QStringList{"p:теорема виета", "w:корни"};
        QTest::newRow("one word in quotes is a word") << "\"ёж\"" << QStringList{"w:еж"};
        QTest::newRow("empty phrase") << "\"\" \" \" икс" << QStringList{"w:икс"};
        QTest::newRow("quote left open: plain words")
            << "корни \"теорема виета" << QStringList{"w:корни", "w:теорема", "w:виета"};
        QTest::newRow("prefix") << "теорем* пиф" << QStringList{"x:теорем", "w:пиф"};
        QTest::newRow("excluded") << "теорема -пифагора" << QStringList{"w:теорема", "-:пифагора"};
        QTest::newRow("excluded after a quote") << "\"а б\"-в" << QStringList{"p:а б", "-:в"};
        QTest::newRow("hyphen inside a word") << "красно-синий" << QStringList{"w:красно", "w:синий"};
        QTest::newRow("punctuation only") << "?!* - \"" << QStringList{};
        QTest::newRow("search syntax is text")
            << "a OR b NEAR(c) col:d" << QStringList{"w:a", "w:or", "w:b", "w:near", "w:c", "w:col", "w:d"};
    }
    void parseQuery() {
        QFETCH(QString, query);
        QFETCH(QStringList, expected);
        QStringList parts;
        for (const TQueryPart& part : ParseQuery(query)) {
            const char* kinds[] = {"w", "p", "x", "-"};
            parts << QStringLiteral("%1:%2").arg(QLatin1String(kinds[part.Kind]), part.Words.join(u' '));
        }
        QCOMPARE(parts, expected);
    }

    // How the index cuts a page into words: folded words and the bytes of the text they take.
    void tokenize_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected"); // "word@begin-end"
        QTest::newRow("case and ё") << QByteArray("Ёлка ЁЖ пришёл")
                                    << QStringList{"елка@0-8", "еж@9-13", "пришел@14-26"};
        QTest::newRow("latin, digits, underscore")
            << QByteArray("Ohm's law_2, x=5")
            << QStringList{"ohm@0-3", "s@4-5", "law_2@6-11", "x@13-14", "5@15-16"};
        QTest::newRow("letters of other scripts")
            << QByteArray("Ärger ΣΟΦΙΑ Ѓ") << QStringList{"ärger@0-6", "σοφια@7-17", "ѓ@18-20"};
        QTest::newRow("soft hyphen inside a word joins it")
            << QByteArray("урав\xC2\xADнение \xC2\xAD") << QStringList{"уравнение@0-20"};
        QTest::newRow("stress mark stays in the word")
            << QByteArray("уравне\xCC\x81ние") << QStringList{"уравне\xCC\x81ние@0-20"};
        QTest::newRow("punctuation and symbols")
            << QByteArray("«Да» — нет! №5 €") << QStringList{"да@2-6", "нет@13-19", "5@24-25"};
        QTest::newRow("invalid bytes separate words")
            << QByteArray("аб\xFF\xC3где\xE0\x80") << QStringList{"аб@0-4", "где@6-12"};
        QTest::newRow("overlong word skipped") << QByteArray(300, 'a') + " ok" << QStringList{"ok@301-303"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
    }
    void tokenize() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QStringList words;
        SearchTokenizer::Tokenize(
            text.constData(), int(text.size()), &words,
            [](void* context, const char* word, int size, int begin, int end) {
                *static_cast<QStringList*>(context)
                    << QStringLiteral("%1@%2-%3").arg(QString::fromUtf8(word, size)).arg(begin).arg(end);
                return 0;
            });
        QCOMPARE(words, expected);
    }
};

QTEST_GUILESS_MAIN(TestSearchWords)
#include "test_searchwords.moc"
