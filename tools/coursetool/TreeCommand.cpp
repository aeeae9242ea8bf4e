#include "tools/coursetool/Commands.h"

int RunTree(const QStringList&) {
    PrintErr(QStringLiteral("coursetool: this command is not built yet\n"));
    return 2;
}
