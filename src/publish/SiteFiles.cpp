#include "publish/SiteFiles.h"

#include "core/BytePaths.h"
#include "core/DiscFiles.h"
#include "core/RegularFile.h"
#include "publish/SiteComponents.h"
#include "search/PageEncoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Pages larger than this are copied as they are: nothing of a course page is that large.
constexpr qint64 PageLimit = qint64(16) << 20;

// The upper half of windows-1251, as the browser's decoder maps it (0x98 has no letter).
constexpr char16_t Upper1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

bool IsInside(const QString& canonical, const QString& root) {
    return !canonical.isEmpty() && (canonical + u'/').startsWith(root);
}

// The link as it names the file on disc, relative to the page's folder; the link itself when it
// needs nothing, names nothing, or names something outside the library.
QString DiscLink(const QString& link, const QString& pageFolder, const QString& root) {
    if (link.isEmpty() || link.startsWith(u'#') || link.startsWith(u'/') || link.startsWith(u'?') ||
        link.contains(u'%') || link.contains(u'{'))
        return link;
    const qsizetype colon = link.indexOf(u':');
    const qsizetype cut = link.indexOf(QRegularExpression(QStringLiteral("[?#]")));
    if (colon >= 0 && (cut < 0 || colon < cut))
        return link; // a scheme: not a file of the disc
    QString path = cut < 0 ? link : link.left(cut);
    const QString rest = cut < 0 ? QString() : link.mid(cut);
    const bool backslashes = path.contains(u'\\');
    path.replace(u'\\', u'/');
    const QString written = QDir::cleanPath(pageFolder + u'/' + path);
    if (!backslashes && QFileInfo::exists(written))
        return link;
    const QString found = FindDiscFile(written);
    if ((found == written && !backslashes) || !QFileInfo::exists(found) ||
        !IsInside(CanonicalPath(found), root))
        return link;
    // A folder's trailing separator stays: a script adds the file's name to it.
    return QDir(pageFolder).relativeFilePath(found) +
           (path.endsWith(u'/') ? QStringLiteral("/") : QString()) + rest;
}

// Every href, src, background and data attribute of a page (and of its xml-stylesheet
// instruction) through DiscLink. The text is a byte-for-byte Latin-1 view when the page is not
// UTF-8: then only links made of ASCII are looked up, the others could not be named right.
QString RewriteLinks(const QString& text, bool utf8, const QString& pageFolder, const QString& root) {
    static const QRegularExpression attribute(
        QStringLiteral("\\b(href|src|background|data)\\s*=\\s*(\"([^\"<>]*)\"|'([^'<>]*)')"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    for (auto it = attribute.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int group = m.capturedStart(3) >= 0 ? 3 : 4;
        const QString value = m.captured(group);
        bool ascii = true;
        for (const QChar c : value)
            ascii = ascii && c.unicode() < 0x80;
        if (!utf8 && !ascii)
            continue;
        // In an HTML page "&amp;" in a link is "&"; such links name no old-disc file anyway.
        const QString link = DiscLink(value, pageFolder, root);
        if (link == value)
            continue;
        QString written = link;
        if (!utf8) {
            bool linkAscii = true;
            for (const QChar c : link)
                linkAscii = linkAscii && c.unicode() < 0x80;
            if (!linkAscii)
                continue;
        }
        out += QStringView(text).mid(last, m.capturedStart(group) - last);
        out += written;
        last = m.capturedEnd(group);
    }
    if (last == 0)
        return text;
    out += QStringView(text).mid(last);
    return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

bool CopyFolder(const QString& from, const QString& to, const QString& relative, TSiteCopy& copy,
                QSet<QString>& walking) {
    if (!QDir().mkpath(to)) {
        copy.Failures << QStringLiteral("%1: не удалось создать папку").arg(to);
        return false;
    }
    const QFileInfoList entries = QDir(from).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (copy.Tick)
            copy.Tick();
        if (copy.Cancel && copy.Cancel->load())
            return false;
        const QString name = relative.isEmpty() ? entry.fileName() : relative + u'/' + entry.fileName();
        const QString canonical = CanonicalPath(entry.absoluteFilePath());
        if (entry.isSymLink() && !IsInside(canonical, copy.LibraryRoot)) {
            copy.SkippedLinks << name;
            continue;
        }
        const QString target = to + u'/' + entry.fileName();
        if (entry.isDir()) {
            if (walking.contains(canonical)) { // a link back into its own folders
                copy.SkippedLinks << name;
                continue;
            }
            walking.insert(canonical);
            const bool done = CopyFolder(entry.absoluteFilePath(), target, name, copy, walking);
            walking.remove(canonical);
            if (!done)
                return false;
            continue;
        }
        if (!entry.isFile())
            continue; // pipes, devices, sockets: nothing a browser could read
        if (name != name.toLower())
            copy.CasedNames << name;
        copy.Movies = copy.Movies || entry.suffix().compare(QLatin1String("swf"), Qt::CaseInsensitive) == 0;
        bool html = false;
        std::optional<QByteArray> page;
        if (IsSitePage(entry.fileName(), &html) && entry.size() <= PageLimit)
            page = ReadRegularFile(entry.absoluteFilePath(), PageLimit);
        bool written = false;
        if (page) {
            const QByteArray bytes = PublishedPage(*page, entry.absoluteFilePath(), html, copy);
            written = WriteFile(target, bytes);
            copy.Bytes += bytes.size();
        } else {
            written = QFile::copy(canonical, target);
            copy.Bytes += entry.size();
        }
        if (!written)
            copy.Failures << QStringLiteral("%1: не удалось записать").arg(name);
        ++copy.Files;
    }
    return true;
}

} // namespace

QString AtHeadStart(const QString& page, const QString& text) {
    static const QRegularExpression anchors[] = {
        QRegularExpression(QStringLiteral("<head(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("<html(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("<!doctype[^>]*>"), QRegularExpression::CaseInsensitiveOption)};
    for (const QRegularExpression& anchor : anchors) {
        const QRegularExpressionMatch m = anchor.match(page);
        if (m.hasMatch())
            return page.left(m.capturedEnd()) + text + page.mid(m.capturedEnd());
    }
    return text + page;
}

QString DecodeWindows1251(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = b < 0x80 ? QChar(b) : b >= 0xC0 ? QChar(0x0410 + (b - 0xC0)) : QChar(Upper1251[b - 0x80]);
    }
    return text;
}

bool IsSitePage(const QString& fileName, bool* html) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const bool isHtml = suffix == QLatin1String("htm") || suffix == QLatin1String("html");
    if (html)
        *html = isHtml;
    return isHtml || suffix == QLatin1String("xml") || suffix == QLatin1String("xsl") ||
           suffix == QLatin1String("xslt");
}

namespace {

// The page with the site's components when it needs them, noting what it needs.
QString WithComponents(const QString& page, const QString& pagePath, TSiteCopy& copy) {
    if (!PageNeedsComponents(page))
        return page;
    copy.Components = true;
    copy.Formulas = copy.Formulas || page.contains(QLatin1String("<math"), Qt::CaseInsensitive);
    const qsizetype depth = QDir(copy.LibraryRoot).relativeFilePath(pagePath).count(u'/');
    return WithComponentScripts(page, QStringLiteral("../").repeated(depth), copy.NameMap);
}

} // namespace

QByteArray PublishedPage(const QByteArray& bytes, const QString& pagePath, bool html, TSiteCopy& copy) {
    const QString folder = QFileInfo(pagePath).absolutePath();
    const QByteArray head = bytes.left(8192).toLower();
    const bool xmlDeclared = head.startsWith("<?xml") && head.left(head.indexOf("?>")).contains("encoding");
    bool utf8 = true;
    if (html) {
        int bom = 0;
        const bool isUtf8 = HtmlPageEncoding(bytes, &bom).toLower() == "utf-8";
        if (bom == 0 && !head.contains("charset") && !xmlDeclared) {
            // Undeclared: a web server sends it without a charset, so it is written as UTF-8 and says so.
            const QString text = isUtf8 ? QString::fromUtf8(bytes) : DecodeWindows1251(bytes);
            // A meta charset for a page that had none.
            return AtHeadStart(
                       WithComponents(RewriteLinks(text, true, folder, copy.LibraryRoot), pagePath, copy),
                       QStringLiteral("<meta charset=\"utf-8\">"))
                .toUtf8();
        }
        utf8 = isUtf8;
    } else if (!XmlPageFallbackEncoding(bytes).isEmpty()) {
        // XML that names no encoding is UTF-8 to a browser; the player reads such a page that is
        // not UTF-8 as windows-1251.
        return RewriteLinks(DecodeWindows1251(bytes), true, folder, copy.LibraryRoot).toUtf8();
    } else if (xmlDeclared) {
        const QByteArray declaration = head.left(head.indexOf("?>"));
        utf8 = declaration.contains("utf-8") || declaration.contains("utf8");
    }
    const QString text = utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    QString rewritten = RewriteLinks(text, utf8, folder, copy.LibraryRoot);
    if (html)
        rewritten = WithComponents(rewritten, pagePath, copy);
    if (rewritten.constData() == text.constData() || rewritten == text)
        return bytes; // nothing to change: the bytes as they were, byte-order mark and all
    return utf8 ? rewritten.toUtf8() : rewritten.toLatin1();
}

bool CopySiteFolder(const QString& from, const QString& to, TSiteCopy& copy) {
    QSet<QString> walking{CanonicalPath(from)};
    return CopyFolder(from, to, QDir(copy.LibraryRoot).relativeFilePath(from), copy, walking);
}
