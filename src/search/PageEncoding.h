#pragma once

// The encodings pages are read in, as the browser picks them.

#include <QByteArray>

// The encoding to read an HTML page in, as a name libxml2 knows: a byte-order mark first, then
// the charset its <meta> declares, then UTF-8 when the bytes are valid UTF-8, else windows-1251
// (the code page of the old discs). bomLength receives the length of the byte-order mark.
QByteArray HtmlPageEncoding(const QByteArray& bytes, int* bomLength = nullptr);

// The encoding to force on an XML page, or empty to let the parser follow the byte-order mark
// and the declaration: a page that declares none and is not valid UTF-8 is windows-1251.
QByteArray XmlPageFallbackEncoding(const QByteArray& bytes);
