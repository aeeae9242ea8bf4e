#pragma once

#include <QString>

// The folder where the web components that old course pages need lie: "ruffle/" (the Flash
// emulator) and "mathjax/" (the MathML typesetter). The build stages them beside the executable;
// the package installs them with its shared data. Pages may read this folder like the library.
// Ends with '/'.
QString StagedComponentsFolder();
// Tests, and programs that do not lie beside the staged folder, point to it here; an empty path
// goes back to the folder beside the executable.
void SetStagedComponentsFolder(const QString& folder);

// The components, present when the build staged them.
bool FlashEmulatorStaged();
bool MathTypesetterStaged();
