#include "browser/BrowserProfile.h"

#include "app/Shell.h"
#include "browser/EngineSetup.h"
#include "browser/FileAccess.h"
#include "browser/LegacyScripts.h"
#include "browser/ModalDialog.h"
#include "browser/UserLinks.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

const char kProfileObjectName[] = "courseplayer-browser-profile";
const char kTranslatorObjectName[] = "courseplayer-browser-translation";

// The texts of the browser's own menus and actions ("Назад", "Копировать") come from Qt's
// translation; error pages come from Chromium's locale, which it reads once, when the first
// profile starts it. Both must be in place before that.
void MakeBrowserRussian(QCoreApplication* app) {
    if (!app->findChild<QTranslator*>(QLatin1String(kTranslatorObjectName), Qt::FindDirectChildrenOnly)) {
        auto* translator = new QTranslator(app);
        translator->setObjectName(QLatin1String(kTranslatorObjectName));
        if (translator->load(QLocale(QLocale::Russian), QStringLiteral("qtwebengine"), QStringLiteral("_"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
    // Chromium takes its language from a --lang switch when there is one, before the locale.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--lang=")) {
        flags += flags.isEmpty() ? "--lang=ru" : " --lang=ru";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

TShell* g_documentShell = nullptr;
// Kept here as well: the profile, and the engine with it, starts only when a browser needs it,
// which may be after the library is known.
QStringList g_allowedRoots;

QWebEngineProfile* ExistingProfile() {
    QCoreApplication* app = QCoreApplication::instance();
    return app ? app->findChild<QWebEngineProfile*>(QLatin1String(kProfileObjectName),
                                                    Qt::FindDirectChildrenOnly)
               : nullptr;
}

std::function<void(const QString&, bool)> g_documentFailure;

// PDF is not among them: the engine shows it itself.
bool IsDesktopDocument(const QUrl& url) {
    if (!url.isLocalFile())
        return false;
    static const QStringList kSuffixes = {QStringLiteral(".ppt"), QStringLiteral(".pps"),
                                          QStringLiteral(".doc"), QStringLiteral(".xls"),
                                          QStringLiteral(".rtf")};
    const QString path = url.path(QUrl::FullyDecoded);
    for (const QString& suffix : kSuffixes)
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    return false;
}

TFileAccessInterceptor* Interceptor(QWebEngineProfile* profile) {
    return profile->findChild<TFileAccessInterceptor*>(QString(), Qt::FindDirectChildrenOnly);
}

TUserLinkWatch* LinkWatch(QWebEngineProfile* profile) {
    return profile->findChild<TUserLinkWatch*>(QString(), Qt::FindDirectChildrenOnly);
}

// The user clicked the link, so a document that does not open says why.
void OpenDesktopDocument(const QUrl& url) {
    const TFileAccessRules& rules = Interceptor(SharedBrowserProfile())->Rules();
    const QString path = ResolvedLocalPath(url.path(QUrl::FullyDecoded));
    if (!rules.Serves(url)) {
        if (g_documentFailure)
            g_documentFailure(path, false);
        return;
    }
    if (g_documentShell && !g_documentShell->Open(path) && g_documentFailure)
        g_documentFailure(path, true);
}

} // namespace

QWebEngineProfile* SharedBrowserProfile() {
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT(app);
    if (auto* existing = ExistingProfile())
        return existing;

    MakeBrowserRussian(app);
    RegisterModalDialogScheme(); // before the engine starts with the first profile
    CreateSharedOpenGl();
    auto* profile = new QWebEngineProfile(app);
    profile->setObjectName(QLatin1String(kProfileObjectName));
    profile->setHttpAcceptLanguage(QStringLiteral("ru-RU,ru"));
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // mailto:, ms-its: and the like would otherwise start a desktop application.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    auto* interceptor = new TFileAccessInterceptor(profile);
    interceptor->SetRules(TFileAccessRules(g_allowedRoots));
    profile->setUrlRequestInterceptor(interceptor);
    PrepareForOldDiscs(profile);
    new TModalDialogBroker(profile);
    new TUserLinkWatch(profile, &OpenDesktopDocument);
    // A document reached without a navigation (a download link, a redirect) is never saved
    // behind the user's back; one inside the library opens with the desktop's program.
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) {
                         if (HandOverDesktopDocument(download->url()))
                             download->cancel();
                     });
    return profile;
}

void SetAllowedFileRoots(const QStringList& folders) {
    g_allowedRoots = folders;
    if (QWebEngineProfile* profile = ExistingProfile())
        Interceptor(profile)->SetRules(TFileAccessRules(folders));
}

QStringList AllowedFileRoots() {
    if (QWebEngineProfile* profile = ExistingProfile())
        return Interceptor(profile)->Rules().Folders();
    return TFileAccessRules(g_allowedRoots).Folders();
}

void SetDocumentShell(TShell* shell) {
    g_documentShell = shell;
}

void SetDocumentFailureReporter(std::function<void(const QString& path, bool allowed)> reporter) {
    g_documentFailure = std::move(reporter);
}

bool HandOverDesktopDocument(const QUrl& url) {
    if (!IsDesktopDocument(url))
        return false;
    // Opened only when a user's click on its link comes with it: a page's script may not start
    // a desktop program.
    LinkWatch(SharedBrowserProfile())->Requested(url);
    return true;
}

bool TakeUserLinkReport(const QString& message) {
    return LinkWatch(SharedBrowserProfile())->TakeReport(message);
}
