#pragma once

#include <QString>

// Handing a document or address to the desktop ("open" in the shell). Windows take a TShell&
// so that tests can watch what would have been opened.
class TShell {
public:
    virtual ~TShell() = default;
    // A local path or a URL; false when the desktop could not open it.
    virtual bool Open(const QString& pathOrUrl);
};
