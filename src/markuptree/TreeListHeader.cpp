#include "markuptree/TreeListHeader.h"

#include "markup/QtMarkupCanvas.h"
#include "markuptree/TreeListLayout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <algorithm>

// Defined beside the sections' accessible interface (TreeListHeaderAccess.cpp).
void InstallHeaderAccessibility();

TTLHeader::TTLHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_model(new QStandardItemModel(this)) {
    // Before the model: setting one already tells screen readers about the strip.
    InstallHeaderAccessibility();
    setModel(m_model);
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(1);
    setFocusPolicy(Qt::NoFocus);
    SetBordered(true);
    connect(this, &QHeaderView::sectionResized, this, &TTLHeader::SectionResized);
}

TTLHeader::~TTLHeader() = default;

void TTLHeader::SetSections(const QStringList& captions, const QList<int>& widths) {
    m_settingSections = true;
    m_captions = captions;
    m_model->setColumnCount(int(captions.size()));
    for (int i = 0; i < captions.size(); ++i) {
        setSectionResizeMode(i, m_allowResize ? Interactive : Fixed);
        resizeSection(i, qMax(0, widths.value(i)));
    }
    m_settingSections = false;
    viewport()->update();
}

QList<int> TTLHeader::SectionWidths() const {
    QList<int> widths;
    for (int i = 0; i < count(); ++i)
        widths.append(sectionSize(i));
    return widths;
}

void TTLHeader::SetSectionWidth(int i, int width) {
    m_settingSections = true;
    resizeSection(i, width);
    m_settingSections = false;
}

void TTLHeader::SetColor(TColor color) {
    m_color = color;
    viewport()->update();
}

void TTLHeader::SetAllowResize(bool on) {
    m_allowResize = on;
    for (int i = 0; i < count(); ++i)
        setSectionResizeMode(i, on ? Interactive : Fixed);
}

void TTLHeader::SetBordered(bool on) {
    if (on) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

int TTLHeader::SectionAt(int x) const {
    return HeaderSectionAt(SectionWidths(), x + offset());
}

void TTLHeader::SectionResized(int section, int, int newWidth) {
    if (m_settingSections)
        return;
    m_resizing = section;
    if (OnResizing)
        OnResizing(section, newWidth);
}

// --- painting ------------------------------------------------------------------------------------

void TTLHeader::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int clientWidth = viewport()->width();
    const int height = viewport()->height();
    if (m_captions.isEmpty()) {
        PaintCell(painter, QRect(0, 0, clientWidth, height), QString());
        return;
    }
    int left = -offset();
    for (int i = 0; i < m_captions.size(); ++i) {
        int right = left + sectionSize(i);
        if (i == m_captions.size() - 1 || clientWidth - right < 2)
            right = clientWidth;
        if (right > 0)
            PaintCell(painter, QRect(left, 0, right - left, height), m_captions.at(i));
        if (right >= clientWidth)
            break;
        left = right;
    }
}

void TTLHeader::PaintCell(QPainter& painter, const QRect& cell, const QString& caption) const {
    painter.fillRect(cell, ToQColor(m_color));
    if (!caption.isEmpty()) {
        TQtMarkupCanvas canvas(&painter, font());
        // Two pixels in from the sides; from the top, no more than centres the line in the cell.
        // A line of the program's font fills the 18-pixel header, and a fixed two pixels above it
        // pushed descenders onto the bottom edge at 200 %.
        const int line = canvas.TextHeight(QStringLiteral("Ág"));
        const int top = std::clamp((cell.height() - line) / 2, 0, 2);
        const QRect text = cell.adjusted(2, top, -2, -2);
        canvas.SetFontColor(FromQColor(palette().color(QPalette::ButtonText)));
        canvas.SetBrushColor(m_color);
        TMarkupArgs args = CaptionArgs ? CaptionArgs() : TMarkupArgs();
        args.Bounds = TRect{text.left(), text.top(), text.left() + text.width(), text.top() + text.height()};
        args.MouseX = args.MouseY = 0;
        args.MeasureOnly = args.HitTestOnly = args.Selected = args.BlinkOn = false;
        args.WrapWords = true;
        TMarkupOutput out;
        RenderMarkup(canvas, caption, args, out);
    }
    // A raised inner edge: light on the left and top, shadow on the right and bottom.
    const int r = cell.left() + cell.width() - 1;
    const int b = cell.top() + cell.height() - 1;
    painter.setPen(ToQColor(clBtnHighlight));
    painter.drawLine(cell.left(), cell.top(), cell.left(), b);
    painter.drawLine(cell.left(), cell.top(), r, cell.top());
    painter.setPen(ToQColor(clBtnShadow));
    painter.drawLine(r, cell.top(), r, b);
    painter.drawLine(cell.left(), b, r, b);
}

// --- pointer -------------------------------------------------------------------------------------

void TTLHeader::mousePressEvent(QMouseEvent* event) {
    m_resizing = -1;
    QHeaderView::mousePressEvent(event); // may start a resize
    const int section = SectionAt(qRound(event->position().x()));
    if (event->button() == Qt::LeftButton && OnClick)
        OnClick(this, section);
    else if (event->button() == Qt::RightButton && OnRightClick)
        OnRightClick(this, section);
}

void TTLHeader::mouseReleaseEvent(QMouseEvent* event) {
    QHeaderView::mouseReleaseEvent(event);
    const int section = m_resizing;
    m_resizing = -1;
    if (section >= 0 && section < count() && OnResized)
        OnResized(section, sectionSize(section));
}
