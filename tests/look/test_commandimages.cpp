// The 15 command icons: every index has its own drawing, in three looks of 28 x 28.

#include "look/CommandImages.h"

#include <QFile>
#include <QTest>

class TestCommandImages final : public QObject {
    Q_OBJECT
private slots:
    void looks_data();
    void looks();
    void everyIndexHasItsOwnDrawing();
    void outOfRangeGivesNothing();
    void sharpAtTwiceTheDensity_data();
    void sharpAtTwiceTheDensity();
    void applicationIconAtEverySize();
    void extraIconDrawnWhenAsked();
};

namespace {

// How many pixels of two pictures of one size differ clearly in any channel.
int ClearlyDifferent(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            count += qAbs(qAlpha(p) - qAlpha(q)) > 48 || qAbs(qRed(p) - qRed(q)) > 48 ||
                     qAbs(qGreen(p) - qGreen(q)) > 48 || qAbs(qBlue(p) - qBlue(q)) > 48;
        }
    return count;
}

} // namespace

void TestCommandImages::looks_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("file");
    const char* files[] = {"remove_favor", "up",         "down",          "forward",     "run",
                           "add_favor",    "close",      "back",          "clear_favor", "load_favor",
                           "print",        "show_favor", "print_preview", "save_favor",  "show_all_theory"};
    QCOMPARE(int(std::size(files)), TCommandImages::Count);
    for (int i = 0; i < TCommandImages::Count; ++i)
        QTest::newRow(files[i]) << i << QStringLiteral(":/icons/%1.svg").arg(QLatin1String(files[i]));
}

void TestCommandImages::looks() {
    QFETCH(int, index);
    QFETCH(QString, file);
    QCOMPARE(TCommandImages::FileName(index), file);
    QVERIFY(QFile::exists(file));
    TCommandImages images;
    const QImage normal = images.Normal(index).toImage();
    const QImage hot = images.Hot(index).toImage();
    const QImage disabled = images.Disabled(index).toImage();
    for (const QImage& look : {normal, hot, disabled})
        QCOMPARE(look.size(), QSize(28, 28));
    // A drawing, not an empty square; and three different looks of it.
    int opaque = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            opaque += qAlpha(normal.pixel(x, y)) > 128;
    QVERIFY2(opaque > 60, qPrintable(QStringLiteral("only %1 opaque pixels").arg(opaque)));
    QVERIFY(hot != normal);
    QVERIFY(disabled.convertToFormat(normal.format()) != normal);
    const QIcon icon = images.Icon(index);
    QCOMPARE(icon.pixmap(28, 28, QIcon::Normal).toImage().convertToFormat(normal.format()), normal);
    QCOMPARE(icon.pixmap(28, 28, QIcon::Active).toImage().convertToFormat(hot.format()), hot);
    QCOMPARE(icon.pixmap(28, 28, QIcon::Disabled).toImage().convertToFormat(disabled.format()),
             disabled.convertToFormat(normal.format()));
}

void TestCommandImages::everyIndexHasItsOwnDrawing() {
    TCommandImages images;
    for (int i = 0; i < TCommandImages::Count; ++i)
        for (int j = i + 1; j < TCommandImages::Count; ++j)
            QVERIFY2(images.Normal(i).toImage() != images.Normal(j).toImage(),
                     qPrintable(QStringLiteral("icons %1 and %2 are the same").arg(i).arg(j)));
}

void TestCommandImages::outOfRangeGivesNothing() {
    TCommandImages images;
    QVERIFY(images.Icon(-1).isNull());
    QVERIFY(images.Icon(TCommandImages::Count).isNull());
    QVERIFY(images.Normal(TCommandImages::Count).isNull());
    QVERIFY(TCommandImages::FileName(99).isEmpty());
}

void TestCommandImages::sharpAtTwiceTheDensity_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("mode");
    const char* modes[] = {"normal", "disabled", "hot"}; // QIcon::Normal, Disabled, Active
    for (int i = 0; i < TCommandImages::Count; ++i)
        for (int mode = 0; mode < 3; ++mode)
            QTest::addRow("%d %s", i, modes[mode]) << i << mode;
}

void TestCommandImages::sharpAtTwiceTheDensity() {
    QFETCH(int, index);
    QFETCH(int, mode);
    TCommandImages images;
    const auto look = [&](int scale) {
        return mode == QIcon::Normal     ? images.Normal(index, scale)
               : mode == QIcon::Disabled ? images.Disabled(index, scale)
                                         : images.Hot(index, scale);
    };
    const QPixmap small = look(1);
    const QPixmap big = look(2);
    QCOMPARE(big.size(), QSize(56, 56));
    QCOMPARE(big.devicePixelRatio(), 2.0);
    QCOMPARE(big.deviceIndependentSize(), QSizeF(28, 28));
    // A tool bar on a screen at 200 % asks the icon for 28 x 28 at ratio 2 and gets the drawing
    // made for it.
    const QPixmap asked = images.Icon(index).pixmap(QSize(28, 28), 2.0, QIcon::Mode(mode));
    QCOMPARE(asked.size(), QSize(56, 56));
    QCOMPARE(ClearlyDifferent(asked.toImage(), big.toImage()), 0);
    // Not the small drawing scaled up: its edges are sharper than that would be.
    const QImage upscaled = small.toImage().scaled(56, 56, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int differ = ClearlyDifferent(big.toImage(), upscaled);
    QVERIFY2(differ > 40,
             qPrintable(QStringLiteral("only %1 pixels differ from the scaled copy").arg(differ)));
    // And the ordinary screen still gets the small one.
    QCOMPARE(images.Icon(index).pixmap(QSize(28, 28), 1.0, QIcon::Mode(mode)).size(), QSize(28, 28));
    QVERIFY(images.Normal(index, 3).isNull());
}

void TestCommandImages::applicationIconAtEverySize() {
    QVERIFY(QFile::exists(TCommandImages::ApplicationIconFile()));
    const QIcon icon = TCommandImages::ApplicationIcon();
    QVERIFY(!icon.isNull());
    QImage previous;
    for (const int pixels : {16, 24, 32, 48, 64, 128}) {
        QVERIFY(icon.availableSizes().contains(QSize(pixels, pixels)));
        const QImage image = icon.pixmap(QSize(pixels, pixels), 1.0).toImage();
        QCOMPARE(image.size(), QSize(pixels, pixels));
        // Drawn: most of the square is covered, and it has more than one colour.
        int opaque = 0;
        for (int y = 0; y < pixels; ++y)
            for (int x = 0; x < pixels; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 200;
        QVERIFY2(opaque > pixels * pixels / 2,
                 qPrintable(QStringLiteral("%1 px: %2 opaque").arg(pixels).arg(opaque)));
        QVERIFY(image.pixel(pixels / 2, pixels / 2) != image.pixel(pixels / 4, pixels / 2) ||
                image.pixel(pixels / 2, pixels / 2) != image.pixel(pixels / 2, pixels / 8));
        // Each size drawn for itself, not the previous one scaled.
        if (pixels == 64)
            QVERIFY(ClearlyDifferent(image, previous.scaled(64, 64, Qt::IgnoreAspectRatio,
                                                            Qt::SmoothTransformation)) > 40);
        previous = image;
    }
}

void TestCommandImages::extraIconDrawnWhenAsked() {
    // Drawn only when first asked for pixels, in the same three looks at both densities.
    const QIcon icon = TCommandImages::ExtraIcon(QStringLiteral(":/icons/search.svg"));
    QVERIFY(!icon.isNull());
    QImage looks[3];
    for (const int mode : {QIcon::Normal, QIcon::Active, QIcon::Disabled}) {
        const QImage small = icon.pixmap(QSize(28, 28), 1.0, QIcon::Mode(mode)).toImage();
        const QPixmap big = icon.pixmap(QSize(28, 28), 2.0, QIcon::Mode(mode));
        QCOMPARE(small.size(), QSize(28, 28));
        QCOMPARE(big.size(), QSize(56, 56));
        const QImage upscaled = small.scaled(56, 56, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(ClearlyDifferent(big.toImage(), upscaled) > 20);
        looks[mode] = small.convertToFormat(QImage::Format_ARGB32);
    }
    int opaque = 0;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            opaque += qAlpha(looks[QIcon::Normal].pixel(x, y)) > 128;
    QVERIFY(opaque > 30);
    QVERIFY(looks[QIcon::Active] != looks[QIcon::Normal]);
    QVERIFY(looks[QIcon::Disabled] != looks[QIcon::Normal]);
    // A copy that is changed gets its own engine, with the same drawing.
    QIcon copy = icon;
    copy.addPixmap(QPixmap(8, 8), QIcon::Selected);
    QCOMPARE(copy.pixmap(QSize(28, 28), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
             looks[QIcon::Normal]);
}

QTEST_MAIN(TestCommandImages)
#include "test_commandimages.moc"
