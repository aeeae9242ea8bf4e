#pragma once

// Waiting for pages in tests: a script run to completion and a browser's load. One time-out for
// all: WebEngine is slow on a small machine that runs other tests beside this one.

#include "browser/WebBrowser.h"

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <memory>
#include <optional>

inline constexpr int kWebTimeout = 90000;

// Runs script in the page's main frame and waits for its result (invalid on time-out).
inline QVariant RunScript(QWebEnginePage* page, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant& value) { *result = value; });
    (void)QTest::qWaitFor([&] { return result->has_value(); }, kWebTimeout);
    return result->value_or(QVariant());
}

// Waits until the browser's load is complete; false on time-out.
inline bool WaitComplete(TWebBrowser* browser) {
    return QTest::qWaitFor([&] { return browser->ReadyState() == TWebBrowser::ReadyComplete; }, kWebTimeout);
}
