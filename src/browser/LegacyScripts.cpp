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

namespace {

QString ScriptSource(const QString& resource) {
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
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
    Q_INIT_RESOURCE(legacy_scripts);
    Add(profile, QStringLiteral("courseplayer-ie-objects"),
        ScriptSource(QStringLiteral(":/legacy/ie-objects.js")), QWebEngineScript::DocumentCreation);
    // Flash must be there before the page's own scripts look for it, and only when the player
    // can play it.
    if (FlashEmulatorStaged()) {
        QString flash = ScriptSource(QStringLiteral(":/legacy/flash.js"));
        flash.replace(QLatin1String("COMPONENTS_URL"), ComponentsLiteral());
        Add(profile, QStringLiteral("courseplayer-flash"), flash, QWebEngineScript::DocumentCreation);
    }
    QString components = ScriptSource(QStringLiteral(":/legacy/components.js"));
    components.replace(QLatin1String("COMPONENTS_URL"), ComponentsLiteral());
    Add(profile, QStringLiteral("courseplayer-components"), components, QWebEngineScript::DocumentReady);
}
