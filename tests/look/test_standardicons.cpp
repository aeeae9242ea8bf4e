// On a screen scaled to 200 %, the icons of message boxes and of the file dialog are drawn
// afresh at the finer size, not enlarged from a small bitmap.

#include "look/CourseStyle.h"
#include "look/Theme.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

namespace {

// Mean difference per channel between the icon drawn at twice the size and its plain size
// enlarged: near zero for an enlarged bitmap.
double DetailOverEnlarged(const QIcon& icon, int extent) {
    const QImage plain = icon.pixmap(QSize(extent, extent), 1.0).toImage();
    const QImage fine =
        icon.pixmap(QSize(extent, extent), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage enlarged = plain.scaled(fine.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
    qint64 sum = 0;
    for (int y = 0; y < fine.height(); ++y)
        for (int x = 0; x < fine.width(); ++x) {
            const QRgb a = fine.pixel(x, y);
            const QRgb b = enlarged.pixel(x, y);
            sum += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) +
                   qAbs(qAlpha(a) - qAlpha(b));
        }
    return double(sum) / (4.0 * fine.width() * fine.height());
}

} // namespace

class TestStandardIcons final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ApplyTheme(*qApp);
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
    }

    void sharpAtTwice_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("extent");
        const int box = qApp->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
        QTest::newRow("information") << int(QStyle::SP_MessageBoxInformation) << box;
        QTest::newRow("warning") << int(QStyle::SP_MessageBoxWarning) << box;
        QTest::newRow("critical") << int(QStyle::SP_MessageBoxCritical) << box;
        QTest::newRow("question") << int(QStyle::SP_MessageBoxQuestion) << box;
        QTest::newRow("back") << int(QStyle::SP_ArrowBack) << 16;
        QTest::newRow("forward") << int(QStyle::SP_ArrowForward) << 16;
        QTest::newRow("to parent") << int(QStyle::SP_FileDialogToParent) << 16;
        QTest::newRow("new folder") << int(QStyle::SP_FileDialogNewFolder) << 16;
        QTest::newRow("list view") << int(QStyle::SP_FileDialogListView) << 16;
        QTest::newRow("detail view") << int(QStyle::SP_FileDialogDetailedView) << 16;
        QTest::newRow("folder") << int(QStyle::SP_DirIcon) << 16;
        QTest::newRow("file") << int(QStyle::SP_FileIcon) << 16;
    }
    void sharpAtTwice() {
        QFETCH(int, icon);
        QFETCH(int, extent);
        const QIcon drawn = qApp->style()->standardIcon(QStyle::StandardPixmap(icon));
        QVERIFY(!drawn.isNull());
        const QPixmap fine = drawn.pixmap(QSize(extent, extent), 2.0);
        QCOMPARE(fine.size(), QSize(2 * extent, 2 * extent));
        const double detail = DetailOverEnlarged(drawn, extent);
        QVERIFY2(detail > 3.0, qPrintable(QStringLiteral("detail over the enlarged icon: %1").arg(detail)));
    }

    // The message box itself shows the icon at the screen's full resolution.
    void messageBoxIconFullResolution() {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Проигрыватель учебных курсов"),
                        QStringLiteral("Данный ресурс недоступен"), QMessageBox::Ok);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        QVERIFY(label);
        const QPixmap shown = label->pixmap();
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        QCOMPARE(
            shown.toImage(),
            QIcon(StandardIconFile(QStyle::SP_MessageBoxWarning)).pixmap(shown.size() / 2, 2.0).toImage());
    }
};

QTEST_MAIN(TestStandardIcons)
#include "test_standardicons.moc"
