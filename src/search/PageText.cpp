// The visible text of item pages, for the search index. Pages are read as the browser shows them:
// an .xml page through the stylesheet its xml-stylesheet instruction names, an .htm page by the
// HTML parser, in the encoding the browser would pick. Everything here runs on the indexer's
// worker threads, so no state is shared but the stylesheet cache, which a mutex guards.

#include "search/PageText.h"

#include "browser/FileAccess.h"
#include "core/DiscFiles.h"
#include "core/RegularFile.h"
#include "search/StylesheetCache.h"
#include "search/TransformWatch.h"
#include "search/VisibleText.h"
#include "search/XsltSandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxslt/transform.h>
#include <libxslt/xsltutils.h>

#include <cctype>
#include <optional>

namespace {

struct TXmlDoc {
    xmlDocPtr Doc = nullptr;
    ~TXmlDoc() {
        if (Doc)
            xmlFreeDoc(Doc);
    }
};

// Whether a page is an HTML page whatever its name: an HTML doctype, or an html element first.
// An XML page with a <body> inside stays XML.
bool LooksLikeHtml(const QByteArray& bytes) {
    const QByteArray head = bytes.left(4096).toLower();
    qsizetype at = 0;
    while ((at = head.indexOf('<', at)) >= 0) {
        const QByteArray rest = head.mid(at, 14);
        if (rest.startsWith("<!doctype html"))
            return true;
        if (at + 1 < head.size() && std::isalpha(static_cast<unsigned char>(head[at + 1])))
            return rest.startsWith("<html") &&
                   (rest.size() == 5 || !std::isalnum(static_cast<unsigned char>(rest[5])));
        ++at;
    }
    return false;
}

QByteArray HtmlText(const QByteArray& bytes, const QString& url) {
    int bom = 0;
    const QByteArray encoding = HtmlPageEncoding(bytes, &bom);
    const QByteArray urlBytes = url.toUtf8();
    TXmlDoc doc;
    doc.Doc = htmlReadMemory(bytes.constData() + bom, int(bytes.size() - bom), urlBytes.constData(),
                             encoding.constData(),
                             HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                 HTML_PARSE_RECOVER | HTML_PARSE_IGNORE_ENC);
    return DocumentText(doc.Doc, true);
}

// The value of one pseudo-attribute of an xml-stylesheet instruction.
std::optional<QString> PseudoAttribute(const QString& data, const QString& name) {
    qsizetype at = 0;
    while ((at = data.indexOf(name, at)) >= 0) {
        const bool startsWord = at == 0 || data[at - 1].isSpace();
        qsizetype i = at + name.size();
        at = i;
        if (!startsWord)
            continue;
        while (i < data.size() && data[i].isSpace())
            ++i;
        if (i >= data.size() || data[i] != u'=')
            continue;
        ++i;
        while (i < data.size() && data[i].isSpace())
            ++i;
        if (i >= data.size() || (data[i] != u'"' && data[i] != u'\''))
            continue;
        const QChar quote = data[i];
        const qsizetype end = data.indexOf(quote, i + 1);
        if (end < 0)
            return std::nullopt;
        return data.mid(i + 1, end - i - 1);
    }
    return std::nullopt;
}

// The stylesheet the page's first XSLT xml-stylesheet instruction names, as a path (not yet looked
// up on the disc); nothing when the page has none (or names one by a fragment or on the network).
std::optional<QString> StylesheetPath(xmlDocPtr doc, const QString& pagePath) {
    for (xmlNodePtr node = doc->children; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE)
            break; // the instruction counts only before the root element
        if (node->type != XML_PI_NODE || !NameIs(node->name, "xml-stylesheet"))
            continue;
        const QString data = QString::fromUtf8(reinterpret_cast<const char*>(node->content));
        const std::optional<QString> type = PseudoAttribute(data, QStringLiteral("type"));
        if (type && !type->contains(QLatin1String("xsl"), Qt::CaseInsensitive) &&
            !type->contains(QLatin1String("xml"), Qt::CaseInsensitive))
            continue; // text/css and the like style the XML, they do not transform it
        std::optional<QString> href = PseudoAttribute(data, QStringLiteral("href"));
        if (!href || href->isEmpty() || href->startsWith(u'#'))
            return std::nullopt;
        QString reference = *href;
        reference.replace(QLatin1String("&amp;"), QLatin1String("&"));
        if (reference.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
            return LocalPath(reinterpret_cast<const xmlChar*>(reference.toUtf8().constData()));
        reference.replace(u'\\', u'/');
        if (reference.contains(QLatin1String("://")))
            return std::nullopt;
        if (reference.startsWith(u'/'))
            return QDir::cleanPath(reference);
        return QDir::cleanPath(pagePath.left(pagePath.lastIndexOf(u'/') + 1) + reference);
    }
    return std::nullopt;
}

// The result of a page's stylesheet, with the stylesheet that says how to write it out.
struct TTransformed {
    TXmlDoc Result;
    TStylesheet Style;
};

// The page transformed by its stylesheet, as the browser would show it; nothing when it has none
// or the stylesheet cannot be used.
bool TransformPage(xmlDocPtr page, const QString& pagePath, TTransformed& out) {
    const std::optional<QString> stylesheet = StylesheetPath(page, pagePath);
    if (!stylesheet)
        return false;
    QString canonical = MemoCanonicalPath(*stylesheet);
    if (canonical.isEmpty()) // named in another case than the disc's, or with backslashes
        canonical = MemoCanonicalPath(FindDiscFile(*stylesheet));
    if (!CanonicalInsideLibrary(canonical))
        return false;
    out.Style = CachedStylesheet(canonical);
    if (!out.Style)
        return false;
    xsltTransformContextPtr ctxt = xsltNewTransformContext(out.Style.get(), page);
    if (!ctxt)
        return false;
    SandboxTransform(ctxt);
    {
        const TTransformWatch watch(ctxt, CurrentLibraryScope()->Cancel);
        out.Result.Doc = xsltApplyStylesheetUser(out.Style.get(), page, nullptr, nullptr, nullptr, ctxt);
        // A stopped transformation may leave a partial result: the page's own text is read instead.
        if (watch.Stopped() && out.Result.Doc) {
            xmlFreeDoc(out.Result.Doc);
            out.Result.Doc = nullptr;
        }
    }
    xsltFreeTransformContext(ctxt);
    return out.Result.Doc != nullptr;
}

std::optional<QByteArray> TransformedText(xmlDocPtr page, const QString& pagePath) {
    TTransformed transformed;
    if (!TransformPage(page, pagePath, transformed))
        return std::nullopt;
    xmlDocPtr result = transformed.Result.Doc;
    const xmlNodePtr root = xmlDocGetRootElement(result);
    const bool html = result->type == XML_HTML_DOCUMENT_NODE || (root && NameIs(root->name, "html"));
    return DocumentText(result, html);
}

QByteArray XmlPageText(const QByteArray& bytes, const QString& url) {
    // Old discs have HTML pages named .xml, and the browser shows them as HTML; the HTML parser
    // reads them at once rather than after the XML parser has failed on their first <br>.
    if (LooksLikeHtml(bytes) && !bytes.left(4096).contains("<?xml-stylesheet"))
        return HtmlText(bytes, url);
    // One parser per thread, reset for each page: its buffers and name dictionary serve every
    // page instead of being made and freed 50,000 times.
    struct TParser {
        xmlParserCtxtPtr Ctxt = xmlNewParserCtxt();
        ~TParser() { xmlFreeParserCtxt(Ctxt); }
    };
    thread_local TParser parser;
    if (!parser.Ctxt)
        return {};
    TXmlDoc doc;
    bool tooMuch = false;
    doc.Doc = ReadXml(parser.Ctxt, bytes, url, kXmlOptions | XML_PARSE_RECOVER, &tooMuch);
    if (!doc.Doc)
        return {};
    // Entities that would make more text than the budget are left out, and the words the author
    // wrote around them stay; the stylesheet would expand them again.
    const xmlNodePtr root = xmlDocGetRootElement(doc.Doc);
    const bool html = root && NameIs(root->name, "html");
    if (tooMuch)
        return DocumentText(doc.Doc, html);
    // A page whose stylesheet is missing or fails keeps the words its author wrote: they are
    // still what a reader looks for.
    if (std::optional<QByteArray> text = TransformedText(doc.Doc, url))
        return *text;
    return DocumentText(doc.Doc, html);
}

bool IsHtmlName(const QString& path) {
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

QString CanonicalFolder(const QString& folder) {
    QString canonical = MemoCanonicalPath(folder);
    if (canonical.isEmpty())
        return {};
    if (!canonical.endsWith(u'/'))
        canonical += u'/';
    return canonical;
}

// The browser's rule for the library, made once per thread and library: pages that are links
// out of the library are not read, as the browser would not show them.
const TFileAccessRules& LibraryRules(const QString& root) {
    thread_local QString rulesRoot;
    thread_local TFileAccessRules rules;
    if (root != rulesRoot) {
        rules = TFileAccessRules({root});
        rulesRoot = root;
    }
    return rules;
}

// The raw text of a parsed tree: every text node, nothing else.
void RawText(xmlNodePtr node, QByteArray& out) {
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content) {
                out += reinterpret_cast<const char*>(node->content);
                out += ' ';
            }
        } else if (node->children && node->type != XML_ENTITY_REF_NODE) {
            RawText(node->children, out);
        }
    }
}

} // namespace

QString ExtractPageText(const QString& pagePath) {
    // The page lies in library/course/section/; the names, not the disc, say which folder that is.
    QString library = QDir::cleanPath(QFileInfo(pagePath).absoluteFilePath());
    for (int up = 0; up < 3; ++up)
        library.truncate(qMax<qsizetype>(library.lastIndexOf(u'/'), 1));
    return ExtractPageText(pagePath, library);
}

QString ExtractPageText(const QString& pagePath, const QString& libraryFolder) {
    return QString::fromUtf8(ExtractPageTextUtf8(pagePath, libraryFolder));
}

namespace {

// The page's bytes as named first (the indexer hands over paths found on the disc), then whatever
// the case of its names; Path becomes the name read. Without a library (a folder that does not
// exist, or the root) only the stylesheets are confined: there is nothing to confine the page to.
// The library's scope stays set for as long as the object lives, for the transforms that follow.
class TLibraryPage final {
public:
    TLibraryPage(const QString& pagePath, const QString& libraryFolder, const std::atomic<bool>* cancel)
        : m_scope{SetUpAndFind(libraryFolder), cancel}, m_guard(m_scope) {
        const auto allowed = [this](const QString& p) {
            return m_scope.Root.size() < 2 || LibraryRules(m_scope.Root).AllowsPath(p);
        };
        Path = QDir::cleanPath(QFileInfo(pagePath).absoluteFilePath());
        if (allowed(Path))
            Bytes = ReadRegularFile(Path, kPageSizeLimit);
        if (!Bytes) {
            const QString found = FindDiscFile(Path);
            if (found != Path && allowed(found)) {
                Path = found;
                Bytes = ReadRegularFile(Path, kPageSizeLimit);
            }
        }
        if (Bytes && Bytes->isEmpty())
            Bytes.reset();
    }

    QString Path;
    std::optional<QByteArray> Bytes; // nothing when unreadable or empty

private:
    // libxslt's hooks are in place before any page is read.
    static QString SetUpAndFind(const QString& libraryFolder) {
        SetUpXslt();
        return CanonicalFolder(libraryFolder);
    }

    const TLibraryScope m_scope;
    const TScopeGuard m_guard;
};

} // namespace

QByteArray ExtractPageTextUtf8(const QString& pagePath, const QString& libraryFolder,
                               const std::atomic<bool>* cancel) {
    const TLibraryPage page(pagePath, libraryFolder, cancel);
    if (!page.Bytes)
        return {};
    const QByteArray text =
        IsHtmlName(page.Path) ? HtmlText(*page.Bytes, page.Path) : XmlPageText(*page.Bytes, page.Path);
    // A page marked as UTF-8 (by its byte order mark, say) may still hold bytes that are not:
    // libxml2 passes them through, and the index takes only valid text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder(text);
    return decoder.hasError() ? decoded.toUtf8() : text;
}

std::optional<QByteArray> TransformPageToHtml(const QString& pagePath, const QString& libraryFolder,
                                              const std::atomic<bool>* cancel) {
    const TLibraryPage page(pagePath, libraryFolder, cancel);
    const std::optional<QByteArray>& bytes = page.Bytes;
    const QString& path = page.Path;
    if (!bytes || IsHtmlName(path) ||
        (LooksLikeHtml(*bytes) && !bytes->left(4096).contains("<?xml-stylesheet")))
        return std::nullopt;
    TXmlDoc doc;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return std::nullopt;
    bool tooMuch = false;
    doc.Doc = ReadXml(ctxt, *bytes, path, kXmlOptions | XML_PARSE_RECOVER, &tooMuch);
    xmlFreeParserCtxt(ctxt);
    TTransformed transformed;
    if (!doc.Doc || tooMuch || !TransformPage(doc.Doc, path, transformed))
        return std::nullopt;
    xmlChar* text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, transformed.Result.Doc, transformed.Style.get()) != 0 || !text)
        return std::nullopt;
    QByteArray html(reinterpret_cast<const char*>(text), length);
    xmlFree(text);
    return html;
}

QString RawPageText(const QString& pagePath) {
    SetUpXslt();
    const std::optional<QByteArray> bytes = ReadRegularFile(pagePath, kPageSizeLimit);
    if (!bytes || bytes->isEmpty())
        return {};
    const QByteArray url = pagePath.toUtf8();
    const bool html = IsHtmlName(pagePath) || (!bytes->startsWith("<?xml") && LooksLikeHtml(*bytes));
    xmlDocPtr doc = html ? htmlReadMemory(bytes->constData(), int(bytes->size()), url.constData(), nullptr,
                                          HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                              HTML_PARSE_RECOVER)
                         : xmlReadMemory(bytes->constData(), int(bytes->size()), url.constData(), nullptr,
                                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return {};
    QByteArray text;
    RawText(doc->children, text);
    xmlFreeDoc(doc);
    return QString::fromUtf8(text);
}
