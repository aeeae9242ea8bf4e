#pragma once

// Helpers of the browser tests: fixture pages, scripts run to completion, real mouse clicks on
// page elements, and a main() that prepares Qt WebEngine for a widget test.

#include "browser/BrowserProfile.h"
#include "browser/WebBrowser.h"
#include "tests/support/PageWait.h"

#include <QApplication>
#include <QTest>
#include <QUrl>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

inline QString Fixture(const QString& name) {
    return QStringLiteral(CP_TEST_DATA "/browser/") + name;
}

inline QString FixtureUrl(const QString& name) {
    return QUrl::fromLocalFile(Fixture(name)).toString();
}

inline bool NavigateAndWait(TWebBrowser* browser, const QString& urlOrPath) {
    browser->Navigate(urlOrPath);
    return WaitComplete(browser);
}

// The centre of an element, in view coordinates; frameId names an iframe holding it.
inline std::optional<QPoint> ElementCentre(TWebBrowser* browser, const QString& id,
                                           const QString& frameId = QString()) {
    const QString script =
        QStringLiteral(R"((function () {
        var dx = 0, dy = 0, doc = document;
        if (%2) {
            var frame = document.getElementById(%2);
            var fr = frame.getBoundingClientRect();
            dx = fr.left + frame.clientLeft; dy = fr.top + frame.clientTop;
            doc = frame.contentDocument;
        }
        var el = doc.getElementById(%1);
        if (!el) return null;
        var r = el.getBoundingClientRect();
        return [dx + r.left + Math.min(r.width / 2, 10), dy + r.top + r.height / 2];
    })())")
            .arg(QStringLiteral("\"%1\"").arg(id),
                 frameId.isEmpty() ? QStringLiteral("null") : QStringLiteral("\"%1\"").arg(frameId));
    const QVariantList point = RunScript(browser->page(), script).toList();
    if (point.size() != 2)
        return std::nullopt;
    return QPoint(qRound(point.at(0).toDouble()), qRound(point.at(1).toDouble()));
}

// The widget that takes the view's mouse and keyboard input.
inline QWidget* InputWidget(TWebBrowser* browser) {
    return browser->focusProxy() ? browser->focusProxy() : browser;
}

// A real mouse click, as a user would make it (the page sees a user gesture).
inline bool ClickElement(TWebBrowser* browser, const QString& id, const QString& frameId = QString(),
                         Qt::MouseButton button = Qt::LeftButton) {
    const auto centre = ElementCentre(browser, id, frameId);
    if (!centre)
        return false;
    QWidget* target = InputWidget(browser);
    QTest::mouseMove(target, *centre);
    QTest::mouseClick(target, button, Qt::NoModifier, *centre);
    return true;
}

// A view on the offscreen screen, big enough for the fixture pages.
inline void ShowForInput(QWidget* view) {
    view->resize(900, 700);
    view->show();
    // A web view takes input through a child the engine makes once it is shown; a window that
    // holds a view is ready as soon as it is visible.
    const bool webView = qobject_cast<QWebEngineView*>(view) != nullptr;
    (void)WaitUntil([&] { return view->isVisible() && (!webView || view->focusProxy()); });
}

#define CP_BROWSER_TEST_MAIN(TestClass)                                                                      \
    int main(int argc, char** argv) {                                                                        \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                          \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        /* The fixtures are these tests' library. */                                                         \
        SetAllowedFileRoots({QStringLiteral(CP_TEST_DATA "/browser")});                                      \
        int result = 0;                                                                                      \
        {                                                                                                    \
            TestClass test;                                                                                  \
            result = QTest::qExec(&test, argc, argv);                                                        \
        }                                                                                                    \
        return result;                                                                                       \
    }
