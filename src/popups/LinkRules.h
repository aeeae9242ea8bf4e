#pragma once

#include <QString>
#include <optional>

// The conventions by which course pages talk to the player through their URLs and the target
// names of their links. All tests on URLs are case-sensitive and look at the URL text as the
// browser reports it; both "/2010/" and "\2010\" name the tasks section.

// Whether a navigation of the viewer's browser to url must be replaced by url + "#run": the
// "run tasks at once" option is on, the URL is a page of the tasks section, and it carries no
// fragment yet.
bool NeedsRunFragment(const QString& url, bool runTasksAtOnce);

// The test URL with the hint switch appended to its very end ("-1" hints on, "-0" off). For the
// tasks runner the end is the fragment, so the switch becomes part of the task list.
QString TestUrl(const QString& url, bool showHints);

// Where a new-window request of a viewer page goes, by its target name.
enum class TViewerRoute {
    Nothing,    // no target name at all
    ToolTip,    // "tooltip": the hint window
    Test,       // "test": the test window (or the viewer, by option)
    RunInMain,  // "run" with "_Content" in the URL: the viewer's own browser
    RunInShell, // "run" otherwise: the desktop, when the address is safe to hand over
    Main,       // any other name, the empty one included: the viewer's own browser
};
TViewerRoute RouteViewerRequest(const QString& url, const std::optional<QString>& targetName);

// Where a new-window request of a page in the test window goes; other names are ignored.
enum class TTestRoute { Nothing, ToolTip, Test };
TTestRoute RouteTestRequest(const std::optional<QString>& targetName);

// Where a new-window request of a page in the collection presentation window goes. There is no
// "run" rule there: "run", like any other name and the empty one, opens in the window itself.
enum class TShowFavorRoute { Nothing, ToolTip, Test, Own };
TShowFavorRoute RouteShowFavorRequest(const std::optional<QString>& targetName);

// Whether the hint window shows a request of one of its own pages: only "tooltip" targets, and
// a "_Content" address only when the local file it names exists.
bool HintWindowShows(const QString& url, const std::optional<QString>& targetName);

// The local file a URL or path names: a file: URL's path, or the text itself when it is an
// absolute path (fragment and query dropped). Empty for anything else.
QString LocalPathOf(const QString& url);

// What a "run" target may hand to the desktop: http, https and mailto addresses as they are, and
// existing files inside the library folder as their local path. Anything else (javascript:,
// data:, unknown schemes, missing files, files outside the library) gives no value, and the
// user is told the resource is not available.
std::optional<QString> ShellTargetOf(const QString& url, const QString& libraryFolder);
