// coursetool pdf PAGE OUT.pdf [--title T]: one library page printed to a PDF file exactly as the
// viewer's "Сохранить как PDF" makes it (vector text, header and footer, the default page set-up),
// so that authors can print a disc's pages in batch. Exit 1 when the page does not load or the
// file cannot be written.

#include "browser/EmbeddedBrowser.h"
#include "tools/coursetool/Commands.h"
#include "tools/coursetool/PageLoad.h"

#include <QDir>
#include <QFileInfo>

namespace {

int Usage() {
    PrintErr(QStringLiteral("usage: coursetool pdf PAGE OUT.pdf [--title T]\n"));
    return 2;
}

} // namespace

int RunPdf(const QStringList& args) {
    QStringList positional;
    QString title;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--title")) {
            if (++i == args.size())
                return Usage();
            title = args.at(i);
        } else {
            positional.append(args.at(i));
        }
    }
    if (positional.size() != 2)
        return Usage();
    PrepareHeadlessBrowser();
    const QString page = positional.at(0);
    const QString out = positional.at(1);
    const QString target = PageTarget(page);
    if (target.isEmpty())
        return 1;

    TEmbeddedBrowser browser;
    browser.resize(1024, 768);
    if (!LoadPage(browser, target)) {
        PrintErr(QStringLiteral("Страница не загрузилась: %1\n").arg(page));
        return 1;
    }
    browser.SetPrintTitle(title);
    QString error;
    if (!browser.SaveAsPdf(QFileInfo(out).absoluteFilePath(), &error)) {
        PrintErr(
            QStringLiteral("Не удалось сохранить PDF «%1»: %2\n").arg(QDir::toNativeSeparators(out), error));
        return 1;
    }
    return 0;
}
