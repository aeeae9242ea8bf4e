#pragma once

// Compiled stylesheets, shared by the pages of a section and by the indexer's threads (a mutex
// guards them). Private to src/search.

#include <QString>
#include <memory>

#include <libxslt/xsltInternals.h>

using TStylesheet = std::shared_ptr<xsltStylesheet>;

// The compiled stylesheet at path (canonical, inside the library of this thread's extraction),
// compiled on first use and again when the file changes; null when it does not compile.
TStylesheet CachedStylesheet(const QString& path);
