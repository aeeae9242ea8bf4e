#pragma once

#include <QString>
#include <QStringList>

// What `courseplayer` was asked to do:
//   courseplayer [FOLDER]                      the library FOLDER
//   courseplayer [--library FOLDER] FILE.sff   the collection FILE.sff in the collection editor
//   courseplayer --help | --version
struct TCommandLine {
    enum class TAction { Run, Help, Version, Error };

    TAction Action = TAction::Run;
    QString Folder;     // the library given, absolute and ending in '/'; empty when none
    QString Collection; // the collection file given, absolute; empty when none
    QString Message;    // what to print for Help, Version and Error (Russian, ends in '\n')
};

// arguments as QCoreApplication::arguments() gives them, the program name first. Chromium's own
// switches after "--webEngineArgs" belong to the browser engine and are left alone.
TCommandLine ParseCommandLine(const QStringList& arguments, const QString& version);

// The Russian help text of `courseplayer --help`.
QString CommandLineHelp();
