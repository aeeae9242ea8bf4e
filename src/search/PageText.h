#pragma once

#include <QByteArray>

// The pieces of page reading that do not need a file: how the bytes of a page are decoded. The
// reading itself is ExtractPageText in SearchSource.h.

// Pages larger than this are refused: item pages are a few kilobytes, and a huge one is damaged
// or not a page, and would stall the indexer.
inline constexpr qint64 kPageSizeLimit = qint64(16) << 20; // 16 MB

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(const QByteArray& bytes);

// The encoding to read an HTML page in, as a name libxml2 knows: a byte-order mark first, then
// the charset its <meta> declares, then UTF-8 when the bytes are valid UTF-8, else windows-1251
// (the code page of the old discs). bomLength receives the length of the byte-order mark.
QByteArray HtmlPageEncoding(const QByteArray& bytes, int* bomLength = nullptr);

// The encoding to force on an XML page, or empty to let the parser follow the byte-order mark
// and the declaration: a page that declares none and is not valid UTF-8 is windows-1251.
QByteArray XmlPageFallbackEncoding(const QByteArray& bytes);
