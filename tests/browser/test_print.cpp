// Printing: the page laid out by the browser as vector PDF with the header and footer laid on as
// text (saved files, print to file), and the painted pipeline of the preview; read back from the
// PDFs they make.

#include "BrowserTestSupport.h"
#include "PdfTestSupport.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PrintPipeline.h"

#include <QDialog>
#include <QFile>
#include <QPageSetupDialog>
#include <QPdfDocument>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString PageText(QPdfDocument& document, int page) {
    return document.getAllText(page).text();
}

// Runs check on the next modal dialog once it is shown, then closes it.
template <typename Dialog, typename Check> void WhenDialogShows(Check check) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        check(dialog);
        dialog->reject();
    });
    timer->start();
}

} // namespace

class TestPrint : public QObject {
    Q_OBJECT

    TEmbeddedBrowser* m_browser = nullptr;
    QTemporaryDir m_dir;

    // Saves the page as PDF and opens it.
    bool Save(QPdfDocument& document, const QString& name) {
        const QString file = m_dir.filePath(name);
        if (!m_browser->SaveAsPdf(file))
            return false;
        return document.load(file) == QPdfDocument::Error::None;
    }

    // Loads a fixture page unless it is already on show: one load serves many checks.
    bool Show(const QString& name) {
        if (m_browser->LocationURL() == FixtureUrl(name) &&
            m_browser->ReadyState() == TWebBrowser::ReadyComplete)
            return true;
        return NavigateAndWait(m_browser, Fixture(name));
    }

    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_browser = new TEmbeddedBrowser();
        m_browser->resize(800, 600);
    }

    void cleanupTestCase() { delete m_browser; }

    void init() { SharedPrinter()->setPageLayout(DefaultPrintLayout(QPageSize(QPageSize::A4))); }

    void sharedPrinterStartsPortraitWithEqualMargins() {
        const QPageLayout layout = DefaultPrintLayout(QPageSize(QPageSize::A4));
        QCOMPARE(layout.orientation(), QPageLayout::Portrait);
        QCOMPARE(layout.margins(QPageLayout::Millimeter),
                 QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm));
        QCOMPARE(SharedPrinter(), SharedPrinter());
    }

    void headerAndFooterOnEveryPage() {
        QVERIFY(Show(QStringLiteral("long.html")));
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("long.pdf")));
        const int count = document.pageCount();
        QVERIFY2(count >= 3, qPrintable(QString::number(count)));
        const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
        for (int page = 0; page < count; ++page) {
            const QString text = PageText(document, page);
            QVERIFY2(text.contains(QStringLiteral("Printed lesson")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page + 1).arg(count)),
                     qPrintable(text));
            QVERIFY2(text.contains(FixtureUrl(QStringLiteral("long.html"))), qPrintable(text));
            QVERIFY2(text.contains(date), qPrintable(text));
        }
        // Portrait A4 paper.
        const QSizeF size = document.pagePointSize(0);
        QCOMPARE(qRound(size.width() * 25.4 / 72), 210);
        QCOMPARE(qRound(size.height() * 25.4 / 72), 297);
    }

    void headerSitsInTheTopMarginAndFooterInTheBottom() {
        QVERIFY(Show(QStringLiteral("long.html")));
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("margins.pdf")));
        const qreal margin = kPrintMarginMm * 72 / 25.4;
        const qreal height = document.pagePointSize(0).height();
        const QString text = PageText(document, 0);
        const qsizetype pageAt = text.indexOf(QStringLiteral("Page 1 of"));
        const qsizetype urlAt = text.indexOf(FixtureUrl(QStringLiteral("long.html")));
        QVERIFY(pageAt >= 0 && urlAt >= 0);
        const QRectF pageBox = document.getSelectionAtIndex(0, int(pageAt), 4).boundingRectangle();
        const QRectF urlBox = document.getSelectionAtIndex(0, int(urlAt), 8).boundingRectangle();
        QVERIFY2(pageBox.bottom() <= margin + 1, qPrintable(QString::number(pageBox.bottom())));
        QVERIFY2(urlBox.top() >= height - margin - 1, qPrintable(QString::number(urlBox.top())));
        // Title left, page number right.
        QVERIFY(pageBox.left() > document.pagePointSize(0).width() / 2);
    }

    void twoPageTextPageIsVectorText() {
        QVERIFY(Show(QStringLiteral("twopages.html")));
        const QString path = m_dir.filePath(QStringLiteral("two.pdf"));
        QString error;
        QVERIFY2(m_browser->SaveAsPdf(path, &error), qPrintable(error));
        const QByteArray data = ReadFile(path);
        const TPdfPages pdf = ReadPdf(data);
        QCOMPARE(pdf.Text.size(), 2);
        const QString url = FixtureUrl(QStringLiteral("twopages.html"));
        QVERIFY2(pdf.Text.at(0).contains(QStringLiteral("Electricity lesson begins here")),
                 qPrintable(pdf.Text.at(0)));
        QVERIFY2(pdf.Text.at(0).contains(QStringLiteral("конспект урока о переменном токе")),
                 qPrintable(pdf.Text.at(0)));
        QVERIFY2(pdf.Text.at(1).contains(QStringLiteral("The lesson ends here")), qPrintable(pdf.Text.at(1)));
        for (int page = 0; page < 2; ++page) {
            QVERIFY2(pdf.Text.at(page).contains(QStringLiteral("Two-page lesson")),
                     qPrintable(pdf.Text.at(page)));
            QVERIFY2(pdf.Text.at(page).contains(QStringLiteral("Page %1 of 2").arg(page + 1)),
                     qPrintable(pdf.Text.at(page)));
            QVERIFY2(pdf.Text.at(page).contains(url), qPrintable(pdf.Text.at(page)));
        }
        QCOMPARE(pdf.Links, QStringList{QStringLiteral("https://example.org/lesson/ohm")});
        QCOMPARE(pdf.ImageCount, 0);
        QVERIFY2(data.size() < 200 * 1024, qPrintable(QString::number(data.size())));
    }

    void pageSetupChangesTheNextPrint_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<double>("marginMm");
        QTest::addColumn<int>("widthMm");
        QTest::addColumn<int>("heightMm");
        const int portrait = QPageLayout::Portrait;
        const int landscape = QPageLayout::Landscape;
        QTest::newRow("A4 portrait") << int(QPageSize::A4) << portrait << kPrintMarginMm << 210 << 297;
        QTest::newRow("A4 landscape") << int(QPageSize::A4) << landscape << kPrintMarginMm << 297 << 210;
        QTest::newRow("Letter portrait")
            << int(QPageSize::Letter) << portrait << kPrintMarginMm << 216 << 279;
        QTest::newRow("Letter landscape")
            << int(QPageSize::Letter) << landscape << kPrintMarginMm << 279 << 216;
        QTest::newRow("A5 portrait, wide margins") << int(QPageSize::A5) << portrait << 30.0 << 148 << 210;
    }

    void pageSetupChangesTheNextPrint() {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        QFETCH(double, marginMm);
        QFETCH(int, widthMm);
        QFETCH(int, heightMm);
        QVERIFY(Show(QStringLiteral("twopages.html")));
        SharedPrinter()->setPageSize(QPageSize(QPageSize::PageSizeId(paper)));
        SharedPrinter()->setPageOrientation(QPageLayout::Orientation(orientation));
        SharedPrinter()->setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm),
                                        QPageLayout::Millimeter);
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("setup.pdf")));
        const QSizeF size = document.pagePointSize(0);
        QCOMPARE(qRound(size.width() * 25.4 / 72), widthMm);
        QCOMPARE(qRound(size.height() * 25.4 / 72), heightMm);

        // The body starts at the top left corner inside the margins (the page has no margin of
        // its own); the header sits above it, the footer below the bottom margin.
        const qreal margin = marginMm * 72 / 25.4;
        const QString text = PageText(document, 0);
        const qsizetype bodyAt = text.indexOf(QStringLiteral("Electricity"));
        const qsizetype headerAt = text.indexOf(QStringLiteral("Page 1 of %1").arg(document.pageCount()));
        // A long address gives way to the date on narrow paper: look for its start only.
        const qsizetype footerAt = text.indexOf(QStringLiteral("file://"));
        QVERIFY2(bodyAt >= 0 && headerAt >= 0 && footerAt >= 0, qPrintable(text));
        const QRectF body = document.getSelectionAtIndex(0, int(bodyAt), 11).boundingRectangle();
        const QRectF header = document.getSelectionAtIndex(0, int(headerAt), 4).boundingRectangle();
        const QRectF footer = document.getSelectionAtIndex(0, int(footerAt), 7).boundingRectangle();
        QVERIFY2(qAbs(body.left() - margin) < 3, qPrintable(QString::number(body.left())));
        QVERIFY2(body.top() >= margin - 1 && body.top() < margin + 12,
                 qPrintable(QString::number(body.top())));
        QVERIFY2(header.bottom() <= margin + 1, qPrintable(QString::number(header.bottom())));
        QVERIFY2(footer.top() >= size.height() - margin - 1, qPrintable(QString::number(footer.top())));
        // The footer's address starts at the left margin, the page number ends at the right one.
        QVERIFY2(qAbs(footer.left() - margin) < 3, qPrintable(QString::number(footer.left())));
        QVERIFY(header.left() > size.width() / 2);
    }

    void printToFileKeepsTheChosenPages() {
        QVERIFY(Show(QStringLiteral("twopages.html")));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = m_dir.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(path);
        printer.setPageLayout(DefaultPrintLayout(QPageSize(QPageSize::A4)));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(QStringLiteral("2")));
        QString error;
        QVERIFY2(m_browser->PrintOn(&printer, &error), qPrintable(error));
        const TPdfPages pdf = ReadPdf(ReadFile(path));
        QCOMPARE(pdf.Text.size(), 1);
        QVERIFY2(pdf.Text.at(0).contains(QStringLiteral("Page 2 of 2")), qPrintable(pdf.Text.at(0)));
        QVERIFY2(pdf.Text.at(0).contains(QStringLiteral("The lesson ends here")), qPrintable(pdf.Text.at(0)));
        QCOMPARE(pdf.ImageCount, 0);
    }

    void failedSaveLeavesTheOlderFileWhole() {
        QVERIFY(Show(QStringLiteral("twopages.html")));
        // A name so long that the temporary file beside it cannot be made: the save fails
        // after the page is laid out, where a direct write would have cut the file.
        const QString path = m_dir.filePath(QString(250, u'o'));
        const QByteArray older = "%PDF-1.4 an older saved page";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(older);
        }
        QString error;
        QVERIFY(!m_browser->SaveAsPdf(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ReadFile(path), older);
    }

    void xmlPageWithStylesheetPrints() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("page.xml"))));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->page()->title(), QStringLiteral("XML page"), kWebTimeout);
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("xml.pdf")));
        QVERIFY(PageText(document, 0).contains(QStringLiteral("XML page")));
    }

    void unwritableFileFails() {
        QVERIFY(Show(QStringLiteral("twopages.html")));
        QVERIFY(!m_browser->SaveAsPdf(QStringLiteral("/proc/no-such-folder/page.pdf")));
    }

    void browserDeletedWhileLayingOut() {
        // Chromium must finish laying a page out before the page may go.
        auto* browser = new TEmbeddedBrowser();
        QVERIFY(NavigateAndWait(browser, Fixture(QStringLiteral("long.html"))));
        QPointer<TEmbeddedBrowser> guard(browser);
        const QString path = m_dir.filePath(QStringLiteral("gone.pdf"));
        QFile older(path);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
        older.close();
        QTimer::singleShot(0, browser, [browser] { delete browser; });
        QVERIFY(!browser->SaveAsPdf(path));
        QVERIFY(guard.isNull());
        QCOMPARE(ReadFile(path), QByteArray("older"));
    }

    void previewShowsThePages() {
        QVERIFY(Show(QStringLiteral("long.html")));
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("count.pdf")));
        int shownPages = -1;
        WhenDialogShows<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
            auto* preview = dialog->findChild<QPrintPreviewWidget*>();
            QVERIFY(preview);
            shownPages = preview->pageCount();
            const QString shot = qEnvironmentVariable("CP_SCREENSHOT_DIR");
            if (!shot.isEmpty()) {
                dialog->resize(900, 1000);
                preview->fitInView();
                dialog->grab().save(shot + QStringLiteral("/print-preview.png"));
            }
        });
        m_browser->PrintPreview();
        QCOMPARE(shownPages, document.pageCount());
    }

    void pageSetupOpensOnTheSharedPrinter() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        QPrinter* seen = nullptr;
        WhenDialogShows<QPageSetupDialog>([&](QPageSetupDialog* dialog) { seen = dialog->printer(); });
        m_browser->PageSetup();
        QCOMPARE(seen, SharedPrinter());
    }
};

CP_BROWSER_TEST_MAIN(TestPrint)
#include "test_print.moc"
