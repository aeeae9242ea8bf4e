#pragma once

// Shared set-up of the markup tree view tests: the viewer's LeftTree configuration, nodes built
// from captions, and pointer events sent straight to the viewport.

#include "app/Fonts.h"
#include "markuptree/MarkupTreeView.h"

#include <QApplication>
#include <QMouseEvent>
#include <memory>

inline void ConfigureLikeLeftTree(TMarkupTreeView& tree) {
    RegisterOriginalFonts();
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    tree.setFont(font);
    tree.SetItemHeight(18);
    tree.SetColor(0x00E4FEFF);
    tree.setIndentation(19);
    tree.setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree.SetRightClickSelect(true);
}

inline QTreeWidgetItem* AddNode(TMarkupTreeView& tree, QTreeWidgetItem* parent, int id, const QString& text,
                                int imageIndex = 0) {
    auto content = std::make_unique<TContent>();
    content->id = id;
    content->text = text;
    QTreeWidgetItem* node = TMarkupTreeView::NewContentNode(std::move(content));
    TMarkupTreeView::SetImageIndex(node, imageIndex);
    if (parent)
        parent->addChild(node);
    else
        tree.addTopLevelItem(node);
    return node;
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

inline void Click(QWidget* target, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendMouse(target, QEvent::MouseButtonPress, pos, button, modifiers);
    SendMouse(target, QEvent::MouseButtonRelease, pos, button, modifiers);
}
