// Drives the markup engine with arbitrary texts: RenderMarkup on the fixed-metrics canvas in
// every mode, and StripMarkup. The first bytes choose the mode and the layout width.
#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "tests/support/TestMarkupCanvas.h"

#include <QGuiApplication>
#include <QPixmap>
#include <cstdint>
#include <cstdlib>

namespace {

QGuiApplication* App() {
    static int argc = 1;
    static char name[] = "markup_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    return app;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    App();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    static TImageList images = [] {
        TImageList list(QSize(16, 16));
        for (int i = 0; i < 3; ++i) {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::red);
            list.Add(pixmap);
        }
        return list;
    }();
    const uint8_t mode = data[0];
    const int width = data[1] * 2;
    const int height = data[2] * 4;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));

    TMarkupArgs args;
    args.Bounds = TRect{mode & 0x40 ? 5 : 0, 0, width, height};
    args.Images = (mode & 0x20) ? &images : nullptr;
    args.MouseX = data[1];
    args.MouseY = data[2];
    args.MeasureOnly = mode & 1;
    args.HitTestOnly = mode & 2;
    args.Selected = mode & 4;
    args.BlinkOn = mode & 8;
    args.WrapWords = !(mode & 16);
    TTestMarkupCanvas canvas(TTestMarkupCanvas::DefaultFont(), true);
    canvas.SetBrushColor(mode & 0x80 ? clWhite : clNone);
    TMarkupOutput out;
    RenderMarkup(canvas, text, args, out);
    if (out.NeededWidth < 0 || out.NeededHeight <= 0)
        std::abort(); // a needed size is never negative, and one line is always counted
    if (!(canvas.Font() == TTestMarkupCanvas::DefaultFont()))
        std::abort(); // the base font comes back
    (void)StripMarkup(text);
    return 0;
}
