#include "publish/SiteZip.h"

#include <QtEndian>
#include <zlib.h>

namespace {

constexpr quint16 Deflated = 8;
constexpr quint16 Stored = 0;
constexpr quint16 Utf8Names = 0x0800;
constexpr quint16 Version = 20;
constexpr quint16 DosDate =
    (2000 - 1980) << 9 | 1 << 5 | 1; // a fixed date: packages of the same site are alike

void Put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Raw deflate (no zlib header), as zip holds it; empty when it fails.
QByteArray Deflate(const QByteArray& data) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&z, uLong(data.size()))), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return rc == Z_STREAM_END ? out : QByteArray();
}

} // namespace

TZipWriter::TZipWriter(const QString& path) : m_file(path) {
    m_ok = m_file.open(QIODevice::WriteOnly);
}

bool TZipWriter::Add(const QString& name, const QByteArray& data) {
    if (!m_ok || m_entries.size() >= 0xFFFF || m_file.pos() + data.size() > qint64(0xFFFFFFF0)) {
        m_ok = false;
        return false;
    }
    TEntry entry;
    entry.Name = name.toUtf8();
    entry.Crc = quint32(crc32(0L, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
    entry.Size = quint32(data.size());
    entry.Offset = quint32(m_file.pos());
    QByteArray packed = Deflate(data);
    entry.Method = !packed.isEmpty() && packed.size() < data.size() ? Deflated : Stored;
    const QByteArray& body = entry.Method == Deflated ? packed : data;
    entry.Packed = quint32(body.size());
    QByteArray header;
    Put32(header, 0x04034b50);
    Put16(header, Version);
    Put16(header, Utf8Names);
    Put16(header, entry.Method);
    Put16(header, 0); // time
    Put16(header, DosDate);
    Put32(header, entry.Crc);
    Put32(header, entry.Packed);
    Put32(header, entry.Size);
    Put16(header, quint16(entry.Name.size()));
    Put16(header, 0);
    header += entry.Name;
    m_ok = m_file.write(header) == header.size() && m_file.write(body) == body.size();
    if (m_ok)
        m_entries.push_back(std::move(entry));
    return m_ok;
}

bool TZipWriter::Finish() {
    if (!m_ok)
        return false;
    const quint32 start = quint32(m_file.pos());
    QByteArray directory;
    for (const TEntry& e : m_entries) {
        Put32(directory, 0x02014b50);
        Put16(directory, 3 << 8 | Version); // made on Unix: the attributes below are its modes
        Put16(directory, Version);
        Put16(directory, Utf8Names);
        Put16(directory, e.Method);
        Put16(directory, 0);
        Put16(directory, DosDate);
        Put32(directory, e.Crc);
        Put32(directory, e.Packed);
        Put32(directory, e.Size);
        Put16(directory, quint16(e.Name.size()));
        Put16(directory, 0); // extra
        Put16(directory, 0); // comment
        Put16(directory, 0); // disk
        Put16(directory, 0); // internal attributes
        Put32(directory, quint32(0100644) << 16);
        Put32(directory, e.Offset);
        directory += e.Name;
    }
    Put32(directory, 0x06054b50);
    Put16(directory, 0);
    Put16(directory, 0);
    Put16(directory, quint16(m_entries.size()));
    Put16(directory, quint16(m_entries.size()));
    Put32(directory, 0); // the directory's size, set below
    Put32(directory, start);
    Put16(directory, 0);
    const quint32 size = quint32(directory.size() - 22);
    qToLittleEndian(size, directory.data() + directory.size() - 10);
    m_ok = m_file.write(directory) == directory.size() && m_file.flush();
    m_file.close();
    return m_ok;
}
