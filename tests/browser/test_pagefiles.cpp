// What a page loaded by `coursetool page` may read: a page of a library reads the library, a page
// outside any library only its own folder; a pipe is refused without waiting for a writer, so
// the page shows and the tool exits.

#include "tests/CoursetoolRun.h"
#include "tests/support/PageFiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Each address the page reads gives its text, or "refused"; the results joined by '|'.
const char kReadingPage[] = R"html(<!DOCTYPE html><html><head><meta charset="utf-8"></head><body>
<p id="out"></p><iframe src="pipe"></iframe>
<script>
READ_FUNCTION
document.getElementById("out").textContent = ADDRESSES.map(read).join("|");
</script></body></html>
)html";

QByteArray ReadingPage(const QStringList& addresses) {
    return WithReadFunction(kReadingPage)
        .replace("ADDRESSES", "['" + addresses.join(QStringLiteral("', '")).toUtf8() + "']");
}

} // namespace

class TestPageFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TPipes m_pipes;

    QString Path(const QString& relative) const { return m_dir.filePath(relative); }

private slots:
    // secret.txt                      "grandparent"
    // a/secret.txt                    "parent"
    // a/b/page.htm, own.txt, pipe     a page outside any library
    // lib/course.xml, top.txt, pipe   a library
    // lib/1/5/page.htm, pipe          its item page
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(WriteFile(Path("secret.txt"), "grandparent"));
        QVERIFY(WriteFile(Path("a/secret.txt"), "parent"));
        QVERIFY(WriteFile(Path("a/b/own.txt"), "own"));
        QVERIFY(WriteFile(Path("a/b/page.htm"),
                          ReadingPage({"own.txt", "../secret.txt", "../../secret.txt", "pipe"})));
        QVERIFY(WriteFile(Path("lib/course.xml"),
                          R"(<CourseInfo Id="1" Group="Группа" Name="Курс" Description="Описание"/>)"));
        QVERIFY(WriteFile(Path("lib/top.txt"), "library"));
        QVERIFY(WriteFile(Path("lib/1/5/page.htm"),
                          ReadingPage({"../../top.txt", "../../../secret.txt", "../../pipe", "pipe"})));
        for (const char* pipe : {"a/b/pipe", "lib/pipe", "lib/1/5/pipe", "lib/1/5/2.htm"})
            QVERIFY(m_pipes.Make(Path(QString::fromUtf8(pipe))));
    }

    void cleanupTestCase() { m_pipes.Release(); }

    void reads_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("text"); // the first line the tool prints
        QTest::newRow("outside any library") << "a/b/page.htm" << 0 << "own|refused|refused|refused";
        QTest::newRow("in a library") << "lib/1/5/page.htm" << 0 << "library|refused|refused|refused";
        QTest::newRow("the page is a pipe") << "lib/1/5/2.htm" << 1 << "";
    }

    void reads() {
        QFETCH(QString, page);
        QFETCH(int, exitCode);
        QFETCH(QString, text);
        const TCoursetoolRun run =
            RunCoursetool(QStringLiteral(CP_COURSETOOL), {QStringLiteral("page"), Path(page),
                                                          QStringLiteral("--wait-ms"), QStringLiteral("0")});
        QCOMPARE(run.ExitCode, exitCode);
        QCOMPARE(run.Out.section(u'\n', 0, 0), text);
    }
};

QTEST_GUILESS_MAIN(TestPageFiles)
#include "test_pagefiles.moc"
