// coursetool strip TEXT: the plain text of a markup text, exactly as the controls get it
// (with CR LF where a <BR> or <HR> stood), and nothing else.

#include "markup/Markup.h"
#include "tools/coursetool/Commands.h"

int RunStrip(const QStringList& args) {
    if (args.size() != 1) {
        PrintErr(QStringLiteral("usage: coursetool strip TEXT\n"));
        return 2;
    }
    PrintOut(StripMarkup(args.first()));
    return 0;
}
