#pragma once

#include <QString>
#include <QStringList>

// The library folder (the old program's "program folder"): where the course descriptors, the
// course folders, "ShowFavor.htm", "Plugins" and "Help" lie. Always absolute, always ending in '/'.
QString WithTrailingSlash(const QString& folder);
