#pragma once

// libxml2 as every reader of the program uses it: one set-up and one rule for bytes that name no
// encoding. The XML documents of the player and the page reader of the search both parse
// through these.

#include <QByteArray>

// Sets libxml2 up once for the process (nothing outside a document is ever read: no DTD, no
// external entity; outlines may nest 2048 levels deep) and silences its error output on the
// calling thread, where libxml2 keeps the handler. Cheap after the first call on a thread.
void SetUpLibxml();

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool IsValidUtf8(const QByteArray& bytes);

// Old discs hold documents written in windows-1251 by tools that wrote no XML declaration, or one
// without an encoding. Such bytes read as windows-1251 when nothing names their encoding: no
// byte-order mark, no UTF-16 without one, no encoding in the declaration, and not valid UTF-8.
bool ReadsAsWindows1251(const QByteArray& bytes);
