#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

// Which local files the player's pages may load. Course pages are file: URLs and must reach the
// other files of the library (stylesheets, pictures, frames, XHR), but nothing else on the
// machine: a page of a disc has no business reading the user's home folder. A file: URL is
// allowed when the file, with "..", symbolic links and the rest resolved, lies inside one of the
// allowed folders; every other scheme is left to the browser's own rules.
class TFileAccessRules final {
public:
    TFileAccessRules() = default;
    // Folders that do not exist are dropped: nothing can lie inside them.
    explicit TFileAccessRules(const QStringList& folders);

    bool Allows(const QUrl& url) const;
    // An absolute local path, resolved as the browser would open it.
    bool AllowsPath(const QString& path) const;
    const QStringList& Folders() const { return m_folders; }

private:
    QStringList m_folders; // canonical, each ending with '/'
};

// The path with "..", "." and every symbolic link resolved, as far as it exists; the missing
// rest is appended as written (after the "..") so that a file about to be made still resolves.
QString ResolvedLocalPath(const QString& absolutePath);

// Refuses, on the profile, every file: request that the rules do not allow: navigations of
// pages and frames, pictures, stylesheets, scripts, XHR and fetch.
class TFileAccessInterceptor final : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit TFileAccessInterceptor(QObject* parent = nullptr);

    void SetRules(TFileAccessRules rules) { m_rules = std::move(rules); }
    const TFileAccessRules& Rules() const { return m_rules; }
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    TFileAccessRules m_rules;
};
