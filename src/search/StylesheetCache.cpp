#include "search/StylesheetCache.h"

#include "search/XsltSandbox.h"

#include <QFile>

#include <libxslt/xslt.h>

#include <mutex>
#include <unordered_map>

#include <sys/stat.h>

namespace {

// Stylesheets kept compiled; a library uses a handful, so the bound only matters for a machine
// that indexes many libraries in one run.
constexpr size_t kStylesheetCacheSize = 256;

struct TStylesheetDeleter {
    void operator()(xsltStylesheetPtr style) const { xsltFreeStylesheet(style); }
};

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
        const QString key = CurrentLibraryScope()->Root + u'\n' + path;
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

} // namespace

TStylesheet CachedStylesheet(const QString& path) {
    return Stylesheets().Get(path);
}
