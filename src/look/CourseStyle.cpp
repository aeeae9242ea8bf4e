#include "look/CourseStyle.h"

#include "look/RussianTexts.h"
#include "look/Theme.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>

TCourseStyle::TCourseStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
}

void TCourseStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    // The glow follows the pointer, so these controls need hover events.
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QTabBar*>(widget) ||
        qobject_cast<QComboBox*>(widget))
        widget->setAttribute(Qt::WA_Hover, true);
    WriteFileColumnsInRussian(widget);
}

void TCourseStyle::unpolish(QWidget* widget) {
    QProxyStyle::unpolish(widget);
}

void PaintButtonFace(QPainter& painter, const QRectF& rect, qreal radius, bool hot, bool down, bool enabled,
                     bool checked) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF body = rect.adjusted(2, 2, -2, -2);
    if (hot && enabled) {
        // The glow: a few widening translucent rings round the face.
        for (int i = 2; i >= 1; --i) {
            QColor halo = Theme::Glow;
            halo.setAlpha(i == 2 ? 60 : 120);
            painter.setPen(Qt::NoPen);
            painter.setBrush(halo);
            painter.drawRoundedRect(body.adjusted(-i, -i, i, i), radius + i, radius + i);
        }
    }
    QLinearGradient face(body.topLeft(), body.bottomLeft());
    if (!enabled) {
        face.setColorAt(0, QColor(0xf4, 0xf6, 0xf9));
        face.setColorAt(1, QColor(0xe4, 0xe8, 0xee));
    } else if (down) {
        face.setColorAt(0, QColor(0xff, 0xd9, 0x94));
        face.setColorAt(1, QColor(0xff, 0xf0, 0xd2));
    } else if (hot) {
        face.setColorAt(0, Qt::white);
        face.setColorAt(0.5, Theme::GlowLight);
        face.setColorAt(1, QColor(0xff, 0xdd, 0x9c));
    } else if (checked) {
        face.setColorAt(0, QColor(0xd2, 0xe4, 0xf8));
        face.setColorAt(1, QColor(0xb6, 0xd2, 0xf1));
    } else {
        face.setColorAt(0, Qt::white);
        face.setColorAt(0.5, Theme::Mist);
        face.setColorAt(1, QColor(0xd3, 0xe3, 0xf5));
    }
    QColor border = !enabled ? QColor(0xc3, 0xcc, 0xd8) : hot || down ? QColor(0xe0, 0x8a, 0x10) : Theme::Sky;
    painter.setPen(QPen(border, 1));
    painter.setBrush(face);
    painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    // A thin light line inside the top edge gives the face its slight relief.
    if (enabled && !down) {
        painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);
    }
    painter.restore();
}

void PaintFocusRing(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    // Inside the face's border, clear of the glow round it.
    painter.setPen(QPen(Theme::Deep, 1.5, Qt::DashLine));
    painter.drawRoundedRect(rect.adjusted(4.5, 4.5, -4.5, -4.5), 3, 3);
    painter.restore();
}

void TCourseStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    const bool enabled = option->state & State_Enabled;
    const bool hot = option->state & State_MouseOver;
    const bool down = option->state & (State_Sunken);
    switch (element) {
    case PE_PanelButtonCommand:
        PaintButtonFace(*painter, option->rect, 4, hot, down, enabled, option->state & State_On);
        // Focus that came from the keyboard is marked, so Tab can be followed by eye.
        if ((option->state & State_HasFocus) && (option->state & State_KeyboardFocusChange))
            PaintFocusRing(*painter, option->rect);
        return;
    case PE_PanelButtonTool: {
        // Flat tool buttons show a face only under the pointer, pressed or checked.
        const bool on = option->state & State_On;
        if (hot || down || on || !(option->state & State_AutoRaise))
            PaintButtonFace(*painter, option->rect, 4, hot, down, enabled, on);
        return;
    }
    case PE_FrameFocusRect:
        // After a mouse click the glow and the pressed face already say where the user is, and
        // a focus frame would only add noise; after Tab the face itself is marked (below).
        if (qobject_cast<const QAbstractButton*>(widget))
            return;
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

namespace {

// Tool bars and the menu bar share one soft band, so a window's top reads as one piece.
void PaintBand(QPainter& painter, const QRect& rect, bool bottomLine) {
    QLinearGradient band(rect.topLeft(), rect.bottomLeft());
    band.setColorAt(0, Qt::white);
    band.setColorAt(1, QColor(0xe4, 0xee, 0xf9));
    painter.fillRect(rect, band);
    if (bottomLine) {
        painter.setPen(QColor(0xb9, 0xcf, 0xe8));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    }
}

} // namespace

void TCourseStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    switch (element) {
    case CE_ToolBar:
        PaintBand(*painter, option->rect, true);
        return;
    case CE_MenuBarEmptyArea:
        PaintBand(*painter, option->rect, false);
        return;
    case CE_MenuBarItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            PaintBand(*painter, item->rect, false);
            const bool active = (item->state & State_Selected) && (item->state & State_Enabled);
            if (active)
                PaintButtonFace(*painter, item->rect, 3, true, item->state & State_Sunken, true);
            painter->save();
            painter->setPen(item->state & State_Enabled ? Theme::Ink : Theme::Disabled);
            const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::TextSingleLine;
            painter->drawText(item->rect, flags, item->text);
            painter->restore();
            return;
        }
        break;
    default:
        break;
    }
    if (element == CE_TabBarTabShape) {
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option)) {
            const bool selected = tab->state & State_Selected;
            const bool hot = tab->state & State_MouseOver;
            QRectF r = tab->rect;
            if (!selected)
                r.adjust(0, 2, 0, 0);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            QPainterPath path;
            const qreal radius = 5;
            path.moveTo(r.left() + 0.5, r.bottom() + 1);
            path.lineTo(r.left() + 0.5, r.top() + radius);
            path.quadTo(r.left() + 0.5, r.top() + 0.5, r.left() + radius, r.top() + 0.5);
            path.lineTo(r.right() - radius, r.top() + 0.5);
            path.quadTo(r.right() - 0.5, r.top() + 0.5, r.right() - 0.5, r.top() + radius);
            path.lineTo(r.right() - 0.5, r.bottom() + 1);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            if (selected) {
                g.setColorAt(0, Qt::white);
                g.setColorAt(1, Qt::white);
            } else if (hot) {
                g.setColorAt(0, Qt::white);
                g.setColorAt(1, Theme::GlowLight);
            } else {
                g.setColorAt(0, Qt::white);
                g.setColorAt(1, QColor(0xd6, 0xe5, 0xf6));
            }
            painter->setBrush(g);
            painter->setPen(QPen(hot && !selected ? QColor(0xe0, 0x8a, 0x10) : Theme::Sky, 1));
            painter->drawPath(path);
            painter->restore();
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

int TCourseStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_ToolBarIconSize:
        return 28;
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
        return 1;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QString StandardIconFile(QStyle::StandardPixmap icon) {
    const char* name = nullptr;
    switch (icon) {
    case QStyle::SP_MessageBoxInformation:
        name = "dialog_information";
        break;
    case QStyle::SP_MessageBoxWarning:
        name = "dialog_warning";
        break;
    case QStyle::SP_MessageBoxCritical:
        name = "dialog_error";
        break;
    case QStyle::SP_MessageBoxQuestion:
        name = "dialog_question";
        break;
    case QStyle::SP_ArrowBack:
        name = "back";
        break;
    case QStyle::SP_ArrowForward:
        name = "forward";
        break;
    case QStyle::SP_FileDialogToParent:
        name = "up";
        break;
    case QStyle::SP_FileDialogNewFolder:
        name = "new_folder";
        break;
    case QStyle::SP_FileDialogListView:
        name = "list_view";
        break;
    case QStyle::SP_FileDialogDetailedView:
        name = "detail_view";
        break;
    case QStyle::SP_DirIcon:
    case QStyle::SP_DirClosedIcon:
    case QStyle::SP_DirOpenIcon:
        name = "folder";
        break;
    case QStyle::SP_FileIcon:
        name = "file";
        break;
    default:
        return {};
    }
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}

QIcon TCourseStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    const QString file = StandardIconFile(icon);
    return file.isEmpty() ? QProxyStyle::standardIcon(icon, option, widget) : QIcon(file);
}
