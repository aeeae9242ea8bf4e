#include "publish/SiteComponents.h"

#include "browser/LegacyScripts.h"
#include "core/ComponentStaging.h"
#include "publish/SiteFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// Runs before the player's scripts: finds the site from this script's own address and lets
// the IE-era objects and pictures set by scripts name files as they are in the site. Names not
// in the map have no capitals on disc, so their lower case is their name.
const char SitePreamble[] = R"js((function () {
    "use strict";
    var script = document.currentScript;
    if (!script || window.__coursePlayerSite)
        return;
    var root = new URL("..", script.src).href;
    var names = window.__coursePlayerNameMap || {};
    window.__coursePlayerSite = {components: new URL(".", script.src).href};
    function onDisc(href) {
        if (href.indexOf(root) !== 0)
            return href;
        var rest = href.slice(root.length), cut = rest.search(/[?#]/);
        var path = cut < 0 ? rest : rest.slice(0, cut);
        var key;
        try {
            key = decodeURIComponent(path).toLowerCase();
        } catch (e) {
            return href;
        }
        var name = Object.prototype.hasOwnProperty.call(names, key) ? names[key] : key;
        return root + name.split("/").map(encodeURIComponent).join("/") + (cut < 0 ? "" : rest.slice(cut));
    }
    window.__coursePlayerNames = onDisc;
    var src = Object.getOwnPropertyDescriptor(HTMLImageElement.prototype, "src");
    if (src && src.set)
        Object.defineProperty(HTMLImageElement.prototype, "src", {
            configurable: true,
            enumerable: src.enumerable,
            get: src.get,
            set: function (value) {
                src.set.call(this, onDisc(new URL(String(value).replace(/\\/g, "/"), document.baseURI).href));
            }
        });
})();
)js";

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

bool CopyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    bool ok = QDir().mkpath(to);
    while (ok && it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(file);
        ok = QDir().mkpath(QFileInfo(target).absolutePath()) && QFile::copy(file, target);
    }
    return ok;
}

} // namespace

bool PageNeedsComponents(const QString& page) {
    static const QRegularExpression tag(QStringLiteral("<(script|object|embed|math)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    return tag.match(page).hasMatch();
}

QString WithComponentScripts(const QString& page, const QString& root, const QString& names) {
    const QString folder = root + QString::fromUtf16(SiteComponentsFolder) + u'/';
    return AtHeadStart(page,
                       QStringLiteral("<script src=\"%1%2\"></script><script src=\"%1legacy.js\"></script>")
                           .arg(folder, names));
}

bool WriteNameMap(const QString& path, const QStringList& casedNames) {
    QJsonObject map;
    for (const QString& name : casedNames)
        map.insert(name.toLower(), name);
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           WriteBytes(path, "window.__coursePlayerNameMap = " +
                                QJsonDocument(map).toJson(QJsonDocument::Compact) + ";\n");
}

bool StageSiteComponents(const QString& site, bool movies, bool formulas) {
    const QString folder = site + u'/' + QString::fromUtf16(SiteComponentsFolder);
    const QString staged = StagedComponentsFolder();
    const bool flash = movies && FlashEmulatorStaged();
    if (!QDir().mkpath(folder) ||
        (flash && !CopyTree(staged + QStringLiteral("ruffle"), folder + QStringLiteral("/ruffle"))) ||
        (formulas && MathTypesetterStaged() &&
         !CopyTree(staged + QStringLiteral("mathjax"), folder + QStringLiteral("/mathjax"))))
        return false;
    const QString script =
        QString::fromLatin1(SitePreamble) +
        LegacyScriptsForPages(QStringLiteral("(window.__coursePlayerSite || {}).components"), flash);
    return WriteBytes(folder + QStringLiteral("/legacy.js"), script.toUtf8());
}
