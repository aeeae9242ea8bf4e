#pragma once

// The text of a parsed page as a browser lays it out: what is hidden left out, runs of white
// space folded, blocks on lines of their own. Private to src/search.

#include <QByteArray>

#include <libxml/tree.h>

// Whether an element or instruction name is `lower` in any case.
bool NameIs(const xmlChar* name, const char* lower);

// White space as HTML counts it.
inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The text of a document. In an HTML page inline elements join their text to their
// neighbours' ("<b>Гип</b>отенуза" is one word); in plain XML every element is a field of its own.
QByteArray DocumentText(xmlDocPtr doc, bool html);
