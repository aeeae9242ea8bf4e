// Pictures of the markup and their cache: loading from resources, files and bytes, sizes at
// 96 pixels per inch, drawing, and the errors of undecodable bytes.
#include "app/ErrorReport.h"
#include "markup/Markup.h"
#include "markup/MarkupPicture.h"
#include "tests/support/TestMarkupCanvas.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

namespace {

QByteArray Png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray Bmp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

class TestMarkupPictureCache final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetErrorReporter({}); }

    void Sizes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("himetricWidth");
        QTest::addColumn<int>("himetricHeight");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("96 x 48 is 2540 x 1270") << Png(96, 48) << 2540 << 1270 << 96 << 48;
        QTest::newRow("1 x 1") << Png(1, 1) << 26 << 26 << 1 << 1;
        QTest::newRow("bitmap") << Bmp(8, 4) << 212 << 106 << 8 << 4;
    }
    void Sizes() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, himetricWidth);
        QFETCH(int, himetricHeight);
        QFETCH(int, width);
        QFETCH(int, height);
        TMarkupPicture picture;
        QVERIFY(picture.Empty());
        QCOMPARE(picture.Width(), 0);
        picture.LoadFromData(bytes);
        QVERIFY(!picture.Empty());
        QCOMPARE(picture.HimetricWidth(), himetricWidth);
        QCOMPARE(picture.HimetricHeight(), himetricHeight);
        QCOMPARE(picture.Width(), width);
        QCOMPARE(picture.Height(), height);
    }

    void DecodingErrors_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("garbage") << QByteArray("not a picture at all")
                                 << "Could not load image. Invalid format";
        QTest::newRow("nothing") << QByteArray() << "Could not load image. Invalid format";
        QTest::newRow("truncated png") << Png(20, 20).left(40) << "Could not load image";
    }
    void DecodingErrors() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        TMarkupPicture picture;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        try {
            picture.LoadFromStream(&buffer);
            QFAIL("undecodable bytes were accepted");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), message);
        }
        QCOMPARE(picture.Width(), 0);
        // A missing stream does nothing.
        TMarkupPicture untouched;
        untouched.LoadFromStream(nullptr);
        QVERIFY(untouched.Empty());
    }

    void Sources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QString>("storedSource");
        QTest::addColumn<QString>("address");
        QTest::newRow("resource") << "RES://markup_sample.png" << false << "RES://markup_sample.png"
                                  << "";
        QTest::newRow("resource any case") << "res://MARKUP_SAMPLE.PNG" << false << "res://MARKUP_SAMPLE.PNG"
                                           << "";
        QTest::newRow("resource missing") << "RES://no_such.png" << true << "RES://no_such.png"
                                          << "";
        QTest::newRow("resource without name") << "RES://" << true << "RES://"
                                               << "";
        QTest::newRow("file missing")
            << "FILE:///no/such/picture.png" << true << "FILE:///no/such/picture.png"
            << "";
        QTest::newRow("file without path") << "FILE://" << true << "FILE://"
                                           << "";
        QTest::newRow("other scheme") << "http://x/y.png" << true << "http://x/y.png"
                                      << "http://x/y.png";
    }
    void Sources() {
        QFETCH(QString, source);
        QFETCH(bool, empty);
        QFETCH(QString, storedSource);
        QFETCH(QString, address);
        int reports = 0;
        SetErrorReporter([&](const QString&) { ++reports; });
        TMarkupPicture picture;
        picture.Asynchronous = false;
        picture.LoadFromSource(source);
        QCOMPARE(picture.Empty(), empty);
        QCOMPARE(picture.Source(), storedSource);
        QCOMPARE(picture.Address(), address);
        QCOMPARE(reports, 0);
    }

    void AsynchronousSourceIsOnlyRemembered() {
        TMarkupPicture picture;
        picture.LoadFromSource(QStringLiteral("http://x/y.png"));
        QVERIFY(picture.Empty());
        QCOMPARE(picture.Address(), QStringLiteral("http://x/y.png"));
        QCOMPARE(picture.Source(), QString()); // the cache would not find it
    }

    void FileSource() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Png(10, 5));
        file.close();
        TMarkupPicture picture;
        picture.LoadFromSource(QStringLiteral("FILE://") + path);
        QVERIFY(!picture.Empty());
        QCOMPARE(picture.Width(), 10);

        // Names ignore case, as on the system the content was made on.
        TMarkupPicture upper;
        upper.LoadFromSource(QStringLiteral("FILE://") + path.toUpper());
        QVERIFY(!upper.Empty());
        QCOMPARE(upper.Source(), QStringLiteral("FILE://") + path.toUpper());

        // And backslashes are separators, as they were there.
        TMarkupPicture windows;
        windows.LoadFromSource(QStringLiteral("FILE://") + dir.path() + QStringLiteral("\\P.PNG"));
        QVERIFY(!windows.Empty());
        QCOMPARE(windows.Width(), 10);

        // Broken bytes in a file are swallowed.
        const QString broken = dir.filePath(QStringLiteral("b.png"));
        QFile out(broken);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("broken");
        out.close();
        int reports = 0;
        SetErrorReporter([&](const QString&) { ++reports; });
        TMarkupPicture bad;
        bad.LoadFromFile(broken);
        QVERIFY(bad.Empty());
        QCOMPARE(reports, 0);
    }

    void UndecodableResourceReportsOnce() {
        QStringList reports;
        SetErrorReporter([&](const QString& message) { reports << message; });
        TMarkupPictureCache cache;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 100};
        args.PictureCache = &cache;
        const QString text = QStringLiteral("a<IMG src=\"RES://markup_broken.png\">b");
        for (int paint = 0; paint < 3; ++paint) {
            TTestMarkupCanvas canvas;
            TMarkupOutput out;
            RenderMarkup(canvas, text, args, out); // must not throw out of a paint
            QCOMPARE(out.NeededWidth, 16);         // the picture takes no space
            QCOMPARE(canvas.Texts().size(), 2);
        }
        QCOMPARE(reports, QStringList{QStringLiteral("Could not load image. Invalid format")});
        QCOMPARE(cache.Count(), 1);
        QVERIFY(cache.FindPicture(QStringLiteral("RES://markup_broken.png"))->Empty());
    }

    void Cache() {
        TMarkupPictureCache cache;
        QCOMPARE(cache.FindPicture(QStringLiteral("FILE://x")), nullptr);
        TMarkupPicture* a = cache.AddPicture();
        a->LoadFromSource(QStringLiteral("FILE:///missing/a.png"));
        TMarkupPicture* b = cache.AddPicture();
        b->LoadFromSource(QStringLiteral("FILE:///missing/a.png"));
        // The first in list order; exact, case-sensitive.
        QCOMPARE(cache.FindPicture(QStringLiteral("FILE:///missing/a.png")), a);
        QCOMPARE(cache.FindPicture(QStringLiteral("file:///missing/a.png")), nullptr);
        QCOMPARE(cache.Count(), 2);
        cache.ClearPictures();
        QCOMPARE(cache.Count(), 0);
        QCOMPARE(cache.FindPicture(QStringLiteral("FILE:///missing/a.png")), nullptr);
    }

    void CaseDifferentSourcesLoadTwice() {
        TMarkupPictureCache cache;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 100};
        args.PictureCache = &cache;
        TTestMarkupCanvas canvas;
        TMarkupOutput out;
        RenderMarkup(
            canvas,
            QStringLiteral("<IMG src=\"RES://markup_sample.png\"><IMG src=\"res://markup_sample.png\">"
                           "<IMG src=\"RES://markup_sample.png\">"),
            args, out);
        QCOMPARE(cache.Count(), 2);
        QVERIFY(!cache.FindPicture(QStringLiteral("res://markup_sample.png"))->Empty());
        QCOMPARE(out.NeededWidth, 3 * 8 + 2);
    }

    void MissingFileIsTriedOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("later.png"));
        TMarkupPictureCache cache;
        TMarkupArgs args;
        args.Bounds = TRect{0, 0, 300, 100};
        args.PictureCache = &cache;
        const QString text = QStringLiteral("<IMG src=\"FILE://%1\">").arg(path);
        TTestMarkupCanvas first;
        TMarkupOutput out;
        RenderMarkup(first, text, args, out);
        QCOMPARE(out.NeededWidth, 0);
        // The file appearing later does not matter: the cache's empty picture is used.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Png(10, 5));
        file.close();
        TTestMarkupCanvas second;
        RenderMarkup(second, text, args, out);
        QCOMPARE(out.NeededWidth, 0);
        QCOMPARE(cache.Count(), 1);
    }

    void AssignAndSave() {
        TMarkupPicture source;
        source.Stretch = true;
        source.LoadFromSource(QStringLiteral("RES://markup_sample.png"));
        TMarkupPicture copy;
        copy.Assign(&source);
        QVERIFY(!copy.Empty());
        QVERIFY(copy.Stretch);
        QCOMPARE(copy.Source(), source.Source());
        QCOMPARE(copy.Width(), 8);
        QByteArray saved;
        QBuffer buffer(&saved);
        buffer.open(QIODevice::WriteOnly);
        copy.SaveToStream(&buffer);
        QCOMPARE(saved, source.Data());
        copy.Assign(nullptr);
        QVERIFY(copy.Empty());
        QVERIFY(copy.Data().isEmpty());
        QCOMPARE(copy.Width(), 0);
    }

    void Draw_data() {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QRect>("target");
        QTest::newRow("natural at 96") << false << 96 << QRect(5, 6, 96, 48);
        QTest::newRow("natural at 120") << false << 120 << QRect(5, 6, 120, 60);
        QTest::newRow("stretched") << true << 96 << QRect(5, 6, 30, 40);
    }
    void Draw() {
        QFETCH(bool, stretch);
        QFETCH(int, dpi);
        QFETCH(QRect, target);
        TMarkupPicture picture;
        picture.LoadFromData(Png(96, 48));
        picture.Stretch = stretch;
        TTestMarkupCanvas canvas;
        canvas.SetPixelsPerInch(dpi);
        picture.Draw(canvas, TRect{5, 6, 35, 46});
        QCOMPARE(canvas.Calls.size(), 1);
        const TRect& r = canvas.Calls[0].Rect;
        QCOMPARE(QRect(r.Left, r.Top, r.Width(), r.Height()), target);
        TMarkupPicture empty;
        TTestMarkupCanvas nothing;
        empty.Draw(nothing, TRect{0, 0, 10, 10});
        QVERIFY(nothing.Calls.isEmpty());
    }
};

QTEST_MAIN(TestMarkupPictureCache)
#include "test_markup_picture_cache.moc"
