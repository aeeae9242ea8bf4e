// coursetool export LIBRARY OUT [--course N]... [--title T] [--scorm]: the library as a static web site
// that any web server can serve (see src/publish). Prints what it wrote and what it left out.

#include "publish/SiteExport.h"
#include "tools/coursetool/Commands.h"

namespace {

const QString Usage =
    QStringLiteral("usage: coursetool export LIBRARY OUT [--course N]... [--title T] [--scorm]\n");

} // namespace

int RunExport(const QStringList& args) {
    TExportOptions options;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--course") && i + 1 < args.size()) {
            bool ok = false;
            const int n = args[++i].toInt(&ok);
            if (!ok || n <= 0) {
                PrintErr(
                    QStringLiteral("coursetool export: номер курса «%1» - не целое положительное число\n")
                        .arg(args[i]));
                return 2;
            }
            options.Courses << n;
        } else if (a == QLatin1String("--title") && i + 1 < args.size()) {
            options.Title = args[++i];
        } else if (a == QLatin1String("--scorm")) {
            options.Scorm = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            PrintErr(Usage);
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) {
        PrintErr(Usage);
        return 2;
    }
    options.Library = positional[0];
    options.Out = positional[1];
    const TExportResult result = ExportSite(options);
    if (!result.Ok) {
        PrintErr(QStringLiteral("Ошибка: %1\n").arg(result.Error));
        return 1;
    }
    PrintOut(QStringLiteral("Опубликовано в %1: курсов %2, страниц материалов %3 (в HTML преобразовано %4), "
                            "файлов %5, %6 КБ\n")
                 .arg(options.Out)
                 .arg(result.Courses)
                 .arg(result.Pages)
                 .arg(result.TransformedPages)
                 .arg(result.Files)
                 .arg((result.Bytes + 1023) / 1024));
    if (options.Scorm)
        PrintOut(QStringLiteral("Пакеты SCORM 1.2: %1/scorm/<курс>.zip\n").arg(options.Out));
    for (const QString& link : result.SkippedLinks)
        PrintOut(QStringLiteral("Пропущена ссылка за пределы библиотеки: %1\n").arg(link));
    for (const QString& problem : result.Problems)
        PrintErr(QStringLiteral("Не опубликовано: %1\n").arg(problem));
    return result.Problems.isEmpty() ? 0 : 1;
}
