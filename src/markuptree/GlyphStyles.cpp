#include "markuptree/GlyphStyles.h"

#include "markuptree/MarkupTreeView.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace {

QColor C(TColor color) {
    return ToQColor(color);
}

// The classic tick: seven columns of three pixels, the lowest in the third column.
void ClassicTick(QPainter& p, int x, int y, const QColor& color) {
    static const int top[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int c = 0; c < 7; ++c)
        p.fillRect(x + c, y + top[c], 1, 3, color);
}

void HLine(QPainter& p, int x0, int x1, int y, const QColor& color) {
    p.fillRect(x0, y, x1 - x0 + 1, 1, color);
}

void VLine(QPainter& p, int x, int y0, int y1, const QColor& color) {
    p.fillRect(x, y0, 1, y1 - y0 + 1, color);
}

// A sunken (or flat) check box filling the square r, as the platform's frame control draws it.
void FrameCheck(QPainter& p, QRect r, bool checked, bool flat, bool enabled) {
    const QColor shadow = C(clBtnShadow);
    const QColor light = C(clBtnHighlight);
    const QColor face = enabled ? QColor(Qt::white) : C(clBtnFace);
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    if (flat) {
        p.fillRect(r, shadow);
        p.fillRect(r.adjusted(1, 1, -1, -1), face);
    } else {
        HLine(p, l, rr - 1, t, shadow);
        VLine(p, l, t, b - 1, shadow);
        HLine(p, l, rr, b, light);
        VLine(p, rr, t, b, light);
        HLine(p, l + 1, rr - 2, t + 1, C(SystemColor(21)));
        VLine(p, l + 1, t + 1, b - 2, C(SystemColor(21)));
        HLine(p, l + 1, rr - 1, b - 1, C(SystemColor(22)));
        VLine(p, rr - 1, t + 1, b - 1, C(SystemColor(22)));
        p.fillRect(r.adjusted(2, 2, -2, -2), face);
    }
    if (checked)
        ClassicTick(p, l + (r.width() - 7) / 2, t + (r.height() - 7) / 2, enabled ? Qt::black : shadow);
}

// A sunken (or flat) radio button in the square r: a ring shaded dark above left and light below
// right, a white face and a dot when on.
void FrameRadio(QPainter& p, QRect r, bool checked, bool flat, bool enabled) {
    const int n = r.width();
    const double radius = n / 2.0;
    const auto inside = [&](int x, int y, double rad) {
        const double dx = x + 0.5 - radius;
        const double dy = y + 0.5 - radius;
        return dx * dx + dy * dy <= rad * rad;
    };
    const QColor face = enabled ? QColor(Qt::white) : C(clBtnFace);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (!inside(x, y, radius))
                continue;
            const bool upperLeft = x + y < n - 1;
            QColor colour = face;
            if (!inside(x, y, radius - 1))
                colour = flat ? C(clBtnShadow) : (upperLeft ? C(clBtnShadow) : C(clBtnHighlight));
            else if (!inside(x, y, radius - 2) && !flat)
                colour = upperLeft ? C(SystemColor(21)) : C(SystemColor(22));
            p.fillRect(r.left() + x, r.top() + y, 1, 1, colour);
        }
    if (checked) {
        const QColor dot = enabled ? QColor(Qt::black) : C(clBtnShadow);
        const int c = r.left() + n / 2, m = r.top() + n / 2;
        p.fillRect(c - 2, m - 1, 4, 2, dot);
        p.fillRect(c - 1, m - 2, 2, 4, dot);
    }
}

QRect Centred(QRect box, int size) {
    return QRect(box.left() + (box.width() - size) / 2, box.top() + (box.height() - size) / 2, size, size);
}

void BevelCheck(QPainter& p, QRect box, bool checked, const TGlyphLook& look) {
    const int l = box.left(), t = box.top(), r = box.left() + box.width(), b = box.top() + box.height();
    p.fillRect(box, look.Enabled ? C(clBtnFace) : C(clBtnShadow));
    HLine(p, l, r - 1, t, C(clBtnHighlight));
    VLine(p, l, t, b - 1, C(clBtnHighlight));
    HLine(p, l, r - 1, b - 1, C(clBtnShadow));
    VLine(p, r - 1, t, b - 1, C(clBtnShadow));
    if (!checked)
        return;
    // Two adjacent one-pixel strokes: down from the middle, then up to the top right corner.
    QPen pen(C(look.ControlColor), 1);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pen);
    const int mid = t + box.height() / 2;
    for (int k = 0; k < 2; ++k) {
        const int x = l + 2 + k;
        p.drawLine(x, mid, x, b - 3);
        p.drawLine(x, b - 3, r - 3 + k, t + 2);
    }
    p.restore();
}

void BevelRadio(QPainter& p, QRect box, bool checked) {
    const QPoint o = box.topLeft();
    const QPoint left = o + QPoint(2, 8), top = o + QPoint(8, 2), right = o + QPoint(14, 8),
                 bottom = o + QPoint(8, 14);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(C(clBtnFace));
    p.drawPolygon(QPolygon({left, top, right, bottom}));
    const QColor white(Qt::white), grey(0x80, 0x80, 0x80);
    p.setPen(checked ? grey : white);
    p.drawLine(left, top);
    p.drawLine(left, bottom);
    p.setPen(checked ? white : grey);
    p.drawLine(top, right);
    p.drawLine(bottom, right);
    if (checked) {
        const QColor red(255, 0, 0);
        p.setPen(red);
        p.setBrush(red);
        p.drawPolygon(QPolygon({o + QPoint(6, 8), o + QPoint(8, 6), o + QPoint(10, 8), o + QPoint(8, 10)}));
    }
    p.restore();
}

void Picture(QPainter& p, QRect box, const QPixmap* pixmap) {
    if (pixmap && !pixmap->isNull())
        p.drawPixmap(box.topLeft(), *pixmap);
}

void Picture(QPainter& p, QRect box, const QPixmap& pixmap) {
    Picture(p, box, &pixmap);
}

void Themed(QPainter& p, QRect box, bool checked, bool radio, const TGlyphLook& look) {
    if (!look.Widget)
        return;
    QStyleOptionButton option;
    option.initFrom(look.Widget);
    option.rect = box;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= checked ? QStyle::State_On : QStyle::State_Off;
    if (look.Enabled)
        option.state |= QStyle::State_Enabled;
    else
        option.state &= ~QStyle::State_Enabled;
    look.Widget->style()->drawPrimitive(
        radio ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox, &option, &p, look.Widget);
}

} // namespace

QPixmap BuiltInGlyph(const char* name) {
    // The pixmap cache keeps the decoded pictures and lets them go with the application.
    const QString path = QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name));
    QPixmap pixmap;
    if (!QPixmapCache::find(path, &pixmap)) {
        pixmap.load(path);
        QPixmapCache::insert(path, pixmap);
    }
    return pixmap;
}

void DrawCheckGlyph(QPainter& painter, QRect box, bool checked, const TGlyphLook& look) {
    switch (look.Style) {
    case csClassic:
    case csFlat:
        FrameCheck(painter, Centred(box, 14), checked, look.Style == csFlat, look.Enabled);
        break;
    case csWinXP:
        Picture(painter, box, BuiltInGlyph(checked ? "TVCHK03" : "TVCHK04"));
        break;
    case csBevel:
        BevelCheck(painter, box, checked, look);
        break;
    case csBitmap:
        Picture(painter, box, BuiltInGlyph(checked ? "TVCHK01" : "TVCHK02"));
        break;
    case csGlyph:
        Picture(painter, box, checked ? look.GlyphChecked : look.GlyphUnChecked);
        break;
    case csTheme:
        Themed(painter, box, checked, false, look);
        break;
    }
}

void DrawRadioGlyph(QPainter& painter, QRect box, bool checked, const TGlyphLook& look) {
    switch (look.Style) {
    case csClassic:
    case csFlat:
        FrameRadio(painter, Centred(box, 12), checked, look.Style == csFlat, look.Enabled);
        break;
    case csWinXP:
        Picture(painter, box, BuiltInGlyph(checked ? "TVRAD03" : "TVRAD04"));
        break;
    case csBevel:
        BevelRadio(painter, box, checked);
        break;
    case csBitmap:
        Picture(painter, box, BuiltInGlyph(checked ? "TVRAD01" : "TVRAD02"));
        break;
    case csGlyph:
        Picture(painter, box, checked ? look.GlyphChecked : look.GlyphUnChecked);
        break;
    case csTheme:
        Themed(painter, box, checked, true, look);
        break;
    }
}
