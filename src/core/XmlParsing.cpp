#include "core/XmlParsing.h"

#include <QStringView>

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlmemory.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <malloc.h>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

thread_local TXmlMemoryAccount* t_account = nullptr;

// Nothing outside a document is ever read: no DTD, no external entity.
xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

void Silent(void*, const char*, ...) {
}

qint64 Saturated(qint64 a, qint64 b) {
    return a > std::numeric_limits<qint64>::max() - b ? std::numeric_limits<qint64>::max() : a + b;
}

// The text of entities, counted as it would be expanded: each entity once, then from memory.
class TExpansion final {
public:
    TExpansion(xmlDocPtr doc, qint64 stopAt) : m_doc(doc), m_stop(stopAt) {}

    qint64 Entity(const xmlChar* name, int depth) {
        xmlEntityPtr entity = xmlGetDocEntity(m_doc, name);
        if (!entity)
            return 0;
        if (entity->etype == XML_INTERNAL_PREDEFINED_ENTITY)
            return 1;
        if (entity->etype != XML_INTERNAL_GENERAL_ENTITY)
            return 0; // external entities are never loaded
        if (const auto found = m_sizes.find(entity); found != m_sizes.end())
            return found->second;
        // Entities that refer to themselves are refused by the parser; deep chains count as
        // too much here whatever their length.
        if (depth > 40)
            return Saturated(m_stop, 1);
        m_sizes[entity] = Saturated(m_stop, 1); // until counted: a loop is too much
        const qint64 size = Text(entity->content, depth + 1);
        m_sizes[entity] = size;
        return size;
    }

private:
    // Entity text keeps its references to other entities as written; character references
    // are already replaced.
    qint64 Text(const xmlChar* text, int depth) {
        qint64 total = 0;
        if (!text)
            return 0;
        for (const xmlChar* p = text; *p && total <= m_stop;) {
            const xmlChar* end = *p == '&' ? xmlStrchr(p, ';') : nullptr;
            if (!end) {
                ++p;
                ++total;
                continue;
            }
            xmlChar* name = xmlStrndup(p + 1, int(end - p - 1));
            total = Saturated(total, p[1] == '#' ? 4 : Entity(name, depth));
            xmlFree(name);
            p = end + 1;
        }
        return total;
    }

    xmlDocPtr m_doc;
    qint64 m_stop;
    std::unordered_map<xmlEntityPtr, qint64> m_sizes;
};

} // namespace

// libxml2's allocator with the account of the calling thread kept up to date.
struct TXmlAllocator final {
    static void Count(qint64 bytes) {
        TXmlMemoryAccount* account = t_account;
        if (account)
            __atomic_store_n(&account->m_bytes, account->m_bytes + bytes, __ATOMIC_RELAXED);
    }
    static void* Malloc(size_t size) {
        void* p = std::malloc(size);
        if (p && t_account)
            Count(qint64(malloc_usable_size(p)));
        return p;
    }
    static void* Realloc(void* old, size_t size) {
        const qint64 before = old && t_account ? qint64(malloc_usable_size(old)) : 0;
        void* p = std::realloc(old, size);
        if (p && t_account)
            Count(qint64(malloc_usable_size(p)) - before);
        return p;
    }
    static void Free(void* p) {
        if (p && t_account)
            Count(-qint64(malloc_usable_size(p)));
        std::free(p);
    }
    static char* Strdup(const char* s) {
        const size_t length = std::strlen(s) + 1;
        auto* copy = static_cast<char*>(Malloc(length));
        if (copy)
            std::memcpy(copy, s, length);
        return copy;
    }
};

void SetUpLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Before the parser's own set-up, so that everything it allocates is freed alike.
        xmlMemSetup(TXmlAllocator::Free, TXmlAllocator::Malloc, TXmlAllocator::Realloc,
                    TXmlAllocator::Strdup);
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

bool MayDeclareEntities(const QByteArray& bytes) {
    return bytes.contains("<!ENTITY") || bytes.contains(QByteArrayView("<\0!\0E\0N\0T\0I\0T\0Y", 15)) ||
           bytes.contains(QByteArrayView("\0<\0!\0E\0N\0T\0I\0T\0Y", 15));
}

qint64 EntityExpansionSize(xmlDocPtr doc, qint64 stopAt) {
    // Documents that declare no entity, nearly all, cost nothing.
    if (!doc || !doc->intSubset || !doc->intSubset->entities)
        return 0;
    TExpansion expansion(doc, stopAt);
    qint64 total = 0;
    // Every reference in the text and in attribute values, without going into the subtree that
    // libxml2 keeps for an entity: its size is counted from the entity's text.
    std::vector<xmlNodePtr> pending{doc->children};
    while (!pending.empty() && total <= stopAt) {
        xmlNodePtr node = pending.back();
        pending.pop_back();
        for (; node && total <= stopAt; node = node->next) {
            if (node->type == XML_ENTITY_REF_NODE) {
                total = Saturated(total, expansion.Entity(node->name, 0));
                continue;
            }
            if (node->type != XML_ELEMENT_NODE)
                continue;
            for (xmlAttrPtr a = node->properties; a; a = a->next)
                for (xmlNodePtr part = a->children; part; part = part->next)
                    if (part->type == XML_ENTITY_REF_NODE)
                        total = Saturated(total, expansion.Entity(part->name, 0));
            if (node->children)
                pending.push_back(node->children);
        }
    }
    return total;
}

qint64 EntityExpansionBudget(qint64 fileSize) {
    constexpr qint64 kFloor = qint64(64) << 10;  // 64 KB
    constexpr qint64 kCeiling = qint64(4) << 20; // 4 MB
    return std::clamp(fileSize > kCeiling ? kCeiling : 4 * fileSize, kFloor, kCeiling);
}

TXmlMemoryAccount::TXmlMemoryAccount() : m_previous(t_account) {
    t_account = this;
}

TXmlMemoryAccount::~TXmlMemoryAccount() {
    t_account = m_previous;
}

qint64 TXmlMemoryAccount::Bytes() const {
    return __atomic_load_n(&m_bytes, __ATOMIC_RELAXED);
}
