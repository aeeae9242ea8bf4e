#pragma once

#include <QString>

// Text for an HTML element or a double-quoted attribute: & < > " and ' escaped.
QString HtmlEscape(const QString& text);

// A JSON string literal, quotes included. The line separators U+2028 and U+2029 are escaped too,
// so that the literal is also a JavaScript one in any browser.
QString JsonString(const QString& text);
