// coursetool pdf, run as an author runs it in batch: the file it writes is the page as
// "Сохранить как PDF" makes it, and a page that does not load fails the run without a file.

#include "PdfTestSupport.h"
#include "tests/CoursetoolRun.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

QString Fixture(const QString& name) {
    return QStringLiteral(CP_TEST_DATA "/browser/") + name;
}

using TRun = TCoursetoolRun;

TRun Coursetool(const QStringList& args) {
    return RunCoursetool(QStringLiteral(CP_COURSETOOL), args);
}

} // namespace

class TestPrintCoursetool : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void runs_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("title"); // the header's title of a written file
        const QString out = m_dir.filePath(QStringLiteral("out.pdf"));
        const QString page = Fixture(QStringLiteral("twopages.html"));
        QTest::newRow("the page's own title")
            << QStringList{QStringLiteral("pdf"), page, out} << 0 << QStringLiteral("Two-page lesson");
        QTest::newRow("title given") << QStringList{QStringLiteral("pdf"), page, out,
                                                    QStringLiteral("--title"),
                                                    QStringLiteral("Диск 12, урок 3")}
                                     << 0 << QStringLiteral("Диск 12, урок 3");
        QTest::newRow("missing page")
            << QStringList{QStringLiteral("pdf"), Fixture(QStringLiteral("none.html")), out} << 1
            << QString();
        QTest::newRow("address that does not load")
            << QStringList{QStringLiteral("pdf"), QStringLiteral("file:///no/such/folder/page.html"), out}
            << 1 << QString();
        QTest::newRow("no output file") << QStringList{QStringLiteral("pdf"), page} << 2 << QString();
        QTest::newRow("title without text")
            << QStringList{QStringLiteral("pdf"), page, out, QStringLiteral("--title")} << 2 << QString();
    }

    void runs() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, title);
        const QString out = m_dir.filePath(QStringLiteral("out.pdf"));
        QFile::remove(out);
        const TRun run = Coursetool(args);
        QVERIFY2(run.ExitCode == exitCode, qPrintable(QString::number(run.ExitCode) + u' ' + run.Err));
        if (exitCode != 0) {
            QVERIFY(!run.Err.isEmpty());
            QVERIFY(!QFile::exists(out));
            return;
        }
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const TPdfPages pdf = ReadPdf(file.readAll());
        QCOMPARE(pdf.Text.size(), 2);
        const QString url = QUrl::fromLocalFile(Fixture(QStringLiteral("twopages.html"))).toString();
        for (int page = 0; page < 2; ++page) {
            QVERIFY2(pdf.Text.at(page).contains(title), qPrintable(pdf.Text.at(page)));
            QVERIFY2(pdf.Text.at(page).contains(QStringLiteral("Page %1 of 2").arg(page + 1)),
                     qPrintable(pdf.Text.at(page)));
            QVERIFY2(pdf.Text.at(page).contains(url), qPrintable(pdf.Text.at(page)));
        }
        QVERIFY(pdf.Text.at(0).contains(QStringLiteral("Electricity lesson begins here")));
        QCOMPARE(pdf.Links, QStringList{QStringLiteral("https://example.org/lesson/ohm")});
        QCOMPARE(pdf.ImageCount, 0);
        // The same paper as the viewer's default page set-up.
        QCOMPARE(qRound(pdf.SizesMm.at(0).width()), 210);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv); // reading the PDF's text back
    TestPrintCoursetool test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_printcoursetool.moc"
