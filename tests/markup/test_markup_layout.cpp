// Layout of item markup on the fixed-metrics canvas: 13-pixel Tahoma, every character 7 pixels
// wide (8 in bold), every line of text 13 pixels high. The layout rectangle starts 1 pixel in.
#include "markup/Markup.h"
#include "tests/support/TestMarkupCanvas.h"

#include <QTest>

namespace {

using TCall = TTestMarkupCanvas::TCall;
using TKind = TTestMarkupCanvas::TCallKind;

struct TRun {
    TTestMarkupCanvas Canvas;
    TMarkupOutput Out;
    bool Result = false;
};

TMarkupArgs Args(int width, int height = 1000) {
    TMarkupArgs args;
    args.Bounds = TRect{0, 0, width, height};
    return args;
}

void Render(TRun& run, const QString& text, const TMarkupArgs& args) {
    run.Result = RenderMarkup(run.Canvas, text, args, run.Out);
}

// "text@x,bottom" of every text drawn, joined by "|".
QString Drawn(const TTestMarkupCanvas& canvas) {
    QStringList parts;
    for (const TCall& call : canvas.Texts())
        parts << QStringLiteral("%1@%2,%3").arg(call.Text).arg(call.X).arg(call.Y);
    return parts.join(QLatin1Char('|'));
}

const TCall* FindText(const TTestMarkupCanvas& canvas, const QString& text) {
    for (const TCall& call : canvas.Calls)
        if (call.Kind == TKind::Text && call.Text == text)
            return &call;
    return nullptr;
}

} // namespace

class TestMarkupLayout final : public QObject {
    Q_OBJECT

private slots:
    void Layout_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("drawn");
        QTest::addColumn<int>("neededWidth");
        QTest::addColumn<int>("neededHeight");

        QTest::newRow("empty") << "" << 300 << true << "" << 0 << 13;
        QTest::newRow("one word") << "ab" << 300 << true << "ab@1,13" << 16 << 13;
        QTest::newRow("amp entity shows one ampersand")
            << "a &amp; b" << 300 << true << "a @1,13|& @15,13|b@29,13" << 37 << 13;
        QTest::newRow("bare ampersand turns prefix off")
            << "a & b" << 300 << true << "a @1,13|& @15,13|b@29,13" << 37 << 13;
        QTest::newRow("amp entity with prefix off shows two")
            << "a & &amp;" << 300 << true << "a @1,13|& @15,13|&&@29,13" << 44 << 13;
        QTest::newRow("prefix underlines") << "A&B" << 300 << true << "AB@1,13" << 16 << 13;
        QTest::newRow("escaped tag is text") << "&lt;B&gt;" << 300 << true << "<B>@1,13" << 23 << 13;
        QTest::newRow("bold is wider")
            << "<B>bold</B> plain" << 300 << true << "bold@1,13| @33,13|plain@40,13" << 76 << 13;
        QTest::newRow("lower-case tags") << "<b>bold</b>" << 300 << true << "bold@1,13" << 34 << 13;
        QTest::newRow("break at a space")
            << "one two three" << 50 << true << "one @1,13|two @1,26|three@1,39" << 37 << 39;
        QTest::newRow("wide word is never moved")
            << "a verylongword b" << 50 << true << "a @1,13|verylongword @15,13|b@1,26" << 100 << 26;
        QTest::newRow("no break where a tag sits in a word")
            << "ab<B>cd</B>" << 20 << true << "ab@1,13|cd@15,13" << 32 << 13;
        QTest::newRow("no wrap: ellipsis")
            << "one two three four" << 50 << false << "one ...@1,13" << 128 << 13;
        QTest::newRow("centre stays after P")
            << "<P ALIGN=\"CENTER\">ab</P>cd" << 300 << true << "ab@143,13|cd@143,26" << 16 << 26;
        QTest::newRow("right") << "<P ALIGN=\"RIGHT\">ab</P>" << 300 << true << "ab@286,13" << 16 << 13;
        QTest::newRow("right too wide stays left")
            << "<P ALIGN=\"RIGHT\">abcdef</P>" << 30 << true << "abcdef@1,13" << 44 << 13;
        QTest::newRow("last alignment match wins")
            << "<P ALIGN=\"LEFTCENTER\">ab</P>" << 300 << true << "ab@143,13" << 16 << 13;
        QTest::newRow("indent") << "<P INDENT=\"20\">ab" << 300 << true << "ab@21,13" << 16 << 13;
        QTest::newRow("subscript") << "x<SUB>2</SUB>" << 300 << true << "x@1,13|2@8,16" << 16 << 16;
        QTest::newRow("superscript") << "x<SUP>2</SUP>" << 300 << true << "x@1,16|2@8,13" << 16 << 16;
        QTest::newRow("CR LF breaks") << "a\r\nb" << 300 << true << "a@1,13|b@1,26" << 9 << 26;
        QTest::newRow("lone LF does not") << "a\nb" << 300 << true << "ab@1,13" << 16 << 13;
        QTest::newRow("BR") << "a<BR>b" << 300 << true << "a@1,13|b@1,26" << 9 << 26;
        QTest::newRow("hidden") << "<Z>hidden</Z>visible" << 300 << true << "visible@1,13" << 51 << 13;
        QTest::newRow("hash escape") << "<#abc>" << 300 << true << "#abc@1,13" << 30 << 13;
        QTest::newRow("unterminated tag ends text") << "ab<Bxyz" << 300 << true << "ab@1,13" << 16 << 13;
        QTest::newRow("short tail dropped") << "ab<B" << 300 << true << "ab@1,13" << 16 << 13;
        QTest::newRow("unknown tags consumed")
            << "a<Q>b<XYZ>c" << 300 << true << "a@1,13|b@8,13|c@15,13" << 23 << 13;
        QTest::newRow("trailing space not counted") << "ab " << 300 << true << "ab @1,13" << 16 << 13;
        QTest::newRow("nbsp is counted") << "ab&nbsp;" << 300 << true << "ab @1,13" << 23 << 13;
        QTest::newRow("indent tag") << "a<IN x=\"50\">b" << 300 << true << "a@1,13|b@50,13" << 59 << 13;
        // Drawing counts no run widths, so IN places by the line's pictures and tags alone.
        QTest::newRow("indent tag in drawing ignores runs")
            << "abcdef<IN x=\"10\">b" << 300 << true << "abcdef@1,13|b@10,13" << 51 << 13;
        QTest::newRow("offset is carried")
            << "<OF x=\"30\">a<BR>b" << 300 << true << "a@30,13|b@31,26" << 39 << 26;
        // Measuring alone must carry the list level from line to line as drawing does.
        QTest::newRow("list") << "<UL><LI>ab" << 300 << true << "\u00B7@1,26|ab@13,26" << 28 << 26;
        QTest::newRow("offset ends") << "<OF x=\"30\">a</OF><BR>b" << 300 << true << "a@30,13|b@1,26" << 39
                                     << 26;
    }
    void Layout() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, wrap);
        QFETCH(QString, drawn);
        QFETCH(int, neededWidth);
        QFETCH(int, neededHeight);
        TRun run;
        TMarkupArgs args = Args(width);
        args.WrapWords = wrap;
        Render(run, text, args);
        QCOMPARE(Drawn(run.Canvas), drawn);
        QCOMPARE(run.Out.NeededWidth, neededWidth);
        QCOMPARE(run.Out.NeededHeight, neededHeight);
        // Measuring alone gives the same sizes and draws nothing.
        TRun measured;
        args.MeasureOnly = true;
        Render(measured, text, args);
        QCOMPARE(measured.Out.NeededWidth, neededWidth);
        QCOMPARE(measured.Out.NeededHeight, neededHeight);
        QVERIFY(measured.Canvas.Calls.isEmpty());
        // The canvas comes back with its font and brush.
        QCOMPARE(run.Canvas.Font(), TTestMarkupCanvas::DefaultFont());
        QCOMPARE(run.Canvas.BrushColor(), clNone);
    }

    void Styles_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("run");
        QTest::addColumn<uint>("style");
        QTest::addColumn<quint32>("color");
        QTest::addColumn<quint32>("background");
        QTest::addColumn<bool>("selected");
        QTest::newRow("bold") << "<B>x</B>"
                              << "x" << uint(fsBold) << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("bold off") << "<B>a</B>x"
                                  << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("italic, underline, strike") << "<I><U><S>x"
                                                   << "x" << uint(fsItalic | fsUnderline | fsStrikeOut)
                                                   << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("any closing I") << "<I>a</IX>x"
                                       << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("hex colour") << "<FONT COLOR=\"#FF0000\">x</FONT>"
                                    << "x" << 0u << quint32(0x0000FF) << quint32(clNone) << false;
        QTest::newRow("named colour") << "<FONT COLOR=\"clRed\">x</FONT>"
                                      << "x" << 0u << quint32(0x0000FF) << quint32(clNone) << false;
        QTest::newRow("colour ends") << "<FONT COLOR=\"clRed\">a</FONT>x"
                                     << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("background only") << "<FONT BGCOLOR=\"#00FF00\">x</FONT>"
                                         << "x" << 0u << quint32(clBlack) << quint32(0x00FF00) << false;
        QTest::newRow("background ends") << "<FONT BGCOLOR=\"#00FF00\">a</FONT>x"
                                         << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("selected: no colours") << "<FONT COLOR=\"clRed\" BGCOLOR=\"#00FF00\">x"
                                              << "x" << 0u << quint32(clBlack) << quint32(clNone) << true;
        QTest::newRow("anchor") << "<A href=\"doc1\">x</A>"
                                << "x" << uint(fsUnderline) << quint32(clBlue) << quint32(clNone) << false;
        QTest::newRow("anchor selected keeps colour")
            << "<A href=\"doc1\">x</A>"
            << "x" << uint(fsUnderline) << quint32(clBlack) << quint32(clNone) << true;
        QTest::newRow("after anchor") << "<A href=\"d\">a</A>x"
                                      << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("highlight") << "<HI>x</HI>"
                                   << "x" << 0u << quint32(clHighlightText) << quint32(clHighlight) << false;
        QTest::newRow("highlight ends") << "<HI>a</HI>x"
                                        << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("unknown colour name is black")
            << "<FONT COLOR=\"clRed\">a<FONT COLOR=\"zz\">x"
            << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("closing BODY resets colour")
            << "<FONT COLOR=\"clRed\">a</BODY>x"
            << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("closing UL in a list keeps underline")
            << "<UL><U>a</UL>x"
            << "x" << uint(fsUnderline) << quint32(clBlack) << quint32(clNone) << false;
        QTest::newRow("closing UL outside a list ends underline")
            << "<U>a</UL>x"
            << "x" << 0u << quint32(clBlack) << quint32(clNone) << false;
    }
    void Styles() {
        QFETCH(QString, text);
        QFETCH(QString, run);
        QFETCH(uint, style);
        QFETCH(quint32, color);
        QFETCH(quint32, background);
        QFETCH(bool, selected);
        TRun r;
        TMarkupArgs args = Args(300);
        args.Selected = selected;
        Render(r, text, args);
        const TCall* call = FindText(r.Canvas, run);
        QVERIFY2(call, qPrintable(Drawn(r.Canvas)));
        QCOMPARE(call->Font.Style, style);
        QCOMPARE(call->Color, color);
        QCOMPARE(call->Background, background);
    }

    void FontSizes_data() {
        QTest::addColumn<QString>("size");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("pixels");
        QTest::newRow("1") << "1" << 8 << 11;
        QTest::newRow("3") << "3" << 12 << 16;
        QTest::newRow("5") << "5" << 16 << 21;
        QTest::newRow("7 is points") << "7" << 7 << 9;
        QTest::newRow("unquoted") << "3 x" << 12 << 16;
        QTest::newRow("absurd is capped") << "99999999" << 1000 << 1333;
    }
    void FontSizes() {
        QFETCH(QString, size);
        QFETCH(int, points);
        QFETCH(int, pixels);
        TRun r;
        const bool quoted = !size.contains(QLatin1Char(' '));
        const QString tag = quoted ? QStringLiteral("<FONT SIZE=\"%1\">x</FONT>y").arg(size)
                                   : QStringLiteral("<FONT SIZE=%1>x</FONT>y").arg(size);
        Render(r, tag, Args(3000));
        const TCall* x = FindText(r.Canvas, QStringLiteral("x"));
        QVERIFY(x);
        QCOMPARE(x->Font.PixelSize, pixels);
        QCOMPARE(x->Font.Size(96), points);
        // The line is as high as its tallest run, and </FONT> goes back to the base size.
        QCOMPARE(r.Out.NeededHeight, std::max(pixels, 13));
        QCOMPARE(FindText(r.Canvas, QStringLiteral("y"))->Font.PixelSize, 13);
    }

    void FontFace() {
        TRun r;
        Render(r, QStringLiteral("<FONT FACE=\"Arial\">a</FONT>b"), Args(300));
        QCOMPARE(FindText(r.Canvas, QStringLiteral("a"))->Font.Name, QStringLiteral("ARIAL"));
        QCOMPARE(FindText(r.Canvas, QStringLiteral("b"))->Font.Name, QStringLiteral("Tahoma"));
    }

    void Lists() {
        TRun r;
        Render(r, QStringLiteral("<UL><LI>a</LI><LI>b</LI></UL>"), Args(300));
        // An empty line for the UL, one per item (bullet at the line start, text 12 to its
        // right, top-aligned bullets), and a last line that holds only </UL>.
        QCOMPARE(Drawn(r.Canvas), QStringLiteral("\u00B7@1,26|a@13,26|\u00B7@1,39|b@13,39"));
        QCOMPARE(r.Out.NeededHeight, 52);
        QCOMPARE(r.Out.NeededWidth, 21);
        const TCall* bullet = FindText(r.Canvas, QStringLiteral("\u00B7"));
        QCOMPARE(bullet->Font.Name, QStringLiteral("Symbol"));
        QCOMPARE(FindText(r.Canvas, QStringLiteral("a"))->Font.Name, QStringLiteral("Tahoma"));

        TRun nested;
        Render(nested, QStringLiteral("<UL><LI>a<UL><LI>b</LI></UL></LI></UL>"), Args(300));
        QCOMPARE(Drawn(nested.Canvas), QStringLiteral("\u00B7@1,26|a@13,26|o@13,39|b@25,39"));
        QCOMPARE(nested.Out.NeededHeight, 65);

        // A second item on one line starts the next line.
        TRun twice;
        Render(twice, QStringLiteral("<UL><LI>a<LI>b"), Args(300));
        QCOMPARE(Drawn(twice.Canvas), QStringLiteral("\u00B7@1,26|a@13,26|\u00B7@1,39|b@13,39"));
    }

    void Anchors_data() {
        QTest::addColumn<int>("mouseX");
        QTest::addColumn<int>("mouseY");
        QTest::addColumn<bool>("hitTestOnly");
        QTest::addColumn<QString>("href");
        QTest::addColumn<bool>("result");
        // "<A href="doc1">link</A> text": link covers x 1..29 of the first line (bottom 13).
        QTest::newRow("over the link") << 10 << 5 << true << "doc1" << true;
        QTest::newRow("left edge") << 1 << 5 << true << "doc1" << true;
        QTest::newRow("right edge") << 29 << 5 << true << "doc1" << true;
        QTest::newRow("past the link") << 40 << 5 << true << "unchanged" << false;
        QTest::newRow("on the top row") << 10 << 0 << true << "unchanged" << false;
        QTest::newRow("below the line: href, no result") << 10 << 20 << true << "doc1" << false;
        QTest::newRow("drawing call reports no text hit") << 10 << 5 << false << "doc1" << false;
    }
    void Anchors() {
        QFETCH(int, mouseX);
        QFETCH(int, mouseY);
        QFETCH(bool, hitTestOnly);
        QFETCH(QString, href);
        QFETCH(bool, result);
        TRun r;
        r.Out.AnchorHref = QStringLiteral("unchanged");
        TMarkupArgs args = Args(300);
        args.MouseX = mouseX;
        args.MouseY = mouseY;
        args.HitTestOnly = hitTestOnly;
        Render(r, QStringLiteral("<A href=\"doc1\">link</A> text"), args);
        QCOMPARE(r.Out.AnchorHref, href);
        QCOMPARE(r.Result, result);
        if (hitTestOnly)
            QVERIFY(r.Canvas.Calls.isEmpty());
    }

    void AnchorWithoutQuotes() {
        TRun r;
        TMarkupArgs args = Args(300);
        args.MouseX = 5;
        args.MouseY = 5;
        args.HitTestOnly = true;
        Render(r, QStringLiteral("<A href=doc>x</A>"), args);
        QCOMPARE(r.Out.AnchorHref, QString());
        QVERIFY(r.Result);
    }

    void StopsBelowBounds() {
        TRun drawn;
        Render(drawn, QStringLiteral("a<BR>b<BR>c"), Args(300, 20));
        QCOMPARE(Drawn(drawn.Canvas), QStringLiteral("a@1,13"));
        QCOMPARE(drawn.Out.NeededHeight, 13);
        TRun measured;
        TMarkupArgs args = Args(300, 20);
        args.MeasureOnly = true;
        Render(measured, QStringLiteral("a<BR>b<BR>c"), args);
        QCOMPARE(measured.Out.NeededHeight, 39);
        // The first line is laid out whatever the height.
        TRun tiny;
        Render(tiny, QStringLiteral("a<BR>b"), Args(300, 1));
        QCOMPARE(Drawn(tiny.Canvas), QStringLiteral("a@1,13"));
    }

    void ShadowAndBlink() {
        TRun shadow;
        Render(shadow, QStringLiteral("<SH>a</SH>b"), Args(300));
        const QList<TCall> texts = shadow.Canvas.Texts();
        QCOMPARE(texts.size(), 3);
        QCOMPARE(texts[0].Color, TColor(0x808080));
        QCOMPARE(texts[0].X, 2);
        QCOMPARE(texts[0].Y, 14);
        QCOMPARE(texts[1].Color, clBlack);
        QCOMPARE(texts[1].X, 1);
        QCOMPARE(Drawn(shadow.Canvas), QStringLiteral("a@2,14|a@1,13|b@8,13"));

        for (const bool blinkOn : {false, true}) {
            TRun blink;
            blink.Canvas.SetBrushColor(clWhite);
            TMarkupArgs args = Args(300);
            args.BlinkOn = blinkOn;
            Render(blink, QStringLiteral("<BL>a</BL>b"), args);
            QCOMPARE(FindText(blink.Canvas, QStringLiteral("a"))->Color, blinkOn ? clBlack : clWhite);
            QCOMPARE(FindText(blink.Canvas, QStringLiteral("b"))->Color, clBlack);
            QCOMPARE(blink.Canvas.BrushColor(), clWhite);
        }
    }

    void ErrorUnderline() {
        TRun r;
        Render(r, QStringLiteral("x<E>ab</E>"), Args(300));
        // "ab" spans 8..22; the zig-zag starts at 8 (a multiple of 4: below the baseline)
        // and alternates every 2 pixels up to the run's right edge.
        QList<QPoint> points;
        for (const TCall& call : r.Canvas.Calls) {
            if (call.Kind != TKind::Line)
                continue;
            QCOMPARE(call.Color, TColor(0x0000FF));
            if (points.isEmpty())
                points << QPoint(call.X, call.Y);
            points << QPoint(call.X2, call.Y2);
        }
        QCOMPARE(points.size(), 8);
        QCOMPARE(points.first(), QPoint(8, 14));
        QCOMPARE(points[1], QPoint(10, 12));
        QCOMPARE(points.last(), QPoint(22, 12));

        TRun odd;
        Render(odd, QStringLiteral("xy<E>a"), Args(300));
        // Run left 15 -> 14, not a multiple of 4: starts above.
        const auto first = std::find_if(odd.Canvas.Calls.cbegin(), odd.Canvas.Calls.cend(),
                                        [](const TCall& c) { return c.Kind == TKind::Line; });
        QVERIFY(first != odd.Canvas.Calls.cend());
        QCOMPARE(QPoint(first->X, first->Y), QPoint(14, 12));
    }

    void Rule() {
        TRun r;
        Render(r, QStringLiteral("a<HR>b"), Args(300));
        const auto line = std::find_if(r.Canvas.Calls.cbegin(), r.Canvas.Calls.cend(),
                                       [](const TCall& c) { return c.Kind == TKind::Line; });
        QVERIFY(line != r.Canvas.Calls.cend());
        QCOMPARE(line->Color, clBlack);
        QCOMPARE(QPoint(line->X, line->Y), QPoint(1, 14));
        QCOMPARE(QPoint(line->X2, line->Y2), QPoint(300, 14));
        QCOMPARE(Drawn(r.Canvas), QStringLiteral("a@1,13|b@1,26"));
    }

    void Rotation() {
        TRun r;
        Render(r, QStringLiteral("<R a=\"90\">x</R>y"), Args(300));
        QCOMPARE(FindText(r.Canvas, QStringLiteral("x"))->Rotation, 900);
        QCOMPARE(FindText(r.Canvas, QStringLiteral("y"))->Rotation, 0);
    }

    void StatePerLine() {
        // Anchors, hidden text and list levels carry over lines; sub- and superscript do not.
        TRun r;
        TMarkupArgs args = Args(300);
        args.MouseX = 3;
        args.MouseY = 20;
        args.HitTestOnly = true;
        Render(r, QStringLiteral("<A href=\"h\">a<BR>b</A>"), args);
        QCOMPARE(r.Out.AnchorHref, QStringLiteral("h"));
        QVERIFY(r.Result);

        TRun sub;
        Render(sub, QStringLiteral("<SUB>a<BR>b"), Args(300));
        QCOMPARE(Drawn(sub.Canvas), QStringLiteral("a@1,16|b@1,29"));
        QCOMPARE(sub.Out.NeededHeight, 29);

        TRun hidden;
        Render(hidden, QStringLiteral("<Z>a<BR>b</Z>c"), Args(300));
        QCOMPARE(Drawn(hidden.Canvas), QStringLiteral("c@1,26"));
    }
};

QTEST_GUILESS_MAIN(TestMarkupLayout)
#include "test_markup_layout.moc"
