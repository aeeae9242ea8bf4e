#include "popups/ResourceFailure.h"

#include "core/BytePaths.h"
#include "core/DiscFiles.h"
#include "popups/LinkRules.h"

#include <QFileInfo>
#include <QUrl>

namespace {

// Addresses are shown whole unless they run on; a file is named by its name, the folder is the
// library's anyway.
QString Shown(const QString& text) {
    constexpr int kLongest = 80;
    return text.size() <= kLongest ? text : text.left(kLongest - 1) + QChar(0x2026);
}

QString NameOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return Shown(name.isEmpty() ? path : name);
}

} // namespace

QString MissingFileReason(const QString& path) {
    return QStringLiteral("Нет файла «%1».").arg(NameOf(path));
}

QString OutsideLibraryReason(const QString& path) {
    return QStringLiteral("Файл «%1» лежит вне библиотеки курсов.").arg(NameOf(path));
}

QString UnavailableReason(const QString& url, const QString& libraryFolder) {
    const QString text = url.trimmed();
    const QUrl parsed(text);
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return QStringLiteral("В адресе «%1» нет имени сайта.").arg(Shown(text));
    if (scheme == QLatin1String("mailto"))
        return QStringLiteral("В адресе «%1» нет почтового ящика.").arg(Shown(text));
    const QString path = LocalPathOf(text);
    if (path.isEmpty())
        return QStringLiteral("Адреса вида «%1:» проигрыватель не открывает.")
            .arg(scheme.isEmpty() ? Shown(text) : Shown(scheme));
    const QFileInfo file(FindDiscFile(path));
    if (!file.isFile())
        return MissingFileReason(path);
    const QString library = CanonicalPath(libraryFolder);
    if (library.isEmpty() || !CanonicalPath(file.filePath()).startsWith(library + u'/'))
        return OutsideLibraryReason(path);
    return {};
}

QString ShellFailureReason(const QString& target) {
    const QUrl parsed(target);
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return QStringLiteral("Не найден веб-браузер, чтобы открыть адрес «%1».").arg(Shown(target));
    if (scheme == QLatin1String("mailto"))
        return QStringLiteral("Не найдена почтовая программа, чтобы написать на адрес «%1».")
            .arg(Shown(parsed.path()));
    const QString path = parsed.isLocalFile() ? parsed.toLocalFile() : target;
    if (!QFileInfo::exists(path))
        return MissingFileReason(path);
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return QStringLiteral("Нет программы, которая открывает файл «%1».").arg(NameOf(path));
    return QStringLiteral("Нет программы, которая открывает файлы вида «.%1».").arg(suffix.toLower());
}

QString FailureMessage(const QString& firstLine, const QString& reason) {
    return reason.isEmpty() ? firstLine : firstLine + u'\n' + reason;
}
