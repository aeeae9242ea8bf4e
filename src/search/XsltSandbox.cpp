// The XSLT sandbox of the page reader. Everything here runs on the indexer's worker threads.

#include "search/XsltSandbox.h"

#include "core/BytePaths.h"
#include "core/DiscFiles.h"
#include "core/RegularFile.h"
#include "core/XmlParsing.h"
#include "search/PageText.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <libxml/tree.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltutils.h>

#include <mutex>

namespace {

// Budgets of one transformation, so that a damaged page never holds the indexer: a stylesheet
// that recurses without end stops at the depth (which also keeps the worker's stack safe), one
// that branches over and over at the XPath operation count (seconds at worst; pages use
// thousands).
constexpr int kMaxTemplateDepth = 1000;
constexpr unsigned long kXPathOperationLimit = 5'000'000;

thread_local const TLibraryScope* t_scope = nullptr;

void Silent(void*, const char*, ...) {
}

// Whether path, links resolved, lies inside the library of this thread's extraction.
bool InsideLibrary(const QString& path) {
    return CanonicalInsideLibrary(CanonicalPath(path));
}

int CheckRead(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value) {
    const std::optional<QString> path = LocalPath(reinterpret_cast<const xmlChar*>(value));
    return path && InsideLibrary(*path) ? 1 : 0;
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

} // namespace

TScopeGuard::TScopeGuard(const TLibraryScope& scope) : m_previous(t_scope) {
    t_scope = &scope;
}

TScopeGuard::~TScopeGuard() {
    t_scope = m_previous;
}

const TLibraryScope* CurrentLibraryScope() {
    return t_scope;
}

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
    const QString canonical = CanonicalPath(path);
    if (!canonical.isEmpty()) {
        if (memo.size() >= 1024)
            memo.clear();
        memo.insert(path, canonical);
    }
    return canonical;
}

bool CanonicalInsideLibrary(const QString& canonical) {
    if (!t_scope || t_scope->Root.size() < 2 || canonical.isEmpty())
        return false;
    return (canonical + u'/').startsWith(t_scope->Root);
}

xmlDocPtr ReadXml(xmlParserCtxtPtr ctxt, const QByteArray& bytes, const QString& url, int options,
                  bool* tooMuch) {
    const char* encoding = ReadsAsWindows1251(bytes) ? "windows-1251" : nullptr;
    const QByteArray urlBytes = url.toUtf8();
    const auto read = [&](int parseOptions) {
        return xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), urlBytes.constData(), encoding,
                                 parseOptions);
    };
    if (tooMuch)
        *tooMuch = false;
    // Pages that declare no entity, nearly all, are parsed once, as they always were.
    if (!(options & XML_PARSE_NOENT) || !MayDeclareEntities(bytes))
        return read(options);
    // References are counted on a parse that keeps them as references, which costs no more than
    // the file does.
    xmlDocPtr unexpanded = read(options & ~XML_PARSE_NOENT);
    if (!unexpanded || EntitiesWithinBudget(unexpanded, bytes.size())) {
        if (unexpanded)
            xmlFreeDoc(unexpanded);
        return read(options);
    }
    if (tooMuch) {
        *tooMuch = true;
        return unexpanded;
    }
    xmlFreeDoc(unexpanded);
    return nullptr;
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

void SetUpXslt() {
    SetUpLibxml();
    static std::once_flag once;
    std::call_once(once, [] {
        xsltInit();
        xsltSetGenericErrorFunc(nullptr, Silent);
        xsltSetLoaderFunc(LibraryDocument);
        g_compileSecurity = NewSecurityPrefs(CheckRead);
        g_transformSecurity = NewSecurityPrefs(xsltSecurityAllow);
        xsltSetDefaultSecurityPrefs(g_compileSecurity); // the one libxslt consults for includes
    });
}

void SandboxTransform(xsltTransformContextPtr ctxt) {
    xsltSetCtxtSecurityPrefs(g_transformSecurity, ctxt);
    xsltSetTransformErrorFunc(ctxt, nullptr, Silent);
    ctxt->maxTemplateDepth = kMaxTemplateDepth;
    ctxt->opLimit = kXPathOperationLimit;
}
