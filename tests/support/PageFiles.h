#pragma once

// What the tests of the files a page may read share: the page's reading function, files written
// with their folders, and pipes nobody writes to.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Puts in place of READ_FUNCTION in a page the script function read(url): the trimmed text a
// synchronous request for url gets, or "refused".
inline QByteArray WithReadFunction(QByteArray page) {
    return page.replace("READ_FUNCTION", R"js(function read(url) {
    try {
        var request = new XMLHttpRequest();
        request.open("GET", url, false);
        request.send();
        return request.responseText.trim();
    } catch (e) {
        return "refused";
    }
})js");
}

inline bool WriteFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Pipes nobody writes to. A reader still waiting on one (a fault) is let go when they go, so
// that a failed run ends.
class TPipes final {
public:
    TPipes() = default;
    TPipes(const TPipes&) = delete;
    TPipes& operator=(const TPipes&) = delete;
    ~TPipes() { Release(); }

    bool Make(const QString& path) {
        m_paths << path;
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    }
    void Release() const {
        for (const QString& path : m_paths)
            if (const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd);
    }

private:
    QStringList m_paths;
};
