#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <optional>

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
    // Allows, and for a local file also that the browser may open it: an ordinary file (after
    // its links), or nothing yet (the browser then reports it missing). A pipe, a socket or a
    // device would keep the browser's reader waiting, or reading, for ever; a folder is listed.
    bool Serves(const QUrl& url) const;
    // Whether the file open on fd (named resolved when opened) may be served: an ordinary file
    // inside the allowed folders where it really is now, whatever its name leads to by then.
    bool ServesOpenFile(int fd, const QString& resolved) const;
    // An absolute local path, resolved as the browser would open it.
    bool AllowsPath(const QString& path) const;
    // Where a file: URL written on Windows points on this disc, when the URL names nothing as it
    // is written: backslashes (also as %5C) are separators, ".." is taken as the browser takes
    // it (by the letters, before links), and every name is matched ignoring case. Nothing when
    // the URL is not a local file, exists as written, matches no file, or the file it matches
    // lies outside the allowed folders: such a link stays as broken as it was.
    std::optional<QUrl> FoundOnDisc(const QUrl& url) const;
    const QStringList& Folders() const { return m_folders; }

private:
    bool Inside(QString resolved) const;

    QStringList m_folders; // canonical, each ending with '/'
};

// The path with "..", "." and every symbolic link resolved, as far as it exists; the missing
// rest is appended as written (after the "..") so that a file about to be made still resolves.
QString ResolvedLocalPath(const QString& absolutePath);

// Refuses, on the profile, every file: request that the rules do not serve: navigations of
// pages and frames, pictures, stylesheets, scripts, XHR and fetch. Only an ordinary file is
// opened to decide, without waiting, and nothing is read. A request for a file that exists only
// in another case or with backslashes is redirected to the file as it is on disc.
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
