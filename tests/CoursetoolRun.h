#pragma once

// Runs the built coursetool as a user runs it and keeps what it said.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct TCoursetoolRun {
    int ExitCode = -1; // -1: it crashed or did not finish in time
    QString Out;
    QString Err;
};

// Offscreen, so that the subcommands which lay pages out in a browser of their own need no
// display; that is slow on a busy machine, hence the long wait.
inline TCoursetoolRun RunCoursetool(const QString& program, const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    TCoursetoolRun run;
    if (!process.waitForFinished(240000))
        return run;
    run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
