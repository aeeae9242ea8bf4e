#include "core/XmlParsing.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <mutex>

namespace {

// Nothing outside a document is ever read: no DTD, no external entity.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void Silent(void*, const char*, ...) {
}

} // namespace

void SetUpLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(RefuseExternalEntity);
        // Course outlines may nest deeper than libxml2's default of 256 levels; a higher bound
        // keeps them loadable while the other limits that XML_PARSE_HUGE would lift stay on.
        xmlParserMaxDepth = 2048;
    });
    thread_local bool silenced = false;
    if (!silenced) {
        xmlSetGenericErrorFunc(nullptr, Silent);
        silenced = true;
    }
}

bool IsValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned int code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= length)
            return false;
        for (int i = 1; i <= length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((length == 2 && code < 0x800) || (length == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length + 1;
    }
    return true;
}

bool ReadsAsWindows1251(const QByteArray& bytes) {
    // A byte-order mark, or UTF-16 without one, is for the parser to read.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
        (bytes.size() >= 2 && (bytes[0] == 0 || bytes[1] == 0)))
        return false;
    if (bytes.startsWith("<?xml")) {
        const qsizetype end = bytes.indexOf("?>");
        if (bytes.left(end < 0 ? bytes.size() : end).contains("encoding"))
            return false;
    }
    return !IsValidUtf8(bytes);
}
