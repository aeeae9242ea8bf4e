#pragma once

#include "markup/Markup.h"
#include "markup/MarkupTypes.h"

#include <QHeaderView>
#include <QStringList>
#include <functional>

class QStandardItemModel;

using TTLHeaderClickEvent = std::function<void(QObject* Sender, int SectionIdx)>;

// The header strip of a markup tree list: one section a column, captions drawn with the markup
// engine on raised cells, the last cell reaching the right edge. The user resizes a section by
// dragging its right border (when resizing is allowed); a press reports the section under the
// pointer by adding up section widths (HeaderSectionAt).
class TTLHeader final : public QHeaderView {
    Q_OBJECT
public:
    explicit TTLHeader(QWidget* parent = nullptr);
    ~TTLHeader() override;

    // Replaces every section: one per caption, with the width at the same position.
    void SetSections(const QStringList& captions, const QList<int>& widths);
    int SectionCount() const { return int(m_captions.size()); }
    QString SectionCaption(int i) const { return m_captions.value(i); }
    QList<int> SectionWidths() const;
    // Sets a section's width without reporting a resize.
    void SetSectionWidth(int i, int width);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    bool AllowResize() const { return m_allowResize; }
    void SetAllowResize(bool on);
    // A single border line around the strip, or none.
    bool Bordered() const { return frameShape() != QFrame::NoFrame; }
    void SetBordered(bool on);

    // The section under a point of the strip (x in the strip's own coordinates).
    int SectionAt(int x) const;

    // Images, link colour and picture cache for the captions, asked for at every paint.
    std::function<TMarkupArgs()> CaptionArgs;
    // A section is being resized, with its width so far.
    std::function<void(int section, int width)> OnResizing;
    // The user let go of a section's border: the section and its final width.
    std::function<void(int section, int width)> OnResized;
    TTLHeaderClickEvent OnClick;
    TTLHeaderClickEvent OnRightClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintCell(QPainter& painter, const QRect& cell, const QString& caption) const;
    void SectionResized(int section, int oldWidth, int newWidth);

    QStandardItemModel* m_model;
    QStringList m_captions;
    TColor m_color = clBtnFace;
    bool m_allowResize = true;
    bool m_settingSections = false;
    int m_resizing = -1; // section resized since the button went down
};
