// Text preparation, attribute and colour reading, and StripMarkup.
#include "markup/Markup.h"
#include "markup/MarkupText.h"

#include <QTest>

class TestMarkupText final : public QObject {
    Q_OBJECT

private slots:
    void Prepare_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("prepared");
        QTest::addColumn<bool>("noPrefix");
        QTest::newRow("plain") << "abc"
                               << "abc" << false;
        QTest::newRow("amp becomes double") << "a &amp; b"
                                            << "a && b" << false;
        QTest::newRow("bare ampersand switches prefix off") << "a & b"
                                                            << "a & b" << true;
        QTest::newRow("amp with prefix off") << "a & b &amp;"
                                             << "a & b &&" << true;
        QTest::newRow("case-insensitive") << "&AMP;&Quot;"
                                          << "&&\"" << false;
        QTest::newRow("all named") << "&sect;&permil;&reg;&copy;&para;&trade;&euro;"
                                   << QString::fromUtf8("§‰®©¶™€") << false;
        QTest::newRow("amp makes new entity") << "&amp;amp;"
                                              << "&&&" << false;
        QTest::newRow("amp makes quot") << "&amp;quot;"
                                        << "&\"" << false;
        QTest::newRow("run entities stay") << "&lt;&gt;&nbsp;"
                                           << "&lt;&gt;&nbsp;" << false;
        QTest::newRow("unknown entity") << "&foo; &amp"
                                        << "&foo; &amp" << false;
        QTest::newRow("hash escape first only") << "<#abc> <#d>"
                                                << "#abc <#d>" << false;
        QTest::newRow("hash without close") << "x<#abc"
                                            << "x#abc" << false;
        QTest::newRow("CR LF") << "a\r\nb"
                               << "a<BR>b" << false;
        QTest::newRow("lone CR") << "a\rb"
                                 << "a<BR>b" << false;
        QTest::newRow("lone LF removed") << "a\nb"
                                         << "ab" << false;
    }
    void Prepare() {
        QFETCH(QString, text);
        QFETCH(QString, prepared);
        QFETCH(bool, noPrefix);
        const MarkupText::TPrepared result = MarkupText::Prepare(text);
        QCOMPARE(result.Text, prepared);
        QCOMPARE(result.NoPrefix, noPrefix);
    }

    void RunEntities_data() {
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("text");
        QTest::newRow("lt gt") << "&lt;B&gt;"
                               << "<B>";
        QTest::newRow("nbsp") << "a&nbsp;b"
                              << "a b";
        QTest::newRow("upper case stays") << "&LT;&NBSP;"
                                          << "&LT;&NBSP;";
        QTest::newRow("double ampersand stays") << "&&lt;"
                                                << "&<";
    }
    void RunEntities() {
        QFETCH(QString, run);
        QFETCH(QString, text);
        QCOMPARE(MarkupText::ReplaceRunEntities(run), text);
    }

    void Colors_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<quint32>("color");
        QTest::newRow("hex red first") << "#FF0000" << quint32(0x0000FF);
        QTest::newRow("hex mixed") << "#123456" << quint32(0x563412);
        QTest::newRow("name") << "clRed" << quint32(0x0000FF);
        QTest::newRow("name lower") << "CLNAVY" << quint32(0x800000);
        QTest::newRow("teal") << "clTeal" << quint32(0x808000);
        QTest::newRow("system") << "clHighlight" << quint32(0xFF00000D);
        QTest::newRow("info bk") << "clInfoBk" << quint32(0xFF000018);
        QTest::newRow("unknown is black") << "clNothing" << quint32(0);
        QTest::newRow("empty is none") << "" << quint32(clNone);
        QTest::newRow("short hex") << "#FF" << quint32(0x0000FF);
    }
    void Colors() {
        QFETCH(QString, value);
        QFETCH(quint32, color);
        QCOMPARE(MarkupText::ReadColor(value), color);
    }

    void Attributes_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("value");
        QTest::newRow("quoted") << "<FONT COLOR=\"CLRED\">"
                                << " COLOR" << true << "CLRED";
        QTest::newRow("unquoted reads empty") << "<IMG WIDTH=16>"
                                              << "WIDTH" << true << "";
        QTest::newRow("missing") << "<IMG SRC=\"A\">"
                                 << "WIDTH" << false << "";
        QTest::newRow("BGCOLOR inside BGCOLORTO") << "<P BGCOLORTO=\"#000000\">"
                                                  << "BGCOLOR" << true << "#000000";
        QTest::newRow("COLOR needs space") << "<FONT BGCOLOR=\"#00FF00\">"
                                           << " COLOR" << false << "";
        QTest::newRow("name in a value") << "<IMG ALT=\"WIDTH\" WIDTH=\"5\">"
                                         << "WIDTH" << true << " WIDTH=";
    }
    void Attributes() {
        QFETCH(QString, tag);
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QString, value);
        const QByteArray latin = name.toLatin1();
        const auto result = MarkupText::Attribute(tag, QLatin1StringView(latin));
        QCOMPARE(result.has_value(), found);
        if (found)
            QCOMPARE(result->toString(), value);
    }

    void Numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -12345: none
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("trailing text") << "16px" << 16;
        QTest::newRow("negative") << "-7" << -7;
        QTest::newRow("none") << "px" << -12345;
        QTest::newRow("huge is capped") << "99999999999999999999" << 1000000;
        QTest::newRow("huge negative is capped") << "-99999999999999999999" << -1000000;
    }
    void Numbers() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(MarkupText::LeadingInt(text).value_or(-12345), value);
    }

    void FontSize_data() {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("size");
        QTest::newRow("quoted") << "<FONT SIZE=\"3\">" << 3;
        QTest::newRow("unquoted") << "<FONT SIZE=7>" << 7;
        QTest::newRow("later quote is not the value's") << "<FONT SIZE=4 COLOR=\"CLRED\">" << 4;
        QTest::newRow("no number") << "<FONT SIZE=\"X\">" << -1;
    }
    void FontSize() {
        QFETCH(QString, tag);
        QFETCH(int, size);
        QCOMPARE(MarkupText::FontSizeValue(tag).value_or(-1), size);
    }

    void RoundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("half down to even") << 0.5 << 0;
        QTest::newRow("one and a half up") << 1.5 << 2;
        QTest::newRow("four and a half") << 4.5 << 4;
        QTest::newRow("negative half") << -2.5 << -2;
        QTest::newRow("not a tie") << 2.51 << 3;
    }
    void RoundHalfEven() {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(MarkupText::RoundHalfEven(value), rounded);
    }

    void Strip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::newRow("hidden and break") << "a<z>b</z>c<BR>d"
                                          << "ac\r\nd";
        QTest::newRow("lone lt") << "a<b"
                                 << "a<b";
        QTest::newRow("tags") << "x<B>y</B>"
                              << "xy";
        QTest::newRow("rule any case") << "a<hr>b<Br>c"
                                       << "a\r\nb\r\nc";
        QTest::newRow("upper hidden") << "a<Z>b</Z>c"
                                      << "ac";
        QTest::newRow("mixed case hidden is a tag") << "a<z>b</Z>c"
                                                    << "abc";
        QTest::newRow("unclosed hidden stays") << "a<z>b"
                                               << "ab";
        QTest::newRow("tags before hidden go") << "<B>a</B><z>b</z>c"
                                               << "ac";
        QTest::newRow("unclosed tag keeps rest") << "a<B>b<c"
                                                 << "ab<c";
        QTest::newRow("entities untouched") << "&amp;"
                                            << "&amp;";
        QTest::newRow("empty") << ""
                               << "";
    }
    void Strip() {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QCOMPARE(StripMarkup(text), plain);
    }
};

QTEST_GUILESS_MAIN(TestMarkupText)
#include "test_markup_text.moc"
