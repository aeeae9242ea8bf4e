#include "popups/LinkRules.h"

#include "core/BytePaths.h"
#include "core/DiscFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
const QString ContentMarker = QStringLiteral("_Content");
} // namespace

bool NeedsRunFragment(const QString& url, bool runTasksAtOnce) {
    if (!runTasksAtOnce)
        return false;
    if (!url.contains(QLatin1String("/2010/")) && !url.contains(QLatin1String("\\2010\\")))
        return false;
    return !url.contains(u'#');
}

QString TestUrl(const QString& url, bool showHints) {
    return url + (showHints ? QLatin1String("-1") : QLatin1String("-0"));
}

TViewerRoute RouteViewerRequest(const QString& url, const std::optional<QString>& targetName) {
    if (!targetName)
        return TViewerRoute::Nothing;
    if (*targetName == QLatin1String("tooltip"))
        return TViewerRoute::ToolTip;
    if (*targetName == QLatin1String("test"))
        return TViewerRoute::Test;
    if (*targetName == QLatin1String("run"))
        return url.contains(ContentMarker) ? TViewerRoute::RunInMain : TViewerRoute::RunInShell;
    return TViewerRoute::Main;
}

TTestRoute RouteTestRequest(const std::optional<QString>& targetName) {
    if (!targetName)
        return TTestRoute::Nothing;
    if (*targetName == QLatin1String("tooltip"))
        return TTestRoute::ToolTip;
    if (*targetName == QLatin1String("test"))
        return TTestRoute::Test;
    return TTestRoute::Nothing;
}

TShowFavorRoute RouteShowFavorRequest(const std::optional<QString>& targetName) {
    if (!targetName)
        return TShowFavorRoute::Nothing;
    // The test window's names, except that a name it ignores opens here.
    switch (RouteTestRequest(targetName)) {
    case TTestRoute::ToolTip:
        return TShowFavorRoute::ToolTip;
    case TTestRoute::Test:
        return TShowFavorRoute::Test;
    case TTestRoute::Nothing:
        break;
    }
    return TShowFavorRoute::Own;
}

QString LocalPathOf(const QString& url) {
    const QUrl parsed(url);
    if (parsed.isLocalFile())
        return parsed.toLocalFile();
    // A plain path, as a page or the player may hand one over without a scheme.
    QString path = url;
    const qsizetype cut = path.indexOf(u'#');
    if (cut >= 0)
        path.truncate(cut);
    if (QDir::isAbsolutePath(path) && path.startsWith(u'/'))
        return path;
    return QString();
}

bool HintWindowShows(const QString& url, const std::optional<QString>& targetName) {
    if (!targetName || *targetName != QLatin1String("tooltip"))
        return false;
    if (!url.contains(ContentMarker))
        return true;
    const QString path = LocalPathOf(url);
    return !path.isEmpty() && QFileInfo(FindDiscFile(path)).isFile();
}

std::optional<QString> ShellTargetOf(const QString& url, const QString& libraryFolder) {
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return parsed.host().isEmpty() ? std::nullopt : std::optional<QString>(url.trimmed());
    if (scheme == QLatin1String("mailto"))
        return parsed.path().isEmpty() ? std::nullopt : std::optional<QString>(url.trimmed());

    const QString path = LocalPathOf(url.trimmed());
    if (path.isEmpty())
        return std::nullopt;
    // A disc's link may name the file in another case or with backslashes; the file found is
    // the one checked below, so this finds nothing the library does not hold.
    const QFileInfo file(FindDiscFile(path));
    if (!file.isFile())
        return std::nullopt;
    // Links (and "..") are resolved before the comparison, so nothing outside the library gets
    // through by a detour.
    const QString library = CanonicalPath(libraryFolder);
    const QString target = CanonicalPath(file.filePath());
    if (library.isEmpty() || target.isEmpty() || !target.startsWith(library + u'/'))
        return std::nullopt;
    return target;
}
