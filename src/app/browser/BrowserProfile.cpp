#include "app/browser/BrowserProfile.h"

#include <QCoreApplication>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
const char kProfileObjectName[] = "courseplayer-browser-profile";
}

QWebEngineProfile* SharedBrowserProfile() {
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT(app);
    if (auto* existing =
            app->findChild<QWebEngineProfile*>(QLatin1String(kProfileObjectName), Qt::FindDirectChildrenOnly))
        return existing;

    auto* profile = new QWebEngineProfile(app);
    profile->setObjectName(QLatin1String(kProfileObjectName));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // mailto:, ms-its: and the like would otherwise start a desktop application.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    return profile;
}
