// coursetool search FOLDER QUERY [--course N] [--limit N] [--json]: the player's full-text search, headless.
// The library's index (in the player's cache folder, never in the library) is built or brought up
// to date first; then the results are printed best first.

#include "markup/Markup.h"
#include "search/SearchIndex.h"
#include "tools/coursetool/Commands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextDocumentFragment>

namespace {

const char* const kUsage = "usage: coursetool search FOLDER QUERY [--course N] [--limit N] [--json]\n";

QString Json(const std::vector<TSearchHit>& hits, int total) {
    QStringList results;
    for (const TSearchHit& hit : hits)
        results << QStringLiteral("{\"course\":%1,\"section\":%2,\"id\":%3,\"caption\":%4,\"snippet\":%5}")
                       .arg(hit.Course)
                       .arg(hit.Section)
                       .arg(hit.ID)
                       .arg(JsonString(hit.Caption), JsonString(hit.Snippet));
    return QStringLiteral("{\"total\":%1,\"results\":[%2]}\n").arg(total).arg(results.join(u','));
}

// The snippet as plain text, the hits in square brackets.
QString PlainSnippet(const QString& snippet) {
    QString marked = snippet;
    marked.replace(QStringLiteral("<b>"), QStringLiteral("["))
        .replace(QStringLiteral("</b>"), QStringLiteral("]"));
    return QTextDocumentFragment::fromHtml(marked).toPlainText();
}

QString Text(const std::vector<TSearchHit>& hits, int total) {
    if (hits.empty())
        return QStringLiteral("Ничего не найдено.\n");
    QString out = int(hits.size()) < total
                      ? QStringLiteral("Найдено: %1, показаны первые %2\n").arg(total).arg(hits.size())
                      : QStringLiteral("Найдено: %1\n").arg(total);
    for (const TSearchHit& hit : hits) {
        out += QStringLiteral("%1/%2/%3  %4  (%5)\n")
                   .arg(hit.Course)
                   .arg(hit.Section)
                   .arg(hit.ID)
                   .arg(StripMarkup(hit.Caption).simplified(), hit.CourseName);
        out += QStringLiteral("    %1\n").arg(PlainSnippet(hit.Snippet));
    }
    return out;
}

} // namespace

int RunSearch(const QStringList& args) {
    QString folder;
    QString query;
    bool json = false;
    int course = -1;
    int limit = 50;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--course") && i + 1 < args.size()) {
            bool ok = false;
            course = args.at(++i).toInt(&ok);
            if (!ok || course < 0) {
                PrintErr(QString::fromLatin1(kUsage));
                return 2;
            }
        } else if (a == QLatin1String("--limit") && i + 1 < args.size()) {
            bool ok = false;
            limit = args.at(++i).toInt(&ok);
            if (!ok || limit <= 0) {
                PrintErr(QString::fromLatin1(kUsage));
                return 2;
            }
        } else if (a.startsWith(QLatin1String("--")) || (!folder.isEmpty() && !query.isEmpty())) {
            PrintErr(QString::fromLatin1(kUsage));
            return 2;
        } else if (folder.isEmpty()) {
            folder = a;
        } else {
            query = a;
        }
    }
    if (folder.isEmpty() || query.isEmpty()) {
        PrintErr(QString::fromLatin1(kUsage));
        return 2;
    }
    if (!QFileInfo(folder).isDir()) {
        PrintErr(QStringLiteral("coursetool: папка «%1» не найдена\n").arg(folder));
        return 1;
    }

    // The player's own cache folder, so that the player and coursetool share one index.
    QCoreApplication::setOrganizationName(QStringLiteral("courseplayer"));
    QCoreApplication::setApplicationName(QStringLiteral("Проигрыватель учебных курсов"));
    TSearchIndex index(folder);
    index.UpdateNow();
    int total = 0;
    const std::vector<TSearchHit> hits = index.Search(query, course, limit, &total);
    // While another program builds the index, finding nothing says nothing about the library.
    if (hits.empty() && index.UpdatedElsewhere()) {
        PrintErr(QStringLiteral("coursetool: Индекс обновляется другой программой, попробуйте позже\n"));
        return 1;
    }
    PrintOut(json ? Json(hits, total) : Text(hits, total));
    return 0;
}
