#pragma once

#include <QByteArray>
#include <QString>

// Paths whose bytes are not UTF-8 (a disc or a stick written under windows-1251, say). Qt reads
// every file name as UTF-8, so such a path given on the command line would name nothing. Its
// bytes are kept instead: a private link with a UTF-8 name in the user's runtime folder points
// at them, and the program uses the link. Paths inside come back from CanonicalPath under the
// link, so that the checks of what lies inside the library hold through it.

// The argument as a path Qt can open: the text itself when its bytes read as UTF-8 or name
// nothing, otherwise the link to what they name.
QString PathArgument(const QByteArray& bytes);

// QFileInfo::canonicalFilePath, except that what lies behind a link made by PathArgument is
// named under that link. Empty when the path does not exist.
QString CanonicalPath(const QString& path);

// Removes from folder the links PathArgument made whose target is gone, and nothing else: only
// links of ours with such a name, and only when folder is our own, closed to everyone else.
// Returns how many went. PathArgument calls it once a run on its folder.
int RemoveStalePathLinks(const QString& folder);
