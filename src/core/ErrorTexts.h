#pragma once

#include <QString>

class QFileDevice;

// One table of Russian texts for the failures people meet: no space, no permission, read-only,
// not found, too large, busy, and a malformed XML document. The system's and libxml2's own texts
// are English (or "Unknown error" when Qt lost the cause); no message of the player shows them.

// The text for an errno value ("на диске нет места").
QString SystemErrorText(int error);

// The text for a failed operation on file: error is the errno the failing call left (0: none),
// else what Qt kept of it.
QString FileErrorText(const QFileDevice& file, int error);

// "байт" or "байта", as a count of bytes takes it: the few-form after 2, 3 and 4, except in
// 12 to 14 ("22 байта", "12 байт"). For the sizes the messages and the file dialogs show.
QString ByteWord(qint64 count);

// The text for a libxml2 parse error code ("закрывающий тег не совпадает с открывающим").
QString XmlErrorText(int code);
