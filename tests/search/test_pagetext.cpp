// The text the search reads from item pages: stylesheets applied inside the library only, HTML
// without its scripts and styles, every encoding of the old discs, and bad pages that must
// neither hang nor crash the indexer.

#include "search/PageText.h"
#include "search/SearchSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

// Cyrillic text as windows-1251 bytes: the code page of the old discs, written by hand so that
// the test does not depend on the codecs Qt was built with.
QByteArray Cp1251(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            bytes += char(u);
        else if (u >= 0x0410 && u <= 0x044F)
            bytes += char(0xC0 + (u - 0x0410));
        else if (u == 0x0401)
            bytes += char(0xA8);
        else if (u == 0x0451)
            bytes += char(0xB8);
        else
            bytes += '?';
    }
    return bytes;
}

QByteArray Utf16(const QString& text, bool bigEndian) {
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        bytes += bigEndian ? hi : lo;
        bytes += bigEndian ? lo : hi;
    }
    return bytes;
}

QByteArray U8(const char* text) {
    return QByteArray(text);
}

bool Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A stylesheet that shows the page's title attribute (only a transformation can show an
// attribute) and the body's text, with the given extra instructions inside the body.
QByteArray Stylesheet(const QByteArray& extra, const QByteArray& topLevel = {}) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n" +
           topLevel +
           "<xsl:output method=\"html\" encoding=\"UTF-8\"/>\n"
           "<xsl:template match=\"/page\"><html><head><title>заголовок окна</title>"
           "<script>var скрытыйкод = 1;</script></head><body>"
           "<h1><xsl:value-of select=\"@title\"/></h1>" +
           extra +
           "<div><xsl:copy-of select=\"body/node()\"/></div></body></html></xsl:template>\n"
           "</xsl:stylesheet>\n";
}

QByteArray Page(const QByteArray& href, const QByteArray& body = "<p>Текст страницы</p>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"" + href +
           "\"?>\n<page title=\"Заголовок из атрибута\"><body>" + body + "</body></page>\n";
}

using TFiles = QList<QPair<QString, QByteArray>>;

// The largest the process has been, in kilobytes.
long PeakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestPageText final : public QObject {
    Q_OBJECT

private slots:
    void extract_data();
    void extract();
    void demoPages_data();
    void demoPages();
    void stylesheetNeverWrites_data();
    void stylesheetNeverWrites();
    void pipesNeverHang_data();
    void pipesNeverHang();
    void tooLargePage();
    void changedStylesheetIsReread();
    void twoThreadsAtOnce();
    void htmlEncoding_data();
    void htmlEncoding();
    void xmlFallbackEncoding_data();
    void xmlFallbackEncoding();
    void validUtf8_data();
    void validUtf8();
    void rawText();
};

// Each row is a small library in a temporary folder: lib/ is the library, outside/ lies beside
// it. The page is read with ExtractPageText and must show some words and never others.
void TestPageText::extract_data() {
    QTest::addColumn<TFiles>("files");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::addColumn<QString>("library"); // empty: the folder three levels above the page

    const QByteArray secret = "<?xml version=\"1.0\"?><secret>СЕКРЕТНОЕСЛОВО</secret>";

    QTest::newRow("stylesheet applied, head and scripts left out")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")}, {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута", "Текст страницы"}
        << QStringList{"заголовок окна", "скрытыйкод", "xml-stylesheet"} << QString();
    QTest::newRow("document() inside the library")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<p><xsl:value-of select=\"document('glossary.xml')/terms/term\"/></p>")},
                  {"lib/common/glossary.xml", U8("<terms><term>Гипотенуза из словаря</term></terms>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Гипотенуза из словаря", "Текст страницы"} << QStringList{}
        << QString();
    QTest::newRow("xsl:include and xsl:import inside the library")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<xsl:call-template name=\"band\"/><xsl:call-template name=\"foot\"/>",
                              "<xsl:import href=\"parts/foot.xsl\"/><xsl:include href=\"parts/band.xsl\"/>")},
                  {"lib/common/parts/band.xsl",
                   U8("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template name=\"band\"><p>Шапка курса</p></xsl:template></xsl:stylesheet>")},
                  {"lib/common/parts/foot.xsl",
                   U8("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template name=\"foot\"><p>Подвал курса</p></xsl:template></xsl:stylesheet>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Шапка курса", "Подвал курса", "Заголовок из атрибута"}
        << QStringList{} << QString();
    QTest::newRow("document() of /etc/passwd refused")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<pre><xsl:value-of select=\"document('/etc/passwd')\"/>"
                              "<xsl:value-of select=\"document('file:///etc/passwd')\"/></pre>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута"} << QStringList{"root:", "/bin/"}
        << QString();
    QTest::newRow("document() climbing out of the library refused")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<p><xsl:value-of select=\"document('../../outside/secret.xml')\"/></p>")},
                  {"outside/secret.xml", secret},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута"} << QStringList{"СЕКРЕТНОЕСЛОВО"}
        << QString();
    QTest::newRow("document() of a network address refused")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<p><xsl:value-of select=\"document('http://127.0.0.1:9/x.xml')\"/></p>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута"} << QStringList{} << QString();
    QTest::newRow("xsl:include from outside the library: the page's own text instead")
        << TFiles{{"lib/common/page.xsl", Stylesheet("", "<xsl:include href=\"../../outside/evil.xsl\"/>")},
                  {"outside/evil.xsl",
                   U8("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template match=\"/\"><p>СЕКРЕТНОЕСЛОВО</p></xsl:template></xsl:stylesheet>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"}
        << QStringList{"СЕКРЕТНОЕСЛОВО", "Заголовок из атрибута"} << QString();
    QTest::newRow("stylesheet outside the library not used")
        << TFiles{{"outside/page.xsl", Stylesheet("<p>СЕКРЕТНОЕСЛОВО</p>")},
                  {"lib/1/5/1.xml", Page("../../../outside/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{"СЕКРЕТНОЕСЛОВО"} << QString();
    QTest::newRow("external entity of the page refused")
        << TFiles{{"lib/1/5/1.xml", U8("<?xml version=\"1.0\"?>\n<!DOCTYPE page [<!ENTITY e SYSTEM "
                                       "\"/etc/passwd\"><!ENTITY w \"внутренняя сущность\">]>\n"
                                       "<page><p>До &e; после</p><p>&w;</p></page>")}}
        << "lib/1/5/1.xml" << QStringList{"До", "после", "внутренняя сущность"} << QStringList{"root:"}
        << QString();
    QTest::newRow("entity expansion bomb")
        << TFiles{{"lib/1/5/1.xml", U8("<?xml version=\"1.0\"?>\n<!DOCTYPE page [<!ENTITY a "
                                       "\"ааааааааааааааааааааааааааааааа\">"
                                       "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
                                       "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                                       "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
                                       "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                                       "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
                                       "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">"
                                       "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\"><!ENTITY i "
                                       "\"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]>"
                                       "<page><p>Начало</p><p>&i;&i;&i;&i;&i;&i;&i;&i;&i;&i;</p></page>")}}
        << "lib/1/5/1.xml" << QStringList{"Начало"} << QStringList{QString(4000, QChar(0x0430))} << QString();
    QTest::newRow("entity used in many attributes and texts: the page's own words")
        << TFiles{{"lib/1/5/1.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE page [<!ENTITY a \"" +
                       QString(2000, QChar(0x416)).toUtf8() + "\">]>\n<page><h>Слова автора</h>" +
                       QByteArray("<p t=\"" + QByteArray("&a;").repeated(20) + "\">&a;</p>").repeated(200) +
                       "</page>\n"}}
        << "lib/1/5/1.xml" << QStringList{"Слова автора"} << QStringList{QString(100, QChar(0x416))}
        << QString();
    QTest::newRow("stylesheet that costs the square of the page: the page's own words")
        << TFiles{{"lib/common/page.xsl",
                   "<?xml version=\"1.0\"?>\n<xsl:stylesheet version=\"1.0\" "
                   "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"/\"><html><body>"
                   "<p>Вывод таблицы</p><xsl:for-each select=\"//b\"><xsl:value-of "
                   "select=\"count(/page/body/t)\"/>"
                   "</xsl:for-each></body></html></xsl:template></xsl:stylesheet>\n"},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl",
                                         "<h>Слова автора</h>" + QByteArray("<b/><t/>").repeated(40000))}}
        << "lib/1/5/1.xml" << QStringList{"Слова автора"} << QStringList{"Вывод таблицы"} << QString();
    QTest::newRow("expression that costs the square of the page: the page's own words")
        << TFiles{{"lib/common/page.xsl",
                   "<?xml version=\"1.0\"?>\n<xsl:stylesheet version=\"1.0\" "
                   "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"/\"><html><body>"
                   "<p>Вывод таблицы</p><xsl:value-of select=\"count(//b[. = //t])\"/>"
                   "</body></html></xsl:template></xsl:stylesheet>\n"},
                  {"lib/1/5/1.xml",
                   Page("../../common/page.xsl",
                        "<h>Слова автора</h>" + QByteArray("<b>1</b><t>2</t>").repeated(40000))}}
        << "lib/1/5/1.xml" << QStringList{"Слова автора"} << QStringList{"Вывод таблицы"} << QString();
    QTest::newRow("string doubled forty times: the page's own words")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet(
                       "<xsl:call-template name=\"double\"><xsl:with-param name=\"s\" select=\"@title\"/>"
                       "<xsl:with-param name=\"n\" select=\"40\"/></xsl:call-template>",
                       "<xsl:template name=\"double\"><xsl:param name=\"s\"/><xsl:param name=\"n\"/>"
                       "<xsl:choose><xsl:when test=\"$n &gt; 0\"><xsl:call-template name=\"double\">"
                       "<xsl:with-param name=\"s\" select=\"concat($s, $s)\"/><xsl:with-param name=\"n\" "
                       "select=\"$n - 1\"/></xsl:call-template></xsl:when><xsl:otherwise>"
                       "<xsl:value-of select=\"string-length($s)\"/></xsl:otherwise></xsl:choose>"
                       "</xsl:template>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{"Заголовок из атрибута"}
        << QString();
    QTest::newRow("page that is a link out of the library")
        << TFiles{{"outside/secret.htm", U8("<html><body><p>СЕКРЕТНОЕСЛОВО</p></body></html>")},
                  {"lib/1/5/1.xml", "->outside/secret.htm"}}
        << "lib/1/5/1.xml" << QStringList{} << QStringList{"СЕКРЕТНОЕСЛОВО"} << QString();
    QTest::newRow("section folder that is a link out of the library")
        << TFiles{{"outside/5/1.xml", U8("<html><body><p>СЕКРЕТНОЕСЛОВО</p></body></html>")},
                  {"lib/1/5", "->outside/5"}}
        << "lib/1/5/1.xml" << QStringList{} << QStringList{"СЕКРЕТНОЕСЛОВО"} << "lib";
    QTest::newRow("page that is a link inside the library")
        << TFiles{{"lib/common/shared.htm", U8("<html><body><p>Общий текст</p></body></html>")},
                  {"lib/1/5/1.xml", "->lib/common/shared.htm"}}
        << "lib/1/5/1.xml" << QStringList{"Общий текст"} << QStringList{} << QString();
    QTest::newRow("missing stylesheet: the page's own text")
        << TFiles{{"lib/1/5/1.xml", Page("../../common/nowhere.xsl")}} << "lib/1/5/1.xml"
        << QStringList{"Текст страницы"} << QStringList{} << QString();
    QTest::newRow("stylesheet that is not XSLT: the page's own text")
        << TFiles{{"lib/common/page.xsl", U8("<html><body>не таблица стилей</body></html>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{"не таблица стилей"} << QString();
    QTest::newRow("endless recursion stops")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet(
                       "<xsl:call-template name=\"loop\"/>",
                       "<xsl:template name=\"loop\"><xsl:call-template name=\"loop\"/></xsl:template>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{} << QString();
    QTest::newRow("exponential template stops")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet(
                       "<xsl:call-template name=\"grow\"><xsl:with-param name=\"n\" select=\"60\"/>"
                       "</xsl:call-template>",
                       "<xsl:template name=\"grow\"><xsl:param name=\"n\"/><xsl:if test=\"$n &gt; 0\">"
                       "<xsl:call-template name=\"grow\"><xsl:with-param name=\"n\" select=\"$n - 1\"/>"
                       "</xsl:call-template><xsl:call-template name=\"grow\"><xsl:with-param name=\"n\" "
                       "select=\"$n - 1\"/></xsl:call-template></xsl:if></xsl:template>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{} << QString();
    QTest::newRow("Windows names: backslashes and another case")
        << TFiles{{"lib/Common/Page.XSL", Stylesheet("")},
                  {"lib/1/5/1.XML", Page("..\\..\\COMMON\\page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута", "Текст страницы"} << QStringList{}
        << QString();
    QTest::newRow("Windows names inside the stylesheet: xsl:include and document()")
        << TFiles{{"lib/common/page.xsl",
                   Stylesheet("<xsl:call-template name=\"band\"/>"
                              "<p><xsl:value-of select=\"document('Data/GLOSSARY.xml')/terms/term\"/></p>",
                              "<xsl:include href=\"PARTS\\Band.xsl\"/>")},
                  {"lib/common/parts/band.xsl",
                   U8("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:template name=\"band\"><p>Шапка курса</p></xsl:template></xsl:stylesheet>")},
                  {"lib/common/data/glossary.xml", U8("<terms><term>Гипотенуза из словаря</term></terms>")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Шапка курса", "Гипотенуза из словаря", "Заголовок из атрибута"}
        << QStringList{} << QString();
    QTest::newRow("blocks break words, inline elements do not")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")},
                  {"lib/1/5/1.xml",
                   Page("../../common/page.xsl",
                        "<p>один</p><p>два</p><p><b>Гип</b>отенуза</p><ul><li>три</li>"
                        "<li>четыре</li></ul><table><tr><td>пять</td><td>шесть</td></tr></table>")}}
        << "lib/1/5/1.xml" << QStringList{"один\nдва", "Гипотенуза", "три\nчетыре", "пять\nшесть"}
        << QStringList{"одиндва", "тричетыре", "пятьшесть"} << QString();
    QTest::newRow("soft hyphens and no-break spaces")
        << TFiles{{"lib/1/5/h.htm", U8("<p>тео&shy;ре&shy;ма&nbsp;Пифагора &shy;</p>")}} << "lib/1/5/h.htm"
        << QStringList{"теорема Пифагора"} << QStringList{"\u00AD", "\u00A0"} << QString();
    QTest::newRow("stylesheet with text output")
        << TFiles{{"lib/common/text.xsl",
                   U8("<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                      "<xsl:output method=\"text\"/><xsl:template match=\"/page\">Текстом: "
                      "<xsl:value-of select=\"@title\"/></xsl:template></xsl:stylesheet>")},
                  {"lib/1/5/1.xml", Page("../../common/text.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текстом: Заголовок из атрибута"} << QStringList{"Текст страницы"}
        << QString();
    QTest::newRow("xml page without stylesheet: every text node")
        << TFiles{{"lib/1/5/1.xml", U8("<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><a>слово</a>"
                                       "<b>другое</b><!-- комментарий --><c><![CDATA[данные]]></c></data>")}}
        << "lib/1/5/1.xml" << QStringList{"слово", "другое", "данные"}
        << QStringList{"словодругое", "комментарий"} << QString();
    QTest::newRow("xml page in windows-1251, declared")
        << TFiles{{"lib/1/5/1.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?><data>" +
                                        Cp1251(QStringLiteral("Ёлка и ёжик")) + "</data>"}}
        << "lib/1/5/1.xml" << QStringList{"Ёлка и ёжик"} << QStringList{} << QString();
    QTest::newRow("xml page in windows-1251, undeclared")
        << TFiles{{"lib/1/5/1.xml", "<data>" + Cp1251(QStringLiteral("Теорема Пифагора")) + "</data>"}}
        << "lib/1/5/1.xml" << QStringList{"Теорема Пифагора"} << QStringList{} << QString();
    QTest::newRow("xml page in UTF-16")
        << TFiles{{"lib/1/5/1.xml",
                   Utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><data>Катет</data>"),
                         false)}}
        << "lib/1/5/1.xml" << QStringList{"Катет"} << QStringList{} << QString();
    QTest::newRow("truncated xml page: the text before the break")
        << TFiles{{"lib/1/5/1.xml",
                   U8("<?xml version=\"1.0\" encoding=\"UTF-8\"?><page><p>Начало текста</p><p>обр")}}
        << "lib/1/5/1.xml" << QStringList{"Начало текста"} << QStringList{} << QString();
    QTest::newRow("html page named .xml")
        << TFiles{{"lib/1/5/1.xml", U8("<html><body><p>Страница<br>старого диска &nbsp;</p><script>var "
                                       "x=1;</script></body></html>")}}
        << "lib/1/5/1.xml" << QStringList{"Страница\nстарого диска"} << QStringList{"var x"} << QString();
    QTest::newRow("xhtml page named .xml, windows-1251 by its declaration")
        << TFiles{{"lib/1/5/1.xml",
                   "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<html><head><title>Окно"
                   "</title></head><body><p>" +
                       Cp1251(QStringLiteral("Ёмкость")) + "</p><p>" + Cp1251(QStringLiteral("Заряд")) +
                       "</p></body></html>"}}
        << "lib/1/5/1.xml" << QStringList{"Ёмкость\nЗаряд"} << QStringList{"Окно"} << QString();
    QTest::newRow("html: scripts, styles and comments left out")
        << TFiles{{"lib/1/5/h.htm",
                   U8("<html><head><title>Окно</title><style>p { color: red }</style></head><body>"
                      "<!-- комментарий автора --><p>Видимый текст</p><script>alert('скрипт')</script>"
                      "<noscript>Без скриптов</noscript></body></html>")}}
        << "lib/1/5/h.htm" << QStringList{"Видимый текст", "Без скриптов"}
        << QStringList{"color", "комментарий", "alert", "Окно"} << QString();
    QTest::newRow("html in windows-1251 with meta charset")
        << TFiles{{"lib/1/5/h.html", "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                     "charset=windows-1251\"></head><body>" +
                                         Cp1251(QStringLiteral("Уравнение с одной переменной")) +
                                         "</body></html>"}}
        << "lib/1/5/h.html" << QStringList{"Уравнение с одной переменной"} << QStringList{} << QString();
    QTest::newRow("html in windows-1251 without meta")
        << TFiles{{"lib/1/5/h.htm",
                   "<html><body><p>" + Cp1251(QStringLiteral("Ёмкость конденсатора")) + "</p></body></html>"}}
        << "lib/1/5/h.htm" << QStringList{"Ёмкость конденсатора"} << QStringList{} << QString();
    QTest::newRow("html in UTF-8 without meta")
        << TFiles{{"lib/1/5/h.htm", U8("<html><body><p>Квадратный трёхчлен</p></body></html>")}}
        << "lib/1/5/h.htm" << QStringList{"Квадратный трёхчлен"} << QStringList{} << QString();
    QTest::newRow("html in UTF-8 declared by a short meta")
        << TFiles{{"lib/1/5/h.htm", U8("<html><head><meta charset='utf-8'></head><body>Дробь</body></html>")}}
        << "lib/1/5/h.htm" << QStringList{"Дробь"} << QStringList{} << QString();
    QTest::newRow("html in UTF-16LE with byte-order mark")
        << TFiles{{"lib/1/5/h.htm",
                   Utf16(QStringLiteral("<html><body><p>Биссектриса</p></body></html>"), false)}}
        << "lib/1/5/h.htm" << QStringList{"Биссектриса"} << QStringList{} << QString();
    QTest::newRow("html in UTF-16BE with byte-order mark")
        << TFiles{{"lib/1/5/h.htm", Utf16(QStringLiteral("<html><body><p>Медиана</p></body></html>"), true)}}
        << "lib/1/5/h.htm" << QStringList{"Медиана"} << QStringList{} << QString();
    QTest::newRow("truncated html") << TFiles{{"lib/1/5/h.htm", U8("<html><body><p>Оборванная <b>стран")}}
                                    << "lib/1/5/h.htm" << QStringList{"Оборванная стран"} << QStringList{}
                                    << QString();
    QTest::newRow("truncated xml page with a body element: still XML, still transformed")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")},
                  {"lib/1/5/1.xml", Page("../../common/page.xsl").left(180)}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута", "Текст"} << QStringList{} << QString();
    QTest::newRow("html page named .xml, with a doctype")
        << TFiles{{"lib/1/5/1.xml",
                   U8("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\"><p>Абзац<p>Второй")}}
        << "lib/1/5/1.xml" << QStringList{"Абзац\nВторой"} << QStringList{} << QString();
    QTest::newRow("library folder that does not exist: no stylesheet is read")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")}, {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{"Заголовок из атрибута"}
        << "nowhere";
    QTest::newRow("library named: its stylesheets apply")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")}, {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Заголовок из атрибута"} << QStringList{} << "lib";
    QTest::newRow("library named narrower than the stylesheet's folder")
        << TFiles{{"lib/common/page.xsl", Stylesheet("")}, {"lib/1/5/1.xml", Page("../../common/page.xsl")}}
        << "lib/1/5/1.xml" << QStringList{"Текст страницы"} << QStringList{"Заголовок из атрибута"}
        << "lib/1";
    QTest::newRow("a page outside any library: not the root folder's files either")
        << TFiles{{"page.xsl", Stylesheet("")}, {"1.xml", Page("page.xsl")}} << "1.xml"
        << QStringList{"Текст страницы"} << QStringList{"Заголовок из атрибута"} << QString();
}

void TestPageText::extract() {
    QFETCH(TFiles, files);
    QFETCH(QString, page);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QFETCH(QString, library);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const auto& [name, bytes] : files) {
        // "->target": a symbolic link to the target, in the test's folder.
        if (bytes.startsWith("->")) {
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).path()));
            QVERIFY2(QFile::link(dir.filePath(QString::fromUtf8(bytes.mid(2))), dir.filePath(name)),
                     qPrintable(name));
        } else {
            QVERIFY2(Write(dir.filePath(name), bytes), qPrintable(name));
        }
    }

    // No page may hold the indexer for long or take much memory, whatever its stylesheet does.
    QElapsedTimer timer;
    timer.start();
    const long peakBefore = PeakMemoryKb();
    const QString text = library.isEmpty() ? ExtractPageText(dir.filePath(page))
                                           : ExtractPageText(dir.filePath(page), dir.filePath(library));
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    QVERIFY2(
        PeakMemoryKb() - peakBefore < 512 * 1024,
        qPrintable(QStringLiteral("peak memory grew by %1 MB").arg((PeakMemoryKb() - peakBefore) / 1024)));
    for (const QString& word : shown)
        QVERIFY2(text.contains(word), qPrintable(QStringLiteral("«%1» missing from: %2").arg(word, text)));
    for (const QString& word : hidden)
        QVERIFY2(!text.contains(word), qPrintable(QStringLiteral("«%1» shown in: %2").arg(word, text)));
    // No leading or trailing blanks and no doubled spaces: snippets are cut from this text.
    QCOMPARE(text, text.trimmed());
    QVERIFY2(!text.contains(QLatin1String("  ")), qPrintable(text));
}

// The demo library's own pages, through its own stylesheets.
void TestPageText::demoPages_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("theory page") << "102/8/81.xml"
                                 << QStringList{"Геометрия, 8 класс", "Гипотенуза",
                                                "лежащая против прямого угла"}
                                 << QStringList{"course.css"};
    QTest::newRow("task page") << "101/2010/31.xml" << QStringList{"Начать выполнение", "Проверить"}
                               << QStringList{"task.js", "location.hash"};
    QTest::newRow("hint page in HTML")
        << "101/5/h_power.html" << QStringList{"Степень", "произведение одинаковых множителей"}
        << QStringList{"course.css"};
}

void TestPageText::demoPages() {
    QFETCH(QString, page);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    const QString text = ExtractPageText(QStringLiteral(CP_SOURCE_DIR "/content/") + page);
    for (const QString& word : shown)
        QVERIFY2(text.contains(word), qPrintable(QStringLiteral("«%1» missing from: %2").arg(word, text)));
    for (const QString& word : hidden)
        QVERIFY2(!text.contains(word), qPrintable(QStringLiteral("«%1» shown in: %2").arg(word, text)));
}

// Stylesheets that try to write files: the library and the machine stay as they were.
void TestPageText::stylesheetNeverWrites_data() {
    QTest::addColumn<QByteArray>("instruction");
    QTest::addColumn<QByteArray>("topLevel");
    QTest::newRow("xsl:document") << QByteArray("<xsl:document href=\"@TARGET@\" method=\"text\">"
                                                "written</xsl:document>")
                                  << QByteArray();
    QTest::newRow("exsl:document")
        << QByteArray("<exsl:document xmlns:exsl=\"http://exslt.org/common\" href=\"@TARGET@\" "
                      "method=\"text\">written</exsl:document>")
        << QByteArray();
    QTest::newRow("xsl:result-document") << QByteArray("<xsl:result-document href=\"@TARGET@\">written"
                                                       "</xsl:result-document>")
                                         << QByteArray();
}

void TestPageText::stylesheetNeverWrites() {
    QFETCH(QByteArray, instruction);
    QFETCH(QByteArray, topLevel);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& target : {dir.filePath("lib/1/5/written.txt"), dir.filePath("written.txt"),
                                  dir.filePath("newfolder/written.txt")}) {
        QByteArray extra = instruction;
        extra.replace("@TARGET@", target.toUtf8());
        QVERIFY(Write(dir.filePath("lib/common/page.xsl"),
                      Stylesheet(extra, topLevel).replace("version=\"1.0\"", "version=\"1.1\"")));
        QVERIFY(Write(dir.filePath("lib/1/5/1.xml"), Page("../../common/page.xsl")));
        const QString text = ExtractPageText(dir.filePath("lib/1/5/1.xml"));
        QVERIFY2(text.contains(QStringLiteral("Текст страницы")), qPrintable(text));
        QVERIFY2(!QFileInfo::exists(target), qPrintable(target));
        QVERIFY(!QFileInfo::exists(dir.filePath("newfolder")));
    }
}

// A pipe where a page, a stylesheet or a document should be: reading it would wait forever.
void TestPageText::pipesNeverHang_data() {
    QTest::addColumn<QString>("pipe");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("hasText");
    QTest::newRow("page") << "lib/1/5/2.xml"
                          << "lib/1/5/2.xml" << false;
    QTest::newRow("html page") << "lib/1/5/h.htm"
                               << "lib/1/5/h.htm" << false;
    QTest::newRow("stylesheet") << "lib/common/pipe.xsl"
                                << "lib/1/5/3.xml" << true;
    QTest::newRow("document()") << "lib/common/pipe.xml"
                                << "lib/1/5/1.xml" << true;
}

void TestPageText::pipesNeverHang() {
    QFETCH(QString, pipe);
    QFETCH(QString, page);
    QFETCH(bool, hasText);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(Write(dir.filePath("lib/common/page.xsl"),
                  Stylesheet("<p><xsl:value-of select=\"document('pipe.xml')\"/></p>")));
    QVERIFY(Write(dir.filePath("lib/1/5/1.xml"), Page("../../common/page.xsl")));
    QVERIFY(Write(dir.filePath("lib/1/5/3.xml"), Page("../../common/pipe.xsl")));
    QDir().mkpath(QFileInfo(dir.filePath(pipe)).absolutePath());
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(pipe)).constData(), 0600), 0);

    const QString text = ExtractPageText(dir.filePath(page));
    QCOMPARE(text.contains(QStringLiteral("Текст страницы")), hasText);
    if (!hasText)
        QVERIFY(text.isEmpty());
}

void TestPageText::tooLargePage() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString page = dir.filePath("lib/1/5/1.xml");
    QVERIFY(Write(page, "<page>Текст страницы</page>"));
    QVERIFY(ExtractPageText(page).contains(QStringLiteral("Текст страницы")));
    // The same page grown past the limit, sparse so that the test writes little.
    QFile file(page);
    QVERIFY(file.resize(kPageSizeLimit + 1));
    QVERIFY(ExtractPageText(page).isEmpty());
    QVERIFY(ExtractPageText(dir.filePath("lib/1/5/missing.xml")).isEmpty());
    QVERIFY(ExtractPageText(dir.filePath("lib/1/5")).isEmpty()); // a folder is no page
}

// Compiled stylesheets are kept, but a stylesheet changed on disk is compiled again: the index
// is updated page by page and must see what the browser would show now.
void TestPageText::changedStylesheetIsReread() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString stylesheet = dir.filePath("lib/common/page.xsl");
    QVERIFY(Write(stylesheet, Stylesheet("<p>Первая редакция</p>")));
    QVERIFY(Write(dir.filePath("lib/1/5/1.xml"), Page("../../common/page.xsl")));
    QVERIFY(ExtractPageText(dir.filePath("lib/1/5/1.xml")).contains(QStringLiteral("Первая редакция")));
    QVERIFY(Write(stylesheet, Stylesheet("<p>Вторая, исправленная редакция</p>")));
    const QString text = ExtractPageText(dir.filePath("lib/1/5/1.xml"));
    QVERIFY2(text.contains(QStringLiteral("Вторая, исправленная редакция")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("Первая редакция")));
}

// The indexer reads pages on worker threads, two at once: both must read what one thread reads.
void TestPageText::twoThreadsAtOnce() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(Write(dir.filePath("lib/common/page.xsl"),
                  Stylesheet("<p><xsl:value-of select=\"document('glossary.xml')/terms/term\"/></p>")));
    QVERIFY(Write(dir.filePath("lib/common/glossary.xml"), U8("<terms><term>Словарь</term></terms>")));
    QStringList pages;
    for (int i = 1; i <= 20; ++i) {
        const QString page = dir.filePath(QStringLiteral("lib/1/5/%1.xml").arg(i));
        QVERIFY(Write(page,
                      Page("../../common/page.xsl", "<p>Страница номер " + QByteArray::number(i) + "</p>")));
        pages << page;
    }
    pages << dir.filePath("lib/1/5/h.htm");
    QVERIFY(Write(pages.back(),
                  "<html><body>" + Cp1251(QStringLiteral("Страница в кодировке")) + "</body></html>"));

    QStringList expected;
    for (const QString& page : pages)
        expected << ExtractPageText(page);
    QVERIFY(expected.first().contains(QStringLiteral("Словарь")));

    QStringList results[2];
    auto work = [&](int t) {
        for (int round = 0; round < 10; ++round)
            for (const QString& page : pages)
                results[t] << ExtractPageText(page);
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    for (const QStringList& result : results) {
        QCOMPARE(result.size(), expected.size() * 10);
        for (int i = 0; i < result.size(); ++i)
            QCOMPARE(result[i], expected[i % expected.size()]);
    }
}

void TestPageText::htmlEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<int>("bom");
    QTest::newRow("ascii") << U8("<p>abc</p>") << QByteArray("UTF-8") << 0;
    QTest::newRow("utf-8 bytes") << U8("<p>Тест</p>") << QByteArray("UTF-8") << 0;
    QTest::newRow("1251 bytes") << Cp1251(QStringLiteral("<p>Тест</p>")) << QByteArray("windows-1251") << 0;
    QTest::newRow("utf-8 BOM") << QByteArray("\xEF\xBB\xBF<p>x</p>") << QByteArray("UTF-8") << 3;
    QTest::newRow("utf-16le BOM") << QByteArray("\xFF\xFE<\0p\0", 6) << QByteArray("UTF-16LE") << 2;
    QTest::newRow("utf-16be BOM") << QByteArray("\xFE\xFF\0<\0p", 6) << QByteArray("UTF-16BE") << 2;
    QTest::newRow("meta http-equiv")
        << U8("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Windows-1251\">")
        << QByteArray("windows-1251") << 0;
    QTest::newRow("meta charset, bytes utf-8 anyway")
        << U8("<meta charset=\"windows-1251\"><p>Тест</p>") << QByteArray("windows-1251") << 0;
    QTest::newRow("meta cp1251 alias") << U8("<meta charset=cp1251>") << QByteArray("windows-1251") << 0;
    QTest::newRow("meta koi8-r") << U8("<meta charset=\"koi8-r\">") << QByteArray("koi8-r") << 0;
    QTest::newRow("meta utf-16 on 8-bit bytes")
        << U8("<meta charset=\"utf-16\"><p>x</p>") << QByteArray("UTF-8") << 0;
    QTest::newRow("unknown charset: bytes decide")
        << "<meta charset=\"x-nonsense\">" + Cp1251(QStringLiteral("Тест")) << QByteArray("windows-1251")
        << 0;
    QTest::newRow("xml declaration of an XHTML page")
        << "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><html>" + Cp1251(QStringLiteral("Тест"))
        << QByteArray("koi8-r") << 0;
    QTest::newRow("meta outranks the xml declaration")
        << U8("<?xml version=\"1.0\" encoding=\"koi8-r\"?><html><meta charset=\"utf-8\">")
        << QByteArray("UTF-8") << 0;
    QTest::newRow("charset outside meta ignored")
        << "<p>charset=koi8-r</p>" + Cp1251(QStringLiteral("Тест")) << QByteArray("windows-1251") << 0;
}

void TestPageText::htmlEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QFETCH(int, bom);
    int bomLength = -1;
    QCOMPARE(HtmlPageEncoding(bytes, &bomLength).toLower(), encoding.toLower());
    QCOMPARE(bomLength, bom);
}

void TestPageText::xmlFallbackEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("encoding");
    QTest::newRow("utf-8, no declaration") << U8("<a>Тест</a>") << QByteArray();
    QTest::newRow("1251, no declaration")
        << Cp1251(QStringLiteral("<a>Тест</a>")) << QByteArray("windows-1251");
    QTest::newRow("1251, declaration without encoding")
        << Cp1251(QStringLiteral("<?xml version=\"1.0\"?><a>Тест</a>")) << QByteArray("windows-1251");
    QTest::newRow("1251, declared") << Cp1251(QStringLiteral(
                                           "<?xml version=\"1.0\" encoding=\"windows-1251\"?><a>Тест</a>"))
                                    << QByteArray();
    QTest::newRow("utf-16 with BOM") << QByteArray("\xFF\xFE<\0a\0", 6) << QByteArray();
    QTest::newRow("utf-16 without BOM") << QByteArray("<\0a\0>\0", 6) << QByteArray();
    QTest::newRow("utf-8 BOM then 1251 bytes")
        << "\xEF\xBB\xBF" + Cp1251(QStringLiteral("<a>Тест</a>")) << QByteArray();
}

void TestPageText::xmlFallbackEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, encoding);
    QCOMPARE(XmlPageFallbackEncoding(bytes), encoding);
}

void TestPageText::validUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("ascii") << U8("abc") << true;
    QTest::newRow("cyrillic") << U8("Ёжик") << true;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true;
    QTest::newRow("1251") << Cp1251(QStringLiteral("Ёжик")) << false;
    QTest::newRow("cut sequence at the end") << QByteArray("ab\xD0") << false;
    QTest::newRow("cut sequence in the middle") << QByteArray("a\xE2\x82z") << false;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << false;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false;
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false;
    QTest::newRow("lone continuation") << QByteArray("\x80") << false;
}

void TestPageText::validUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(IsValidUtf8(bytes), valid);
}

// The benchmark's floor reads text nodes only: no stylesheet, so no attribute text.
void TestPageText::rawText() {
    const QString page = QStringLiteral(CP_SOURCE_DIR "/content/102/8/81.xml");
    const QString raw = RawPageText(page);
    QVERIFY2(raw.contains(QStringLiteral("лежащая против прямого угла")), qPrintable(raw));
    QVERIFY(!raw.contains(QStringLiteral("Геометрия, 8 класс")));
    QVERIFY(ExtractPageText(page).contains(QStringLiteral("Геометрия, 8 класс")));
    QVERIFY(RawPageText(QStringLiteral(CP_SOURCE_DIR "/content/101/5/h_power.html"))
                .contains(QStringLiteral("Степень")));
    QVERIFY(RawPageText(QStringLiteral(CP_SOURCE_DIR "/content/nowhere.xml")).isEmpty());
    // An HTML page named .xml is parsed as HTML, as for the index: the floor reads all its text.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(
        Write(dir.filePath("1.xml"), U8("<html><head><meta charset=utf-8></head><body><p>Один<br>Два</p>")));
    const QString html = RawPageText(dir.filePath("1.xml"));
    QVERIFY2(html.contains(QStringLiteral("Один")) && html.contains(QStringLiteral("Два")), qPrintable(html));
}

QTEST_GUILESS_MAIN(TestPageText)
#include "test_pagetext.moc"
