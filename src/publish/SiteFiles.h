#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// The files of a library as the published site holds them: copied as they are, except pages
// (HTML, XML, stylesheets), which are read as the player reads them: a page that declares no
// charset and is not UTF-8 becomes UTF-8 (a browser reading it from a web server would not take
// it for windows-1251), and links written for a Windows disc (another case, backslashes) name
// the files as they are on disc.

struct TSiteCopy {
    QString LibraryRoot;                       // canonical, ending with '/'
    const std::atomic<bool>* Cancel = nullptr; // stops the copy between files
    std::function<void()> Tick;                // called after every file
    QStringList SkippedLinks;                  // links leading out of the library, relative names
    QStringList Failures;                      // files that could not be written, with the reason
    QString NameMap;         // the name map the pages copied now load from the site's components
    QStringList CasedNames;  // files copied whose names have capitals, relative to the library
    bool Components = false; // some page copied loads the site's components
    bool Movies = false;     // a Flash movie was copied
    bool Formulas = false;   // some page copied has MathML
    qint64 Files = 0;
    qint64 Bytes = 0;
};

// Copies the folder from (inside the library) to the new folder to, recursively. Symbolic links
// are followed only while they stay inside the library (and never round in a loop); those that
// lead out are skipped and listed. Pipes, devices and sockets are skipped. False when cancelled
// or when a folder could not be made.
bool CopySiteFolder(const QString& from, const QString& to, TSiteCopy& copy);

// A page's bytes as the site holds them (see above); an HTML page with scripts, movies or
// formulas also loads the site's components. pagePath is where it lies in the library, for
// resolving its links; html says whether it is read as HTML (else as XML).
QByteArray PublishedPage(const QByteArray& bytes, const QString& pagePath, bool html, TSiteCopy& copy);

// Windows-1251 bytes as text, as the browser decodes them.
QString DecodeWindows1251(const QByteArray& bytes);

// Whether the file name is one of a page or stylesheet whose links the site rewrites.
bool IsSitePage(const QString& fileName, bool* html = nullptr);

// The page with text put at the start of its head: after <head>, else after <html>, else after
// the doctype, else first.
QString AtHeadStart(const QString& page, const QString& text);
