// The visible text of item pages, for the search index. Pages are read as the browser shows them:
// an .xml page through the stylesheet its xml-stylesheet instruction names, an .htm page by the
// HTML parser, in the encoding the browser would pick. Everything here runs on the indexer's
// worker threads, so no state is shared but the stylesheet cache, which a mutex guards.

#include "search/PageText.h"
#include "search/SearchSource.h"

#include "core/DiscFiles.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include <sys/stat.h>

namespace {

// Budgets of one transformation, so that a damaged page never holds the indexer: a stylesheet
// that recurses without end stops at the depth (which also keeps the worker's stack safe), one
// that branches over and over at the XPath operation count (seconds at worst; pages use
// thousands).
constexpr int kMaxTemplateDepth = 1000;
constexpr unsigned long kXPathOperationLimit = 5'000'000;
// Stylesheets kept compiled; a library uses a handful, so the bound only matters for a machine
// that indexes many libraries in one run.
constexpr size_t kStylesheetCacheSize = 256;

// The library folder of the extraction running on this thread: stylesheets and the documents
// they read must lie inside it. libxslt's loader and security callbacks get no context of ours,
// so it travels beside the call.
struct TLibraryScope {
    QString Root; // canonical path with a trailing '/'
};
thread_local const TLibraryScope* t_scope = nullptr;

class TScopeGuard final {
public:
    explicit TScopeGuard(const TLibraryScope& scope) : m_previous(t_scope) { t_scope = &scope; }
    ~TScopeGuard() { t_scope = m_previous; }
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

private:
    const TLibraryScope* m_previous;
};

void Silent(void*, const char*, ...) {
}

// Nothing outside a document is read by the parser itself: no DTD, no external entity.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

// The file a URI that libxslt resolved names, when it is a local file; nothing for the network.
std::optional<QString> LocalPath(const xmlChar* uri) {
    if (!uri)
        return std::nullopt;
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(uri));
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        text = QUrl(text).toLocalFile();
    } else {
        const qsizetype colon = text.indexOf(u':');
        const qsizetype slash = text.indexOf(u'/');
        if (colon > 0 && (slash < 0 || colon < slash))
            return std::nullopt; // http:, ftp:, C:\ and the like: not a file of this machine
    }
    text.replace(u'\\', u'/');
    if (text.isEmpty() || !text.startsWith(u'/'))
        return std::nullopt;
    QString path = FindDiscFile(QDir::cleanPath(text));
    // libxml2 escapes some characters when it joins a relative reference to its base.
    if (text.contains(u'%') && !QFileInfo::exists(path))
        path = FindDiscFile(QDir::cleanPath(QUrl::fromPercentEncoding(text.toUtf8())));
    return path;
}

// Canonical paths of the library folders and top stylesheets this thread has met. Resolving links
// costs a system call per name of the path, which every page of a section would pay again for
// the same stylesheet. Only paths that exist are kept.
QString MemoCanonicalPath(const QString& path) {
    thread_local QHash<QString, QString> memo;
    if (const auto found = memo.constFind(path); found != memo.constEnd())
        return *found;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty()) {
        if (memo.size() >= 1024)
            memo.clear();
        memo.insert(path, canonical);
    }
    return canonical;
}

// Whether a canonical path lies inside the library of this thread's extraction. Without a
// library (a folder that does not exist) nothing does; the root folder is no library either.
bool CanonicalInsideLibrary(const QString& canonical) {
    if (!t_scope || t_scope->Root.size() < 2 || canonical.isEmpty())
        return false;
    return (canonical + u'/').startsWith(t_scope->Root);
}

// Whether path, links resolved, lies inside the library of this thread's extraction.
bool InsideLibrary(const QString& path) {
    return CanonicalInsideLibrary(QFileInfo(path).canonicalFilePath());
}

int CheckRead(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value) {
    const std::optional<QString> path = LocalPath(reinterpret_cast<const xmlChar*>(value));
    return path && InsideLibrary(*path) ? 1 : 0;
}

constexpr int kXmlOptions =
    XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

xmlDocPtr ReadXml(xmlParserCtxtPtr ctxt, const QByteArray& bytes, const QString& url, int options) {
    const QByteArray encoding = XmlPageFallbackEncoding(bytes);
    const QByteArray urlBytes = url.toUtf8();
    return xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), urlBytes.constData(),
                             encoding.isEmpty() ? nullptr : encoding.constData(), options);
}

// Stylesheets written for the old discs' browser name their parts with backslashes
// ("parts\\band.xsl"), which libxslt does not take for a relative reference: the hrefs of
// xsl:include and xsl:import are given forward slashes before the stylesheet is compiled.
void MendIncludeReferences(xmlDocPtr doc) {
    static const xmlChar kXslt[] = "http://www.w3.org/1999/XSL/Transform";
    static const xmlChar kHref[] = "href";
    xmlNodePtr node = xmlDocGetRootElement(doc);
    if (!node)
        return;
    // The parts stand at the top level of the stylesheet.
    for (node = node->children; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE || !node->ns || !xmlStrEqual(node->ns->href, kXslt) ||
            !(xmlStrEqual(node->name, BAD_CAST "include") || xmlStrEqual(node->name, BAD_CAST "import")))
            continue;
        xmlChar* href = xmlGetNoNsProp(node, kHref);
        if (!href)
            continue;
        if (xmlStrchr(href, '\\')) {
            for (xmlChar* c = href; *c; ++c)
                if (*c == '\\')
                    *c = '/';
            xmlSetProp(node, kHref, href);
        }
        xmlFree(href);
    }
}

// libxslt's document loader, for the top stylesheet, its xsl:include and xsl:import, and
// document(): only files inside the library, only ordinary files of a page's size (a pipe named
// like a stylesheet must not hang the reader), never the network.
xmlDocPtr LibraryDocument(const xmlChar* uri, xmlDictPtr dict, int options, void*, xsltLoadType type) {
    const std::optional<QString> path = LocalPath(uri);
    if (!path || !InsideLibrary(*path))
        return nullptr;
    const std::optional<QByteArray> bytes = ReadRegularFile(*path, kPageSizeLimit);
    if (!bytes)
        return nullptr;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return nullptr;
    // Stylesheet parts must share the stylesheet's dictionary, as libxslt's own loader does.
    if (dict) {
        if (ctxt->dict)
            xmlDictFree(ctxt->dict);
        ctxt->dict = dict;
        xmlDictReference(dict);
    }
    options &= ~(XML_PARSE_DTDLOAD | XML_PARSE_DTDVALID | XML_PARSE_HUGE | XML_PARSE_XINCLUDE);
    xmlDocPtr doc = ReadXml(ctxt, *bytes, *path, options | kXmlOptions);
    xmlFreeParserCtxt(ctxt);
    if (doc && type != XSLT_LOAD_DOCUMENT)
        MendIncludeReferences(doc);
    return doc;
}

// What stylesheets may do. Neither compiling nor transforming writes a file or a folder or
// touches the network. Compiling reads xsl:include and xsl:import only inside the library. While
// transforming, document() is confined by the loader alone, which refuses quietly: a refused or
// missing document is an empty node-set and the rest of the page stands, as in the browser,
// where a security refusal would instead abort the whole transformation.
xsltSecurityPrefsPtr g_compileSecurity = nullptr;
xsltSecurityPrefsPtr g_transformSecurity = nullptr;

xsltSecurityPrefsPtr NewSecurityPrefs(xsltSecurityCheck read) {
    xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_FILE, read);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK,
                         read == xsltSecurityAllow ? read : xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    return prefs;
}

void SetUp() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xsltInit();
        xmlSetExternalEntityLoader(RefuseExternalEntity);
        xsltSetGenericErrorFunc(nullptr, Silent);
        xsltSetLoaderFunc(LibraryDocument);
        g_compileSecurity = NewSecurityPrefs(CheckRead);
        g_transformSecurity = NewSecurityPrefs(xsltSecurityAllow);
        xsltSetDefaultSecurityPrefs(g_compileSecurity); // the one libxslt consults for includes
    });
    // libxml2's error handler is kept per thread: each worker thread silences its own.
    thread_local bool silenced = false;
    if (!silenced) {
        xmlSetGenericErrorFunc(nullptr, Silent);
        silenced = true;
    }
}

// --- Compiled stylesheets, shared by the pages of a section ---------------------------------

struct TStylesheetDeleter {
    void operator()(xsltStylesheetPtr style) const { xsltFreeStylesheet(style); }
};
using TStylesheet = std::shared_ptr<xsltStylesheet>;

struct TCachedStylesheet {
    TStylesheet Style; // null when the file did not compile: not retried until it changes
    qint64 Size = -1;
    qint64 Modified = 0;
};

class TStylesheetCache final {
public:
    // The compiled stylesheet at path (canonical, inside the library), compiled on first use
    // and again when the file changes.
    TStylesheet Get(const QString& path) {
        // One stat tells a changed file: the pages of a section all ask for the same one.
        struct stat st;
        const bool exists = ::stat(QFile::encodeName(path).constData(), &st) == 0;
        const qint64 size = exists ? qint64(st.st_size) : -1;
        const qint64 modified = exists ? qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec : 0;
        // The library is part of the key: what the stylesheet may include was checked against it.
        const QString key = t_scope->Root + u'\n' + path;
        {
            std::lock_guard lock(m_mutex);
            const auto found = m_styles.find(key);
            if (found != m_styles.end() && found->second.Size == size && found->second.Modified == modified)
                return found->second.Style;
        }
        // Compiled outside the lock: two threads may both compile a new stylesheet, which
        // costs little, while a slow one never holds up the other thread's pages.
        TStylesheet style = Compile(path);
        std::lock_guard lock(m_mutex);
        if (m_styles.size() >= kStylesheetCacheSize)
            m_styles.clear();
        m_styles[key] = TCachedStylesheet{style, size, modified};
        return style;
    }

private:
    static TStylesheet Compile(const QString& path) {
        const QByteArray url = path.toUtf8();
        xmlDocPtr doc = LibraryDocument(reinterpret_cast<const xmlChar*>(url.constData()), nullptr,
                                        kXmlOptions, nullptr, XSLT_LOAD_START);
        if (!doc)
            return nullptr;
        xsltStylesheetPtr style = xsltParseStylesheetDoc(doc);
        if (!style) {
            xmlFreeDoc(doc); // a stylesheet that failed leaves its document to the caller
            return nullptr;
        }
        if (style->errors != 0) {
            xsltFreeStylesheet(style);
            return nullptr;
        }
        return TStylesheet(style, TStylesheetDeleter());
    }

    std::mutex m_mutex;
    std::unordered_map<QString, TCachedStylesheet> m_styles;
};

TStylesheetCache& Stylesheets() {
    // Never destroyed: an indexer thread may still be transforming while the program exits.
    static TStylesheetCache* const cache = new TStylesheetCache;
    return *cache;
}

// --- Visible text ------------------------------------------------------------------------------

bool NameIs(const xmlChar* name, const char* lower) {
    if (!name)
        return false;
    for (; *lower; ++name, ++lower) {
        const char c = char(*name >= 'A' && *name <= 'Z' ? *name + ('a' - 'A') : *name);
        if (c != *lower)
            return false;
    }
    return *name == 0;
}

enum class TElementKind { Inline, Block, Hidden };

// How an element's text is laid out, by its name in any case. Hidden: scripts, styles, the head
// with its title, and the data islands of old pages. Block: elements that start a line of their
// own, whose text never runs into the text around them.
TElementKind ElementKind(const xmlChar* name) {
    static const std::unordered_map<std::string_view, TElementKind> kinds = [] {
        std::unordered_map<std::string_view, TElementKind> map;
        for (const char* hidden :
             {"script", "style", "head", "template", "xml", "object", "applet", "noembed"})
            map.emplace(hidden, TElementKind::Hidden);
        for (const char* block :
             {"p",      "div",        "br",       "hr",    "li",       "ul",       "ol",         "dl",
              "dt",     "dd",         "h1",       "h2",    "h3",       "h4",       "h5",         "h6",
              "table",  "tr",         "td",       "th",    "caption",  "thead",    "tbody",      "tfoot",
              "pre",    "blockquote", "center",   "form",  "fieldset", "legend",   "section",    "article",
              "header", "footer",     "nav",      "aside", "main",     "figure",   "figcaption", "address",
              "option", "select",     "textarea", "body",  "html",     "frameset", "iframe",     "math",
              "button", "label",      "title"})
            map.emplace(block, TElementKind::Block);
        return map;
    }();
    char lower[16];
    size_t length = 0;
    for (; name && name[length]; ++length) {
        if (length == sizeof lower)
            return TElementKind::Inline; // longer than any name above
        const xmlChar c = name[length];
        lower[length] = char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    const auto found = kinds.find(std::string_view(lower, length));
    return found == kinds.end() ? TElementKind::Inline : found->second;
}

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Text gathered as a browser lays it out: runs of white space fold into one space, blocks
// break lines, nothing leads or trails.
class TTextCollector final {
public:
    explicit TTextCollector(qsizetype expected) { m_text.reserve(expected); }

    void Text(const xmlChar* content) {
        if (!content)
            return;
        const char* p = reinterpret_cast<const char*>(content);
        for (;;) {
            // White space, a no-break space among it: it parts words like any other.
            while (IsSpace(*p) || (p[0] == '\xC2' && p[1] == '\xA0')) {
                p += *p == '\xC2' ? 2 : 1;
                m_space = true;
            }
            if (!*p)
                return;
            // A soft hyphen, which pages put into long words for line breaking, is not shown and
            // must not split the word.
            const char* word = p;
            while (*p && !IsSpace(*p) && !(p[0] == '\xC2' && p[1] == '\xA0')) {
                if (p[0] == '\xC2' && p[1] == '\xAD') {
                    Append(word, p - word);
                    p += 2;
                    word = p;
                    continue;
                }
                ++p;
            }
            Append(word, p - word);
        }
    }
    void Break() { m_break = true; }
    QByteArray Result() const { return m_text; }

private:
    // Visible characters, after the space or line break that parts them from the text before.
    void Append(const char* from, qsizetype length) {
        if (length == 0)
            return;
        if (!m_text.isEmpty()) {
            if (m_break)
                m_text += '\n';
            else if (m_space)
                m_text += ' ';
        }
        m_break = m_space = false;
        m_text.append(from, length);
    }

    QByteArray m_text;
    bool m_space = false;
    bool m_break = false;
};

// The text of a document. In an HTML page inline elements join their text to their
// neighbours' ("<b>Гип</b>отенуза" is one word); in plain XML every element is a field of its own.
QByteArray DocumentText(xmlDocPtr doc, bool html) {
    if (!doc)
        return {};
    TTextCollector text(4096);
    const auto breaksLine = [html](const xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE)
            return false;
        const TElementKind kind = ElementKind(node->name);
        return kind != TElementKind::Hidden && (!html || kind == TElementKind::Block);
    };
    // Iterative: a deeply nested page never runs the worker's stack dry.
    xmlNodePtr node = doc->children;
    while (node) {
        if (node->type == XML_ELEMENT_NODE && ElementKind(node->name) != TElementKind::Hidden) {
            if (breaksLine(node))
                text.Break();
            if (node->children) {
                node = node->children;
                continue;
            }
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            text.Text(node->content);
        }
        // Up until a next sibling is found, breaking the line after each block that ends.
        while (node) {
            if (breaksLine(node))
                text.Break();
            if (node->next) {
                node = node->next;
                break;
            }
            node = node->parent;
            if (node && node->type != XML_ELEMENT_NODE)
                node = nullptr; // back at the document
        }
    }
    return text.Result();
}

// --- Pages ----------------------------------------------------------------------------------

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

// The page transformed by its stylesheet, as the browser would show it; nothing when it has none
// or the stylesheet cannot be used.
std::optional<QByteArray> TransformedText(xmlDocPtr page, const QString& pagePath) {
    const std::optional<QString> stylesheet = StylesheetPath(page, pagePath);
    if (!stylesheet)
        return std::nullopt;
    QString canonical = MemoCanonicalPath(*stylesheet);
    if (canonical.isEmpty()) // named in another case than the disc's, or with backslashes
        canonical = MemoCanonicalPath(FindDiscFile(*stylesheet));
    if (!CanonicalInsideLibrary(canonical))
        return std::nullopt;
    const TStylesheet style = Stylesheets().Get(canonical);
    if (!style)
        return std::nullopt;
    xsltTransformContextPtr ctxt = xsltNewTransformContext(style.get(), page);
    if (!ctxt)
        return std::nullopt;
    xsltSetCtxtSecurityPrefs(g_transformSecurity, ctxt);
    xsltSetTransformErrorFunc(ctxt, nullptr, Silent);
    ctxt->maxTemplateDepth = kMaxTemplateDepth;
    ctxt->opLimit = kXPathOperationLimit;
    TXmlDoc result;
    result.Doc = xsltApplyStylesheetUser(style.get(), page, nullptr, nullptr, nullptr, ctxt);
    xsltFreeTransformContext(ctxt);
    if (!result.Doc)
        return std::nullopt;
    const xmlNodePtr root = xmlDocGetRootElement(result.Doc);
    const bool html = result.Doc->type == XML_HTML_DOCUMENT_NODE || (root && NameIs(root->name, "html"));
    return DocumentText(result.Doc, html);
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
    doc.Doc = ReadXml(parser.Ctxt, bytes, url, kXmlOptions | XML_PARSE_RECOVER);
    if (!doc.Doc)
        return {};
    // A page whose stylesheet is missing or fails keeps the words its author wrote: they are
    // still what a reader looks for.
    if (std::optional<QByteArray> text = TransformedText(doc.Doc, url))
        return *text;
    const xmlNodePtr root = xmlDocGetRootElement(doc.Doc);
    return DocumentText(doc.Doc, root && NameIs(root->name, "html"));
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
    // A byte-order mark, or UTF-16 without one, is for the parser to read.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
        (bytes.size() >= 2 && (bytes[0] == 0 || bytes[1] == 0)))
        return {};
    if (bytes.startsWith("<?xml")) {
        const qsizetype end = bytes.indexOf("?>");
        if (end > 0 && bytes.left(end).contains("encoding"))
            return {};
    }
    return IsValidUtf8(bytes) ? QByteArray() : QByteArrayLiteral("windows-1251");
}

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

QByteArray ExtractPageTextUtf8(const QString& pagePath, const QString& libraryFolder) {
    SetUp();
    // The page as named first (the indexer hands over paths found on the disc), then whatever
    // the case of its names.
    QString path = QDir::cleanPath(QFileInfo(pagePath).absoluteFilePath());
    std::optional<QByteArray> bytes = ReadRegularFile(path, kPageSizeLimit);
    if (!bytes) {
        const QString found = FindDiscFile(path);
        if (found != path) {
            path = found;
            bytes = ReadRegularFile(path, kPageSizeLimit);
        }
    }
    if (!bytes || bytes->isEmpty())
        return {};
    const TLibraryScope scope{CanonicalFolder(libraryFolder)};
    const TScopeGuard guard(scope);
    if (IsHtmlName(path))
        return HtmlText(*bytes, path);
    return XmlPageText(*bytes, path);
}

QString RawPageText(const QString& pagePath) {
    SetUp();
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
