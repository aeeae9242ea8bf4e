// Printing through the one pipeline: the page laid out by the browser, each page drawn at print
// resolution with the header and footer in the margins; read back from the PDF it makes.

#include "BrowserTestSupport.h"
#include "app/browser/EmbeddedBrowser.h"
#include "app/browser/PrintPipeline.h"

#include <QDialog>
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
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("long.html"))));
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
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("long.html"))));
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

    void pageSetupChangesTheNextPrint_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("widthMm");
        QTest::addColumn<int>("heightMm");
        QTest::newRow("A4 landscape") << int(QPageSize::A4) << int(QPageLayout::Landscape) << 297 << 210;
        QTest::newRow("A5 portrait") << int(QPageSize::A5) << int(QPageLayout::Portrait) << 148 << 210;
        QTest::newRow("Letter portrait")
            << int(QPageSize::Letter) << int(QPageLayout::Portrait) << 216 << 279;
    }

    void pageSetupChangesTheNextPrint() {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        QFETCH(int, widthMm);
        QFETCH(int, heightMm);
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        SharedPrinter()->setPageSize(QPageSize(QPageSize::PageSizeId(paper)));
        SharedPrinter()->setPageOrientation(QPageLayout::Orientation(orientation));
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("setup.pdf")));
        const QSizeF size = document.pagePointSize(0);
        QCOMPARE(qRound(size.width() * 25.4 / 72), widthMm);
        QCOMPARE(qRound(size.height() * 25.4 / 72), heightMm);
        QVERIFY(PageText(document, 0).contains(QStringLiteral("Page 1 of 1")));
    }

    void xmlPageWithStylesheetPrints() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("page.xml"))));
        QTRY_COMPARE_WITH_TIMEOUT(m_browser->page()->title(), QStringLiteral("XML page"), kWebTimeout);
        QPdfDocument document;
        QVERIFY(Save(document, QStringLiteral("xml.pdf")));
        QVERIFY(PageText(document, 0).contains(QStringLiteral("XML page")));
    }

    void unwritableFileFails() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("hint.html"))));
        QVERIFY(!m_browser->SaveAsPdf(QStringLiteral("/proc/no-such-folder/page.pdf")));
    }

    void browserDeletedWhileLayingOut() {
        // Chromium must finish laying a page out before the page may go.
        auto* browser = new TEmbeddedBrowser();
        QVERIFY(NavigateAndWait(browser, Fixture(QStringLiteral("long.html"))));
        QPointer<TEmbeddedBrowser> guard(browser);
        QTimer::singleShot(0, browser, [browser] { delete browser; });
        QVERIFY(!browser->SaveAsPdf(m_dir.filePath(QStringLiteral("gone.pdf"))));
        QVERIFY(guard.isNull());
    }

    void previewShowsThePages() {
        QVERIFY(NavigateAndWait(m_browser, Fixture(QStringLiteral("long.html"))));
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
