#include "look/Theme.h"

#include "look/CommandImages.h"
#include "look/CourseStyle.h"
#include "look/RussianTexts.h"

#include <QApplication>
#include <QPalette>
#include <QToolTip>

QFont Theme::DefaultFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

namespace {

QPalette ThemePalette() {
    QPalette p;
    p.setColor(QPalette::Window, QColor(0xf3, 0xf7, 0xfc));
    p.setColor(QPalette::WindowText, Theme::Ink);
    p.setColor(QPalette::Base, Theme::Paper);
    p.setColor(QPalette::AlternateBase, Theme::Mist);
    p.setColor(QPalette::Text, Theme::Ink);
    p.setColor(QPalette::Button, Theme::Mist);
    p.setColor(QPalette::ButtonText, Theme::Ink);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xb5));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, Theme::Deep);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xfb, 0xe8));
    p.setColor(QPalette::ToolTipText, Theme::Ink);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xdc, 0xe8, 0xf5));
    p.setColor(QPalette::Mid, QColor(0xa9, 0xc0, 0xdb));
    p.setColor(QPalette::Dark, QColor(0x6f, 0x8c, 0xb0));
    p.setColor(QPalette::Shadow, QColor(0x2a, 0x3a, 0x50));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, Theme::Disabled);
    return p;
}

} // namespace

void ApplyTheme(QApplication& app) {
    UseRussianTexts(app);
    app.setStyle(new TCourseStyle);
    const QPalette palette = ThemePalette();
    app.setPalette(palette);
    QToolTip::setPalette(palette);
    app.setFont(Theme::DefaultFont());
    // Every window takes the program's icon unless it sets one of its own; none does.
    app.setWindowIcon(TCommandImages::ApplicationIcon());
}
