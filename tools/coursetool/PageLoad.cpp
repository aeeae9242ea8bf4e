#include "tools/coursetool/PageLoad.h"

#include "browser/BrowserProfile.h"
#include "browser/BrowserUrl.h"
#include "browser/EmbeddedBrowser.h"
#include "catalogue/LibraryChoice.h"
#include "core/ComponentStaging.h"
#include "core/DiscFiles.h"
#include "tools/coursetool/Commands.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <unistd.h>

namespace {
// A page that has not loaded in this time is taken as failed; a disc page loads in seconds.
constexpr int kLoadTimeoutMs = 120000;
} // namespace

void PrepareHeadlessBrowser() {
    // Chromium will not start its sandbox as root; batch jobs often run as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Keep a batch run's output to its own messages: WebEngine reports its graphics set-up.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.debug=false"));
}

QString PageTarget(const QString& page) {
    // A local page given without its folder is relative to where the tool runs; a '#' in a
    // folder's name stays in the path.
    const bool local = !page.contains(QLatin1String("://"));
    const QUrl url = BrowserUrlFromText(page);
    // A page of an old disc may be named in another case than on disc: the browser finds it as
    // it finds the page's own links, so the address stays as given.
    const QString pagePath = local ? FindDiscFile(url.toLocalFile()) : QString();
    if (local && !QFileInfo(pagePath).isFile()) {
        PrintErr(QStringLiteral("Страница не найдена: %1\n").arg(page));
        return {};
    }
    // The page reads local files only inside its library and the player's staged components: an
    // item page lies in LIBRARY/course/section/, so the library is the page's folder or one of the
    // two above it that holds course descriptors. A page of no library reads its own folder only.
    if (local) {
        const QString pageFolder = QFileInfo(pagePath).absolutePath();
        QString allowed = pageFolder;
        QDir folder(pageFolder);
        for (int up = 0; up <= 2; ++up) {
            if (HoldsCourseDescriptors(folder.absolutePath())) {
                allowed = folder.absolutePath();
                break;
            }
            if (folder.isRoot() || !folder.cdUp())
                break;
        }
        SetAllowedFileRoots({allowed, StagedComponentsFolder()});
    }
    return local ? url.toString() : page;
}

bool LoadPage(TEmbeddedBrowser& browser, const QString& target) {
    bool finished = false;
    bool ok = false;
    QEventLoop loop;
    QObject::connect(browser.page(), &QWebEnginePage::loadFinished, &loop, [&](bool success) {
        finished = true;
        ok = success;
        loop.quit();
    });
    QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
    browser.Navigate(target);
    if (!finished)
        loop.exec();
    return finished && ok;
}
