#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reading files that content names: only ordinary files, opened without blocking and checked on
// the opened descriptor, so that a pipe, a device or a file swapped for one after a check by name
// never blocks the reader. Kernel files that look ordinary but wait for data (/proc/kmsg) fail
// their read rather than wait.

// Opens nativePath read-only when it is an ordinary file and returns the descriptor (close it
// with ::close), or -1 with errno set: ENOENT when the path names something else than an
// ordinary file. size, when given, receives the file's size.
int OpenRegularFile(const QByteArray& nativePath, qint64* size = nullptr);

// Everything left to read from fd, a descriptor opened without blocking, expected to hold size
// bytes; nothing when there is more than limit or the descriptor would wait for data. The
// caller closes fd.
std::optional<QByteArray> ReadOpenFile(int fd, qint64 size, qint64 limit);

// The whole ordinary file path, when it holds at most limit bytes and reads without waiting;
// nothing otherwise.
std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 limit);
