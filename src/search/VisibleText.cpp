#include "search/VisibleText.h"

#include <string_view>
#include <unordered_map>

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

namespace {

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

} // namespace

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
