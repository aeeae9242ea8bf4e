#include "browser/LegacyScripts.h"

#include "core/ComponentStaging.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

// Outside any namespace, as Qt's resource initialisation must be.
static void InitLegacyScripts() {
    Q_INIT_RESOURCE(legacy_scripts);
}

namespace {

// The script with its placeholders filled in; pagesFromFilesOnly keeps it out of web pages.
QString ScriptSource(const QString& resource, bool pagesFromFilesOnly,
                     const QString& components = QString()) {
    InitLegacyScripts();
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString source = QString::fromUtf8(file.readAll());
    source.replace(QLatin1String("LOCAL_PAGES_ONLY"),
                   pagesFromFilesOnly ? QLatin1String("true") : QLatin1String("false"));
    if (!components.isEmpty())
        source.replace(QLatin1String("COMPONENTS_URL"), components);
    return source;
}

void Add(QWebEngineProfile* profile, const QString& name, const QString& source,
         QWebEngineScript::InjectionPoint point) {
    if (source.isEmpty())
        return;
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(point);
    // The page's own scripts call these objects, so they live in the page's world; every frame
    // of a disc page (frame sets were common) gets them too.
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    profile->scripts()->insert(script);
}

// The staged folder's URL as a JavaScript string literal; null when nothing is staged.
QString ComponentsLiteral() {
    if (!FlashEmulatorStaged() && !MathTypesetterStaged())
        return QStringLiteral("null");
    const QString url = QUrl::fromLocalFile(StagedComponentsFolder()).toString(QUrl::FullyEncoded);
    QString literal =
        QString::fromUtf8(QJsonDocument::fromVariant(QVariantList{url}).toJson(QJsonDocument::Compact));
    return literal.mid(1, literal.size() - 2); // ["…"] → "…"
}

} // namespace

void PrepareForOldDiscs(QWebEngineProfile* profile) {
    profile->settings()->setDefaultTextEncoding(QStringLiteral("windows-1251"));
    Add(profile, QStringLiteral("courseplayer-ie-objects"),
        ScriptSource(QStringLiteral(":/legacy/ie-objects.js"), true), QWebEngineScript::DocumentCreation);
    // Flash must be there before the page's own scripts look for it, and only when the player
    // can play it.
    if (FlashEmulatorStaged())
        Add(profile, QStringLiteral("courseplayer-flash"),
            ScriptSource(QStringLiteral(":/legacy/flash.js"), true, ComponentsLiteral()),
            QWebEngineScript::DocumentCreation);
    Add(profile, QStringLiteral("courseplayer-components"),
        ScriptSource(QStringLiteral(":/legacy/components.js"), true, ComponentsLiteral()),
        QWebEngineScript::DocumentReady);
}

QString LegacyScriptsForPages(const QString& components, bool flash) {
    // The page's own scripts run after this one, so the components script waits for the document.
    return ScriptSource(QStringLiteral(":/legacy/ie-objects.js"), false) + u'\n' +
           (flash ? ScriptSource(QStringLiteral(":/legacy/flash.js"), false, components) + u'\n'
                  : QString()) +
           QStringLiteral("document.addEventListener(\"DOMContentLoaded\", function () {\n") +
           ScriptSource(QStringLiteral(":/legacy/components.js"), false, components) +
           QStringLiteral("});\n");
}
