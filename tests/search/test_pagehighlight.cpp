// Marking found words in a shown page: one real page (with a frame) in Qt WebEngine serves every
// case; the marks are taken off again between cases.

#include "search/PageHighlight.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <memory>
#include <optional>

namespace {

constexpr int kTimeout = 90000;

const char* const kPage = R"HTML(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
<p>Теорема Пифагора: квадрат гипотенузы равен сумме квадратов катетов.</p>
<p>ТЕОРЕМА и теоремы; Подтеорема.</p>
<script>var note = "теорема";</script><style>.x::after { content: "теорема"; }</style>
<textarea>теорема</textarea>
<p>a+b (скобки) cxd</p>
<p>ёлка елка</p>
<iframe srcdoc="<p>теорема в рамке</p>"></iframe>
</body></html>)HTML";

// Takes every mark off again, in the page and its frame, leaving the text as it was.
const char* const kUnmark = R"JS((function () {
  var docs = [document];
  var frame = document.querySelector('iframe');
  if (frame && frame.contentDocument) docs.push(frame.contentDocument);
  docs.forEach(function (doc) {
    doc.querySelectorAll('mark.cp-search-hit').forEach(function (m) { m.replaceWith(m.textContent); });
    doc.body.normalize();
  });
  return true;
})())JS";

const char* const kMarkedTexts =
    "Array.from(document.querySelectorAll('mark.cp-search-hit')).map(m => m.textContent).join('|')";

} // namespace

class TestPageHighlight : public QObject {
    Q_OBJECT

    std::unique_ptr<QWebEnginePage> m_page;

    QVariant Run(const QString& script) {
        auto result = std::make_shared<std::optional<QVariant>>();
        m_page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
        if (!QTest::qWaitFor([&] { return result->has_value(); }, kTimeout))
            return {};
        return result->value_or(QVariant());
    }

private slots:
    void initTestCase() {
        m_page = std::make_unique<QWebEnginePage>();
        QSignalSpy loaded(m_page.get(), &QWebEnginePage::loadFinished);
        m_page->setHtml(QString::fromUtf8(kPage), QUrl(QStringLiteral("file:///fixture/page.html")));
        QVERIFY(loaded.wait(kTimeout));
        QVERIFY(loaded.first().first().toBool());
        QTRY_VERIFY_WITH_TIMEOUT(
            Run("document.querySelector('iframe').contentDocument.body.textContent").toString() ==
                "теорема в рамке",
            kTimeout);
    }
    void cleanupTestCase() { m_page.reset(); }

    void marksWholeWordsOfTheText_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<int>("marks");
        QTest::addColumn<QString>("marked");
        // Any case, whole words only; not inside scripts, styles or form fields; the frame too.
        QTest::newRow("one word") << QStringList{"теорема"} << 3 << "Теорема|ТЕОРЕМА";
        QTest::newRow("a word and a longer one it begins")
            << QStringList{"квадрат", "квадратов"} << 2 << "квадрат|квадратов";
        QTest::newRow("regular expression characters are text")
            << QStringList{"a+b", "(скобки)", "c.d"} << 2 << "a+b|(скобки)";
        QTest::newRow("ё and е are the page's own") << QStringList{"ёлка"} << 1 << "ёлка";
        QTest::newRow("a quote in a word stays data")
            << QStringList{"\"]);document.body.textContent='';(['"} << 0 << "";
        QTest::newRow("nothing to mark") << QStringList{} << 0 << "";
        QTest::newRow("empty words are skipped") << QStringList{"", "катетов"} << 1 << "катетов";
    }
    void marksWholeWordsOfTheText() {
        QFETCH(QStringList, words);
        QVERIFY(Run(kUnmark).toBool());
        const QString before = Run("document.body.innerText").toString();
        QTEST(Run(HighlightScript(words)).toInt(), "marks");
        QTEST(Run(kMarkedTexts).toString(), "marked");
        // Marking changes no letter of what the reader sees.
        QCOMPARE(Run("document.body.innerText").toString(), before);
        QCOMPARE(Run("document.querySelector('script').textContent").toString(),
                 QStringLiteral("var note = \"теорема\";"));
    }

    void readsTheTextOfPageAndFrame() {
        QVERIFY(Run(kUnmark).toBool());
        const QString text = Run(PageTextScript()).toString();
        QVERIFY(text.contains(QStringLiteral("Теорема Пифагора")));
        QVERIFY(text.contains(QStringLiteral("теорема в рамке")));
        QVERIFY(!text.contains(QStringLiteral("var note")));
    }

    void pageOfALocalFile_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("same");
        QTest::newRow("same file") << "file:///lib/101/12/122.xml"
                                   << "/lib/101/12/122.xml" << true;
        QTest::newRow("other case on a Windows disc") << "file:///lib/101/12/122.XML"
                                                      << "/lib/101/12/122.xml" << true;
        QTest::newRow("with a fragment") << "file:///lib/101/2010/5.xml#run"
                                         << "/lib/101/2010/5.xml" << true;
        QTest::newRow("escaped name") << "file:///lib/%D0%BA/1.xml"
                                      << "/lib/к/1.xml" << true;
        QTest::newRow("another item") << "file:///lib/101/12/1220.xml"
                                      << "/lib/101/12/122.xml" << false;
        QTest::newRow("another section") << "file:///lib/101/5/122.xml"
                                         << "/lib/101/12/122.xml" << false;
        QTest::newRow("blank") << "about:blank"
                               << "/lib/101/12/122.xml" << false;
        QTest::newRow("not a file") << "http://lib/101/12/122.xml"
                                    << "/lib/101/12/122.xml" << false;
        QTest::newRow("no page asked") << "file:///lib/101/12/122.xml"
                                       << "" << false;
    }
    void pageOfALocalFile() {
        QFETCH(QString, url);
        QFETCH(QString, path);
        QTEST(IsPageOf(url, path), "same");
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestPageHighlight test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_pagehighlight.moc"
