// Composing printed pages: the header and footer laid onto a PDF as text, picking pages, and
// replacing a file in one step. No browser: the body pages are made here.

#include "PdfTestSupport.h"
#include "browser/PrintComposer.h"
#include "browser/PrintPipeline.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kUrl = QStringLiteral("file:///media/disc/12/5/3.xml");

TPrintFields Fields() {
    TPrintFields f;
    f.Title = QStringLiteral("Урок о токе");
    f.Url = kUrl;
    f.PrintedAt = QDateTime(QDate(2026, 3, 7), QTime(14, 5));
    return f;
}

QPageLayout Layout(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation, double marginMm) {
    return QPageLayout(QPageSize(paper), orientation, QMarginsF(marginMm, marginMm, marginMm, marginMm),
                       QPageLayout::Millimeter);
}

// A body of pageCount pages laid out for layout, each saying which page it is.
QByteArray Body(const QPageLayout& layout, int pageCount) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(layout);
        QPainter painter(&writer);
        for (int page = 1; page <= pageCount; ++page) {
            if (page > 1)
                writer.newPage();
            painter.drawText(QPointF(0, 400), QStringLiteral("Body text of sheet %1").arg(page));
        }
    }
    return buffer.data();
}

QString PageLine(int page, int count) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(count);
}

} // namespace

class TestPrintComposer : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void headerAndFooterOnEveryPage_data() {
        QTest::addColumn<QPageLayout>("layout");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QSizeF>("sizeMm");
        QTest::newRow("one A4 page") << Layout(QPageSize::A4, QPageLayout::Portrait, kPrintMarginMm) << 1
                                     << QSizeF(210, 297);
        QTest::newRow("three Letter landscape pages")
            << Layout(QPageSize::Letter, QPageLayout::Landscape, kPrintMarginMm) << 3 << QSizeF(279, 216);
        QTest::newRow("twelve A5 pages, narrow margins")
            << Layout(QPageSize::A5, QPageLayout::Portrait, 5) << 12 << QSizeF(148, 210);
    }

    void headerAndFooterOnEveryPage() {
        QFETCH(QPageLayout, layout);
        QFETCH(int, pages);
        QFETCH(QSizeF, sizeMm);
        QString error;
        const QByteArray pdf = ComposePrintedPdf(Body(layout, pages), layout, Fields(), &error);
        QVERIFY2(!pdf.isEmpty(), qPrintable(error));
        const TPdfPages read = ReadPdf(pdf);
        QCOMPARE(read.Text.size(), pages);
        const QString date = QLocale().toString(QDate(2026, 3, 7), QLocale::ShortFormat);
        for (int i = 0; i < pages; ++i) {
            const QString& text = read.Text.at(i);
            QVERIFY2(text.contains(QStringLiteral("Body text of sheet %1").arg(i + 1)), qPrintable(text));
            QVERIFY2(text.contains(PageLine(i + 1, pages)), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("Урок о токе")), qPrintable(text));
            QVERIFY2(text.contains(kUrl), qPrintable(text));
            QVERIFY2(text.contains(date), qPrintable(text));
            QCOMPARE(qRound(read.SizesMm.at(i).width()), qRound(sizeMm.width()));
            QCOMPARE(qRound(read.SizesMm.at(i).height()), qRound(sizeMm.height()));
        }
        // Text, not pictures of text.
        QCOMPARE(read.ImageCount, 0);
    }

    void textCopiesOutAsPrinted() {
        // A second reader (poppler) must read the header and footer as they were written:
        // ligature glyphs would turn "file://" into "ﬁle://".
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed (package poppler-utils)");
        const QPageLayout layout = Layout(QPageSize::A4, QPageLayout::Portrait, kPrintMarginMm);
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write(ComposePrintedPdf(Body(layout, 1), layout, Fields()));
        file.flush();
        QProcess process;
        process.start(pdftotext, {file.fileName(), QStringLiteral("-")});
        QVERIFY(process.waitForFinished(30000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(text.contains(kUrl), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Урок о токе")), qPrintable(text));
        QVERIFY2(text.contains(PageLine(1, 1)), qPrintable(text));
    }

    void unreadableBodyFails_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a PDF") << QByteArray("<html>not a pdf</html>");
        const QByteArray whole = Body(Layout(QPageSize::A4, QPageLayout::Portrait, kPrintMarginMm), 2);
        QTest::newRow("cut short") << whole.left(whole.size() / 3);
    }

    void unreadableBodyFails() {
        QFETCH(QByteArray, body);
        QString error;
        const QByteArray pdf = ComposePrintedPdf(
            body, Layout(QPageSize::A4, QPageLayout::Portrait, kPrintMarginMm), Fields(), &error);
        QVERIFY(pdf.isEmpty());
        QVERIFY(!error.isEmpty());
    }

    void selectPages_data() {
        QTest::addColumn<QString>("ranges");
        QTest::addColumn<QList<int>>("kept"); // empty: the selection fails
        QTest::newRow("all") << QString() << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("one") << QStringLiteral("3") << QList<int>{3};
        QTest::newRow("range and page") << QStringLiteral("1-2,5") << QList<int>{1, 2, 5};
        QTest::newRow("past the end is cut") << QStringLiteral("4-9") << QList<int>{4, 5};
        QTest::newRow("nothing left") << QStringLiteral("7-8") << QList<int>{};
    }

    void selectPages() {
        QFETCH(QString, ranges);
        QFETCH(QList<int>, kept);
        const QPageLayout layout = Layout(QPageSize::A4, QPageLayout::Portrait, kPrintMarginMm);
        const QByteArray composed = ComposePrintedPdf(Body(layout, 5), layout, Fields());
        QVERIFY(!composed.isEmpty());
        QString error;
        const QByteArray selected = SelectPdfPages(composed, QPageRanges::fromString(ranges), &error);
        if (kept.isEmpty()) {
            QVERIFY(selected.isEmpty());
            QVERIFY(!error.isEmpty());
            return;
        }
        QCOMPARE(PdfPageCount(selected), kept.size());
        const TPdfPages read = ReadPdf(selected);
        for (qsizetype i = 0; i < kept.size(); ++i)
            // A page keeps the number it had in the whole document.
            QVERIFY2(read.Text.at(i).contains(PageLine(kept.at(i), 5)), qPrintable(read.Text.at(i)));
    }

    void atomicWrite_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::newRow("replaces an older file") << QStringLiteral("page.pdf") << true;
        // The temporary file beside it cannot be made: its name would be too long.
        QTest::newRow("temporary file cannot be made") << QString(250, u'p') << false;
    }

    void atomicWrite() {
        QFETCH(QString, name);
        QFETCH(bool, written);
        const QString path = m_dir.filePath(name);
        const QByteArray older = QByteArray("%PDF-1.4 older file ") + QByteArray(5000, 'o');
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(older);
        }
        const QByteArray newer = QByteArray("%PDF-1.7 newer file");
        QString error;
        QCOMPARE(WriteFileAtomically(path, newer, &error), written);
        QCOMPARE(error.isEmpty(), written);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), written ? newer : older);
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(name.left(20)).size(), 1);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv); // fonts for the header and footer
    TestPrintComposer test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_printcomposer.moc"
