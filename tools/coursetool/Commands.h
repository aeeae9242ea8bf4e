#pragma once

#include "core/TextEscape.h"

#include <QStringList>

// One function per subcommand; each returns the process exit status.
int RunCatalogue(const QStringList& args);
int RunTree(const QStringList& args);
int RunMarkup(const QStringList& args);
int RunStrip(const QStringList& args);
int RunCollection(const QStringList& args);
int RunPdf(const QStringList& args);
int RunPage(const QStringList& args);
int RunSearch(const QStringList& args);
int RunExport(const QStringList& args);

// Prints text to standard output exactly as given (UTF-8, no newline translation).
void PrintOut(const QString& text);
void PrintErr(const QString& text);
