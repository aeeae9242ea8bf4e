#pragma once

// The original look needs Tahoma (and Symbol for list bullets). When the system has none, the
// copies of the wine fonts package are registered with the application.
void RegisterOriginalFonts();
