#pragma once

#include "markup/MarkupTypes.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;
class TMarkupCanvas;

// A picture of the markup: the raw bytes of an image file held in memory and the image decoded
// from them. Sizes are in pixels at 96 per inch.
class TMarkupPicture final {
public:
    TMarkupPicture() = default;

    // "RES://name" from the program's resources (see MarkupPicture.cpp for the name mapping),
    // "FILE://path" from a file; any other source is only remembered.
    void LoadFromSource(const QString& source);
    // Failures are swallowed: the picture stays empty.
    void LoadFromFile(const QString& path);
    // Null device: nothing. Undecodable bytes throw std::runtime_error with the decoder's text.
    void LoadFromStream(QIODevice* stream);
    void LoadFromData(const QByteArray& data); // as LoadFromStream, from bytes
    void SaveToStream(QIODevice* stream) const;
    // Null source: empty. Otherwise the stretch flag, source and data are copied and decoded.
    void Assign(const TMarkupPicture* source);

    bool Empty() const { return m_empty; }
    int Width() const;  // pixels at 96 per inch
    int Height() const; // pixels at 96 per inch
    // Size of the decoded image in hundredths of a millimetre; 0 when not decoded.
    int HimetricWidth() const { return m_himetricWidth; }
    int HimetricHeight() const { return m_himetricHeight; }

    // Stretched into rect, or at natural size (converted with the canvas's resolution) with
    // its top-left corner at rect's.
    void Draw(TMarkupCanvas& canvas, const TRect& rect) const;
    int DrawOffsetX() const { return 0; }
    int DrawOffsetY() const { return 0; }

    bool Stretch = false;
    bool Asynchronous = true;
    const QString& Source() const { return m_source; }
    const QString& Address() const { return m_address; }
    const QByteArray& Data() const { return m_data; }

private:
    void Decode();
    void SetData(const QByteArray& data); // bytes in, decoded; throws on undecodable bytes

    QByteArray m_data;
    bool m_empty = true;
    QImage m_image;
    int m_himetricWidth = 0;
    int m_himetricHeight = 0;
    QString m_source;
    QString m_address;
    bool m_downloadRunning = false;
};

// Pictures by source string, owned; a source is read once for the cache's lifetime.
class TMarkupPictureCache final {
public:
    TMarkupPictureCache() = default;
    TMarkupPictureCache(const TMarkupPictureCache&) = delete;
    TMarkupPictureCache& operator=(const TMarkupPictureCache&) = delete;

    TMarkupPicture* AddPicture();
    // Exact, case-sensitive match of the source; the first in list order.
    TMarkupPicture* FindPicture(const QString& source) const;
    void ClearPictures();
    int Count() const { return int(m_pictures.size()); }

private:
    std::vector<std::unique_ptr<TMarkupPicture>> m_pictures;
};
