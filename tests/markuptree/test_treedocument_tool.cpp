// coursetool tree: the exact output shapes that content authors and scripts read.

#include "tests/CoursetoolRun.h"
#include <QProcess>
#include <QTest>

namespace {

QString Data(const char* name) {
    return QStringLiteral(CP_TEST_DATA "/tree/") + QLatin1String(name);
}

using TRun = TCoursetoolRun;

TRun Coursetool(const QStringList& args) {
    return RunCoursetool(QStringLiteral(COURSETOOL), args);
}

} // namespace

class TestTreeDocumentTool final : public QObject {
    Q_OBJECT
private slots:
    void json_data();
    void json();
    void text();
    void usage();
};

void TestTreeDocumentTool::json_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");
    QTest::newRow("nested")
        << Data("nested.xml")
        << QStringLiteral(
               R"({"items":[{"id":1,"text":"<B>Глава 1</B> Введение","children":[)"
               R"({"id":11,"text":"Раздел 1.1","children":[{"id":111,"text":"Пункт 1.1.1","children":[]},)"
               R"({"id":112,"text":"Пункт 1.1.2","children":[]}]},)"
               R"({"id":12,"text":"Раздел 1.2 <A HREF=\"x\">ссылка</A>","children":[]}]},)"
               R"({"id":7,"text":"Семь с нулями","children":[]},{"id":3,"text":"","children":[]}],)"
               R"("error":null})"
               "\n")
        << 0;
    QTest::newRow("stops at a bad id")
        << Data("bad-id.xml")
        << QStringLiteral(
               R"({"items":[{"id":1,"text":"один","children":[{"id":2,"text":"два","children":[]}]}],)"
               R"("error":"Значение \"x3\" атрибута \"id\" не является целым числом"})"
               "\n")
        << 1;
    QTest::newRow("no items") << Data("noitems.xml") << QStringLiteral("{\"items\":[],\"error\":null}\n")
                              << 0;
}

void TestTreeDocumentTool::json() {
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QFETCH(int, status);
    const TRun run = Coursetool({QStringLiteral("tree"), file, QStringLiteral("--json")});
    QCOMPARE(run.Out, expected);
    QCOMPARE(run.ExitCode, status);
}

void TestTreeDocumentTool::text() {
    TRun run = Coursetool({QStringLiteral("tree"), Data("nested.xml")});
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Out.split(u'\n').mid(0, 4),
             (QStringList{QStringLiteral("1 <B>Глава 1</B> Введение"), QStringLiteral("  11 Раздел 1.1"),
                          QStringLiteral("    111 Пункт 1.1.1"), QStringLiteral("    112 Пункт 1.1.2")}));
    // A file that does not parse: nothing loaded, the error goes to standard error.
    run = Coursetool({QStringLiteral("tree"), Data("notxml.xml"), QStringLiteral("--json")});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY(run.Out.startsWith(QStringLiteral("{\"items\":[],\"error\":\"")));
    QVERIFY(!run.Out.contains(QStringLiteral("\"error\":null")));
}

void TestTreeDocumentTool::usage() {
    QCOMPARE(Coursetool({QStringLiteral("tree")}).ExitCode, 2);
    QCOMPARE(Coursetool({QStringLiteral("tree"), Data("nested.xml"), QStringLiteral("--bogus")}).ExitCode, 2);
}

QTEST_MAIN(TestTreeDocumentTool)
#include "test_treedocument_tool.moc"
