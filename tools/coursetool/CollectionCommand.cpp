// coursetool collection FILE [--json] [--library FOLDER --course N] [--save OUT]: the rows of a
// collection file exactly as the collection editor loads them, with the page lists the editor
// hands to the presentation page; with a library and a course, the task list of that course.
// --save writes the loaded rows with the editor's own save code. Exit status 1 when the load
// (or the task list, or the save) failed, 2 on bad arguments.

#include "collections/FavorFile.h"
#include "collections/FavorLists.h"
#include "collections/FavorRows.h"
#include "core/CourseSections.h"
#include "core/XmlDocument.h"
#include "tools/coursetool/Commands.h"
#include "viewer/CourseLayout.h"

#include <optional>

namespace {

const char kUsage[] =
    "usage: coursetool collection FILE [--json] [--library FOLDER --course N] [--save OUT]\n";

struct TCollectionArgs {
    QString File;
    bool Json = false;
    QString Library;
    std::optional<int> Course;
    QString SaveTo;
};

std::optional<TCollectionArgs> ParseArgs(const QStringList& args) {
    TCollectionArgs parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--json")) {
            parsed.Json = true;
        } else if (a == QLatin1String("--library") && hasValue) {
            parsed.Library = args.at(++i);
        } else if (a == QLatin1String("--course") && hasValue) {
            parsed.Course = ParseDecimalInt(args.at(++i));
            if (!parsed.Course)
                return std::nullopt;
        } else if (a == QLatin1String("--save") && hasValue) {
            parsed.SaveTo = args.at(++i);
        } else if (parsed.File.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            parsed.File = a;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.File.isEmpty() || (!parsed.Library.isNull() && parsed.Library.isEmpty()))
        return std::nullopt;
    return parsed;
}

QString JsonOrNull(const std::optional<QString>& text) {
    return text ? JsonString(*text) : QStringLiteral("null");
}

QString JsonRows(const TFavorRows& rows) {
    QString out = QStringLiteral("[");
    for (int i = 0; i < rows.Count(); ++i) {
        const TFavor& f = rows.At(i);
        if (i > 0)
            out += u',';
        out += QStringLiteral("{\"course\":%1,\"folder\":%2,\"id\":%3,\"caption\":")
                   .arg(f.Course)
                   .arg(f.Folder)
                   .arg(f.ID);
        out += JsonString(f.Caption) + QStringLiteral(",\"section\":") +
               JsonString(SectionCaption(f.Folder)) + u'}';
    }
    return out + u']';
}

// One line per row: course;section;id, the caption as written and the section caption, split
// by tabs; then the lists.
QString TextRows(const TFavorRows& rows) {
    QString out;
    for (int i = 0; i < rows.Count(); ++i) {
        const TFavor& f = rows.At(i);
        out += QStringLiteral("%1;%2;%3\t").arg(f.Course).arg(f.Folder).arg(f.ID) + f.Caption + u'\t' +
               SectionCaption(f.Folder) + u'\n';
    }
    return out;
}

} // namespace

int RunCollection(const QStringList& args) {
    const std::optional<TCollectionArgs> parsed = ParseArgs(args);
    if (!parsed) {
        PrintErr(QString::fromLatin1(kUsage));
        return 2;
    }

    TXMLDocument doc;
    TFavorLoadResult loaded = LoadFavorFile(doc, parsed->File);
    if (loaded.Status == TFavorLoadResult::Missing)
        loaded.Detail = QStringLiteral("Файл \"%1\" не найден").arg(parsed->File);
    TFavorRows rows;
    for (const TFavor& favor : loaded.Records)
        rows.Append(favor);
    const bool loadFailed = loaded.Status != TFavorLoadResult::Loaded;
    int status = loadFailed ? 1 : 0;

    std::optional<QString> taskList;
    if (!parsed->Library.isEmpty() && parsed->Course) {
        QString library = parsed->Library;
        if (!library.endsWith(u'/'))
            library += u'/';
        try {
            TXMLDocument taskDoc;
            taskList = FavorTaskList(rows, *parsed->Course, CourseFolder(library, *parsed->Course), taskDoc);
        } catch (const TXmlError& e) {
            PrintErr(QStringLiteral("Ошибка: %1\n").arg(e.Message()));
            status = 1;
        }
    }

    if (!parsed->SaveTo.isEmpty() && loaded.ReplacesList()) {
        try {
            SaveFavorFile(doc, rows.Records(), parsed->SaveTo);
        } catch (const TXmlError& e) {
            PrintErr(QStringLiteral("Ошибка: %1\n").arg(e.Message()));
            status = 1;
        }
    }

    const std::optional<QString> error =
        loadFailed ? std::optional<QString>(QString::fromUtf16(kFavorLoadError)) : std::nullopt;
    if (parsed->Json) {
        PrintOut(QStringLiteral("{\"items\":") + JsonRows(rows) + QStringLiteral(",\"error\":") +
                 JsonOrNull(error) + QStringLiteral(",\"favorList\":") + JsonString(FavorPageList(rows)) +
                 QStringLiteral(",\"theoryList\":") + JsonString(TheoryPageList(rows)) +
                 QStringLiteral(",\"taskList\":") + JsonOrNull(taskList) + QStringLiteral("}\n"));
    } else {
        QString out = TextRows(rows);
        out += QStringLiteral("favorList: ") + FavorPageList(rows) + u'\n';
        out += QStringLiteral("theoryList: ") + TheoryPageList(rows) + u'\n';
        if (taskList)
            out += QStringLiteral("taskList: ") + *taskList + u'\n';
        PrintOut(out);
    }
    if (loadFailed)
        PrintErr(QStringLiteral("%1: %2\n").arg(*error, loaded.Detail));
    return status;
}
