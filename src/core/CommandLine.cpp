#include "core/CommandLine.h"

#include "core/LibraryFolder.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

bool IsCollectionFile(const QString& argument) {
    return argument.endsWith(QLatin1String(".sff"), Qt::CaseInsensitive) && !QFileInfo(argument).isDir();
}

TCommandLine Failed(const QString& message) {
    TCommandLine line;
    line.Action = TCommandLine::TAction::Error;
    line.Message = QStringLiteral("courseplayer: %1\nСправка: courseplayer --help\n").arg(message);
    return line;
}

} // namespace

QString CommandLineHelp() {
    return QStringLiteral("Использование:\n"
                          "  courseplayer [ПАПКА]\n"
                          "  courseplayer [--library ПАПКА] ФАЙЛ.sff\n"
                          "\n"
                          "Проигрыватель учебных курсов.\n"
                          "\n"
                          "ПАПКА — библиотека курсов: папка с описаниями курсов (*.xml) и папками курсов,\n"
                          "например смонтированный диск или флешка. Без неё проигрыватель берёт папку своей\n"
                          "программы, если в ней есть курсы, затем последнюю выбранную библиотеку, затем\n"
                          "демонстрационную библиотеку.\n"
                          "ФАЙЛ.sff — подборка учебных материалов: открывается в окне подборок.\n"
                          "\n"
                          "Параметры:\n"
                          "  --library ПАПКА  библиотека, из которой взяты материалы подборки\n"
                          "  -h, --help       показать эту справку\n"
                          "  -v, --version    показать версию\n");
}

TCommandLine ParseCommandLine(const QStringList& arguments, const QString& version) {
    QStringList own = arguments;
    if (const int engine = own.indexOf(QStringLiteral("--webEngineArgs")); engine >= 0)
        own = own.mid(0, engine);
    if (own.isEmpty())
        own << QStringLiteral("courseplayer");

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")}, QString());
    const QCommandLineOption library(QStringLiteral("library"), QString(), QStringLiteral("folder"));
    parser.addOption(help);
    parser.addOption(versionOption);
    parser.addOption(library);
    if (!parser.parse(own)) {
        if (!parser.unknownOptionNames().isEmpty())
            return Failed(
                QStringLiteral("неизвестный параметр «%1»").arg(parser.unknownOptionNames().first()));
        return Failed(QStringLiteral("после --library нужна папка"));
    }

    TCommandLine line;
    if (parser.isSet(help)) {
        line.Action = TCommandLine::TAction::Help;
        line.Message = CommandLineHelp();
        return line;
    }
    if (parser.isSet(versionOption)) {
        line.Action = TCommandLine::TAction::Version;
        line.Message = QStringLiteral("courseplayer %1\n").arg(version);
        return line;
    }
    if (parser.values(library).size() > 1)
        return Failed(QStringLiteral("--library указан дважды"));
    QString folder = parser.value(library);
    for (const QString& argument : parser.positionalArguments()) {
        if (argument.isEmpty())
            return Failed(QStringLiteral("пустое имя папки или файла"));
        if (IsCollectionFile(argument)) {
            if (!line.Collection.isEmpty())
                return Failed(QStringLiteral("можно открыть только одну подборку"));
            line.Collection = QFileInfo(argument).absoluteFilePath();
        } else {
            if (!folder.isEmpty())
                return Failed(QStringLiteral("можно указать только одну папку с курсами"));
            folder = argument;
        }
    }
    if (parser.isSet(library) && folder.isEmpty())
        return Failed(QStringLiteral("после --library нужна папка"));
    if (!folder.isEmpty())
        line.Folder = WithTrailingSlash(folder);
    return line;
}
