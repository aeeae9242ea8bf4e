// The canvas over QPainter: sizes, measuring, bottom-aligned single-line text, prefix
// processing and the end ellipsis, looked at in the pixels of an image.
#include "app/Fonts.h"
#include "markup/Markup.h"
#include "markup/QtMarkupCanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

QFont TreeFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    return font;
}

// Rows and columns that hold any non-white pixel.
QRect Ink(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestMarkupQtCanvas final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterOriginalFonts(); }

    void FontFromPixels() {
        TQtMarkupCanvas canvas(nullptr, TreeFont());
        QCOMPARE(canvas.PixelsPerInchX(), 96);
        QCOMPARE(canvas.Font().PixelSize, 13);
        QCOMPARE(canvas.Font().Size(96), 10);
        QFont points(QStringLiteral("Tahoma"));
        points.setPointSize(9);
        points.setBold(true);
        TQtMarkupCanvas fromPoints(nullptr, points);
        QCOMPARE(fromPoints.Font().PixelSize, 12);
        QCOMPARE(fromPoints.Font().Style, unsigned(fsBold));
    }

    void Measure_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned>("format");
        QTest::addColumn<QString>("shown");
        const unsigned calc = TextFormat::CalcRect | TextFormat::SingleLine | TextFormat::Bottom;
        QTest::newRow("plain") << "Hello" << calc << "Hello";
        QTest::newRow("cyrillic") << QString::fromUtf8("Привет") << calc << QString::fromUtf8("Привет");
        QTest::newRow("prefix drops the ampersand") << "A&B" << calc << "AB";
        QTest::newRow("double ampersand shows one") << "a&&b" << calc << "a&b";
        QTest::newRow("no prefix") << "A&B" << (calc | TextFormat::NoPrefix) << "A&B";
        QTest::newRow("empty") << "" << calc << "";
    }
    void Measure() {
        QFETCH(QString, text);
        QFETCH(unsigned, format);
        QFETCH(QString, shown);
        TQtMarkupCanvas canvas(nullptr, TreeFont());
        TRect rect{10, 20, 10, 20};
        const int height = canvas.DrawText(text, rect, format);
        const QFontMetrics metrics(canvas.CurrentQFont());
        QCOMPARE(rect.Width(), metrics.horizontalAdvance(shown));
        QCOMPARE(rect.Height(), metrics.height());
        QCOMPARE(height, metrics.height());
        QCOMPARE(rect.Left, 10);
        QCOMPARE(canvas.TextHeight(QStringLiteral("gh")), metrics.height());
    }

    void FontsChangeWidths() {
        TQtMarkupCanvas canvas(nullptr, TreeFont());
        TRect plain{0, 0, 0, 0};
        canvas.DrawText(QStringLiteral("Wide words"), plain, TextFormat::CalcRect);
        TMarkupFont larger = canvas.Font();
        larger.PixelSize = 20;
        canvas.SetFont(larger);
        TRect wide{0, 0, 0, 0};
        canvas.DrawText(QStringLiteral("Wide words"), wide, TextFormat::CalcRect);
        QVERIFY(wide.Width() > plain.Width());
        // The cache of widths is per font: the plain width comes back unchanged.
        canvas.SetFont(TQtMarkupCanvas(nullptr, TreeFont()).Font());
        TRect again{0, 0, 0, 0};
        canvas.DrawText(QStringLiteral("Wide words"), again, TextFormat::CalcRect);
        QCOMPARE(again.Width(), plain.Width());
    }

    void BottomAligned() {
        QImage image = WhiteImage(200, 60);
        QPainter painter(&image);
        {
            TQtMarkupCanvas canvas(&painter, TreeFont());
            TRect rect{10, 0, 200, 50};
            canvas.DrawText(QStringLiteral("Hg"), rect, TextFormat::Bottom | TextFormat::SingleLine);
        }
        painter.end();
        const QRect ink = Ink(image);
        const QFontMetrics metrics(TreeFont());
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.bottom() < 50 && ink.bottom() >= 50 - metrics.descent() - 1,
                 qPrintable(QString::number(ink.bottom())));
        QVERIFY(ink.top() >= 50 - metrics.height());
        QVERIFY(ink.left() >= 10);
    }

    void PrefixUnderline() {
        // "&B" underlines B: more ink below the baseline than without the prefix.
        auto draw = [](const QString& text, unsigned format) {
            QImage image = WhiteImage(100, 30);
            QPainter painter(&image);
            {
                TQtMarkupCanvas canvas(&painter, TreeFont());
                TRect rect{2, 0, 100, 20};
                canvas.DrawText(text, rect, TextFormat::Bottom | TextFormat::SingleLine | format);
            }
            painter.end();
            return image;
        };
        const QRect prefixed = Ink(draw(QStringLiteral("A&B"), 0));
        const QRect plain = Ink(draw(QStringLiteral("AB"), 0));
        const QRect raw = Ink(draw(QStringLiteral("A&B"), TextFormat::NoPrefix));
        QCOMPARE(prefixed.left(), plain.left());
        QVERIFY(prefixed.bottom() > plain.bottom()); // the underline
        QVERIFY(raw.width() > plain.width());        // the ampersand shows
    }

    void EndEllipsis() {
        const QString text = QStringLiteral("A rather long caption that will not fit at all");
        QImage image = WhiteImage(300, 20);
        QPainter painter(&image);
        {
            TQtMarkupCanvas canvas(&painter, TreeFont());
            TRect rect{0, 0, 80, 18};
            canvas.DrawText(text, rect,
                            TextFormat::Bottom | TextFormat::SingleLine | TextFormat::EndEllipsis);
            // Measuring still gives the whole width.
            TRect measured{0, 0, 80, 18};
            canvas.DrawText(text, measured, TextFormat::CalcRect | TextFormat::EndEllipsis);
            QVERIFY(measured.Width() > 80);
        }
        painter.end();
        const QRect ink = Ink(image);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(ink.right() < 80, qPrintable(QString::number(ink.right())));
    }

    void OpaqueBackground() {
        QImage image = WhiteImage(100, 20);
        QPainter painter(&image);
        {
            TQtMarkupCanvas canvas(&painter, TreeFont());
            canvas.SetBrushColor(0x00FF00);
            TRect rect{0, 0, 100, 18};
            canvas.DrawText(QStringLiteral("ab"), rect, TextFormat::Bottom | TextFormat::SingleLine);
        }
        painter.end();
        QCOMPARE(image.pixel(1, 17), qRgb(0, 255, 0));
        QCOMPARE(image.pixel(90, 17), qRgb(255, 255, 255));
    }

    void NullPainterDrawsNothingButMeasures() {
        TQtMarkupCanvas canvas(nullptr, TreeFont());
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 100};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<B>bold</B> and <FONT COLOR=\"clRed\">red</FONT>"), args, out);
        QVERIFY(out.NeededWidth > 0);
        QCOMPARE(out.NeededHeight, QFontMetrics(TreeFont()).height());
        canvas.Rectangle(TRect{0, 0, 10, 10});
        canvas.LineTo(5, 5);
    }

    void WordsLookLikeOneText_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("latin") << "one two three words";
        QTest::newRow("cyrillic") << QString::fromUtf8("Урок 3. Сложение и вычитание");
    }
    void WordsLookLikeOneText() {
        // The engine draws word by word; on screen that must be the same as the whole text.
        QFETCH(QString, text);
        QImage markup = WhiteImage(300, 20);
        {
            QPainter painter(&markup);
            TQtMarkupCanvas canvas(&painter, TreeFont());
            TMarkupArgs args;
            args.Bounds = TRect{0, 0, 300, 20};
            TMarkupOutput out;
            RenderMarkup(canvas, text, args, out);
        }
        QImage plain = WhiteImage(300, 20);
        {
            QPainter painter(&plain);
            painter.setFont(TreeFont());
            const QFontMetrics metrics(TreeFont());
            painter.drawText(QPoint(1, metrics.height() - metrics.descent()), text);
        }
        QCOMPARE(markup, plain);
    }

    void DrawnWhenTheCallReturns() {
        // The caller paints on with its painter after the call (focus frames, selection):
        // nothing of the text may come later than that.
        QImage image = WhiteImage(100, 20);
        QPainter painter(&image);
        TQtMarkupCanvas canvas(&painter, TreeFont());
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 100, 20};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("some words"), args, out);
        QVERIFY(!Ink(image).isEmpty());
        painter.fillRect(image.rect(), Qt::white);
        canvas.Flush();
        QVERIFY(Ink(image).isEmpty());
    }

    void RenderedMarkupLooksRight() {
        // The colours of the markup reach the pixels.
        QImage image = WhiteImage(300, 40);
        QPainter painter(&image);
        {
            TQtMarkupCanvas canvas(&painter, TreeFont());
            TMarkupArgs args;
            args.Bounds = TRect{0, 0, 300, 40};
            TMarkupOutput out;
            RenderMarkup(canvas, QStringLiteral("<FONT COLOR=\"#FF0000\">RED</FONT>"), args, out);
        }
        painter.end();
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x)
                red = image.pixel(x, y) == qRgb(255, 0, 0);
        QVERIFY(red);
    }
};

QTEST_MAIN(TestMarkupQtCanvas)
#include "test_markup_qtcanvas.moc"
