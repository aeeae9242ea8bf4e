// coursetool pdf PAGE OUT.pdf [--title T]: one library page printed to a PDF file exactly as the
// viewer's "Сохранить как PDF" makes it (vector text, header and footer, the default page set-up),
// so that authors can print a disc's pages in batch. Exit 1 when the page does not load or the
// file cannot be written.

#include "app/browser/BrowserProfile.h"
#include "app/browser/BrowserUrl.h"
#include "app/browser/EmbeddedBrowser.h"
#include "tools/coursetool/Commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>
#include <QWebEnginePage>
#include <unistd.h>

namespace {

// A page that has not loaded in this time is taken as failed; a disc page loads in seconds.
constexpr int kLoadTimeoutMs = 120000;

int Usage() {
    PrintErr(QStringLiteral("usage: coursetool pdf PAGE OUT.pdf [--title T]\n"));
    return 2;
}

// Loads page in browser; false when it failed or did not finish in time.
bool LoadPage(TEmbeddedBrowser& browser, const QString& page) {
    bool finished = false;
    bool ok = false;
    QEventLoop loop;
    QObject::connect(browser.page(), &QWebEnginePage::loadFinished, &loop, [&](bool success) {
        finished = true;
        ok = success;
        loop.quit();
    });
    QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
    browser.Navigate(page);
    if (!finished)
        loop.exec();
    return finished && ok;
}

} // namespace

int RunPdf(const QStringList& args) {
    QStringList positional;
    QString title;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--title")) {
            if (++i == args.size())
                return Usage();
            title = args.at(i);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return Usage();
    // Chromium will not start its sandbox as root; batch jobs often run as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    // Keep a batch run's output to its own messages: WebEngine reports its graphics set-up.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.debug=false"));

    const QString page = positional.at(0);
    const QString out = positional.at(1);
    // A local page given without its folder is relative to where the tool runs; a '#' in a
    // folder's name stays in the path.
    const bool local = !page.contains(QLatin1String("://"));
    const QUrl url = BrowserUrlFromText(page);
    const QString pagePath = local ? url.toLocalFile() : QString();
    if (local && !QFileInfo(pagePath).isFile()) {
        PrintErr(QStringLiteral("Страница не найдена: %1\n").arg(page));
        return 1;
    }
    const QString target = local ? url.toString() : page;
    // The page reads local files only inside its library: an item page lies in
    // LIBRARY/course/section/, so the library is at most two folders above the page's.
    if (local) {
        QDir library = QFileInfo(pagePath).dir();
        for (int up = 0; up < 2 && !library.isRoot(); ++up)
            library.cdUp();
        SetAllowedFileRoots({library.absolutePath()});
    }

    TEmbeddedBrowser browser;
    browser.resize(1024, 768);
    if (!LoadPage(browser, target)) {
        PrintErr(QStringLiteral("Страница не загрузилась: %1\n").arg(page));
        return 1;
    }
    browser.SetPrintTitle(title);
    QString error;
    if (!browser.SaveAsPdf(QFileInfo(out).absoluteFilePath(), &error)) {
        PrintErr(
            QStringLiteral("Не удалось сохранить PDF «%1»: %2\n").arg(QDir::toNativeSeparators(out), error));
        return 1;
    }
    return 0;
}
