#pragma once

#include <QString>

// The second line under "Данный ресурс недоступен" (or "Справка недоступна"): why a document or
// an address could not be opened, so that a teacher knows whether to look for a file, install a
// program or a web browser.

inline const QString kResourceUnavailable = QStringLiteral("Данный ресурс недоступен");

// Why ShellTargetOf gave nothing for url: an address of a kind never handed to the desktop, an
// address without its site or mail box, a missing file, or a file outside the library.
QString UnavailableReason(const QString& url, const QString& libraryFolder);

// Why the desktop refused target, an address or a path that ShellTargetOf let through: no web
// browser (or mail program) for an address, no program for the kind of a file.
QString ShellFailureReason(const QString& target);

// The reason for a file the player looked for and did not find.
QString MissingFileReason(const QString& path);

// The reason for a file the pages may not reach: it lies outside the library.
QString OutsideLibraryReason(const QString& path);

// firstLine, then the reason on a line of its own.
QString FailureMessage(const QString& firstLine, const QString& reason);
