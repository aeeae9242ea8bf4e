#pragma once

#include <QString>

class TRegistry;

// The class identifier of the Flash player control, braces included.
inline const QString kFlashClassId = QStringLiteral("{D27CDB6E-AE6D-11cf-96B8-444553540000}");

// Writes the presentation-in-browser switch: "BrowserFlags" under "\PowerPoint.Show.8" of
// HKEY_CLASSES_ROOT, 0 to show presentations in the viewer's main window, 9 not to. Creates the
// key when missing. Every failure is silent: the host keeps whatever it had.
void WritePPTBrowserFlags(TRegistry* registry, bool showInMain);

// True when the component's Active Setup key exists and can be opened for reading.
bool IsComponentInstalled(const TRegistry* registry, const QString& clsid);
