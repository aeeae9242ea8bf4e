#pragma once

// Pieces both markup tree controls use: the hand cursor over anchors, type-ahead on the plain
// text of the items, markup drawn in a rectangle, and tips placed where they should appear.

#include "markup/Markup.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>

class QPainter;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

TRect ToTRect(const QRect& r);

// Draws markup with font as the base font, fontColor for the text and brush as the background
// the engine assumes; args.Bounds is set from bounds.
void PaintMarkup(QPainter& painter, const QFont& font, TColor fontColor, TColor brush, const QString& text,
                 const QRect& bounds, TMarkupArgs args);

// The anchor the pointer is on and the hand cursor shown over it: the target's own cursor is
// kept while the hand is on and put back when it goes.
class TAnchorCursor final {
public:
    explicit TAnchorCursor(QWidget* target);

    bool Hand() const { return m_hand; }
    // Shows the hand, keeping the cursor it replaces.
    void PutHand();
    // Puts back the kept cursor if the hand is on.
    void Restore();
    const QCursor& Saved() const { return m_saved; }
    // The cursor to show away from anchors.
    void SetSaved(const QCursor& cursor);

    const QString& Current() const { return m_current; }
    void SetCurrent(const QString& anchor) { m_current = anchor; }

private:
    QPointer<QWidget> m_target;
    QCursor m_saved;
    bool m_hand = false;
    QString m_current;
};

// Type-ahead over the visible items of a tree, by the plain text (StripMarkup) of column 0:
// keys typed in quick succession make a prefix; the same single letter again steps to the next
// match.
class TPlainTypeAhead final {
public:
    void Search(QTreeWidget& tree, const QString& typed);

private:
    QString m_search;
    QElapsedTimer m_typed;
};

// Shows a tip with its top-left corner at globalTopLeft (QToolTip adds an offset of its own).
// The text is shown as written, on one line: markup in a tip is text to read.
void ShowTipAt(const QPoint& globalTopLeft, const QString& text, QWidget* widget,
               const QRect& area = QRect());
