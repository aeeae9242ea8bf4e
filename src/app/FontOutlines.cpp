#include "app/FontOutlines.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <optional>

namespace {

constexpr quint32 Tag(const char (&name)[5]) {
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 | quint32(uchar(name[2])) << 8 |
           quint32(uchar(name[3]));
}

// Big-endian reads that say so when the data is too short, as a damaged font may be.
struct TReader {
    const QByteArray& Data;
    bool Ok = true;

    quint32 Get(qsizetype at, int size) {
        if (at < 0 || at + size > Data.size()) {
            Ok = false;
            return 0;
        }
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | uchar(Data[at + i]);
        return value;
    }
    quint16 U16(qsizetype at) { return quint16(Get(at, 2)); }
    qint16 I16(qsizetype at) { return qint16(Get(at, 2)); }
    quint32 U32(qsizetype at) { return Get(at, 4); }
};

void Put16(QByteArray& out, quint16 value) {
    out.append(char(value >> 8));
    out.append(char(value & 0xff));
}

void Put32(QByteArray& out, quint32 value) {
    Put16(out, quint16(value >> 16));
    Put16(out, quint16(value & 0xffff));
}

struct TTable {
    quint32 Tag = 0;
    QByteArray Data;
};

struct TFont {
    quint32 Version = 0;
    QList<TTable> Tables;

    QByteArray* Find(quint32 tag) {
        for (TTable& table : Tables)
            if (table.Tag == tag)
                return &table.Data;
        return nullptr;
    }
};

std::optional<TFont> ReadFont(const QByteArray& data) {
    TReader in{data};
    TFont font;
    font.Version = in.U32(0);
    const int count = in.U16(4);
    for (int i = 0; i < count && in.Ok; ++i) {
        const qsizetype record = 12 + 16 * i;
        const quint32 offset = in.U32(record + 8);
        const quint32 length = in.U32(record + 12);
        if (qsizetype(offset) + qsizetype(length) > data.size())
            return std::nullopt;
        font.Tables.append({in.U32(record), data.mid(offset, length)});
    }
    if (!in.Ok || (font.Version != 0x00010000 && font.Version != Tag("true")))
        return std::nullopt;
    return font;
}

quint32 CheckSum(const QByteArray& data) {
    quint32 sum = 0;
    for (qsizetype at = 0; at < data.size(); at += 4) {
        quint32 word = 0;
        for (int i = 0; i < 4; ++i)
            word = word << 8 | (at + i < data.size() ? uchar(data[at + i]) : 0);
        sum += word;
    }
    return sum;
}

QByteArray WriteFont(TFont font) {
    QByteArray* head = font.Find(Tag("head"));
    if (head && head->size() >= 12)
        head->replace(8, 4, QByteArray(4, '\0'));
    const int count = int(font.Tables.size());
    int entrySelector = 0;
    while ((2 << entrySelector) <= count)
        ++entrySelector;
    const int searchRange = 16 << entrySelector;
    QByteArray out;
    Put32(out, font.Version);
    Put16(out, quint16(count));
    Put16(out, quint16(searchRange));
    Put16(out, quint16(entrySelector));
    Put16(out, quint16(count * 16 - searchRange));
    quint32 offset = quint32(12 + 16 * count);
    for (const TTable& table : font.Tables) {
        Put32(out, table.Tag);
        Put32(out, CheckSum(table.Data));
        Put32(out, offset);
        Put32(out, quint32(table.Data.size()));
        offset += quint32((table.Data.size() + 3) & ~3);
    }
    qsizetype headAt = -1;
    for (const TTable& table : font.Tables) {
        if (table.Tag == Tag("head"))
            headAt = out.size();
        out.append(table.Data);
        out.append(QByteArray((4 - table.Data.size() % 4) % 4, '\0'));
    }
    if (headAt >= 0 && head && head->size() >= 12) {
        const quint32 adjustment = 0xB1B0AFBAu - CheckSum(out);
        QByteArray bytes;
        Put32(bytes, adjustment);
        out.replace(headAt + 8, 4, bytes);
    }
    return out;
}

struct TPoint {
    int X = 0;
    int Y = 0;
    bool OnCurve = false;
};

using TContour = QList<TPoint>;

// The contours of a simple glyph; nothing for a composite, empty or unreadable one.
std::optional<QList<TContour>> DecodeGlyph(const QByteArray& glyph) {
    TReader in{glyph};
    const int contours = in.I16(0);
    if (contours <= 0)
        return std::nullopt;
    QList<int> ends;
    for (int i = 0; i < contours; ++i)
        ends.append(in.U16(10 + 2 * i));
    qsizetype at = 12 + 2 * contours + in.U16(10 + 2 * contours);
    if (!in.Ok)
        return std::nullopt;
    for (int i = 1; i < contours; ++i)
        if (ends[i] <= ends[i - 1])
            return std::nullopt;
    const int points = ends.last() + 1;
    QList<uchar> flags;
    while (flags.size() < points && in.Ok) {
        const uchar flag = uchar(in.Get(at++, 1));
        flags.append(flag);
        if (flag & 0x08)
            for (int repeat = int(in.Get(at++, 1)); repeat > 0 && flags.size() < points; --repeat)
                flags.append(flag);
    }
    QList<TPoint> all(points);
    // x then y, each a byte with its sign in the flag, the same as before, or a 16-bit delta.
    for (int axis = 0; axis < 2; ++axis) {
        const uchar shortBit = axis ? 0x04 : 0x02;
        const uchar sameBit = axis ? 0x20 : 0x10;
        int value = 0;
        for (int i = 0; i < points && in.Ok; ++i) {
            if (flags[i] & shortBit) {
                const int delta = int(in.Get(at++, 1));
                value += (flags[i] & sameBit) ? delta : -delta;
            } else if (!(flags[i] & sameBit)) {
                value += in.I16(at);
                at += 2;
            }
            (axis ? all[i].Y : all[i].X) = value;
            all[i].OnCurve = flags[i] & 0x01;
        }
    }
    if (!in.Ok)
        return std::nullopt;
    QList<TContour> result;
    int first = 0;
    for (int end : ends) {
        result.append(all.mid(first, end - first + 1));
        first = end + 1;
    }
    return result;
}

// Twice the signed area; negative for a clockwise contour (y grows upwards).
qint64 Area(const TContour& contour) {
    qint64 sum = 0;
    for (qsizetype i = 0; i < contour.size(); ++i) {
        const TPoint& a = contour[i];
        const TPoint& b = contour[(i + 1) % contour.size()];
        sum += qint64(a.X) * b.Y - qint64(b.X) * a.Y;
    }
    return sum;
}

bool Inside(const TPoint& point, const TContour& polygon) {
    bool inside = false;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const TPoint& a = polygon[i];
        const TPoint& b = polygon[(i + 1) % polygon.size()];
        if ((a.Y > point.Y) != (b.Y > point.Y) &&
            point.X < a.X + double(point.Y - a.Y) * (b.X - a.X) / double(b.Y - a.Y))
            inside = !inside;
    }
    return inside;
}

// The contours that wind against the rule (outer clockwise, a hole inside one anticlockwise),
// but only when others keep it: a glyph wound wholly the other way is consistent as it is.
QList<int> StrayContours(const QList<TContour>& contours) {
    QList<int> against;
    int along = 0;
    for (qsizetype i = 0; i < contours.size(); ++i) {
        const qint64 area = Area(contours[i]);
        if (area == 0 || contours[i].isEmpty())
            continue;
        int depth = 0;
        for (qsizetype j = 0; j < contours.size(); ++j)
            if (j != i && Inside(contours[i].first(), contours[j]))
                ++depth;
        if ((area < 0) == (depth % 2 == 0))
            ++along;
        else
            against.append(int(i));
    }
    return along > 0 ? against : QList<int>();
}

// The glyph written again with every coordinate as a 16-bit delta and no hinting program.
std::optional<QByteArray> EncodeGlyph(const QByteArray& original, const QList<TContour>& contours) {
    QByteArray out = original.left(10); // contour count and bounding box stay
    int end = -1;
    for (const TContour& contour : contours) {
        end += int(contour.size());
        Put16(out, quint16(end));
    }
    Put16(out, 0);
    for (const TContour& contour : contours)
        for (const TPoint& point : contour)
            out.append(char(point.OnCurve ? 0x01 : 0x00));
    for (int axis = 0; axis < 2; ++axis) {
        int previous = 0;
        for (const TContour& contour : contours)
            for (const TPoint& point : contour) {
                const int value = axis ? point.Y : point.X;
                const int delta = value - previous;
                if (delta < -32768 || delta > 32767)
                    return std::nullopt;
                Put16(out, quint16(qint16(delta)));
                previous = value;
            }
    }
    return out;
}

struct TGlyphs {
    QList<QByteArray> Data;
    bool Ok = false;
};

TGlyphs ReadGlyphs(TFont& font) {
    TGlyphs glyphs;
    QByteArray* head = font.Find(Tag("head"));
    QByteArray* maxp = font.Find(Tag("maxp"));
    QByteArray* loca = font.Find(Tag("loca"));
    QByteArray* glyf = font.Find(Tag("glyf"));
    if (!head || !maxp || !loca || !glyf)
        return glyphs;
    TReader headIn{*head};
    TReader maxpIn{*maxp};
    TReader locaIn{*loca};
    const bool longOffsets = headIn.I16(50) == 1;
    const int count = maxpIn.U16(4);
    auto offset = [&](int i) {
        return longOffsets ? qsizetype(locaIn.U32(4 * i)) : 2 * qsizetype(locaIn.U16(2 * i));
    };
    for (int i = 0; i < count; ++i) {
        const qsizetype begin = offset(i);
        const qsizetype end = offset(i + 1);
        if (end < begin || end > glyf->size())
            return glyphs;
        glyphs.Data.append(glyf->mid(begin, end - begin));
    }
    glyphs.Ok = headIn.Ok && maxpIn.Ok && locaIn.Ok;
    return glyphs;
}

} // namespace

int MixedWindingGlyphs(const QByteArray& data) {
    std::optional<TFont> font = ReadFont(data);
    if (!font)
        return -1;
    const TGlyphs glyphs = ReadGlyphs(*font);
    if (!glyphs.Ok)
        return -1;
    int mixed = 0;
    for (const QByteArray& glyph : glyphs.Data)
        if (const auto contours = DecodeGlyph(glyph); contours && !StrayContours(*contours).isEmpty())
            ++mixed;
    return mixed;
}

namespace {

// Renames the face's style (name 2) in place; a shorter name fits where the old one was.
void RenameStyle(QByteArray& name, const QString& style) {
    TReader in{name};
    const int count = in.U16(2);
    const int strings = in.U16(4);
    for (int i = 0; i < count && in.Ok; ++i) {
        const int record = 6 + 12 * i;
        const int platform = in.U16(record);
        if (in.U16(record + 6) != 2)
            continue;
        QByteArray text;
        if (platform == 1) {
            text = style.toLatin1();
        } else {
            for (QChar c : style)
                Put16(text, c.unicode());
        }
        const int at = strings + in.U16(record + 10);
        if (text.size() > in.U16(record + 8) || at + text.size() > name.size())
            continue;
        name.replace(at, text.size(), text);
        name[record + 8] = 0;
        name[record + 9] = char(text.size());
    }
}

} // namespace

QByteArray WithConsistentContours(const QByteArray& data) {
    std::optional<TFont> font = ReadFont(data);
    if (!font)
        return data;
    TGlyphs glyphs = ReadGlyphs(*font);
    if (!glyphs.Ok)
        return data;
    bool changed = false;
    for (QByteArray& glyph : glyphs.Data) {
        std::optional<QList<TContour>> contours = DecodeGlyph(glyph);
        if (!contours)
            continue;
        const QList<int> stray = StrayContours(*contours);
        if (stray.isEmpty())
            continue;
        for (int i : stray) {
            // Turned round about its first point, so the contour still starts where it did.
            TContour& contour = (*contours)[i];
            std::reverse(contour.begin() + 1, contour.end());
        }
        if (std::optional<QByteArray> encoded = EncodeGlyph(glyph, *contours)) {
            glyph = *encoded;
            glyph.append(QByteArray((4 - glyph.size() % 4) % 4, '\0'));
            changed = true;
        }
    }
    if (!changed)
        return data;
    QByteArray glyf;
    QByteArray loca;
    for (const QByteArray& glyph : glyphs.Data) {
        Put32(loca, quint32(glyf.size()));
        glyf.append(glyph);
    }
    Put32(loca, quint32(glyf.size()));
    *font->Find(Tag("glyf")) = glyf;
    *font->Find(Tag("loca")) = loca;
    QByteArray* head = font->Find(Tag("head"));
    head->replace(50, 2, QByteArray("\0\1", 2)); // offsets are 32-bit now
    return WriteFont(*font);
}

QByteArray MediumFaceForBold(const QByteArray& data) {
    const QByteArray mended = WithConsistentContours(data);
    if (mended == data)
        return {};
    std::optional<TFont> font = ReadFont(mended);
    QByteArray* os2 = font ? font->Find(Tag("OS/2")) : nullptr;
    QByteArray* name = font ? font->Find(Tag("name")) : nullptr;
    if (!os2 || !name || os2->size() < 6)
        return {};
    constexpr quint16 kMedium = 500;
    (*os2)[4] = char(kMedium >> 8);
    (*os2)[5] = char(kMedium & 0xff);
    RenameStyle(*name, QStringLiteral("Medium"));
    return WriteFont(*font);
}
