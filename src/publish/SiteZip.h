#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

// A zip file as learning platforms read SCORM packages: entries deflated (or stored when that is
// no smaller), names in UTF-8, no zip64 (a course is far below 4 GB and 65,535 files).
class TZipWriter final {
public:
    explicit TZipWriter(const QString& path);
    bool Add(const QString& name, const QByteArray& data);
    // Writes the central directory; false when any entry failed or there were too many.
    bool Finish();

private:
    struct TEntry {
        QByteArray Name;
        quint32 Crc = 0;
        quint32 Packed = 0;
        quint32 Size = 0;
        quint16 Method = 0;
        quint32 Offset = 0;
    };
    QFile m_file;
    std::vector<TEntry> m_entries;
    bool m_ok = true;
};
