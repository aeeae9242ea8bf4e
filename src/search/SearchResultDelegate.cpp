#include "search/SearchResultDelegate.h"

#include "core/CourseSections.h"
#include "look/Theme.h"
#include "markup/Markup.h"
#include "markup/MarkupPicture.h"
#include "markup/MarkupTypes.h"
#include "markup/QtMarkupCanvas.h"
#include "markuptree/MarkupTreeShared.h"
#include "search/SearchResults.h"
#include "search/SearchSnippet.h"

#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int kPadX = 10;
constexpr int kPadY = 6;
constexpr int kCaptionHeight = 20;
constexpr int kSnippetLines = 2;
const QColor kPlaceColour{0x5a, 0x6f, 0x8c};   // course and section: quieter than the text
const QColor kSeparator{0xdc, 0xe8, 0xf5};     // the line between rows
const QColor kSnippetColour{0x33, 0x3d, 0x4a}; // page text

} // namespace

TSearchResultDelegate::TSearchResultDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_pictures(std::make_unique<TMarkupPictureCache>()) {
    m_captionFont = QFont(QStringLiteral("Tahoma"));
    m_captionFont.setPixelSize(13);
    m_captionFont.setStyleHint(QFont::SansSerif);
}

TSearchResultDelegate::~TSearchResultDelegate() = default;

int TSearchResultDelegate::RowHeight() const {
    const QFontMetrics small(Theme::DefaultFont());
    return kPadY + kCaptionHeight + small.height() + 3 + kSnippetLines * small.lineSpacing() + kPadY + 1;
}

QSize TSearchResultDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return QSize(option.rect.width() > 0 ? option.rect.width() : 400, RowHeight());
}

QString TSearchResultDelegate::PlaceText(const TSearchHit& hit) {
    const QString section = SectionCaption(hit.Section);
    if (section.isEmpty())
        return hit.CourseName;
    return hit.CourseName + QStringLiteral("  ›  ") + section;
}

void TSearchResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const auto* model = qobject_cast<const TSearchResultModel*>(index.model());
    const TSearchHit* hit = model ? model->Hit(index.row()) : nullptr;
    if (!hit)
        return;
    painter->save();
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = option.state & QStyle::State_HasFocus;
    const QPalette& palette = option.palette;
    if (selected) {
        painter->fillRect(row, palette.color(QPalette::Highlight));
    } else {
        painter->fillRect(row, palette.color(QPalette::Base));
        if (option.state & QStyle::State_MouseOver)
            painter->fillRect(row, Theme::Mist);
    }
    // A thin line under every row keeps results apart without boxes.
    painter->setPen(kSeparator);
    painter->drawLine(row.left() + kPadX, row.bottom(), row.right() - kPadX, row.bottom());
    if (selected && focused) {
        painter->setPen(QPen(Theme::Glow, 2));
        painter->drawLine(row.left() + 1, row.top() + 1, row.left() + 1, row.bottom() - 1);
    }

    const QRect inner = row.adjusted(kPadX, kPadY, -kPadX, -kPadY);
    PaintCaption(*painter, QRect(inner.left(), inner.top(), inner.width(), kCaptionHeight), hit->Caption,
                 selected);

    const QFont small = option.font;
    const QFontMetrics metrics(small);
    painter->setFont(small);
    painter->setPen(selected ? palette.color(QPalette::HighlightedText) : kPlaceColour);
    const QRect place(inner.left(), inner.top() + kCaptionHeight, inner.width(), metrics.height());
    painter->drawText(place, Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(PlaceText(*hit), Qt::ElideRight, place.width()));

    const QRect snippet(inner.left(), place.bottom() + 4, inner.width(), inner.bottom() - place.bottom() - 3);
    PaintSnippet(*painter, snippet, hit->Snippet, selected, small);
    painter->restore();
}

void TSearchResultDelegate::PaintCaption(QPainter& painter, const QRect& bounds, const QString& caption,
                                         bool selected) const {
    TQtMarkupCanvas canvas(&painter, m_captionFont);
    canvas.SetFontColor(selected ? clHighlightText : FromQColor(Theme::Ink));
    canvas.SetBrushColor(clNone);
    TMarkupArgs args;
    args.Bounds = ToTRect(bounds);
    args.PictureCache = m_pictures.get();
    args.Selected = selected;
    args.WrapWords = false; // one line, cut with an ellipsis, as in the tree
    args.LinkColor = selected ? clHighlightText : clBlue;
    TMarkupOutput out;
    RenderMarkup(canvas, caption, args, out);
    canvas.Flush();
}

void TSearchResultDelegate::PaintSnippet(QPainter& painter, const QRect& bounds, const QString& snippet,
                                         bool selected, const QFont& font) const {
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const TSnippetRun& run : SnippetRuns(snippet)) {
        // Line breaks of the page text are only spaces here: two lines must carry the most words.
        const QString piece =
            QString(run.Text).replace(u'\n', u' ').replace(u'\r', u' ').replace(u'\t', u' ');
        if (run.Hit) {
            QTextLayout::FormatRange range;
            range.start = int(text.size());
            range.length = int(piece.size());
            range.format.setFontWeight(QFont::Bold);
            if (!selected) {
                range.format.setBackground(HitColour());
                range.format.setForeground(Theme::Ink);
            }
            formats.append(range);
        }
        text += piece;
    }
    text = text.trimmed().isEmpty() ? QString() : text;
    if (text.isEmpty())
        return;
    QTextLayout layout(text, font, painter.device());
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(textOption);
    layout.setFormats(formats);
    layout.beginLayout();
    const QFontMetrics metrics(font);
    qreal y = 0;
    int lines = 0;
    while (lines < kSnippetLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        // The last line leaves room for the "…" of a snippet that goes on.
        const bool lastLine = lines == kSnippetLines - 1;
        line.setLineWidth(bounds.width() - (lastLine ? metrics.horizontalAdvance(u'…') + 2 : 0));
        line.setPosition(QPointF(0, y));
        y += metrics.lineSpacing();
        ++lines;
    }
    const bool cut = layout.createLine().isValid();
    layout.endLayout();
    painter.setPen(selected ? QColor(Qt::white) : kSnippetColour);
    painter.save();
    painter.setClipRect(bounds);
    // The layout draws only the lines laid out above; a snippet longer than them ends in "…".
    for (int i = 0; i < lines; ++i) {
        const QTextLine line = layout.lineAt(i);
        line.draw(&painter, bounds.topLeft());
    }
    if (cut && lines > 0) {
        const QTextLine last = layout.lineAt(lines - 1);
        const qreal x = bounds.left() + last.naturalTextWidth() + 1;
        painter.drawText(QPointF(x, bounds.top() + last.y() + last.ascent()), QStringLiteral("…"));
    }
    painter.restore();
}
