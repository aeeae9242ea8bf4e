// coursetool: shows what the player reads, without a window. It never writes into the library.

#include "core/BytePaths.h"
#include "tools/coursetool/Commands.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>

namespace {

// The one table of subcommands: dispatch and `coursetool --help` both read it, so a command
// added here is listed with its arguments.
struct TCommand {
    const char* Name;
    const char* Usage;
    int (*Run)(const QStringList& args);
    const char* Summary = nullptr; // one line of Russian for --help
};

const TCommand kCommands[] = {
    {"catalogue", "catalogue [FOLDER] [--json]", RunCatalogue,
     "предметы и курсы, которые каталог строит из описаний курсов папки, и пропущенные файлы"},
    {"tree", "tree FILE [--json]", RunTree, "материалы документа дерева раздела (tree.xml)"},
    {"markup",
     "markup TEXT [--width W] [--height H] [--font FAMILY] [--pixel-size N] [--mouse X,Y] "
     "[--measure-only] [--hit-test-only] [--selected] [--no-wrap] [--png FILE] [--json]",
     RunMarkup, "как проигрыватель раскладывает разметку текста материала"},
    {"strip", "strip TEXT", RunStrip, "текст материала без разметки"},
    {"collection", "collection FILE [--json] [--library FOLDER --course N] [--save OUT]", RunCollection,
     "записи файла подборки, её список страниц и список заданий курса"},
    {"pdf", "pdf PAGE OUT.pdf [--title T]", RunPdf, "страница в PDF с колонтитулами, как при печати"},
    {"page", "page PATH [--wait-ms N]", RunPage,
     "видимый текст страницы в браузере проигрывателя, со сценариями для старых дисков"},
    {"search", "search FOLDER QUERY [--course N] [--json]", RunSearch,
     "поиск по тексту материалов библиотеки (индекс строится или обновляется в папке кэша)"},
    {"export", "export LIBRARY OUT [--course N]... [--title T] [--scorm]", RunExport,
     "библиотека как сайт из обычных файлов для браузеров учеников (в библиотеку ничего не пишет)"},
};

QString Help() {
    QString text = QStringLiteral("Использование: coursetool КОМАНДА [АРГУМЕНТЫ]\n"
                                  "Показывает без окна, что читает проигрыватель учебных курсов; "
                                  "в библиотеку ничего не пишет.\n\nКоманды:\n");
    for (const TCommand& c : kCommands) {
        text += QStringLiteral("  coursetool %1\n").arg(QString::fromUtf8(c.Usage));
        if (c.Summary)
            text += QStringLiteral("      %1\n").arg(QString::fromUtf8(c.Summary));
    }
    text += QStringLiteral("  coursetool --help\n      эта справка\n");
    return text;
}

int Usage(const QString& problem) {
    PrintErr(QStringLiteral("coursetool: %1\nСправка: coursetool --help\n").arg(problem));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Measuring text needs fonts, and fonts need a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pdf and page commands lay pages out with Qt WebEngine, which needs this before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // Read from the bytes rather than app.arguments(): a library path that is not UTF-8 is kept.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << PathArgument(QByteArray(argv[i]));
    if (args.isEmpty())
        return Usage(QStringLiteral("не указана команда"));
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h") ||
        args.first() == QLatin1String("help")) {
        PrintOut(Help());
        return 0;
    }
    for (const TCommand& c : kCommands)
        if (args.first() == QLatin1String(c.Name))
            return c.Run(args.mid(1));
    return Usage(QStringLiteral("неизвестная команда «%1»").arg(args.first()));
}
