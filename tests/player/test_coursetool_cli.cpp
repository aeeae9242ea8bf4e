// coursetool's own command line: --help lists every subcommand with its arguments, and a
// missing or unknown command is a usage error that points at --help.

#include <QProcess>
#include <QTest>

class TestCoursetoolCli : public QObject {
    Q_OBJECT

private slots:
    void run_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // a part of standard output
        QTest::addColumn<QString>("err"); // a part of standard error
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "coursetool catalogue [FOLDER] [--json]"
                                << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "coursetool tree FILE [--json]"
                            << "";
        QTest::newRow("help") << QStringList{"help"} << 0 << "coursetool strip TEXT"
                              << "";
        QTest::newRow("help lists collection") << QStringList{"--help"} << 0 << "coursetool collection FILE"
                                               << "";
        QTest::newRow("help lists pdf") << QStringList{"--help"} << 0 << "coursetool pdf PAGE OUT.pdf"
                                        << "";
        QTest::newRow("help lists markup with its switches") << QStringList{"--help"} << 0 << "--png FILE"
                                                             << "";
        QTest::newRow("no command") << QStringList{} << 2 << ""
                                    << "coursetool --help";
        QTest::newRow("unknown command") << QStringList{"catalog"} << 2 << ""
                                         << "неизвестная команда «catalog»";
    }
    void run() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcess tool;
        tool.start(QStringLiteral(CP_COURSETOOL), arguments);
        QVERIFY(tool.waitForFinished(60000));
        const QString stdOut = QString::fromUtf8(tool.readAllStandardOutput());
        const QString stdErr = QString::fromUtf8(tool.readAllStandardError());
        QCOMPARE(tool.exitCode(), exitCode);
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        if (exitCode != 0)
            QVERIFY(stdOut.isEmpty()); // errors never mix into output that scripts read
    }
};

QTEST_GUILESS_MAIN(TestCoursetoolCli)
#include "test_coursetool_cli.moc"
