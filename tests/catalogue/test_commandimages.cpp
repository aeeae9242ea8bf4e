// The 15 command icons: every index has its own drawing, in three looks of 28 x 28.

#include "app/CommandImages.h"

#include <QFile>
#include <QTest>

class TestCommandImages final : public QObject {
    Q_OBJECT
private slots:
    void looks_data();
    void looks();
    void everyIndexHasItsOwnDrawing();
    void outOfRangeGivesNothing();
};

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

QTEST_MAIN(TestCommandImages)
#include "test_commandimages.moc"
