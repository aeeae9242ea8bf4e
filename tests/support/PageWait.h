#pragma once

// Waiting for pages in tests: a script run to completion and a browser's load. One time-out for
// all: WebEngine is slow on a small machine that runs other tests beside this one.

#include "browser/WebBrowser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <memory>
#include <optional>

inline constexpr int kWebTimeout = 90000;

// Pumps events until done() holds; false when timeoutMs pass first. It waits in the event loop,
// where QTest::qWaitFor sleeps 10 ms between passes: each of the engine's hops between its
// threads would cost such a sleep, a second and more for one page.
template <typename Done> bool WaitUntil(Done done, int timeoutMs = kWebTimeout) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop pass;
        QTimer::singleShot(5, &pass, &QEventLoop::quit);
        pass.exec();
        // As qWaitFor does: what was deleted later goes now, whatever loop asked for it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Runs script in the page's main frame and waits for its result (invalid on time-out).
inline QVariant RunScript(QWebEnginePage* page, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    (void)WaitUntil([&] { return result->has_value(); });
    return result->value_or(QVariant());
}

// Waits until the browser's load is complete; false on time-out.
inline bool WaitComplete(TWebBrowser* browser) {
    return WaitUntil([&] { return browser->ReadyState() == TWebBrowser::ReadyComplete; });
}
