#include "look/RussianTexts.h"

#include "core/ErrorTexts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QTreeView>
#include <algorithm>

namespace {

// Amends Qt's Russian translation where it falls short. Qt 6 asks for the file dialog's kinds of
// entry ("Folder", "Drive", "%1 File") under the name of a class that the translation does not
// know yet; it has the same texts under the file dialog's name, as Qt 5 asked for them. The page
// set-up's margins end in a unit, which Russian writes after a space ("19,05 мм").
class TQtTextsAmendment final : public QTranslator {
public:
    TQtTextsAmendment(const QTranslator* texts, QObject* parent) : QTranslator(parent), m_texts(texts) {}

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0)
            return m_texts->translate("QFileDialog", sourceText, disambiguation, n);
        if (qstrcmp(context, "QPageSetupWidget") == 0 && IsUnit(sourceText)) {
            const QString unit = m_texts->translate(context, sourceText, disambiguation, n);
            return unit.isEmpty() ? QString() : u' ' + unit;
        }
        return {};
    }

private:
    static bool IsUnit(const char* text) {
        for (const char* unit : {"mm", "cm", "in", "pt", "DD", "CC"})
            if (qstrcmp(text, unit) == 0)
                return true;
        return false;
    }

    const QTranslator* m_texts;
};

// The file dialog's model as it is, but for the size and date columns, written in the default
// (Russian) locale rather than the system's.
class TRussianFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        enum { kSize = 1, kDate = 3 }; // QFileSystemModel's columns
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != kSize && index.column() != kDate))
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        if (index.column() == kDate)
            return QLocale().toString(info.lastModified(), QLocale::ShortFormat);
        // A folder has no size of its own: Qt's text for it stays.
        return info.isDir() ? QIdentityProxyModel::data(index, role) : RussianDataSize(info.size());
    }

    // Qt's widths, set as the dialog shows, cut a date short ("09.12.… 15:10"): room for a whole
    // date and a size, once shown.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* list = watched->findChild<QTreeView*>(QStringLiteral("treeView")))
                Widen(*list);
        return false;
    }

private:
    static void Widen(QTreeView& list) {
        QHeaderView* header = list.header();
        const int margins =
            4 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1) +
            list.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const std::pair<int, QString> samples[] = {
            {1, RussianDataSize(1023LL * 1024 * 1024)},
            {3, QLocale().toString(QDateTime(QDate(2026, 12, 29), QTime(23, 59)), QLocale::ShortFormat)}};
        for (const auto& [column, sample] : samples)
            header->resizeSection(column, std::max(header->sectionSize(column),
                                                   list.fontMetrics().horizontalAdvance(sample) + margins));
    }
};

} // namespace

QString RussianDataSize(qint64 bytes) {
    if (bytes >= 1024 || bytes < 0)
        return QLocale().formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
    return QLocale().toString(bytes) + u' ' + ByteWord(bytes);
}

void WriteFileColumnsInRussian(QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    // A desktop's own dialog ignores the model (and keeps the desktop's formats).
    if (!dialog || dialog->proxyModel())
        return;
    auto* columns = new TRussianFileColumns(dialog);
    dialog->setProxyModel(columns);
    dialog->installEventFilter(columns);
}

void UseRussianTexts(QApplication& app) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto* texts = new QTranslator(&app);
    if (!texts->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete texts; // the dialogs stay in English
        return;
    }
    QCoreApplication::installTranslator(texts);
    QCoreApplication::installTranslator(new TQtTextsAmendment(texts, &app));
}
