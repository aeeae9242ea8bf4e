// What the user reads in Qt's own dialogs and in the numbers and dates the program writes, on a
// system that speaks English (or no language at all): Russian, as in the rest of the program.

#include "browser/PrintHeaderFooter.h"
#include "browser/PrintPipeline.h"
#include "look/RussianTexts.h"
#include "look/Theme.h"
#include "tests/support/Screenshot.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

// The text in column of the row for file, as a file dialog's list shows it in the column's width;
// empty until listed.
QString ListedText(const QTreeView& view, const QString& file, int column) {
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(view.rootIndex()); ++row) {
        const QModelIndex cell = model->index(row, column, view.rootIndex());
        if (cell.siblingAtColumn(0).data().toString() != file)
            continue;
        const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
        return view.fontMetrics().elidedText(cell.data().toString(), view.textElideMode(),
                                             view.visualRect(cell).width() - 2 * margin);
    }
    return {};
}

QString Seen(const QString& what) {
    if (what == QLatin1String("file dialog column")) {
        QFileSystemModel model;
        return model.headerData(0, Qt::Horizontal).toString();
    }
    if (what.startsWith(QLatin1String("file dialog file "))) {
        // A file of 3113 bytes last changed on 9 December 2026 at 15:10, as the dialog lists it.
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("урок.txt")));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(3113, 'x')) != 3113 || !file.flush() ||
            !file.setFileTime(QDateTime(QDate(2026, 12, 9), QTime(15, 10)),
                              QFileDevice::FileModificationTime))
            return QStringLiteral("no file");
        file.close();
        QFileDialog dialog(nullptr, {}, dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.resize(760, 300);
        dialog.show();
        const auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        const int column = what.endsWith(QLatin1String("size")) ? 1 : 3;
        QString text;
        const auto listed = [&] {
            text = ListedText(*view, QStringLiteral("урок.txt"), column);
            return !text.isEmpty();
        };
        if (!view || !QTest::qWaitFor(listed))
            return QStringLiteral("not listed");
        SaveShot(dialog, "item6-filedialog-files.png");
        return text;
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
        // The file dialog remembers its column widths in the user's settings: ours are private.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void seen_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file dialog column") << "file dialog column"
                                            << "Имя";
        QTest::newRow("file dialog file size") << "file dialog file size"
                                               << "3,04 кБ";
        QTest::newRow("file dialog file date") << "file dialog file date"
                                               << "09.12.2026 15:10";
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

    void dataSizes_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        for (const auto& [bytes, text] : {std::pair<qint64, const char*>{0, "0 байт"},
                                          {1, "1 байт"},
                                          {3, "3 байта"},
                                          {12, "12 байт"},
                                          {22, "22 байта"},
                                          {111, "111 байт"},
                                          {1023, "1\u00a0023 байта"},
                                          {3113, "3,04 кБ"},
                                          {5LL << 30, "5,00 ГБ"}})
            QTest::addRow("%lld", bytes) << bytes << QString::fromUtf8(text);
    }
    void dataSizes() {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(RussianDataSize(bytes), expected);
    }

private:
    QTemporaryDir m_settings;
};

QTEST_MAIN(TestRussianTexts)
#include "test_russiantexts.moc"
