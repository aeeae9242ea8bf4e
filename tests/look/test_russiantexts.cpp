// What the user reads in Qt's own dialogs and in the numbers and dates the program writes, on a
// system that speaks English (or no language at all): Russian, as in the rest of the program.

#include "browser/PrintHeaderFooter.h"
#include "browser/PrintPipeline.h"
#include "look/Theme.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Seen(const QString& what) {
    if (what == QLatin1String("file dialog column")) {
        QFileSystemModel model;
        return model.headerData(0, Qt::Horizontal).toString();
    }
    if (what == QLatin1String("file dialog folder type")) {
        QTemporaryDir dir;
        return QFileIconProvider().type(QFileInfo(dir.path()));
    }
    if (what == QLatin1String("standard button")) {
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        return box.button(QDialogButtonBox::Cancel)->text();
    }
    if (what == QLatin1String("page set-up margin")) {
        QPageSetupDialog dialog(SharedPrinter());
        const QList<QDoubleSpinBox*> boxes = dialog.findChildren<QDoubleSpinBox*>();
        for (const QDoubleSpinBox* box : boxes)
            if (box->objectName().contains(QLatin1String("Margin"), Qt::CaseInsensitive))
                return box->text();
        return {};
    }
    if (what == QLatin1String("printed footer date")) {
        TPrintFields fields;
        fields.PrintedAt = QDateTime(QDate(2026, 12, 9), QTime(14, 5));
        return ExpandPrintCode(kPrintFooterCode, fields).Right;
    }
    return {};
}

} // namespace

class TestRussianTexts final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The test means nothing on a system that speaks Russian already.
        QVERIFY2(QLocale::system().language() != QLocale::Russian, qPrintable(QLocale::system().name()));
        ApplyTheme(*qApp);
    }

    void seen_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file dialog column") << "file dialog column"
                                            << "Имя";
        QTest::newRow("file dialog folder type") << "file dialog folder type"
                                                 << "Папка";
        QTest::newRow("standard button") << "standard button"
                                         << "Отмена";
        QTest::newRow("page set-up margin") << "page set-up margin"
                                            << "19,05 мм";
        QTest::newRow("printed footer date") << "printed footer date"
                                             << "09.12.2026";
    }
    void seen() {
        QFETCH(QString, what);
        QFETCH(QString, expected);
        QCOMPARE(Seen(what), expected);
    }
};

QTEST_MAIN(TestRussianTexts)
#include "test_russiantexts.moc"
