// coursetool markup TEXT [...]: one RenderMarkup call on a canvas of the given size, with the
// tree's font unless told otherwise, and its outputs. --png also saves what the call drew.

#include "app/ErrorReport.h"
#include "app/Fonts.h"
#include "markup/Markup.h"
#include "markup/MarkupPicture.h"
#include "markup/QtMarkupCanvas.h"
#include "tools/coursetool/Commands.h"

#include <QImage>
#include <QPainter>

namespace {

int Fail(const QString& message) {
    PrintErr(QStringLiteral("coursetool markup: %1\n").arg(message));
    return 2;
}

bool ReadInt(const QString& text, int min, int max, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        return false;
    value = v;
    return true;
}

} // namespace

int RunMarkup(const QStringList& args) {
    QString text;
    bool haveText = false;
    int width = 300;
    int height = 1000;
    QString family = QStringLiteral("Tahoma");
    int pixelSize = 13;
    int mouseX = 0;
    int mouseY = 0;
    bool measureOnly = false;
    bool hitTestOnly = false;
    bool selected = false;
    bool wrap = true;
    bool json = false;
    QString png;

    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        auto value = [&](QString& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (arg == QLatin1String("--width")) {
            if (!value(v) || !ReadInt(v, 1, 20000, width))
                return Fail(QStringLiteral("--width needs a number of pixels from 1 to 20000"));
        } else if (arg == QLatin1String("--height")) {
            if (!value(v) || !ReadInt(v, 1, 20000, height))
                return Fail(QStringLiteral("--height needs a number of pixels from 1 to 20000"));
        } else if (arg == QLatin1String("--font")) {
            if (!value(family) || family.isEmpty())
                return Fail(QStringLiteral("--font needs a family name"));
        } else if (arg == QLatin1String("--pixel-size")) {
            if (!value(v) || !ReadInt(v, 1, 1000, pixelSize))
                return Fail(QStringLiteral("--pixel-size needs a number from 1 to 1000"));
        } else if (arg == QLatin1String("--mouse")) {
            const QStringList xy = value(v) ? v.split(QLatin1Char(',')) : QStringList();
            if (xy.size() != 2 || !ReadInt(xy[0], -100000, 100000, mouseX) ||
                !ReadInt(xy[1], -100000, 100000, mouseY))
                return Fail(QStringLiteral("--mouse needs X,Y"));
        } else if (arg == QLatin1String("--measure-only")) {
            measureOnly = true;
        } else if (arg == QLatin1String("--hit-test-only")) {
            hitTestOnly = true;
        } else if (arg == QLatin1String("--selected")) {
            selected = true;
        } else if (arg == QLatin1String("--no-wrap")) {
            wrap = false;
        } else if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--png")) {
            if (!value(png) || png.isEmpty())
                return Fail(QStringLiteral("--png needs a file name"));
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Fail(QStringLiteral("unknown option %1").arg(arg));
        } else if (!haveText) {
            text = arg;
            haveText = true;
        } else {
            return Fail(QStringLiteral("only one TEXT is taken"));
        }
    }
    if (!haveText)
        return Fail(QStringLiteral("TEXT is missing"));

    RegisterOriginalFonts();
    // A picture that cannot be decoded is reported here rather than in a message box.
    SetErrorReporter([](const QString& message) { PrintErr(message + QLatin1Char('\n')); });

    QFont font(family);
    font.setPixelSize(pixelSize);
    // Always a real drawing surface, so that every option sees the same resolution.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    TMarkupPictureCache cache;
    TMarkupOutput out;
    bool result = false;
    int ghHeight = 0;
    {
        QPainter painter(&image);
        TQtMarkupCanvas canvas(&painter, font);
        canvas.SetFontColor(clBlack);
        canvas.SetBrushColor(clNone);
        ghHeight = canvas.TextHeight(QStringLiteral("gh"));
        TMarkupArgs markupArgs;
        markupArgs.Bounds = TRect{0, 0, width, height};
        markupArgs.PictureCache = &cache;
        markupArgs.MouseX = mouseX;
        markupArgs.MouseY = mouseY;
        markupArgs.MeasureOnly = measureOnly;
        markupArgs.HitTestOnly = hitTestOnly;
        markupArgs.Selected = selected;
        markupArgs.BlinkOn = true;
        markupArgs.WrapWords = wrap;
        result = RenderMarkup(canvas, text, markupArgs, out);
    }
    if (!png.isEmpty() && !image.save(png, "PNG")) {
        PrintErr(QStringLiteral("coursetool markup: cannot write %1\n").arg(png));
        return 1;
    }

    if (json) {
        PrintOut(QStringLiteral(
                     "{\"neededWidth\":%1,\"neededHeight\":%2,\"anchor\":%3,\"result\":%4,\"ghHeight\":%5}\n")
                     .arg(out.NeededWidth)
                     .arg(out.NeededHeight)
                     .arg(JsonString(out.AnchorHref))
                     .arg(result ? QStringLiteral("true") : QStringLiteral("false"))
                     .arg(ghHeight));
    } else {
        PrintOut(QStringLiteral("neededWidth: %1\nneededHeight: %2\nanchor: %3\nresult: %4\nghHeight: %5\n")
                     .arg(out.NeededWidth)
                     .arg(out.NeededHeight)
                     .arg(out.AnchorHref)
                     .arg(result ? QStringLiteral("true") : QStringLiteral("false"))
                     .arg(ghHeight));
    }
    return 0;
}
