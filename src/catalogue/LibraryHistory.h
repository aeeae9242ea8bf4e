#pragma once

#include <QString>
#include <QStringList>

// The libraries the user chose in the catalogue, kept between runs in an INI file: the last one
// (opened at the next start when nothing else is given) and the last five, newest first.
class TLibraryHistory final {
public:
    static constexpr int MaxRecent = 5;

    // fileName empty: "settings.ini" in the user's configuration folder for this program.
    explicit TLibraryHistory(const QString& fileName = QString());

    QString Last() const;
    QStringList Recent() const;
    // Puts the folder first (once, however it is spelt), keeps five, and makes it the last.
    void Remember(const QString& folder);
    // Drops a folder that no longer holds a library from the recent ones.
    void Forget(const QString& folder);

    QString FileName() const { return m_fileName; }

private:
    void Store(const QStringList& recent, const QString& last);

    QString m_fileName;
};
