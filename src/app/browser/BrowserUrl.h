#pragma once

#include <QString>
#include <QUrl>

// What Navigate loads for its argument: a URL when the text starts with a scheme of two or more
// letters ("about:blank", "file:///…", "http://…"), otherwise a local path. The part of a path
// after the first '#' is the fragment of the URL, exactly as written, so that "…/15.xml#run"
// reaches the page with the fragment "run" instead of a file named "15.xml#run".
QUrl BrowserUrlFromText(const QString& urlOrPath);
