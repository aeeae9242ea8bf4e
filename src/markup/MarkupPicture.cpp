#include "markup/MarkupPicture.h"

#include "app/ErrorReport.h"
#include "core/DiscFiles.h"
#include "core/RegularFile.h"
#include "markup/MarkupCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <stdexcept>

namespace {

// Pictures report their size at this many pixels per inch, whatever the device.
constexpr int ReferenceDpi = 96;
constexpr int HimetricPerInch = 2540;
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

int MulDivRound(long long a, long long b, long long c) {
    if (c == 0)
        return 0;
    const long long p = a * b;
    return int(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

// A "RES://name" picture is the Qt resource ":/images/name" (src/resources/images). Names of
// the content's resources were case-insensitive, so when the exact name is missing the first
// file of that folder whose name matches ignoring case is taken.
QString ResourcePath(const QString& name) {
    QString exact = QStringLiteral(":/images/") + name;
    if (QFile::exists(exact))
        return exact;
    if (name.contains(QLatin1Char('/')))
        return QString();
    const QStringList entries = QDir(QStringLiteral(":/images")).entryList(QDir::Files);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral(":/images/") + entry;
    return QString();
}

} // namespace

void TMarkupPicture::LoadFromSource(const QString& source) {
    const QString upper = source.toUpper();
    if (upper.startsWith(QLatin1String("RES://"))) {
        m_source = source;
        const QString name = source.mid(6);
        if (name.isEmpty())
            return;
        const QString path = ResourcePath(name);
        if (path.isEmpty())
            return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        try {
            LoadFromStream(&file);
        } catch (const std::exception& e) {
            // Raised inside a paint, the error would come back with every repaint: report it
            // once here and leave the picture empty. The cache keeps it, so it is not retried.
            m_data.clear();
            m_image = QImage();
            m_himetricWidth = m_himetricHeight = 0;
            m_empty = true;
            ReportError(QString::fromUtf8(e.what()));
        }
        return;
    }
    if (upper.startsWith(QLatin1String("FILE://"))) {
        m_source = source;
        const QString path = source.mid(7);
        // The content was written on a system where file names ignore case, and BODY even
        // upper-cases its sources.
        if (!path.isEmpty())
            LoadFromFile(FindDiscFile(path));
        return;
    }
    if (!Asynchronous) {
        m_address = source;
        m_source = source;
        return;
    }
    if (!m_downloadRunning) {
        // Downloads were never part of this program: the request is only remembered.
        m_address = source;
        m_downloadRunning = true;
    }
}

void TMarkupPicture::LoadFromFile(const QString& path) {
    // Only ordinary files of a sane size, opened without blocking and checked once open: a
    // device, a pipe or a kernel file that waits for data, named in the content, would otherwise
    // hang the paint that asked for the picture.
    const std::optional<QByteArray> data = ReadRegularFile(path, MaxFileSize);
    if (!data)
        return;
    try {
        SetData(*data);
    } catch (const std::exception&) {
        // A broken file picture simply does not show.
        m_data.clear();
        m_image = QImage();
        m_himetricWidth = m_himetricHeight = 0;
        m_empty = true;
    }
}

void TMarkupPicture::LoadFromStream(QIODevice* stream) {
    if (!stream)
        return;
    SetData(stream->readAll());
}

void TMarkupPicture::LoadFromData(const QByteArray& data) {
    SetData(data);
}

void TMarkupPicture::SaveToStream(QIODevice* stream) const {
    if (stream)
        stream->write(m_data);
}

void TMarkupPicture::Assign(const TMarkupPicture* source) {
    m_image = QImage();
    m_himetricWidth = m_himetricHeight = 0;
    m_empty = true;
    if (!source) {
        m_data.clear();
        return;
    }
    Stretch = source->Stretch;
    m_source = source->m_source;
    SetData(source->m_data);
}

void TMarkupPicture::SetData(const QByteArray& data) {
    m_data = data;
    m_empty = false;
    Decode();
}

void TMarkupPicture::Decode() {
    m_image = QImage();
    m_himetricWidth = m_himetricHeight = 0;
    if (m_data.isEmpty())
        throw std::runtime_error("Could not load image. Invalid format");
    QBuffer buffer(&m_data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        throw std::runtime_error("Could not load image. Invalid format");
    QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error("Could not load image");
    // Bitmaps come with their pixel size at the reference resolution, as the picture loader
    // reported them; hundredths of a millimetre are what the size rule starts from.
    m_himetricWidth = MulDivRound(image.width(), HimetricPerInch, ReferenceDpi);
    m_himetricHeight = MulDivRound(image.height(), HimetricPerInch, ReferenceDpi);
    m_image = std::move(image);
}

int TMarkupPicture::Width() const {
    return m_image.isNull() ? 0 : MulDivRound(m_himetricWidth, ReferenceDpi, HimetricPerInch);
}

int TMarkupPicture::Height() const {
    return m_image.isNull() ? 0 : MulDivRound(m_himetricHeight, ReferenceDpi, HimetricPerInch);
}

void TMarkupPicture::Draw(TMarkupCanvas& canvas, const TRect& rect) const {
    if (m_empty || m_image.isNull())
        return;
    if (Stretch) {
        canvas.DrawImage(rect, m_image);
        return;
    }
    const int w = MulDivRound(m_himetricWidth, canvas.PixelsPerInchX(), HimetricPerInch);
    const int h = MulDivRound(m_himetricHeight, canvas.PixelsPerInchY(), HimetricPerInch);
    canvas.DrawImage(TRect{rect.Left, rect.Top, rect.Left + w, rect.Top + h}, m_image);
}

TMarkupPicture* TMarkupPictureCache::AddPicture() {
    m_pictures.push_back(std::make_unique<TMarkupPicture>());
    return m_pictures.back().get();
}

TMarkupPicture* TMarkupPictureCache::FindPicture(const QString& source) const {
    for (const auto& picture : m_pictures)
        if (picture->Source() == source)
            return picture.get();
    return nullptr;
}

void TMarkupPictureCache::ClearPictures() {
    m_pictures.clear();
}
