#pragma once

#include <QString>
#include <QUrl>

// What Navigate loads for its argument: a URL when the text starts with a scheme of two or more
// letters ("about:blank", "file:///…", "http://…"), otherwise a local path. The part after the
// '#' that ends the file name is the fragment of the URL, exactly as written, so that
// "…/15.xml#run" reaches the page with the fragment "run" instead of a file named "15.xml#run",
// and a library under "/srv/Курсы #2/" keeps its folder. A path naming an existing file is
// canonical in the URL (symbolic links and ".." resolved).
QUrl BrowserUrlFromText(const QString& urlOrPath);
