// Printing through CUPS: the page goes to the queue as one vector PDF job with the print
// dialog's copies and page range. The test starts a CUPS server of its own with a stopped
// queue, so the job stays in the spool to be read back; without cupsd it is skipped.

#include "BrowserTestSupport.h"
#include "PdfTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PrintCups.h"
#include "browser/PrintPipeline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <cups/cups.h>

namespace {

const QString kQueue = QStringLiteral("cptest");

// The server's folder; its socket path must stay short.
QString ServerRoot() {
    return QStringLiteral("/tmp/cp-cups-%1").arg(QCoreApplication::applicationPid());
}

QString SocketPath() {
    return ServerRoot() + QStringLiteral("/cups.sock");
}

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}

QString FindTool(const QString& name) {
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// The attributes of a job, as the server keeps them.
struct TJobAttributes {
    int Copies = 0;
    QString PageRanges; // "2-2" and the like
    QString Sides;
    QString Format;
    int NumberUp = 0;
    QString PageSet;
};

TJobAttributes JobAttributes(int jobId) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = QByteArrayLiteral("ipp://localhost/jobs/") + QByteArray::number(jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    TJobAttributes result;
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (!response)
        return result;
    if (ipp_attribute_t* a = ippFindAttribute(response, "copies", IPP_TAG_INTEGER))
        result.Copies = ippGetInteger(a, 0);
    if (ipp_attribute_t* a = ippFindAttribute(response, "page-ranges", IPP_TAG_RANGE)) {
        QStringList ranges;
        for (int i = 0; i < ippGetCount(a); ++i) {
            int upper = 0;
            const int lower = ippGetRange(a, i, &upper);
            ranges.append(QStringLiteral("%1-%2").arg(lower).arg(upper));
        }
        result.PageRanges = ranges.join(u',');
    }
    if (ipp_attribute_t* a = ippFindAttribute(response, "sides", IPP_TAG_KEYWORD))
        result.Sides = QString::fromUtf8(ippGetString(a, 0, nullptr));
    if (ipp_attribute_t* a = ippFindAttribute(response, "number-up", IPP_TAG_INTEGER))
        result.NumberUp = ippGetInteger(a, 0);
    if (ipp_attribute_t* a = ippFindAttribute(response, "page-set", IPP_TAG_ZERO))
        result.PageSet = QString::fromUtf8(ippGetString(a, 0, nullptr));
    if (ipp_attribute_t* a = ippFindAttribute(response, "document-format-supplied", IPP_TAG_MIMETYPE))
        result.Format = QString::fromUtf8(ippGetString(a, 0, nullptr));
    ippDelete(response);
    return result;
}

// The newest job waiting on the queue; 0 when there is none.
int NewestJob() {
    cups_job_t* jobs = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
    int newest = 0;
    for (int i = 0; i < count; ++i)
        newest = qMax(newest, jobs[i].id);
    cupsFreeJobs(count, jobs);
    return newest;
}

} // namespace

class TestPrintCups : public QObject {
    Q_OBJECT

    QString m_skipReason; // why CUPS printing cannot be checked here
    QProcess m_server;
    TEmbeddedBrowser* m_browser = nullptr;

    // Starts a private cupsd with one stopped queue; the reason when it cannot.
    QString StartServer() {
        const QString cupsd = FindTool(QStringLiteral("cupsd"));
        const QString lpadmin = FindTool(QStringLiteral("lpadmin"));
        const QString cupsdisable = FindTool(QStringLiteral("cupsdisable"));
        if (cupsd.isEmpty() || lpadmin.isEmpty() || cupsdisable.isEmpty())
            return QStringLiteral(
                "cupsd, lpadmin or cupsdisable is not installed (packages cups-daemon, cups-client)");
        const QString root = ServerRoot();
        QDir(root).removeRecursively();
        for (const char* sub : {"spool", "tmp", "cache", "state", "ppd"})
            if (!QDir().mkpath(root + u'/' + QLatin1String(sub)))
                return QStringLiteral("cannot make %1").arg(root);
        const bool written =
            WriteText(
                root + QStringLiteral("/cupsd.conf"),
                QStringLiteral("Listen %1\nLogLevel warn\n<Location />\n  Order allow,deny\n  Allow all\n"
                               "</Location>\n")
                    .arg(SocketPath())) &&
            WriteText(
                root + QStringLiteral("/cups-files.conf"),
                QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                               "StateDir %1/state\nErrorLog %1/error_log\nAccessLog %1/access_log\n"
                               "PageLog %1/page_log\nFileDevice Yes\n")
                    .arg(root));
        if (!written)
            return QStringLiteral("cannot write the server's configuration in %1").arg(root);
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.start(cupsd,
                       {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                        QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        if (!m_server.waitForStarted(10000))
            return QStringLiteral("cupsd did not start: %1").arg(m_server.errorString());
        if (!QTest::qWaitFor([] { return QFileInfo::exists(SocketPath()); }, 20000) ||
            m_server.state() != QProcess::Running)
            return QStringLiteral("cupsd did not come up: %1")
                .arg(QString::fromLocal8Bit(m_server.readAll()));
        const auto run = [](const QString& tool, const QStringList& args) {
            QProcess process;
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(tool, args);
            if (!process.waitForFinished(30000) || process.exitCode() != 0)
                return QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAll()));
            return QString();
        };
        QString failure =
            run(lpadmin, {QStringLiteral("-p"), kQueue, QStringLiteral("-E"), QStringLiteral("-v"),
                          QStringLiteral("file:///dev/null"), QStringLiteral("-m"), QStringLiteral("raw")});
        if (failure.isEmpty())
            // Stopped but accepting: jobs wait in the spool with their documents.
            failure = run(cupsdisable, {kQueue});
        return failure;
    }

private slots:
    void initTestCase() {
        m_skipReason = StartServer();
        if (!m_skipReason.isEmpty())
            return;
        m_browser = new TEmbeddedBrowser();
        m_browser->resize(800, 600);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("twopages.html"))));
    }

    void cleanupTestCase() {
        delete m_browser;
        if (m_server.state() == QProcess::Running) {
            m_server.terminate();
            if (!m_server.waitForFinished(10000))
                m_server.kill();
        }
        QDir(ServerRoot()).removeRecursively();
    }

    void init() {
        if (!m_skipReason.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no CUPS server to print to: ") + m_skipReason));
    }

    void knowsItsQueues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("queue");
        QTest::newRow("the queue") << kQueue << true;
        QTest::newRow("unknown printer") << QStringLiteral("no-such-printer") << false;
        QTest::newRow("no name") << QString() << false;
    }

    void knowsItsQueues() {
        QFETCH(QString, name);
        QFETCH(bool, queue);
        QCOMPARE(IsCupsQueue(name), queue);
    }

    void printsTheVectorPdf_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("ranges");
        QTest::addColumn<QStringList>("dialogOptions");
        QTest::addColumn<int>("numberUp");
        QTest::addColumn<QString>("pageSet");
        QTest::newRow("one copy of all pages") << 1 << QString() << QStringList() << 1 << QString();
        QTest::newRow("three copies of page 2")
            << 3 << QStringLiteral("2") << QStringList() << 1 << QString();
        QTest::newRow("two copies of pages 1 to 2, two per sheet, odd")
            << 2 << QStringLiteral("1-2")
            << QStringList{QStringLiteral("number-up"), QStringLiteral("2"), QStringLiteral("page-set"),
                           QStringLiteral("odd")}
            << 2 << QStringLiteral("odd");
        // The dialog's own choice of copies loses to the copies field.
        QTest::newRow("copies set twice")
            << 2 << QString() << QStringList{QStringLiteral("copies"), QStringLiteral("5")} << 1 << QString();
    }

    void printsTheVectorPdf() {
        QFETCH(int, copies);
        QFETCH(QString, ranges);
        QFETCH(QStringList, dialogOptions);
        QFETCH(int, numberUp);
        QFETCH(QString, pageSet);
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(kQueue);
        QCOMPARE(printer.printerName(), kQueue);
        printer.setPageLayout(DefaultPrintLayout(QPageSize(QPageSize::A4)));
        printer.setCopyCount(copies);
        // The test queue prints one side only, as the dialog then leaves it.
        printer.setDuplex(QPrinter::DuplexNone);
        if (!ranges.isEmpty()) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setPageRanges(QPageRanges::fromString(ranges));
        }
        // Where the print dialog leaves its further CUPS choices.
        printer.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00), dialogOptions);
        const int before = NewestJob();
        QString error;
        QVERIFY2(m_browser->PrintOn(&printer, &error), qPrintable(error));
        const int job = NewestJob();
        QVERIFY(job > before);

        const TJobAttributes attributes = JobAttributes(job);
        QCOMPARE(attributes.Copies, copies);
        QCOMPARE(attributes.PageRanges,
                 ranges.isEmpty() || ranges.contains(u'-') ? ranges : ranges + u'-' + ranges);
        QCOMPARE(attributes.Sides, QStringLiteral("one-sided"));
        QCOMPARE(attributes.Format, QStringLiteral("application/pdf"));
        QCOMPARE(attributes.NumberUp, numberUp);
        QCOMPARE(attributes.PageSet, pageSet);

        // The document in the spool: the whole composed page, the queue picks the pages.
        QFile document(
            QStringLiteral("%1/spool/d%2-001").arg(ServerRoot()).arg(job, 5, 10, QLatin1Char('0')));
        QVERIFY2(document.open(QIODevice::ReadOnly), qPrintable(document.fileName()));
        const TPdfPages pdf = ReadPdf(document.readAll());
        QCOMPARE(pdf.Text.size(), 2);
        QVERIFY2(pdf.Text.at(1).contains(QStringLiteral("Page 2 of 2")), qPrintable(pdf.Text.at(1)));
        QVERIFY2(pdf.Text.at(1).contains(QStringLiteral("The lesson ends here")), qPrintable(pdf.Text.at(1)));
        QCOMPARE(pdf.ImageCount, 0);
    }

    void unknownQueueFailsWithAReason() {
        TCupsJob job;
        job.Printer = QStringLiteral("no-such-printer");
        QString error;
        QCOMPARE(SendPdfToCups(job, QByteArray("%PDF-1.4"), &error), 0);
        QVERIFY(!error.isEmpty());
    }
};

int main(int argc, char** argv) {
    // Before anything asks CUPS: the client library reads the server's address once.
    qputenv("CUPS_SERVER", SocketPath().toLocal8Bit());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    SetAllowedFileRoots({QStringLiteral(CP_TEST_DATA "/browser")});
    TestPrintCups test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_printcups.moc"
