#pragma once

// The sandbox the page reader runs stylesheets in: stylesheets, their parts and the documents they
// read come from inside the library only, nothing is written, nothing goes to the network, and
// each transformation has a budget. Private to src/search.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <optional>

#include <libxml/parser.h>
#include <libxslt/documents.h>
#include <libxslt/xsltInternals.h>

// How every XML page, stylesheet and document a stylesheet reads is parsed: entities expanded as
// the browser does, nothing from the network, no messages.
inline constexpr int kXmlOptions =
    XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;

// The library folder of the extraction running on this thread: stylesheets and the documents
// they read must lie inside it. libxslt's loader and security callbacks get no context of ours,
// so it travels beside the call.
struct TLibraryScope {
    QString Root;                              // canonical path with a trailing '/'
    const std::atomic<bool>* Cancel = nullptr; // set when the extraction is to stop at once
};

// Makes scope the library of this thread's extraction while it lives.
class TScopeGuard final {
public:
    explicit TScopeGuard(const TLibraryScope& scope);
    ~TScopeGuard();
    TScopeGuard(const TScopeGuard&) = delete;
    TScopeGuard& operator=(const TScopeGuard&) = delete;

private:
    const TLibraryScope* m_previous;
};

// The library of this thread's extraction; null outside one.
const TLibraryScope* CurrentLibraryScope();

// libxml2 and libxslt set up once for the process, their messages silenced on this thread.
void SetUpXslt();

// The file a URI that libxslt resolved names, when it is a local file; nothing for the network.
std::optional<QString> LocalPath(const xmlChar* uri);

// The canonical path, links resolved, remembered per thread for the paths that exist.
QString MemoCanonicalPath(const QString& path);

// Whether a canonical path lies inside the library of this thread's extraction. Without a
// library (a folder that does not exist) nothing does; the root folder is no library either.
bool CanonicalInsideLibrary(const QString& canonical);

// An XML page or document parsed with ctxt, windows-1251 when nothing names its encoding.
// Entities are expanded only when the text they make stays within the budget of the file's
// size; otherwise the document is parsed without expanding them and *tooMuch is set: such a
// document keeps its own words but must not be transformed, since reading its values would
// expand them after all. Without tooMuch such a document is refused.
xmlDocPtr ReadXml(xmlParserCtxtPtr ctxt, const QByteArray& bytes, const QString& url, int options,
                  bool* tooMuch = nullptr);

// libxslt's document loader (see there): also what compiles a top stylesheet.
xmlDocPtr LibraryDocument(const xmlChar* uri, xmlDictPtr dict, int options, void*, xsltLoadType type);

// A new transformation context made safe: the security of transforms, no messages, the depth and
// operation budgets.
void SandboxTransform(xsltTransformContextPtr ctxt);
