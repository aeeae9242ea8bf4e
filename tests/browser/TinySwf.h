#pragma once

// A valid Flash movie made in the test, for the pages of the test discs that embed one.

#include <QByteArray>

namespace tinyswf {

// Writes value in bits bits, most significant first, as SWF's bit fields are stored.
class TBitWriter final {
public:
    void Write(quint32 value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            m_current = static_cast<quint8>((m_current << 1) | ((value >> i) & 1u));
            if (++m_used == 8)
                Flush();
        }
    }
    QByteArray Finish() {
        if (m_used)
            Flush(8 - m_used);
        return m_bytes;
    }

private:
    void Flush(int padding = 0) {
        m_bytes.append(static_cast<char>(m_current << padding));
        m_current = 0;
        m_used = 0;
    }
    QByteArray m_bytes;
    quint8 m_current = 0;
    int m_used = 0;
};

inline void AppendLe(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xffu));
}

// A valid uncompressed movie: 200×100 px, 24 frames a second, one frame on a #3366CC background.
inline QByteArray TinySwf() {
    TBitWriter rect;
    const int bits = 13; // 4000 twips need 13 bits with the sign
    rect.Write(bits, 5);
    for (quint32 twips : {0u, 200u * 20u, 0u, 100u * 20u})
        rect.Write(twips, bits);
    QByteArray body = rect.Finish();
    body.append('\0').append('\x18');  // frame rate 24.0 (8.8 fixed point)
    AppendLe(body, 1, 2);              // frame count
    AppendLe(body, (9u << 6) | 3u, 2); // SetBackgroundColor, 3 bytes
    body.append('\x33').append('\x66').append('\xCC');
    AppendLe(body, 1u << 6, 2); // ShowFrame
    AppendLe(body, 0, 2);       // End
    QByteArray swf("FWS");
    swf.append('\x0a'); // version 10
    AppendLe(swf, static_cast<quint32>(8 + body.size()), 4);
    return swf + body;
}

} // namespace tinyswf

using tinyswf::TinySwf;
