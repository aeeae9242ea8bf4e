#include "markup/QtMarkupCanvas.h"

#include "markup/ImageList.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QRawFont>
#include <QStaticText>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <memory>

namespace {

// Ascent and descent of a line of text in pixels.
struct TLineMetrics {
    int Ascent = 0;
    int Descent = 0;
};

// The line the content was laid out with: the font's Windows metrics (usWinAscent and
// usWinDescent of its OS/2 table), each rounded to pixels. They leave room above capitals for
// the accents of Й and Ё; the typographic metrics Qt uses may not (Tahoma's give 13 pixels
// at 13 px, against 16). A font without the table keeps Qt's metrics.
TLineMetrics WindowsLineMetrics(const QFont& font, const QFontMetrics& metrics) {
    const TLineMetrics typographic{metrics.ascent(), metrics.descent()};
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || raw.unitsPerEm() <= 0)
        return typographic;
    const QByteArray os2 = raw.fontTable("OS/2");
    constexpr int kWinDescentEnd = 78; // usWinAscent at 74, usWinDescent at 76, big-endian
    if (os2.size() < kWinDescentEnd)
        return typographic;
    const auto u16 = [&](int at) { return (uchar(os2[at]) << 8) | uchar(os2[at + 1]); };
    const int winAscent = u16(74);
    const int winDescent = u16(76);
    if (winAscent == 0)
        return typographic;
    const qreal scale = raw.pixelSize() / raw.unitsPerEm();
    return TLineMetrics{qRound(winAscent * scale), qRound(winDescent * scale)};
}

// Bold asked of a family that has no bold face is made by thickening the regular strokes, with
// the regular advances: the letters touch. One pixel more between them gives about the widths
// of a real bold face. It is part of the font, so measuring and drawing agree.
QFont WithBoldSpacing(QFont font) {
    if (!font.bold())
        return font;
    const QString family = QFontInfo(font).family();
    const QStringList styles = QFontDatabase::styles(family);
    const bool boldFace = std::any_of(styles.begin(), styles.end(), [&](const QString& style) {
        return QFontDatabase::weight(family, style) >= QFont::DemiBold;
    });
    if (!boldFace)
        font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    return font;
}

} // namespace

// A prepared text and where its baseline lies below its top-left corner. A text that needs a
// fallback font (Greek letters in Tahoma) is laid out on a line as high as the tallest font in
// it, so the baseline is not the primary font's ascent.
struct TQtShapedText {
    QStaticText Text;
    qreal Baseline = 0;
};

// Metrics and run widths are shared between canvases: the tree makes a canvas for every item
// it paints, and the same captions in the same fonts are measured over and over. A width is a
// pure function of the resolved font and the text, so the cache gives what QFontMetrics gives.
struct TQtFontEntry {
    QFont Font;
    QFontMetrics Metrics;
    TLineMetrics Line;
    int Height;
    int Descent;
    int SpaceWidth;
    QHash<QString, int> Widths;
    QHash<QString, int> WordsWidths;      // of whole captions, measured word by word
    QHash<QString, TQtShapedText> Shaped; // laid-out glyphs of drawn texts
    explicit TQtFontEntry(const QFont& font)
        : Font(WithBoldSpacing(font)), Metrics(Font), Line(WindowsLineMetrics(Font, Metrics)),
          Height(Line.Ascent + Line.Descent), Descent(Line.Descent),
          SpaceWidth(Metrics.horizontalAdvance(QLatin1Char(' '))) {}
};

namespace {

constexpr qsizetype MaxFonts = 256;
constexpr qsizetype MaxWidthsPerFont = 20000;
// Longer texts are measured each time: they are rare and would only bloat the cache.
constexpr qsizetype MaxCachedText = 200;
constexpr qsizetype MaxShapedPerFont = 5000;

QHash<QString, std::shared_ptr<TQtFontEntry>>& FontCache() {
    thread_local QHash<QString, std::shared_ptr<TQtFontEntry>> cache;
    return cache;
}

// The few fonts a tree paints with, most recent first: a canvas lives for one caption, and
// building and hashing the full key for each costs more than measuring the caption.
struct TRecentFont {
    QString BaseKey;
    QString Name;
    int PixelSize = 0;
    unsigned Style = 0;
    std::shared_ptr<TQtFontEntry> Entry;
};
constexpr int RecentFonts = 4;

std::array<TRecentFont, RecentFonts>& RecentFontEntries() {
    thread_local std::array<TRecentFont, RecentFonts> recent;
    return recent;
}

// QFont::key spells the whole font out; the caller passes the same font caption after caption.
QString BaseFontKey(const QFont& font) {
    thread_local QFont last;
    thread_local QString lastKey;
    if (lastKey.isEmpty() || !(font == last)) {
        last = font;
        lastKey = font.key();
    }
    return lastKey;
}

QString StripPrefix(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
            if (i < text.size())
                shown += text[i];
        } else {
            shown += text[i];
        }
    }
    return shown;
}

// List bullets are written for the Symbol font, whose codes are not Unicode: 0xB7 is its
// bullet and "o" its omicron. They are drawn as those characters in the caller's family, as
// the Symbol font here does not map the codes the way the content expects.
bool IsSymbolFont(const QString& name) {
    return name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

QString SymbolToUnicode(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c == QChar(0x00B7))
            c = QChar(0x2022);
        else if (c == QLatin1Char('o'))
            c = QChar(0x03BF);
    }
    return out;
}

// Where a QStaticText of text puts its baseline below its top-left corner: it lays a plain
// text out on lines that include their leading, as done here.
qreal StaticTextBaseline(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLeadingIncluded(true);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun& run : runs)
        if (!run.positions().isEmpty())
            return run.positions().constFirst().y();
    return QFontMetricsF(font).ascent();
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TQtMarkupCanvas::TQtMarkupCanvas(QPainter* painter, const QFont& font)
    : m_painter(painter), m_baseFont(font) {
    if (m_painter && m_painter->device()) {
        m_dpiX = m_painter->device()->logicalDpiX();
        m_dpiY = m_painter->device()->logicalDpiY();
        if (m_dpiX <= 0)
            m_dpiX = 96;
        if (m_dpiY <= 0)
            m_dpiY = 96;
    }
    if (m_painter)
        m_painter->save();
    m_baseKey = BaseFontKey(font);
    m_font.Name = font.family();
    m_font.PixelSize = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF() * m_dpiY / 72.0);
    m_font.Style = (font.bold() ? fsBold : 0u) | (font.italic() ? fsItalic : 0u) |
                   (font.underline() ? fsUnderline : 0u) | (font.strikeOut() ? fsStrikeOut : 0u);
    m_font.Color = clBlack;
}

TQtMarkupCanvas::~TQtMarkupCanvas() {
    Flush();
    if (m_painter) {
        if (m_clipSaved)
            m_painter->restore();
        m_painter->restore();
    }
}

void TQtMarkupCanvas::SetFontColor(TColor color) {
    m_font.Color = color;
}

QFont TQtMarkupCanvas::CurrentQFont() const {
    QFont f = m_baseFont;
    if (m_font.Name.compare(m_baseFont.family(), Qt::CaseInsensitive) != 0 && !IsSymbolFont(m_font.Name))
        f.setFamily(m_font.Name);
    f.setPixelSize(std::clamp(m_font.PixelSize, 1, 2000));
    f.setBold(m_font.Style & fsBold);
    f.setItalic(m_font.Style & fsItalic);
    f.setUnderline(m_font.Style & fsUnderline);
    f.setStrikeOut(m_font.Style & fsStrikeOut);
    return f;
}

TQtFontEntry& TQtMarkupCanvas::Entry() {
    if (m_entry)
        return *m_entry;
    auto& recent = RecentFontEntries();
    for (int i = 0; i < RecentFonts; ++i) {
        const TRecentFont& r = recent[i];
        if (r.Entry && r.PixelSize == m_font.PixelSize && r.Style == m_font.Style && r.Name == m_font.Name &&
            r.BaseKey == m_baseKey) {
            m_entry = r.Entry;
            std::rotate(recent.begin(), recent.begin() + i, recent.begin() + i + 1);
            return *m_entry;
        }
    }
    const QString key = m_baseKey + QLatin1Char('|') + m_font.Name + QLatin1Char('|') +
                        QString::number(m_font.PixelSize) + QLatin1Char('|') + QString::number(m_font.Style);
    auto& cache = FontCache();
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) {
        m_entry = *it;
    } else {
        if (cache.size() >= MaxFonts)
            cache.clear();
        m_entry = std::make_shared<TQtFontEntry>(CurrentQFont());
        cache.insert(key, m_entry);
    }
    std::rotate(recent.begin(), recent.end() - 1, recent.end());
    recent[0] = TRecentFont{m_baseKey, m_font.Name, m_font.PixelSize, m_font.Style, m_entry};
    return *m_entry;
}

TMarkupFont TQtMarkupCanvas::Font() const {
    return m_font;
}

void TQtMarkupCanvas::SetFont(const TMarkupFont& font) {
    m_rotation = 0;
    if (font.Name == m_font.Name && font.PixelSize == m_font.PixelSize && font.Style == m_font.Style) {
        m_font.Color = font.Color;
        return;
    }
    m_font = font;
    m_entry.reset();
}

void TQtMarkupCanvas::SelectRotation(int tenthsOfDegree) {
    m_rotation = tenthsOfDegree % 3600;
}

void TQtMarkupCanvas::RestoreRotation() {
    m_rotation = 0;
}

TColor TQtMarkupCanvas::BrushColor() const {
    return m_brush;
}

void TQtMarkupCanvas::SetBrushColor(TColor color) {
    m_brush = color;
}

TColor TQtMarkupCanvas::PenColor() const {
    return m_pen;
}

void TQtMarkupCanvas::SetPenColor(TColor color) {
    m_pen = color;
}

int TQtMarkupCanvas::PenWidth() const {
    return m_penWidth;
}

void TQtMarkupCanvas::SetPenWidth(int width) {
    m_penWidth = width;
}

void TQtMarkupCanvas::Rectangle(const TRect& rect) {
    if (!m_painter || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    Flush();
    if (m_brush != clNone)
        m_painter->fillRect(ToQRect(rect), ToQColor(m_brush));
    if (m_pen == clNone || m_penWidth <= 0)
        return;
    // The outline lies inside the rectangle, as the right and bottom edges are exclusive.
    m_painter->setPen(QPen(ToQColor(m_pen), m_penWidth));
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
}

void TQtMarkupCanvas::FillRect(const TRect& rect) {
    if (!m_painter || m_brush == clNone || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    Flush();
    m_painter->fillRect(ToQRect(rect), ToQColor(m_brush));
}

void TQtMarkupCanvas::MoveTo(int x, int y) {
    m_penPos = QPoint(x, y);
}

void TQtMarkupCanvas::LineTo(int x, int y) {
    if (m_painter && m_pen != clNone) {
        Flush();
        m_painter->setPen(QPen(ToQColor(m_pen), m_penWidth));
        m_painter->drawLine(m_penPos, QPoint(x, y));
    }
    m_penPos = QPoint(x, y);
}

int TQtMarkupCanvas::TextHeight(const QString&) {
    return Entry().Height;
}

int TQtMarkupCanvas::MeasureWidth(const QString& text, bool prefix, bool tabs) {
    TQtFontEntry& entry = Entry();
    if (!prefix && !tabs) {
        if (text.size() == 1 && text[0] == QLatin1Char(' '))
            return entry.SpaceWidth;
        if (text.size() <= MaxCachedText) {
            auto it = entry.Widths.constFind(text);
            if (it != entry.Widths.constEnd())
                return *it;
        }
        const int width = entry.Metrics.horizontalAdvance(text);
        if (text.size() <= MaxCachedText) {
            if (entry.Widths.size() >= MaxWidthsPerFont)
                entry.Widths.clear();
            entry.Widths.insert(text, width);
        }
        return width;
    }
    const QString shown = prefix ? StripPrefix(text) : text;
    if (!tabs)
        return entry.Metrics.horizontalAdvance(shown);
    return entry.Metrics
        .boundingRect(QRect(0, 0, 1 << 24, entry.Height), Qt::TextSingleLine | Qt::TextExpandTabs, shown)
        .width();
}

int TQtMarkupCanvas::DrawText(const QString& source, TRect& rect, unsigned format) {
    const QString text = IsSymbolFont(m_font.Name) ? SymbolToUnicode(source) : source;
    TQtFontEntry& entry = Entry();
    const bool prefix = !(format & TextFormat::NoPrefix) && text.contains(QLatin1Char('&'));
    const bool tabs = (format & TextFormat::ExpandTabs) && text.contains(QLatin1Char('\t'));
    int width = MeasureWidth(text, prefix, tabs);
    const int height = entry.Height;
    if (format & TextFormat::CalcRect) {
        rect.Right = rect.Left + width;
        rect.Bottom = rect.Top + height;
        return height;
    }
    if (!m_painter || text.isEmpty())
        return height;
    const bool elide = (format & TextFormat::EndEllipsis) && width > rect.Width();
    QString shown = text;
    if (elide) {
        shown = entry.Metrics.elidedText(text, Qt::ElideRight, std::max(rect.Width(), 0),
                                         prefix ? int(Qt::TextShowMnemonic) : 0);
        width = MeasureWidth(shown, prefix, tabs);
    }
    const int bottom = (format & TextFormat::Bottom) ? rect.Bottom : rect.Top + height;
    const int top = bottom - height;
    if (!prefix && !tabs && m_rotation == 0 && m_brush == clNone) {
        const int baseline = bottom - entry.Descent;
        if (!m_pending.Text.isEmpty() && m_pending.Entry == m_entry && m_pending.Color == m_font.Color &&
            m_pending.Baseline == baseline && m_pending.X + m_pending.Width == rect.Left) {
            m_pending.Text += shown;
            m_pending.Width += width;
            return height;
        }
        Flush();
        m_pending.Text = shown;
        m_pending.Entry = m_entry;
        m_pending.Color = m_font.Color;
        m_pending.X = rect.Left;
        m_pending.Baseline = baseline;
        m_pending.Width = width;
        return height;
    }
    Flush();
    if (m_brush != clNone)
        m_painter->fillRect(QRect(rect.Left, top, width, height), ToQColor(m_brush));
    PreparePainterFont(entry);
    m_painter->setPen(ToQColor(m_font.Color));
    if (m_rotation != 0) {
        m_painter->save();
        m_painter->translate(rect.Left, bottom);
        m_painter->rotate(-m_rotation / 10.0);
        m_painter->drawText(QPoint(0, -entry.Descent), prefix ? StripPrefix(shown) : shown);
        m_painter->restore();
        m_painterFont.reset();
        return height;
    }
    if (!prefix && !tabs) {
        m_painter->drawText(QPoint(rect.Left, bottom - entry.Descent), shown);
        return height;
    }
    int flags = Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine | Qt::TextDontClip;
    if (tabs)
        flags |= Qt::TextExpandTabs;
    if (prefix)
        flags |= Qt::TextShowMnemonic;
    m_painter->drawText(QRect(rect.Left, top, std::max(width, 1), height), flags, shown);
    return height;
}

int TQtMarkupCanvas::WordsWidth(const QString& text, unsigned format) {
    // "&" and tabs measure by the format, which the key does not hold.
    if (text.size() > MaxCachedText || text.contains(QLatin1Char('&')) || text.contains(QLatin1Char('\t')))
        return TMarkupCanvas::WordsWidth(text, format);
    TQtFontEntry& entry = Entry();
    if (auto it = entry.WordsWidths.constFind(text); it != entry.WordsWidths.constEnd())
        return *it;
    const int width = TMarkupCanvas::WordsWidth(text, format);
    if (entry.WordsWidths.size() >= MaxWidthsPerFont)
        entry.WordsWidths.clear();
    entry.WordsWidths.insert(text, width);
    return width;
}

void TQtMarkupCanvas::PreparePainterFont(TQtFontEntry& entry) {
    if (m_painterFont.get() != &entry) {
        m_painter->setFont(entry.Font);
        m_painterFont = m_entry;
    }
}

void TQtMarkupCanvas::Flush() {
    if (m_pending.Text.isEmpty() || !m_painter)
        return;
    TQtFontEntry& entry = *m_pending.Entry;
    if (m_painterFont != m_pending.Entry) {
        m_painter->setFont(entry.Font);
        m_painterFont = m_pending.Entry;
    }
    m_painter->setPen(ToQColor(m_pending.Color));
    const QFont& font = entry.Font;
    if (font.underline() || font.strikeOut() || m_pending.Text.size() > MaxCachedText) {
        m_painter->drawText(QPoint(m_pending.X, m_pending.Baseline), m_pending.Text);
    } else {
        auto it = entry.Shaped.find(m_pending.Text);
        if (it == entry.Shaped.end()) {
            if (entry.Shaped.size() >= MaxShapedPerFont)
                entry.Shaped.clear();
            TQtShapedText shaped;
            shaped.Text = QStaticText(m_pending.Text);
            shaped.Text.setTextFormat(Qt::PlainText);
            shaped.Text.setPerformanceHint(QStaticText::AggressiveCaching);
            shaped.Text.prepare(QTransform(), font);
            shaped.Baseline = StaticTextBaseline(m_pending.Text, font);
            it = entry.Shaped.insert(m_pending.Text, shaped);
        }
        m_painter->drawStaticText(QPointF(m_pending.X, m_pending.Baseline - it->Baseline), it->Text);
    }
    m_pending.Text.clear();
    m_pending.Entry.reset();
}

int TQtMarkupCanvas::PixelsPerInchX() const {
    return m_dpiX;
}

int TQtMarkupCanvas::PixelsPerInchY() const {
    return m_dpiY;
}

void TQtMarkupCanvas::DrawImage(const TRect& target, const QImage& image) {
    Flush();
    if (m_painter && !image.isNull())
        m_painter->drawImage(ToQRect(target), image);
}

void TQtMarkupCanvas::DrawPixmap(int x, int y, const QPixmap& pixmap) {
    Flush();
    if (m_painter && !pixmap.isNull())
        m_painter->drawPixmap(x, y, pixmap);
}

void TQtMarkupCanvas::DrawImageList(const TImageList& images, int x, int y, int index, bool enabled) {
    Flush();
    if (m_painter)
        images.Draw(*m_painter, x, y, index, enabled);
}

void TQtMarkupCanvas::SetClipRect(const TRect& rect) {
    if (!m_painter)
        return;
    Flush();
    // Inside the caller's own clip; ClearClip goes back to it.
    if (m_clipSaved)
        m_painter->restore();
    m_painter->save();
    m_clipSaved = true;
    m_painter->setClipRect(ToQRect(rect), Qt::IntersectClip);
    m_painterFont.reset();
}

void TQtMarkupCanvas::ClearClip() {
    if (!m_painter || !m_clipSaved)
        return;
    Flush();
    m_painter->restore();
    m_clipSaved = false;
    m_painterFont.reset();
}
