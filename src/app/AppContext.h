#pragma once

#include <QString>

class TCommandImages;
class TPageZoom;
class TRegistry;
class TShell;

// What every window gets from start-up: the library folder and the host services.
struct TAppContext {
    QString ProgramFolder; // ends with '/'
    TRegistry* Registry = nullptr;
    TShell* Shell = nullptr;
    TPageZoom* PageZoom = nullptr;                 // the zoom every page window shares; none: no zoom keys
    const TCommandImages* CommandImages = nullptr; // the tool bars' icons; none: words only
};
