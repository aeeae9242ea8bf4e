#include "markuptree/MarkupHintWindow.h"

#include "markup/Markup.h"
#include "markup/QtMarkupCanvas.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace {

// The platform's tool tips stay ten seconds, and longer for long texts.
int ToolTipPause(const QString& text) {
    return 10000 + 40 * qMax(0, int(text.size()) - 100);
}

} // namespace

TMarkupHintWindow::TMarkupHintWindow(QWidget* owner)
    // A tool window outside the window manager's care rather than a tool-tip window: X11 lets
    // the pointer through the former only (a tool tip under the pointer takes it, the owner
    // sees a leave).
    : QWidget(owner, Qt::Tool | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &TMarkupHintWindow::HideHint);
}

void TMarkupHintWindow::ShowHint(const TMarkupHint& hint, QPoint textTopLeft) {
    m_hint = hint;
    setFont(hint.Font);
    TQtMarkupCanvas canvas(nullptr, hint.Font);
    TMarkupArgs args;
    args.Bounds = TRect{0, 0, 1 << 20, 1 << 20};
    args.Images = hint.Images;
    args.PictureCache = hint.PictureCache;
    args.MeasureOnly = true;
    args.WrapWords = false;
    args.LinkColor = hint.LinkColor;
    TMarkupOutput out;
    RenderMarkup(canvas, hint.Text, args, out);
    QRect frame(textTopLeft - QPoint(PaddingX, PaddingY),
                QSize(out.NeededWidth + 2 * PaddingX, out.NeededHeight + 2 * PaddingY));
    // On the screen: a hint wider than the room left of it moves left, one wider than the
    // screen is cut (its text ends with an ellipsis).
    if (const QScreen* screen = QGuiApplication::screenAt(textTopLeft)) {
        const QRect room = screen->availableGeometry();
        frame.setWidth(qMin(frame.width(), room.width()));
        if (frame.right() > room.right())
            frame.moveRight(room.right());
        if (frame.bottom() > room.bottom())
            frame.moveBottom(room.bottom());
    }
    setGeometry(frame);
    update();
    show();
    m_hideTimer.start(m_hidePause > 0 ? m_hidePause : ToolTipPause(StripMarkup(hint.Text)));
}

void TMarkupHintWindow::HideHint() {
    m_hideTimer.stop();
    hide();
}

QColor TMarkupHintWindow::Background() const {
    return m_hint.Color != clNone ? ToQColor(m_hint.Color) : QToolTip::palette().color(QPalette::ToolTipBase);
}

void TMarkupHintWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = Background();
    const QColor ink = QToolTip::palette().color(QPalette::ToolTipText);
    painter.fillRect(rect(), background);
    painter.setPen(ink);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    TQtMarkupCanvas canvas(&painter, font());
    canvas.SetFontColor(FromQColor(ink));
    canvas.SetBrushColor(FromQColor(background));
    TMarkupArgs args;
    // The engine starts a line one pixel right of the left edge.
    args.Bounds = TRect{PaddingX - 1, PaddingY, width() - PaddingX + 1, height() - PaddingY};
    args.Images = m_hint.Images;
    args.PictureCache = m_hint.PictureCache;
    args.WrapWords = false;
    args.LinkColor = m_hint.LinkColor;
    TMarkupOutput out;
    RenderMarkup(canvas, m_hint.Text, args, out);
}
