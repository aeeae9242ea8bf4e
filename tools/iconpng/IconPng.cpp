// Draws the application's SVG icon at the sizes of the hicolor theme, for the package:
//   iconpng ICON.svg OUTDIR NAME SIZE...  writes OUTDIR/SIZExSIZE/apps/NAME.png
// Run by the build, so the PNG icons always match the SVG one.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: iconpng ICON.svg OUTDIR NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "iconpng: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (int i = 4; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "iconpng: bad size %s\n", qPrintable(args[i]));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[2]).arg(size);
        if (!QDir().mkpath(folder) || !image.save(folder + u'/' + args[3] + QStringLiteral(".png"))) {
            std::fprintf(stderr, "iconpng: cannot write into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
