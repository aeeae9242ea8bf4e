#pragma once

#include <QString>

// The folder beside the executable where the build stages the web components that old course
// pages need: "ruffle/" (the Flash emulator) and "mathjax/" (the MathML typesetter). Pages may
// read this folder like the library. Ends with '/'.
QString StagedComponentsFolder();
// Tests, and programs that do not lie beside the staged folder, point to it here; an empty path
// goes back to the folder beside the executable.
void SetStagedComponentsFolder(const QString& folder);

// The components, present when the build staged them.
bool FlashEmulatorStaged();
bool MathTypesetterStaged();
