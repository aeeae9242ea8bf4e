// coursetool: shows what the player reads, without a window. It never writes into the library.

#include "tools/coursetool/Commands.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

struct TCommand {
    const char* Name;
    const char* Usage;
    int (*Run)(const QStringList& args);
};

const TCommand kCommands[] = {
    {"catalogue", "catalogue [FOLDER] [--json]", RunCatalogue},
    {"tree", "tree FILE [--json]", RunTree},
    {"markup",
     "markup TEXT [--width W] [--height H] [--font FAMILY] [--pixel-size N] [--mouse X,Y] "
     "[--measure-only] [--hit-test-only] [--selected] [--no-wrap] [--png FILE] [--json]",
     RunMarkup},
    {"strip", "strip TEXT", RunStrip},
    {"collection", "collection FILE [--json] [--library FOLDER --course N] [--save OUT]", RunCollection},
    {"pdf", "pdf PAGE OUT.pdf [--title T]", RunPdf},
};

int Usage() {
    QTextStream err(stderr);
    err << "usage: coursetool COMMAND ...\n";
    for (const TCommand& c : kCommands)
        err << "  coursetool " << c.Usage << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Measuring text needs fonts, and fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pdf command lays pages out with Qt WebEngine, which needs this before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    for (const TCommand& c : kCommands)
        if (args.first() == QLatin1String(c.Name))
            return c.Run(args.mid(1));
    return Usage();
}
