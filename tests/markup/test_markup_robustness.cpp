// Malformed and huge markup: no crash, no hang, sane sizes. The corpus of the fuzz target is
// replayed here so that every build checks what the fuzzer found.
#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "tests/support/TestMarkupCanvas.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

void RenderAll(const QString& text, int width, TMarkupOutput& out) {
    for (int mode = 0; mode < 4; ++mode) {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, width, 400};
        args.MeasureOnly = mode == 1;
        args.HitTestOnly = mode == 2;
        args.WrapWords = mode != 3;
        args.MouseX = 5;
        args.MouseY = 5;
        out = TMarkupOutput();
        RenderMarkup(canvas, text, args, out);
        QVERIFY(out.NeededWidth >= 0);
        QVERIFY(out.NeededHeight > 0);
        QCOMPARE(canvas.Font(), TTestMarkupCanvas::DefaultFont());
    }
    StripMarkup(text);
}

// Measuring alone gives the sizes a drawing call gives when nothing stops the drawing early
// (an offset of <OF> is carried only by drawing, so such texts are left out).
void SameSizes(const QString& text, int width) {
    TMarkupArgs args;
    args.Bounds = TRect{0, 0, width, 1 << 24};
    args.MouseX = 5;
    args.MouseY = 5;
    TTestMarkupCanvas drawn;
    TMarkupOutput drawnOut;
    RenderMarkup(drawn, text, args, drawnOut);
    args.MeasureOnly = true;
    TTestMarkupCanvas measured;
    TMarkupOutput measuredOut;
    RenderMarkup(measured, text, args, measuredOut);
    QCOMPARE(measuredOut.NeededHeight, drawnOut.NeededHeight);
    QCOMPARE(measuredOut.NeededWidth, drawnOut.NeededWidth);
}

} // namespace

class TestMarkupRobustness final : public QObject {
    Q_OBJECT

private slots:
    void Malformed_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("lone lt") << "<";
        QTest::newRow("lone lt in text") << "a < b";
        QTest::newRow("ampersand at end") << "abc&";
        QTest::newRow("unterminated") << "<FONT COLOR=\"#FF";
        QTest::newRow("closing slash only") << "</";
        QTest::newRow("empty tag") << "<>a<>";
        QTest::newRow("huge IN") << "<IN x=\"99999999999999\">a";
        QTest::newRow("huge negative OF") << "<OF x=\"-99999999999999\">a b c<BR>d";
        QTest::newRow("huge size") << "<FONT SIZE=\"2147483647\">a";
        QTest::newRow("negative size") << "<FONT SIZE=\"-5\">a";
        QTest::newRow("huge image") << "<IMG src=\"IDX:0\" WIDTH=\"2147483647\" HEIGHT=\"2147483647\">";
        QTest::newRow("huge indent") << "<P INDENT=\"2147483647\" ALIGN=\"RIGHT\">a";
        QTest::newRow("huge rotation") << "<R a=\"2147483647\">a</R>";
        QTest::newRow("unmatched closers") << "</A></B></FONT></P></UL></UL></Z></SU></SH>x";
        QTest::newRow("quotes only") << "<A href=\">a\"\"\">";
        QTest::newRow("broken colours") << "<FONT COLOR=\"#GGHHII\" BGCOLOR=\"#\">a";
        QTest::newRow("entity chains") << "&amp;amp;amp;amp;quot;&&&;;";
        QTest::newRow("hash escape alone") << "<#";
        QTest::newRow("tabs") << "a\tb\t\tc";
    }
    void Malformed() {
        QFETCH(QString, text);
        TMarkupOutput out;
        RenderAll(text, 100, out);
    }

    void Huge_data() {
        QTest::addColumn<QString>("text");
        const int n = 100000;
        QTest::newRow("one word") << QString(n, QLatin1Char('a'));
        QTest::newRow("words") << QStringLiteral("word ").repeated(n / 5);
        QTest::newRow("tags") << QStringLiteral("<B>").repeated(n / 3);
        QTest::newRow("lt without gt") << QString(n, QLatin1Char('<'));
        QTest::newRow("amp entities") << QStringLiteral("&amp;").repeated(n / 5);
        QTest::newRow("nested lists") << QStringLiteral("<UL><LI>x").repeated(n / 9);
        QTest::newRow("line breaks") << QStringLiteral("a\r\n").repeated(n / 3);
        QTest::newRow("spaces") << QString(n, QLatin1Char(' '));
    }
    void Huge() {
        QFETCH(QString, text);
        TMarkupOutput out;
        RenderAll(text, 300, out);
    }

    void DeepLists() {
        TTestMarkupCanvas canvas;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 100};
        args.MeasureOnly = true;
        TMarkupOutput out;
        RenderMarkup(canvas, QStringLiteral("<UL>").repeated(5000) + QStringLiteral("<LI>x"), args, out);
        // The item indents by 12 per level; the text no longer fits and starts the next line.
        QCOMPARE(out.NeededWidth, 5000 * 12 + 2);
        QCOMPARE(out.NeededHeight, 5002 * 13);
    }

    void Corpus() {
        const QDir dir(QStringLiteral(CP_FUZZ_CORPUS));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray data = file.readAll();
            if (data.size() < 3)
                continue;
            // Decoded as the fuzz target decodes it.
            const QString text = QString::fromUtf8(data.mid(3));
            TMarkupOutput out;
            RenderAll(text, data[1] * 2, out);
            if (!text.contains(QLatin1String("<OF"), Qt::CaseInsensitive))
                SameSizes(text, data[1] * 2);
        }
    }
};

QTEST_GUILESS_MAIN(TestMarkupRobustness)
#include "test_markup_robustness.moc"
