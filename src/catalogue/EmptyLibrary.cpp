#include "catalogue/EmptyLibrary.h"

#include "catalogue/CatalogueModel.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

QString EmptyLibraryReason(const QString& folder, const TCatalogueModel& model) {
    if (model.PageCount() > 0)
        return {};
    const QString path = QDir::cleanPath(folder);
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("Папки «%1» нет: диск не вставлен, флешка не подключена или папку "
                              "перенесли.")
            .arg(shown);
    if (!info.isDir())
        return QStringLiteral("«%1» — это файл, а не папка с курсами.").arg(shown);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("Папку «%1» нельзя прочитать: нет прав на чтение.").arg(shown);
    // Other XML files beside the descriptors are no sign of a library.
    std::vector<const TSkippedFile*> broken;
    for (const TSkippedFile& file : model.Skipped())
        if (!file.Reason.startsWith(QStringLiteral("не описание курса")))
            broken.push_back(&file);
    std::sort(broken.begin(), broken.end(),
              [](const TSkippedFile* a, const TSkippedFile* b) { return a->File < b->File; });
    if (broken.empty())
        return QStringLiteral("В папке «%1» нет описаний курсов (файлов *.xml с элементом CourseInfo).")
            .arg(shown);
    QString reason = QStringLiteral("В папке «%1» не удалось прочитать ни одного описания курса: «%2» — %3")
                         .arg(shown, broken.front()->File, broken.front()->Reason);
    if (broken.size() > 1)
        reason += QStringLiteral(" (и ещё файлов: %1)").arg(broken.size() - 1);
    return reason + u'.';
}
