#include "popups/ToolStrip.h"

#include "app/CommandImages.h"
#include "app/Roster.h"
#include "catalogue/Main.h"

#include <QAction>
#include <QMainWindow>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int ButtonWidth = 36;
constexpr int ButtonHeight = 35;
constexpr const char* CategoryProperty = "category";
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
        if (bar->toolButtonStyle() == Qt::ToolButtonIconOnly)
            button->setFixedSize(ButtonWidth, ButtonHeight);
        else
            button->setMinimumHeight(ButtonHeight);
    }
}

const TCommandImages* SharedCommandImages() {
    const TMainForm* catalogue = Roster().MainForm;
    return catalogue ? &catalogue->LargeImages() : nullptr;
}

void SetCommandImage(QAction* action, int imageIndex) {
    const TCommandImages* images = SharedCommandImages();
    if (images && imageIndex >= 0)
        action->setIcon(images->Icon(imageIndex));
    action->setProperty("imageIndex", imageIndex);
}

void SetCategory(QAction* action, const char* category) {
    action->setProperty(CategoryProperty, QString::fromLatin1(category));
}

QString Category(const QAction* action) {
    return action->property(CategoryProperty).toString();
}
