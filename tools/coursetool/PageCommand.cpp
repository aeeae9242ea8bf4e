// coursetool page PATH [--wait-ms N]: loads one library page headless in the player's own browser
// (its profile and the scripts it puts into pages), lets the page's scripts run for N ms more
// (default 500) and prints the page's visible text, so that authors can check a disc's pages
// without a window. Exit 1 when the page does not load. A window.showModalDialog of the page
// shows its dialog headless; the dialog closes, as if its user closed it, when its page calls
// window.close() or N ms after its page has loaded, and the page gets its returnValue.

#include "browser/EmbeddedBrowser.h"
#include "browser/ModalDialog.h"
#include "tools/coursetool/Commands.h"
#include "tools/coursetool/PageLoad.h"

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>

namespace {

constexpr int kDefaultWaitMs = 500;

int Usage() {
    PrintErr(QStringLiteral("usage: coursetool page PATH [--wait-ms N]\n"));
    return 2;
}

// The text a reader sees; an XML page shown without a stylesheet has no innerText.
const char kVisibleText[] = R"((function () {
    var root = document.body || document.documentElement;
    if (!root) return "";
    return typeof root.innerText === "string" ? root.innerText : root.textContent;
})())";

QString VisibleText(QWebEnginePage* page) {
    QString text;
    QEventLoop loop;
    page->runJavaScript(QString::fromLatin1(kVisibleText), [&](const QVariant& result) {
        text = result.toString();
        loop.quit();
    });
    loop.exec();
    return text;
}

} // namespace

int RunPage(const QStringList& args) {
    QStringList positional;
    int waitMs = kDefaultWaitMs;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--wait-ms")) {
            bool ok = false;
            if (++i == args.size() || (waitMs = args.at(i).toInt(&ok), !ok) || waitMs < 0)
                return Usage();
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 1)
        return Usage();
    PrepareHeadlessBrowser();
    const QString target = PageTarget(positional.first());
    if (target.isEmpty())
        return 1;

    TEmbeddedBrowser browser;
    browser.resize(1024, 768);
    TEmbeddedBrowser dialogBrowser;
    dialogBrowser.resize(400, 300);
    TModalDialogBroker* dialogs = TModalDialogBroker::Of(browser.page()->profile());
    if (dialogs)
        dialogs->SetDialogWindow(&dialogBrowser, nullptr, waitMs);
    if (!LoadPage(browser, target)) {
        PrintErr(QStringLiteral("Страница не загрузилась: %1\n").arg(positional.first()));
        return 1;
    }
    if (waitMs > 0) {
        QEventLoop loop;
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // A dialog still open would keep the page waiting, and its text unread.
    if (dialogs)
        dialogs->CloseDialog();
    QString text = VisibleText(browser.page());
    if (!text.endsWith(u'\n'))
        text += u'\n';
    PrintOut(text);
    return 0;
}
