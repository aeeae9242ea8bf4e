// The canvas over QPainter: sizes, measuring, bottom-aligned single-line text, prefix
// processing and the end ellipsis, looked at in the pixels of an image.
#include "app/Fonts.h"
#include "markup/Markup.h"
#include "markup/QtMarkupCanvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <vector>

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

// Tahoma's line at 13 pixels from its Windows metrics (usWinAscent 2049 and usWinDescent 423
// of 2048 units): 13 above the baseline and 3 below.
constexpr int kTahoma13Height = 16;
constexpr int kTahoma13Descent = 3;

bool HaveTahoma() {
    return QFontInfo(TreeFont()).family().compare(QLatin1String("Tahoma"), Qt::CaseInsensitive) == 0;
}

// Markup drawn by the engine on a white image in the tree's font.
QImage RenderImage(const QString& markup, int width, int height) {
    QImage image = WhiteImage(width, height);
    QPainter painter(&image);
    TQtMarkupCanvas canvas(&painter, TreeFont());
    TMarkupArgs args;
    args.Bounds = TRect{0, 0, width, height};
    TMarkupOutput out;
    RenderMarkup(canvas, markup, args, out);
    return image;
}

// The ink of the columns [left, right] only.
QRect InkBetween(const QImage& image, int left, int right) {
    return Ink(image.copy(left, 0, right - left + 1, image.height())).translated(left, 0);
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
        QCOMPARE(rect.Height(), kTahoma13Height);
        QCOMPARE(height, kTahoma13Height);
        QCOMPARE(rect.Left, 10);
        QCOMPARE(canvas.TextHeight(QStringLiteral("gh")), kTahoma13Height);
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

    // Canvases come and go caption by caption, and the fonts behind them are looked up among the
    // last few used: base fonts that differ in any way, more of them than that list holds, each
    // keep their own widths whatever the order.
    void EachBaseFontKeepsItsWidths() {
        std::vector<QFont> fonts;
        for (int i = 0; i < 6; ++i) {
            QFont font = TreeFont();
            font.setLetterSpacing(QFont::AbsoluteSpacing, i); // only the base font tells them apart
            fonts.push_back(font);
        }
        const QString text = QStringLiteral("Wide words");
        for (int round = 0; round < 2; ++round)
            for (std::size_t i : {0, 5, 1, 4, 2, 3, 0, 3}) {
                TQtMarkupCanvas canvas(nullptr, fonts[i]);
                TRect rect{0, 0, 0, 0};
                canvas.DrawText(text, rect, TextFormat::CalcRect);
                QCOMPARE(rect.Width(), QFontMetrics(fonts[i]).horizontalAdvance(text));
            }
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
        QCOMPARE(out.NeededHeight, kTahoma13Height);
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
            painter.drawText(QPoint(1, kTahoma13Height - kTahoma13Descent), text);
        }
        QCOMPARE(markup, plain);
    }

    // A caption without markup takes a shorter way through the engine; it must come out as the
    // same caption does through the full layout (a trailing empty tag sends it there).
    // width <= 0: the words' own width plus 2 (the engine's margin) plus width.
    void PlainCaptionsAsThroughTheFullLayout_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("wrap");
        const QString lesson = QString::fromUtf8("Урок 3. Сложение и вычитание дробей");
        QTest::newRow("one word") << QString::fromUtf8("Введение") << 300 << true;
        QTest::newRow("words") << lesson << 300 << true;
        QTest::newRow("trailing space") << QString::fromUtf8("Глава 1 ") << 300 << true;
        QTest::newRow("leading spaces") << QString::fromUtf8("  Глава 2") << 300 << true;
        QTest::newRow("spaces only") << QStringLiteral("   ") << 300 << true;
        QTest::newRow("just fits") << lesson << 0 << true;
        QTest::newRow("one pixel short: wraps") << lesson << -1 << true;
        QTest::newRow("narrow: wraps") << lesson << 90 << true;
        QTest::newRow("not wrapped") << lesson << 300 << false;
        QTest::newRow("not wrapped, elided") << lesson << 90 << false;
    }
    void PlainCaptionsAsThroughTheFullLayout() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, wrap);
        if (width <= 0) {
            TQtMarkupCanvas canvas(nullptr, TreeFont());
            width += canvas.WordsWidth(text, 0) + 2;
        }
        const auto render = [&](const QString& markup, TMarkupOutput& out, TMarkupOutput& measured) {
            QImage image = WhiteImage(width, 40);
            QPainter painter(&image);
            TQtMarkupCanvas canvas(&painter, TreeFont());
            TMarkupArgs args;
            args.Bounds = TRect{0, 0, width, 40};
            args.WrapWords = wrap;
            args.MeasureOnly = true;
            RenderMarkup(canvas, markup, args, measured);
            args.MeasureOnly = false;
            RenderMarkup(canvas, markup, args, out);
            return image;
        };
        TMarkupOutput plain, plainMeasured, full, fullMeasured;
        const QImage plainImage = render(text, plain, plainMeasured);
        const QImage fullImage = render(text + QStringLiteral("<B></B>"), full, fullMeasured);
        QCOMPARE(plainMeasured.NeededWidth, fullMeasured.NeededWidth);
        QCOMPARE(plainMeasured.NeededHeight, fullMeasured.NeededHeight);
        QCOMPARE(plain.NeededWidth, full.NeededWidth);
        QCOMPARE(plain.NeededHeight, full.NeededHeight);
        QCOMPARE(plainImage, fullImage);
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

    void LineHeightFromWindowsMetrics_data() {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("descent");
        // Ascent and descent are each rounded from the font's units, as the content was laid
        // out with.
        QTest::newRow("13 px") << 13 << kTahoma13Height << kTahoma13Descent;
        QTest::newRow("11 px") << 11 << 13 << 2;
        QTest::newRow("16 px") << 16 << 19 << 3;
        QTest::newRow("20 px") << 20 << 24 << 4;
    }
    void LineHeightFromWindowsMetrics() {
        QFETCH(int, pixels);
        QFETCH(int, height);
        QFETCH(int, descent);
        if (!HaveTahoma())
            QSKIP("Tahoma is not installed");
        QFont font = TreeFont();
        font.setPixelSize(pixels);
        TQtMarkupCanvas canvas(nullptr, font);
        QCOMPARE(canvas.TextHeight(QStringLiteral("gh")), height);
        TRect rect{0, 0, 0, 0};
        QCOMPARE(canvas.DrawText(QStringLiteral("Йод"), rect, TextFormat::CalcRect), height);
        QCOMPARE(rect.Height(), height);
        // Bottom-aligned text stands on the baseline that descent leaves below it.
        QImage image = WhiteImage(100, 60);
        {
            QPainter painter(&image);
            TQtMarkupCanvas drawing(&painter, font);
            TRect line{0, 0, 100, 50};
            drawing.DrawText(QStringLiteral("HHH"), line, TextFormat::Bottom | TextFormat::SingleLine);
        }
        QCOMPARE(Ink(image).bottom(), 50 - descent - 1);
    }

    void AccentsClearTheLineAbove_data() {
        QTest::addColumn<QString>("markup");
        QTest::newRow("Ё under descenders") << QStringLiteral("Друг<BR>Ёж");
        QTest::newRow("Й under у and р") << QStringLiteral("ру<BR>ЙОД");
        QTest::newRow("three lines") << QStringLiteral("ДЦЩ<BR>ЙЁ ду<BR>ЁЙ");
    }
    void AccentsClearTheLineAbove() {
        // Between the lines of a caption there is a blank pixel row: the accents of Й and Ё do
        // not touch the line above.
        QFETCH(QString, markup);
        if (!HaveTahoma())
            QSKIP("Tahoma is not installed");
        const QImage image = RenderImage(markup, 120, 80);
        const int lines = int(markup.count(QLatin1String("<BR>"))) + 1;
        int blocks = 0;
        bool inInk = false;
        for (int y = 0; y < image.height(); ++y) {
            const bool ink = !Ink(image.copy(0, y, image.width(), 1)).isEmpty();
            if (ink && !inInk)
                ++blocks;
            inInk = ink;
        }
        QCOMPARE(blocks, lines);
    }

    void FallbackTextOnTheBaseline_data() {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<int>("plainWidth"); // leading Latin letters whose baseline is the reference
        QTest::newRow("alpha") << QStringLiteral("xxα") << 2;
        QTest::newRow("omicron") << QStringLiteral("xxοxx") << 2;
        QTest::newRow("greek word") << QStringLiteral("xx ακο") << 2;
        QTest::newRow("nested-list bullet") << QStringLiteral("xx<FONT FACE=\"Symbol\">o</FONT>") << 2;
    }
    void FallbackTextOnTheBaseline() {
        // A character the font lacks comes from another font with a larger ascent; the text is
        // still set on the line's baseline, the Latin letters beside it as well.
        QFETCH(QString, markup);
        QFETCH(int, plainWidth);
        if (!HaveTahoma())
            QSKIP("Tahoma is not installed");
        // The letters as QPainter sets them on the line's baseline.
        QImage reference = WhiteImage(200, 30);
        {
            QPainter painter(&reference);
            painter.setFont(TreeFont());
            painter.drawText(QPoint(1, kTahoma13Height - kTahoma13Descent), QStringLiteral("xx"));
        }
        const int baseline = Ink(reference).bottom();
        const QImage image = RenderImage(markup, 200, 30);
        const int xxRight = QFontMetrics(TreeFont()).horizontalAdvance(QString(plainWidth, QLatin1Char('x')));
        QCOMPARE(InkBetween(image, 0, xxRight).bottom(), baseline);
        const QRect rest = InkBetween(image, xxRight + 1, image.width() - 1);
        QVERIFY(!rest.isEmpty());
        QVERIFY2(qAbs(rest.bottom() - baseline) <= 1,
                 qPrintable(QStringLiteral("bottom %1, baseline %2").arg(rest.bottom()).arg(baseline)));
    }

    void SynthesisedBoldKeepsLettersApart_data() {
        QTest::addColumn<QString>("pair");
        QTest::newRow("rn") << QStringLiteral("rn");
        QTest::newRow("шп") << QStringLiteral("шп");
    }
    void SynthesisedBoldKeepsLettersApart() {
        // Bold made by thickening the regular strokes needs room between the letters, or "rn"
        // reads "m".
        QFETCH(QString, pair);
        if (!HaveTahoma())
            QSKIP("Tahoma is not installed");
        const QImage image = RenderImage(QStringLiteral("<B>") + pair + QStringLiteral("</B>"), 60, 20);
        const QRect ink = Ink(image);
        QVERIFY(!ink.isEmpty());
        // A column between them with no pixel darker than light grey.
        bool gap = false;
        for (int x = ink.left() + 1; x < ink.right() && !gap; ++x) {
            int darkest = 255;
            for (int y = 0; y < image.height(); ++y)
                darkest = qMin(darkest, qGray(image.pixel(x, y)));
            gap = darkest >= 200;
        }
        QVERIFY2(gap, "the two letters touch");
    }

    void BoldMeasuredAsDrawn_data() {
        QTest::addColumn<QString>("word");
        QTest::newRow("latin") << QStringLiteral("Summary");
        QTest::newRow("cyrillic") << QStringLiteral("Полужирный");
        QTest::newRow("one letter") << QStringLiteral("m");
    }
    void BoldMeasuredAsDrawn() {
        // The width the engine lays a bold run out with is the width it is drawn with: the next
        // run starts right after the bold word's ink, not inside it nor far from it.
        QFETCH(QString, word);
        TQtMarkupCanvas measuring(nullptr, TreeFont());
        TMarkupFont bold = measuring.Font();
        bold.Style |= fsBold;
        measuring.SetFont(bold);
        TRect measured{0, 0, 0, 0};
        measuring.DrawText(word, measured, TextFormat::CalcRect | TextFormat::SingleLine);
        const QImage image = RenderImage(QStringLiteral("<B>") + word + QStringLiteral("</B>"), 200, 20);
        const QRect ink = Ink(image);
        // The engine starts one pixel in; the last letter's ink ends within its advance.
        QVERIFY2(ink.right() <= measured.Width() && ink.right() >= measured.Width() - 3,
                 qPrintable(QStringLiteral("ink to %1, measured %2").arg(ink.right()).arg(measured.Width())));
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 200, 20};
        args.MeasureOnly = true;
        TMarkupOutput out;
        TQtMarkupCanvas engine(nullptr, TreeFont());
        RenderMarkup(engine, QStringLiteral("<B>") + word + QStringLiteral("</B>"), args, out);
        QCOMPARE(out.NeededWidth, measured.Width() + 2);
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
