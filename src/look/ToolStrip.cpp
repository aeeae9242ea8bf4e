#include "look/ToolStrip.h"

#include "look/CommandImages.h"

#include <QAction>
#include <QMainWindow>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int ButtonWidth = 36;
constexpr int ButtonHeight = 35;
constexpr const char* CategoryProperty = "category";
constexpr const char* ImageIndexProperty = "imageIndex";

void SizeButton(const QToolBar* bar, QWidget* button) {
    if (bar->toolButtonStyle() == Qt::ToolButtonIconOnly)
        button->setFixedSize(ButtonWidth, ButtonHeight);
    else
        button->setMinimumHeight(ButtonHeight);
}
} // namespace

QToolBar* AddToolStrip(QMainWindow* window, const QString& objectName, bool withImages) {
    auto* bar = new QToolBar(window);
    bar->setObjectName(objectName);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setIconSize(QSize(TCommandImages::Size, TCommandImages::Size));
    bar->setToolButtonStyle(withImages ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
    window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

void AddToolButton(QToolBar* bar, QAction* action) {
    bar->addAction(action);
    if (QWidget* button = bar->widgetForAction(action)) {
        button->setObjectName(action->objectName() + QStringLiteral("Button"));
        SizeButton(bar, button);
    }
}

QAction* AddOwnToolButton(QToolBar* bar, QAction* action, const QString& objectName) {
    auto* button = new QToolButton(bar);
    button->setObjectName(objectName);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(bar->iconSize());
    button->setToolButtonStyle(bar->toolButtonStyle());
    button->setFocusPolicy(Qt::NoFocus);
    SizeButton(bar, button);
    return bar->addWidget(button);
}

void SetCommandImage(QAction* action, int imageIndex) {
    action->setProperty(ImageIndexProperty, imageIndex);
}

void ShowCommandImages(const QObject* window, const TCommandImages* images) {
    if (!images)
        return;
    for (QAction* action : window->findChildren<QAction*>()) {
        const QVariant index = action->property(ImageIndexProperty);
        if (index.isValid() && index.toInt() >= 0)
            action->setIcon(images->Icon(index.toInt()));
    }
}

QAction* NewToolAction(QObject* owner, const char* name, const QString& caption, int imageIndex) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(caption);
    action->setStatusTip(caption);
    SetCommandImage(action, imageIndex);
    return action;
}

void SetCategory(QAction* action, const char* category) {
    action->setProperty(CategoryProperty, QString::fromLatin1(category));
}

QString Category(const QAction* action) {
    return action->property(CategoryProperty).toString();
}
