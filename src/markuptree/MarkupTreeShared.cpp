#include "markuptree/MarkupTreeShared.h"

#include "markup/QtMarkupCanvas.h"

#include <QApplication>
#include <QToolTip>
#include <QTreeWidget>

namespace {

// Where QToolTip puts a tip relative to the point it is given.
constexpr QPoint kTipOffset(2, 16);

} // namespace

TRect ToTRect(const QRect& r) {
    return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void PaintMarkup(QPainter& painter, const QFont& font, TColor fontColor, TColor brush, const QString& text,
                 const QRect& bounds, TMarkupArgs args) {
    TQtMarkupCanvas canvas(&painter, font);
    canvas.SetFontColor(fontColor);
    canvas.SetBrushColor(brush);
    args.Bounds = ToTRect(bounds);
    TMarkupOutput out;
    RenderMarkup(canvas, text, args, out);
}

// --- anchors -------------------------------------------------------------------------------------

TAnchorCursor::TAnchorCursor(QWidget* target) : m_target(target) {
    if (target)
        m_saved = target->cursor();
}

void TAnchorCursor::PutHand() {
    if (m_hand || !m_target)
        return;
    m_saved = m_target->cursor();
    m_target->setCursor(Qt::PointingHandCursor);
    m_hand = true;
}

void TAnchorCursor::Restore() {
    if (!m_hand)
        return;
    m_hand = false;
    if (m_target)
        m_target->setCursor(m_saved);
}

void TAnchorCursor::SetSaved(const QCursor& cursor) {
    m_saved = cursor;
    if (!m_hand && m_target)
        m_target->setCursor(cursor);
}

// --- type-ahead ----------------------------------------------------------------------------------

void TPlainTypeAhead::Search(QTreeWidget& tree, const QString& typed) {
    if (typed.isEmpty() || tree.topLevelItemCount() == 0)
        return;
    if (!m_typed.isValid() || m_typed.elapsed() > QApplication::keyboardInputInterval())
        m_search.clear();
    m_typed.start();
    const bool repeated = m_search.size() == 1 && typed.size() == 1 && m_search == typed;
    if (!repeated)
        m_search += typed;
    QTreeWidgetItem* start = tree.currentItem();
    if (!start)
        start = tree.topLevelItem(0);
    // A longer prefix may still be the current item; a single letter looks from the next one.
    QTreeWidgetItem* node = m_search.size() > 1 ? start : tree.itemBelow(start);
    // Visible items from the start, round to the top and back to the start.
    for (int round = 0; round < 2; ++round) {
        for (; node; node = tree.itemBelow(node)) {
            if (StripMarkup(node->text(0)).startsWith(m_search, Qt::CaseInsensitive)) {
                tree.setCurrentItem(node);
                tree.scrollToItem(node);
                return;
            }
            if (round == 1 && node == start)
                return;
        }
        node = tree.topLevelItem(0);
    }
}

// --- tips ----------------------------------------------------------------------------------------

void ShowTipAt(const QPoint& globalTopLeft, const QString& text, QWidget* widget, const QRect& area) {
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    html.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    QToolTip::showText(globalTopLeft - kTipOffset,
                       QStringLiteral("<p style='white-space:pre'>") + html + QStringLiteral("</p>"), widget,
                       area);
}
