// Pictures inside markup (image list, shell icons, cached pictures) and the BODY and P
// backgrounds, on the fixed-metrics canvas (text 13 pixels high, characters 7 wide).
#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "markup/MarkupPicture.h"
#include "tests/support/TestMarkupCanvas.h"

#include <QApplication>
#include <QTest>

namespace {

using TCall = TTestMarkupCanvas::TCall;
using TKind = TTestMarkupCanvas::TCallKind;

TImageList MakeList(int size, int count) {
    TImageList list(QSize(size, size));
    for (int i = 0; i < count; ++i) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::green);
        list.Add(pixmap);
    }
    return list;
}

QList<TCall> CallsOf(const TTestMarkupCanvas& canvas, TKind kind) {
    QList<TCall> calls;
    for (const TCall& call : canvas.Calls)
        if (call.Kind == kind)
            calls << call;
    return calls;
}

} // namespace

class TestMarkupPictures final : public QObject {
    Q_OBJECT

private slots:
    void ImageListPictures_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("imageSize");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("neededWidth");
        QTest::addColumn<int>("neededHeight");
        QTest::addColumn<int>("drawnIndex"); // -1: nothing drawn
        QTest::newRow("16 at 96 dpi") << "<IMG src=\"idx:2\">" << 16 << 96 << 18 << 16 << 2;
        QTest::newRow("16 at 120 dpi") << "<IMG src=\"idx:2\">" << 16 << 120 << 22 << 20 << 2;
        QTest::newRow("index past the list") << "<IMG src=\"IDX:9\">" << 16 << 96 << 0 << 13 << -1;
        QTest::newRow("negative index") << "<IMG src=\"IDX:-1\">" << 16 << 96 << 0 << 13 << -1;
        QTest::newRow("no number") << "<IMG src=\"IDX:x\">" << 16 << 96 << 0 << 13 << -1;
        QTest::newRow("beside text") << "ab<IMG src=\"IDX:0\">cd" << 16 << 96 << 46 << 16 << 0;
        QTest::newRow("no source") << "<IMG>" << 16 << 96 << 0 << 13 << -1;
    }
    void ImageListPictures() {
        QFETCH(QString, text);
        QFETCH(int, imageSize);
        QFETCH(int, dpi);
        QFETCH(int, neededWidth);
        QFETCH(int, neededHeight);
        QFETCH(int, drawnIndex);
        const TImageList images = MakeList(imageSize, 5);
        TTestMarkupCanvas canvas;
        canvas.SetPixelsPerInch(dpi);
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        args.Images = &images;
        TMarkupOutput out;
        RenderMarkup(canvas, text, args, out);
        QCOMPARE(out.NeededWidth, neededWidth);
        QCOMPARE(out.NeededHeight, neededHeight);
        const QList<TCall> drawn = CallsOf(canvas, TKind::ImageList);
        QCOMPARE(drawn.size(), drawnIndex < 0 ? 0 : 1);
        if (drawnIndex >= 0) {
            QCOMPARE(drawn[0].Index, drawnIndex);
            QCOMPARE(drawn[0].Y, 0); // at the line's top
        }
    }

    void MissingImageList() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<IMG src=\"IDX:0\">"), args, out);
        QCOMPARE(out.NeededWidth, 0);
        QVERIFY(canvas.Calls.isEmpty());
    }

    void Alignment_data() {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("bottom");
        // A 32-pixel picture makes the line 32 high; text sits on the bottom, at the top
        // (lift 32 - 13) or half-way (lift 9).
        QTest::newRow("bottom") << "" << 32;
        QTest::newRow("top") << " ALIGN=\"TOP\"" << 13;
        QTest::newRow("middle") << " ALIGN=\"MIDDLE\"" << 23;
        QTest::newRow("align without a known value") << " ALIGN=\"LEFT\"" << 32;
        QTest::newRow("wrap hangs the picture") << " WRAP" << 13;
    }
    void Alignment() {
        QFETCH(QString, attributes);
        QFETCH(int, bottom);
        const TImageList images = MakeList(32, 1);
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        args.Images = &images;
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<IMG src=\"IDX:0\"%1>ab").arg(attributes), args, out);
        const QList<TCall> texts = canvas.Texts();
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts[0].X, 33);
        QCOMPARE(texts[0].Y, bottom);
    }

    void Fitting() {
        const TImageList images = MakeList(32, 1);
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 51, 1000}; // 50 pixels to lay out in
        args.Images = &images;
        {
            // 35 + 32 > 50: the picture starts the next line.
            TTestMarkupCanvas canvas;
            TMarkupOutput out;
            RenderMarkup(canvas, QStringLiteral("abcde<IMG src=\"IDX:0\">"), args, out);
            const QList<TCall> pictures = CallsOf(canvas, TKind::ImageList);
            QCOMPARE(pictures.size(), 1);
            QCOMPARE(QPoint(pictures[0].X, pictures[0].Y), QPoint(1, 13));
            QCOMPARE(out.NeededHeight, 45);
        }
        {
            // A picture wider than the whole line stays where it is.
            const TImageList wide = MakeList(64, 1);
            args.Images = &wide;
            TTestMarkupCanvas canvas;
            TMarkupOutput out;
            RenderMarkup(canvas, QStringLiteral("abcde<IMG src=\"IDX:0\">"), args, out);
            const QList<TCall> pictures = CallsOf(canvas, TKind::ImageList);
            QCOMPARE(pictures.size(), 1);
            QCOMPARE(QPoint(pictures[0].X, pictures[0].Y), QPoint(36, 0));
            QCOMPARE(out.NeededHeight, 64);
        }
    }

    void AltPictureUnderThePointer() {
        const TImageList images = MakeList(16, 3);
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        args.Images = &images;
        args.MouseX = 5;
        args.MouseY = 5;
        const QString text = QStringLiteral("<A href=\"go\"><IMG src=\"IDX:0\" alt=\"IDX:1\"></A>");
        TTestMarkupCanvas canvas;
        TMarkupOutput out;
        QVERIFY(RenderMarkup(canvas, text, args, out));
        QCOMPARE(out.AnchorHref, QStringLiteral("go"));
        QCOMPARE(CallsOf(canvas, TKind::ImageList).at(0).Index, 1);

        // Away from it: the SRC picture, no hit.
        args.MouseX = 50;
        TTestMarkupCanvas away;
        TMarkupOutput outAway;
        QVERIFY(!RenderMarkup(away, text, args, outAway));
        QCOMPARE(outAway.AnchorHref, QString());
        QCOMPARE(CallsOf(away, TKind::ImageList).at(0).Index, 0);

        // Outside an anchor a picture is never hit.
        args.MouseX = 5;
        TTestMarkupCanvas plain;
        TMarkupOutput outPlain;
        QVERIFY(!RenderMarkup(plain, QStringLiteral("<IMG src=\"IDX:0\" alt=\"IDX:1\">"), args, outPlain));
    }

    void OtherSchemesStayEmpty() {
        TMarkupPictureCache cache;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        args.PictureCache = &cache;
        const QString text = QStringLiteral("a<IMG src=\"http://example.org/x.png\">b");
        for (int i = 0; i < 2; ++i) {
            TTestMarkupCanvas canvas;
            TMarkupOutput out;
            RenderMarkup(canvas, text, args, out);
            QCOMPARE(cache.Count(), 1);
            QCOMPARE(out.NeededWidth, 16);
            QVERIFY(CallsOf(canvas, TKind::Image).isEmpty());
        }
        QVERIFY(cache.FindPicture(QStringLiteral("http://example.org/x.png"))->Empty());
        // Without a cache nothing is added anywhere and nothing shows.
        args.PictureCache = nullptr;
        TTestMarkupCanvas canvas;
        TMarkupOutput out;
        RenderMarkup(canvas, text, args, out);
        QCOMPARE(out.NeededWidth, 16);
    }

    void CachedPictures_data() {
        QTest::addColumn<QString>("attributes");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QRect>("drawn");
        QTest::addColumn<int>("neededWidth");
        QTest::addColumn<int>("neededHeight");
        // The sample is 8 x 4 pixels.
        QTest::newRow("natural") << "" << 96 << QRect(1, 0, 8, 4) << 10 << 13;
        QTest::newRow("natural at 192 dpi") << "" << 192 << QRect(1, 0, 16, 8) << 18 << 13;
        QTest::newRow("stretched") << " WIDTH=\"20\" HEIGHT=\"30\"" << 96 << QRect(1, 0, 20, 30) << 22 << 30;
        QTest::newRow("one size only: natural") << " WIDTH=\"20\"" << 96 << QRect(1, 0, 8, 4) << 10 << 13;
        QTest::newRow("absurd size is capped")
            << " WIDTH=\"99999999\" HEIGHT=\"2\"" << 96 << QRect(1, 0, 10000, 2) << 10002 << 13;
    }
    void CachedPictures() {
        QFETCH(QString, attributes);
        QFETCH(int, dpi);
        QFETCH(QRect, drawn);
        QFETCH(int, neededWidth);
        QFETCH(int, neededHeight);
        TMarkupPictureCache cache;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 20000, 1000};
        args.PictureCache = &cache;
        TTestMarkupCanvas canvas;
        canvas.SetPixelsPerInch(dpi);
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<IMG src=\"RES://markup_sample.png\"%1>").arg(attributes), args,
                     out);
        const QList<TCall> images = CallsOf(canvas, TKind::Image);
        QCOMPARE(images.size(), 1);
        const TRect& r = images[0].Rect;
        QCOMPARE(QRect(r.Left, r.Top, r.Width(), r.Height()), drawn);
        QCOMPARE(out.NeededWidth, neededWidth);
        QCOMPARE(out.NeededHeight, neededHeight);
    }

    void BodyGradient_data() {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("band");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<quint32>("color");
        // 128 wide: step 2, bands 3 wide (2 + 1), white to black.
        QTest::newRow("first") << "" << 128 << 0 << QRect(0, 0, 3, 20) << quint32(0xFFFFFF);
        QTest::newRow("second") << "" << 128 << 1 << QRect(2, 0, 3, 20) << quint32(0xFBFBFB);
        QTest::newRow("last stops at the edge")
            << "" << 128 << 63 << QRect(126, 0, 2, 20) << quint32(0x040404);
        // 96 wide: step 1.5; band 3 starts at 4.5 -> 4 (ties to even), band 1 at 1.5 -> 2.
        QTest::newRow("tie to even down") << "" << 96 << 3 << QRect(4, 0, 2, 20) << quint32(0xF3F3F3);
        QTest::newRow("tie to even up") << "" << 96 << 1 << QRect(2, 0, 2, 20) << quint32(0xFBFBFB);
        // Top to bottom over 20 rows: step 0.3125, bands 1 high.
        QTest::newRow("vertical") << " DIR=\"V\"" << 128 << 8 << QRect(0, 2, 128, 1) << quint32(0xDFDFDF);
    }
    void BodyGradient() {
        QFETCH(QString, dir);
        QFETCH(int, width);
        QFETCH(int, band);
        QFETCH(QRect, rect);
        QFETCH(quint32, color);
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, width, 20};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<BODY BGCOLOR=\"#FFFFFF\" BGCOLORTO=\"#000000\"%1>x").arg(dir),
                     args, out);
        const QList<TCall> bands = CallsOf(canvas, TKind::Rectangle);
        QCOMPARE(bands.size(), 64);
        const TRect& r = bands[band].Rect;
        QCOMPARE(QRect(r.Left, r.Top, r.Width(), r.Height()), rect);
        QCOMPARE(bands[band].Color, color);
        QCOMPARE(bands[band].PenColor, color);
        // The brush is clear afterwards: the text has no background.
        QCOMPARE(canvas.Texts().at(0).Background, clNone);
    }

    void GradientColourTies() {
        // 0x20 apart: band i adds i / 2 rounded to even, so bands 1 and 3 differ by 2.
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 128, 20};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<BODY BGCOLOR=\"#000000\" BGCOLORTO=\"#200000\">"), args, out);
        const QList<TCall> bands = CallsOf(canvas, TKind::Rectangle);
        QCOMPARE(bands.size(), 64);
        QCOMPARE(bands[1].Color, TColor(0));
        QCOMPARE(bands[2].Color, TColor(1));
        QCOMPARE(bands[3].Color, TColor(2));
        QCOMPARE(bands[5].Color, TColor(2));
    }

    void BodyColour() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{10, 0, 100, 20};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<BODY BGCOLOR=\"clYellow\">x"), args, out);
        const QList<TCall> fills = CallsOf(canvas, TKind::Rectangle);
        QCOMPARE(fills.size(), 1);
        QCOMPARE(fills[0].Rect, (TRect{8, 0, 100, 20}));
        QCOMPARE(fills[0].Color, TColor(0x00FFFF));
        // The brush stays, so the text is drawn on it; the caller gets its brush back.
        QCOMPARE(canvas.Texts().at(0).Background, TColor(0x00FFFF));
        QCOMPARE(canvas.BrushColor(), clNone);

        // Selected items show no BODY background.
        TTestMarkupCanvas selected;
        args.Selected = true;
        RenderMarkup(selected, QStringLiteral("<BODY BGCOLOR=\"clYellow\">x"), args, out);
        QVERIFY(CallsOf(selected, TKind::Rectangle).isEmpty());
    }

    void ParagraphBand() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 100, 200};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<P BGCOLOR=\"#00FF00\">a<BR>b</P>c<BR>d"), args, out);
        // The P line is filled from Bounds.left to Bounds.right; the next line of the
        // paragraph starts with the band; after </P> no more bands.
        QList<TRect> greens;
        for (const TCall& call : CallsOf(canvas, TKind::Rectangle))
            if (call.Color == TColor(0x00FF00))
                greens << call.Rect;
        QCOMPARE(greens.size(), 2);
        QCOMPARE(greens[0], (TRect{0, 0, 100, 13}));
        QCOMPARE(greens[1], (TRect{0, 13, 100, 26}));
        QCOMPARE(canvas.Texts().at(0).Background, TColor(0x00FF00));
        const TTestMarkupCanvas::TCall d = canvas.Texts().last();
        QCOMPARE(d.Text, QStringLiteral("d"));
        QCOMPARE(d.Background, clNone);

        // Selection does not suppress paragraph backgrounds.
        TTestMarkupCanvas selected;
        args.Selected = true;
        RenderMarkup(selected, QStringLiteral("<P BGCOLOR=\"#00FF00\">a</P>"), args, out);
        QVERIFY(!CallsOf(selected, TKind::Rectangle).isEmpty());
    }

    void ParagraphGradient() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 64, 200};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<P BGCOLOR=\"#000000\" BGCOLORTO=\"#FFFFFF\">a</P>"), args, out);
        const QList<TCall> bands = CallsOf(canvas, TKind::Rectangle);
        QCOMPARE(bands.size(), 64);
        // Left to right, 2 pixels below the line.
        QCOMPARE(bands[0].Rect, (TRect{0, 0, 2, 15}));
        QCOMPARE(bands[63].Rect, (TRect{63, 0, 64, 15}));
        QCOMPARE(canvas.Texts().at(0).Background, clNone);
    }

    void BodyPictures() {
        // The 8 x 4 sample tiled over a 20 x 10 item from its top-left corner, clipped to it.
        TMarkupPictureCache cache;
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 20, 10};
        args.PictureCache = &cache;
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<BODY BACKGROUND=\"RES://MARKUP_SAMPLE.PNG\">x"), args, out);
        QList<QPoint> tiles;
        for (const TCall& call : CallsOf(canvas, TKind::Image))
            tiles << QPoint(call.Rect.Left, call.Rect.Top);
        const QList<QPoint> expected = {QPoint(0, 0), QPoint(8, 0), QPoint(16, 0),
                                        QPoint(0, 4), QPoint(8, 4), QPoint(16, 4),
                                        QPoint(0, 8), QPoint(8, 8), QPoint(16, 8)};
        QCOMPARE(tiles, expected);
        QCOMPARE(canvas.Calls.first().Kind, TKind::Clip);
        QCOMPARE(canvas.Calls.first().Rect, args.Bounds);
        QCOMPARE(CallsOf(canvas, TKind::ClearClip).size(), 1);

        // Corner pictures: top-left at the corner, top-right with its right edge at the right.
        TTestMarkupCanvas corners;
        args.Bounds = TRect{10, 5, 100, 30};
        RenderMarkup(
            corners,
            QStringLiteral(
                "<BODY BGTOPLEFT=\"RES://MARKUP_SAMPLE.PNG\" BGTOPRIGHT=\"RES://MARKUP_SAMPLE.PNG\">"),
            args, out);
        const QList<TCall> images = CallsOf(corners, TKind::Image);
        QCOMPARE(images.size(), 2);
        QCOMPARE(images[0].Rect, (TRect{10, 5, 18, 9}));
        QCOMPARE(images[1].Rect, (TRect{92, 5, 100, 9}));
        // The values of BODY are upper-cased, so the source is cached upper-case.
        QVERIFY(cache.FindPicture(QStringLiteral("RES://MARKUP_SAMPLE.PNG")));
    }

    void BodyColourIsUndoneByFontEnd() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 100, 20};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<BODY BGCOLOR=\"clAqua\">a</FONT>b"), args, out);
        const QList<TCall> texts = canvas.Texts();
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0].Background, TColor(0xFFFF00));
        QCOMPARE(texts[1].Background, clNone);
    }

    void ShellIcons_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("size");
        QTest::newRow("small by index") << "SSYS:3" << 16;
        QTest::newRow("large by index") << "LSYS:3" << 32;
        QTest::newRow("small by missing path") << "SSYS:/no/such/file.txt" << 16;
        QTest::newRow("large folder") << "LSYS:/tmp" << 32;
    }
    void ShellIcons() {
        QFETCH(QString, source);
        QFETCH(int, size);
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 1000};
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<IMG src=\"%1\">").arg(source), args, out);
        QCOMPARE(out.NeededWidth, size + 2);
        QCOMPARE(out.NeededHeight, std::max(size, 13));
        const QList<TCall> icons = CallsOf(canvas, TKind::Pixmap);
        QCOMPARE(icons.size(), 1);
        QCOMPARE(QPoint(icons[0].X, icons[0].Y), QPoint(1, 0));
    }
};

QTEST_MAIN(TestMarkupPictures)
#include "test_markup_pictures.moc"
