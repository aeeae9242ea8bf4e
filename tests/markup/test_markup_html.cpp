// The HTML writer: what each tag becomes, and that any text gives balanced HTML in which no
// character of the text can open a tag.
#include "markup/MarkupHtml.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

// Empty when html is balanced and made only of the writer's elements; else what is wrong.
QString CheckHtml(const QString& html) {
    static const QRegularExpression tag(QStringLiteral(
        "^<(/?)(span|sub|sup|a|br|hr|img)((?: (?:style|class|href|src|alt|width|height)=\"[^\"<>]*\")*)>"));
    QStringList open;
    for (qsizetype i = 0; i < html.size(); ++i) {
        if (html[i] == QLatin1Char('>'))
            return QStringLiteral("raw > at %1").arg(i);
        if (html[i] != QLatin1Char('<'))
            continue;
        const QRegularExpressionMatch m = tag.match(QStringView(html).mid(i));
        if (!m.hasMatch())
            return QStringLiteral("not an element of the writer at %1: %2").arg(i).arg(html.mid(i, 30));
        const QString name = m.captured(2);
        const bool isVoid =
            name == QLatin1String("br") || name == QLatin1String("hr") || name == QLatin1String("img");
        if (!m.captured(1).isEmpty()) {
            if (open.isEmpty() || open.takeLast() != name)
                return QStringLiteral("unbalanced </%1> at %2").arg(name).arg(i);
        } else if (!isVoid) {
            open << name;
        }
        i += m.capturedLength() - 1;
    }
    return open.isEmpty() ? QString() : QStringLiteral("left open: ") + open.join(QLatin1Char(','));
}

} // namespace

class TestMarkupHtml final : public QObject {
    Q_OBJECT

private slots:
    void Writes_data() {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("html");
        const auto row = [](const char* name, const char* markup, const char* html) {
            QTest::newRow(name) << QString::fromUtf8(markup) << QString::fromUtf8(html);
        };
        row("plain", "Глава 1", "Глава 1");
        row("text escaped", "a \"q\" 'b' x>y", "a &quot;q&quot; &#39;b&#39; x&gt;y");
        row("escaped tag stays text", "&lt;B&gt;x&lt;/B&gt;", "&lt;B&gt;x&lt;/B&gt;");
        row("bold italic nest", "<B>a<I>b</B>c</I>",
            "<span style=\"font-weight:bold\">a</span>"
            "<span style=\"font-weight:bold;font-style:italic\">b</span>"
            "<span style=\"font-style:italic\">c</span>");
        row("underline strike", "<U>u</U><S>s</S>",
            "<span style=\"text-decoration:underline\">u</span><span "
            "style=\"text-decoration:line-through\">s</span>");
        row("font colour face size", "<FONT COLOR=\"#FF0000\" FACE=\"Times New Roman\" SIZE=\"3\">r</FONT>n",
            "<span style=\"color:#ff0000;font-family:'Times New Roman';font-size:12pt\">r</span>n");
        row("colour name", "<FONT COLOR=\"clGreen\">g</FONT>", "<span style=\"color:#008000\">g</span>");
        row("font face cannot leave the CSS string", "<FONT FACE=\"x';background:url(y)\">t</FONT>",
            "<span style=\"font-family:'xbackgroundurly'\">t</span>");
        row("background", "<FONT BGCOLOR=\"#0000FF\">b</FONT>",
            "<span style=\"background:#0000ff\">b</span>");
        row("anchor", "<A HREF=\"12.xml\">link</A> x",
            "<a href=\"12.xml\"><span style=\"text-decoration:underline;color:#0000ff\">link</span></a> x");
        row("script anchor dropped", "<A HREF=\"javascript:alert(1)\">j</A>",
            "<span style=\"text-decoration:underline;color:#0000ff\">j</span>");
        row("href attribute escaped", "<A HREF=\"a'b&c\">q</A>",
            "<a href=\"a&#39;b&amp;c\"><span style=\"text-decoration:underline;color:#0000ff\">q</span></a>");
        row("glyph picture", "<IMG SRC=\"IDX:3\">x", "<img src=\"glyphs/3.png\" alt=\"\">x");
        row("glyph picture sized", "<IMG SRC=\"IDX:0\" WIDTH=\"20\" HEIGHT=\"10\" ALIGN=\"MIDDLE\">",
            "<img src=\"glyphs/0.png\" alt=\"\" width=\"20\" height=\"10\" style=\"vertical-align:middle\">");
        row("unknown picture left out", "<IMG SRC=\"SSYS:c:\\\\x\">y", "y");
        row("line breaks", "a<BR>b\r\nc<HR>d", "a<br>b<br>c<hr>d");
        row("paragraph ends a line", "<P ALIGN=\"CENTER\">p</P>q", "p<br>q");
        row("hidden part", "a<Z>secret</Z>b", "ab");
        row("sub sup", "H<SUB>2</SUB>O x<SUP>2</SUP>", "H<sub>2</sub>O x<sup>2</sup>");
        row("list", "<UL><LI>a</LI></UL>",
            "<br><span class=\"mk-li\" style=\"padding-left:0px\">\u2022 </span>a<br>");
        row("prefix ampersand", "Ф&айл &amp;&amp; ok", "Файл &amp;&amp; ok");
        row("bare ampersand keeps prefix off", "A & B", "A &amp; B");
        row("entities", "&copy; &nbsp;x", "\u00A9  x");
        row("unclosed tag runs to the end", "a<B b", "a");
        row("short tail dropped", "a<B", "a");
        row("shadow and error", "<SH>s</SH><E>e</E>",
            "<span style=\"text-shadow:1px 1px #808080\">s</span>"
            "<span style=\"text-decoration:underline wavy #ff0000\">e</span>");
    }
    void Writes() {
        QFETCH(QString, markup);
        QFETCH(QString, html);
        TMarkupHtmlArgs args;
        args.ImageListUrl = [](int n) { return QStringLiteral("glyphs/%1.png").arg(n); };
        const QString written = MarkupToHtml(markup, args);
        QCOMPARE(written, html);
        QCOMPARE(CheckHtml(written), QString());
    }

    // Random texts from the markup's own pieces and the corpus of the markup fuzzer.
    void AnyTextGivesBalancedHtml() {
        static const char* pieces[] = {"<B>",
                                       "</B>",
                                       "<I>",
                                       "</I>",
                                       "<A HREF=\"",
                                       "</A>",
                                       "<FONT COLOR=\"",
                                       "</FONT>",
                                       "<SUB>",
                                       "</SUP>",
                                       "<SUP>",
                                       "<IMG SRC=\"IDX:",
                                       "\">",
                                       "<Z>",
                                       "</Z>",
                                       "<UL>",
                                       "<LI>",
                                       "</LI>",
                                       "<BR>",
                                       "&lt;",
                                       "&amp;",
                                       "&",
                                       "<",
                                       ">",
                                       "\"",
                                       "'",
                                       "x",
                                       " ",
                                       "\r\n",
                                       "<#",
                                       "Ж",
                                       "<P ",
                                       "</P>",
                                       "<HR>"};
        TMarkupHtmlArgs args;
        args.ImageListUrl = [](int n) { return QStringLiteral("g/%1\"<.png").arg(n); };
        QRandomGenerator random(26);
        QStringList texts;
        for (int i = 0; i < 3000; ++i) {
            QString text;
            const int n = random.bounded(1, 24);
            for (int k = 0; k < n; ++k)
                text += QString::fromUtf8(pieces[random.bounded(int(std::size(pieces)))]);
            texts << text;
        }
        const QDir corpus(QStringLiteral(CP_FUZZ_CORPUS));
        for (const QString& name : corpus.entryList(QDir::Files)) {
            QFile file(corpus.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                texts << QString::fromUtf8(file.readAll());
        }
        QVERIFY(texts.size() > 3000);
        for (const QString& text : texts) {
            const QString problem = CheckHtml(MarkupToHtml(text, args));
            if (!problem.isEmpty())
                QFAIL(qPrintable(problem + QStringLiteral(" in: ") + text.left(200)));
        }
    }
};

QTEST_GUILESS_MAIN(TestMarkupHtml)
#include "test_markup_html.moc"
