#pragma once

// Set-up shared by the markup tree list tests: the collection editor's configuration of its list,
// rows built from texts, and pointer events sent straight to a widget.

#include "app/Fonts.h"
#include "markuptree/MarkupTreeList.h"

#include <QApplication>
#include <QMouseEvent>

inline const QString kFavorSeparator = QStringLiteral("$$$$$$$");

inline void ConfigureLikeFavorTree(TMarkupTreeList& list) {
    list.SetReadOnly(true);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.SetRightClickSelect(true);
    list.SetDragMode(TMarkupTreeList::dmAutomatic);
    list.SetToolTips(false);
    list.SetIndent(19);
    list.SetItemHeight(16);
    list.SetColor(0x00E4FFFF); // RGB(255, 255, 228)
    list.SetColumnLines(true);
    list.SetAnchorHint(false);
    list.SetSeparator(kFavorSeparator);
    list.Columns().Add(QStringLiteral("Элемент"), 400);
    list.Columns().Add(QStringLiteral("Раздел"), 50);
    list.HeaderSettings().SetHeight(18);
    list.HeaderSettings().SetAllowResize(true);
    list.HeaderSettings().SetFlat(false);
    list.HeaderSettings().SetColor(clBtnFace);
    list.SetSelectionColor(clHighlight);
    list.SetSelectionFontColor(clHighlightText);
    list.SetURLColor(clBlue);
}

inline QTreeWidgetItem* AddRow(TMarkupTreeList& list, const QString& text) {
    auto* row = new QTreeWidgetItem(QStringList{text});
    list.addTopLevelItem(row);
    return row;
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), target->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

inline void MoveTo(QWidget* target, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton) {
    SendMouse(target, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}
