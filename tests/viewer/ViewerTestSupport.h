#pragma once

// Helpers of the viewer tests: a copy of the fixture library, a shell that records what it is
// asked to open, real clicks on page elements, and scripts run to completion.

#include "app/ErrorReport.h"
#include "app/Shell.h"
#include "browser/PageZoom.h"
#include "browser/WebBrowser.h"
#include "core/Registry.h"
#include "markuptree/MarkupTreeView.h"
#include "player/Startup.h"
#include "tests/support/PageWait.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <memory>
#include <optional>

class TRecordingShell final : public TShell {
public:
    bool Open(const QString& pathOrUrl) override {
        Opened << pathOrUrl;
        return Result;
    }
    QStringList Opened;
    bool Result = true;
};

// Copies a folder tree; false when any file could not be copied.
inline bool CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

// The player's six windows started on a copy of a library in a temporary folder, with a shell
// that records what it is asked to open and the error report collected instead of shown.
class TTestPlayer final {
public:
    // Copies the library at from and starts the windows on the copy; false when the copy failed.
    bool Start(const QString& from) {
        if (!Dir.isValid() || !CopyTree(from, Dir.filePath("lib")))
            return false;
        Library = Dir.filePath("lib") + '/';
        SetErrorReporter([this](const QString& message) { Errors << message; });
        Registry = std::make_unique<TIniRegistry>(Dir.filePath("registry.ini"));
        // The page zoom remembers itself here, never in the user's own settings.
        Zoom = std::make_unique<TPageZoom>(Dir.filePath("settings.ini"));
        TAppContext context;
        context.ProgramFolder = Library;
        context.Registry = Registry.get();
        context.Shell = &Shell;
        context.PageZoom = Zoom.get();
        CreateWindows(context);
        return true;
    }
    void Stop() {
        DestroyWindows();
        SetErrorReporter({});
    }

    QTemporaryDir Dir;
    QString Library; // ends with '/'
    std::unique_ptr<TIniRegistry> Registry;
    std::unique_ptr<TPageZoom> Zoom;
    TRecordingShell Shell;
    QStringList Errors;
};

// A real click in the middle of an element of the shown page, as a user makes it.
inline bool ClickElement(TWebBrowser* browser, const QString& id) {
    const QVariantList point = RunScript(browser->page(), QStringLiteral(R"((function () {
        var el = document.getElementById("%1");
        if (!el) return null;
        el.scrollIntoView();
        var r = el.getBoundingClientRect();
        return [r.left + Math.min(r.width / 2, 10), r.top + r.height / 2];
    })())")
                                                              .arg(id))
                                   .toList();
    if (point.size() != 2)
        return false;
    const QPoint centre(qRound(point.at(0).toDouble()), qRound(point.at(1).toDouble()));
    QWidget* target = browser->focusProxy() ? browser->focusProxy() : browser;
    QTest::mouseMove(target, centre);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, centre);
    return true;
}

// The location of a browser with percent escapes decoded, so tests compare plain paths.
inline QString Location(TWebBrowser* browser) {
    return QUrl::fromPercentEncoding(browser->LocationURL().toUtf8());
}

// No load running: complete, or never asked to load anything.
inline bool WaitIdle(TWebBrowser* browser) {
    return WaitUntil([&] { return browser->ReadyState() != TWebBrowser::ReadyLoading; });
}

// The tree node of a course item by its id; nullptr when the tree has none.
inline QTreeWidgetItem* FindItem(QTreeWidget* tree, int id) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (const TContent* content = TMarkupTreeView::NodeContent(*it); content && content->id == id)
            return *it;
    return nullptr;
}

// The main of a test with windows and browsers: WebEngine shares its contexts, and errors are
// reported as the player reports them. The test object goes before the application does.
template <typename TTest> int RunWindowTest(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    TCourseApplication app(argc, argv);
    TTest test;
    return QTest::qExec(&test, argc, argv);
}
