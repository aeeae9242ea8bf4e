// coursetool markup and strip, run as a user runs them.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct TResult {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

TResult Run(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(CP_COURSETOOL), args);
    TResult result;
    if (!process.waitForFinished(60000))
        return result;
    result.ExitCode = process.exitCode();
    result.Out = process.readAllStandardOutput();
    result.Err = process.readAllStandardError();
    return result;
}

} // namespace

class TestCoursetoolMarkup final : public QObject {
    Q_OBJECT

private slots:
    void Strip_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("break and hidden") << "a<z>b</z>c<BR>d" << QByteArray("ac\r\nd");
        QTest::newRow("tags") << "x<B>y</B>" << QByteArray("xy");
        QTest::newRow("cyrillic") << QString::fromUtf8("<B>Урок</B> 1") << QByteArray("Урок 1");
        QTest::newRow("lone lt") << "a<b" << QByteArray("a<b");
    }
    void Strip() {
        QFETCH(QString, text);
        QFETCH(QByteArray, out);
        const TResult r = Run({QStringLiteral("strip"), text});
        QCOMPARE(r.ExitCode, 0);
        QCOMPARE(r.Out, out);
    }

    void MarkupJson_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("lines"); // needed height in lines of the base font
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<bool>("result");
        QTest::newRow("empty") << QStringList{QString()} << 1 << "" << false;
        QTest::newRow("three lines") << QStringList{QStringLiteral("a<BR>b<BR>c")} << 3 << "" << false;
        QTest::newRow("wrapped") << QStringList{QStringLiteral("one two three"), QStringLiteral("--width"),
                                                QStringLiteral("40")}
                                 << 3 << "" << false;
        QTest::newRow("not wrapped") << QStringList{QStringLiteral("one two three"),
                                                    QStringLiteral("--width"), QStringLiteral("40"),
                                                    QStringLiteral("--no-wrap")}
                                     << 1 << "" << false;
        QTest::newRow("anchor hit") << QStringList{QStringLiteral("<A href=\"doc1\">link</A>"),
                                                   QStringLiteral("--hit-test-only"),
                                                   QStringLiteral("--mouse"), QStringLiteral("5,5")}
                                    << 1 << "doc1" << true;
        QTest::newRow("measuring finds the anchor, no result")
            << QStringList{QStringLiteral("<A href=\"doc1\">link</A>"), QStringLiteral("--measure-only"),
                           QStringLiteral("--mouse"), QStringLiteral("5,5")}
            << 1 << "doc1" << false;
    }
    void MarkupJson() {
        QFETCH(QStringList, args);
        QFETCH(int, lines);
        QFETCH(QString, anchor);
        QFETCH(bool, result);
        const TResult r =
            Run(QStringList{QStringLiteral("markup")} + args + QStringList{QStringLiteral("--json")});
        QCOMPARE(r.ExitCode, 0);
        QVERIFY(r.Out.endsWith('\n'));
        const QJsonObject json = QJsonDocument::fromJson(r.Out).object();
        QCOMPARE(json.keys(), (QStringList{QStringLiteral("anchor"), QStringLiteral("ghHeight"),
                                           QStringLiteral("neededHeight"), QStringLiteral("neededWidth"),
                                           QStringLiteral("result")}));
        // The keys come in the documented order.
        QVERIFY(r.Out.startsWith("{\"neededWidth\":"));
        QVERIFY(r.Out.indexOf("\"neededHeight\"") < r.Out.indexOf("\"anchor\""));
        QVERIFY(r.Out.indexOf("\"result\"") < r.Out.indexOf("\"ghHeight\""));
        const int gh = json.value(QStringLiteral("ghHeight")).toInt();
        QVERIFY(gh > 0);
        QCOMPARE(json.value(QStringLiteral("neededHeight")).toInt(), lines * gh);
        QCOMPARE(json.value(QStringLiteral("anchor")).toString(), anchor);
        QCOMPARE(json.value(QStringLiteral("result")).toBool(), result);
    }

    void Png() {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("m.png"));
        const TResult r = Run({QStringLiteral("markup"), QStringLiteral("<FONT COLOR=\"clRed\">RED</FONT>"),
                               QStringLiteral("--width"), QStringLiteral("120"), QStringLiteral("--height"),
                               QStringLiteral("30"), QStringLiteral("--png"), png});
        QCOMPARE(r.ExitCode, 0);
        QVERIFY(r.Out.contains("neededWidth: "));
        const QImage image(png);
        QCOMPARE(image.size(), QSize(120, 30));
        QCOMPARE(image.pixel(119, 29), qRgb(255, 255, 255));
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x)
                red = image.pixel(x, y) == qRgb(255, 0, 0);
        QVERIFY(red);
    }

    void BadArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no text") << QStringList{QStringLiteral("markup")};
        QTest::newRow("bad width") << QStringList{QStringLiteral("markup"), QStringLiteral("x"),
                                                  QStringLiteral("--width"), QStringLiteral("wide")};
        QTest::newRow("bad mouse") << QStringList{QStringLiteral("markup"), QStringLiteral("x"),
                                                  QStringLiteral("--mouse"), QStringLiteral("5")};
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("markup"), QStringLiteral("x"), QStringLiteral("--bold")};
        QTest::newRow("strip without text") << QStringList{QStringLiteral("strip")};
    }
    void BadArguments() {
        QFETCH(QStringList, args);
        const TResult r = Run(args);
        QCOMPARE(r.ExitCode, 2);
        QVERIFY(r.Out.isEmpty());
        QVERIFY(!r.Err.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCoursetoolMarkup)
#include "test_coursetool_markup.moc"
