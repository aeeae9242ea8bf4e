#include "search/PageEncoding.h"

#include "core/XmlParsing.h"
#include "search/VisibleText.h"

#include <libxml/encoding.h>

#include <cctype>

namespace {

// The charset a <meta> of the page declares, lower case; empty when none does.
QByteArray DeclaredCharset(const QByteArray& bytes) {
    const QByteArray head = bytes.left(8192).toLower();
    qsizetype at = 0;
    while ((at = head.indexOf("<meta", at)) >= 0) {
        const qsizetype end = head.indexOf('>', at);
        const QByteArray tag = head.mid(at, end < 0 ? -1 : end - at);
        at += 5;
        const qsizetype charset = tag.indexOf("charset");
        if (charset < 0)
            continue;
        qsizetype i = charset + 7;
        while (i < tag.size() && IsSpace(tag[i]))
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '"' || tag[i] == '\''))
            ++i;
        qsizetype stop = i;
        while (stop < tag.size() &&
               (std::isalnum(static_cast<unsigned char>(tag[stop])) || tag[stop] == '-' || tag[stop] == '_' ||
                tag[stop] == '.' || tag[stop] == ':'))
            ++stop;
        if (stop > i)
            return tag.mid(i, stop - i);
    }
    return {};
}

// The encoding an XML declaration at the start names, lower case; empty when there is none.
QByteArray XmlDeclaredEncoding(const QByteArray& bytes) {
    if (!bytes.startsWith("<?xml"))
        return {};
    const QByteArray declaration = bytes.left(qMax<qsizetype>(bytes.indexOf("?>"), 0)).toLower();
    const qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    qsizetype i = at + 8;
    while (i < declaration.size() && (IsSpace(declaration[i]) || declaration[i] == '=' ||
                                      declaration[i] == '"' || declaration[i] == '\''))
        ++i;
    qsizetype stop = i;
    while (stop < declaration.size() && declaration[stop] != '"' && declaration[stop] != '\'' &&
           !IsSpace(declaration[stop]))
        ++stop;
    return declaration.mid(i, stop - i);
}

// A charset name as libxml2 knows it; empty for one it cannot read.
QByteArray KnownEncoding(const QByteArray& name) {
    if (name == "cp1251" || name == "win-1251" || name == "x-cp1251" || name == "windows1251")
        return QByteArrayLiteral("windows-1251");
    if (name == "utf8")
        return QByteArrayLiteral("UTF-8");
    static const char* const known[] = {"utf-8",      "windows-1251", "koi8-r", "koi8-u", "iso-8859-1",
                                        "iso-8859-5", "windows-1252", "ibm866", "cp866",  "us-ascii"};
    for (const char* k : known)
        if (name == k)
            return name;
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(name.constData());
    if (!handler)
        return {};
    xmlCharEncCloseFunc(handler);
    return name;
}

} // namespace

QByteArray HtmlPageEncoding(const QByteArray& bytes, int* bomLength) {
    int bom = 0;
    QByteArray encoding;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bom = 3;
        encoding = QByteArrayLiteral("UTF-8");
    } else if (bytes.startsWith("\xFF\xFE")) {
        bom = 2;
        encoding = QByteArrayLiteral("UTF-16LE");
    } else if (bytes.startsWith("\xFE\xFF")) {
        bom = 2;
        encoding = QByteArrayLiteral("UTF-16BE");
    } else {
        QByteArray declared = DeclaredCharset(bytes);
        if (declared.isEmpty())
            declared = XmlDeclaredEncoding(bytes); // an XHTML page may name it there instead
        // A page of 8-bit text that claims UTF-16 is read as UTF-8, as browsers do.
        if (declared.startsWith("utf-16"))
            encoding = QByteArrayLiteral("UTF-8");
        else if (!declared.isEmpty())
            encoding = KnownEncoding(declared);
        if (encoding.isEmpty())
            encoding = IsValidUtf8(bytes) ? QByteArrayLiteral("UTF-8") : QByteArrayLiteral("windows-1251");
    }
    if (bomLength)
        *bomLength = bom;
    return encoding;
}

QByteArray XmlPageFallbackEncoding(const QByteArray& bytes) {
    return ReadsAsWindows1251(bytes) ? QByteArrayLiteral("windows-1251") : QByteArray();
}
