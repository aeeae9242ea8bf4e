// coursetool catalogue [FOLDER] [--json]: the pages and course buttons the catalogue window
// builds for a library folder, and the files that gave no button. The scan is the window's own.

#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "core/DiscFiles.h"
#include "core/LibraryFolder.h"
#include "tools/coursetool/Commands.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString Json(const TCatalogueModel& model) {
    QStringList pages;
    for (const TCataloguePage& page : model.Pages()) {
        QStringList courses;
        for (const TCatalogueCourse& c : page.Courses)
            courses << QStringLiteral("{\"id\":%1,\"name\":%2,\"description\":%3,\"top\":%4}")
                           .arg(c.Id)
                           .arg(JsonString(c.Name), JsonString(c.Description))
                           .arg(c.Top);
        pages << QStringLiteral("{\"caption\":%1,\"courses\":[%2]}")
                     .arg(JsonString(page.Caption), courses.join(u','));
    }
    QStringList skipped;
    for (const TSkippedFile& s : model.Skipped())
        skipped
            << QStringLiteral("{\"file\":%1,\"reason\":%2}").arg(JsonString(s.File), JsonString(s.Reason));
    return QStringLiteral("{\"pages\":[%1],\"activePage\":%2,\"skipped\":[%3]}\n")
        .arg(pages.join(u','))
        .arg(model.ActivePage())
        .arg(skipped.join(u','));
}

QString Text(const TCatalogueModel& model, const QString& folder) {
    QString out = QStringLiteral("Каталог курсов: %1\n").arg(QDir::toNativeSeparators(folder));
    if (model.Pages().empty())
        out += QStringLiteral("Нет ни одного предмета.\n");
    for (int i = 0; i < model.PageCount(); ++i) {
        const TCataloguePage& page = model.Page(i);
        out += QStringLiteral("\nПредмет %1: «%2»%3\n")
                   .arg(i + 1)
                   .arg(page.Caption, i == model.ActivePage() ? QStringLiteral(" (открыт)") : QString());
        if (page.Courses.empty())
            out += QStringLiteral("  (нет курсов)\n");
        for (const TCatalogueCourse& c : page.Courses) {
            out += QStringLiteral("  %1  %2  %3\n").arg(c.Top, 4).arg(c.Id, 5).arg(c.Name);
            if (!c.Description.isEmpty())
                out += QStringLiteral("               %1\n").arg(c.Description);
        }
    }
    if (!model.Skipped().empty()) {
        out += QStringLiteral("\nПропущенные файлы:\n");
        for (const TSkippedFile& s : model.Skipped())
            out += QStringLiteral("  %1: %2\n").arg(s.File, s.Reason);
    }
    return out;
}

} // namespace

int RunCatalogue(const QStringList& args) {
    bool json = false;
    QString folder;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg.startsWith(u'-') || !folder.isEmpty()) {
            PrintErr(QStringLiteral("usage: coursetool catalogue [FOLDER] [--json]\n"));
            return 2;
        } else {
            folder = arg;
        }
    }
    folder = WithTrailingSlash(folder.isEmpty() ? QCoreApplication::applicationDirPath() : folder);
    if (!QDir(FindDiscFile(folder)).exists())
        PrintErr(QStringLiteral("coursetool: папка «%1» не найдена, каталог пуст\n").arg(folder));

    TCatalogueModel model;
    TCourseScan scan(model);
    scan.LoadCourses(folder);
    PrintOut(json ? Json(model) : Text(model, folder));
    return 0;
}
