#include "look/Accessibility.h"

#include "look/AccessibleParts.h"
#include "look/PageControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr const char* kExposedAsWindow = "cpAccessibleWindow";

// One subject tab: drawn by the page control, so it has no widget of its own.
class TAccessiblePageTab final : public TAccessibleDrawnPart, public QAccessibleActionInterface {
public:
    TAccessiblePageTab(TPageControl* control, int index) : TAccessibleDrawnPart(control, index) {}

    TPageControl* Control() const { return static_cast<TPageControl*>(Owner()); }
    bool isValid() const override { return Control() && Index() < Control()->Count(); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? Control()->Caption(Index()) : QString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect tab = Control()->TabRect(Index());
        return QRect(Control()->mapToGlobal(tab.topLeft()), tab.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        const bool current = Control()->CurrentIndex() == Index();
        state.selectable = true;
        state.focusable = true;
        state.selected = current;
        state.focused = current && Control()->hasFocus();
        state.invisible = !Control()->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid())
            Control()->PickByAssistant(Index());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// The subject tab strip: a page tab list of the tabs it draws, with the shown page after them.
class TAccessiblePageControl final : public QAccessibleWidget {
public:
    explicit TAccessiblePageControl(TPageControl* control)
        : QAccessibleWidget(control, QAccessible::PageTabList),
          m_tabs([control](int index) { return new TAccessiblePageTab(control, index); }) {}

    TPageControl* Control() const { return static_cast<TPageControl*>(widget()); }

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = QStringLiteral("Предметы");
        return text;
    }
    int childCount() const override { return Control()->Count() + 1; }
    QAccessibleInterface* child(int index) const override {
        const int count = Control()->Count();
        return index == count ? QAccessible::queryAccessibleInterface(Control()->Stack())
                              : m_tabs.Part(index, count);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const int count = Control()->Count();
        if (child && child == QAccessible::queryAccessibleInterface(Control()->Stack()))
            return count;
        return m_tabs.IndexOf(child, count);
    }
    QAccessibleInterface* focusChild() const override {
        return Control()->hasFocus() ? child(Control()->CurrentIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int tab = Control()->TabAt(Control()->mapFromGlobal(QPoint(x, y)));
        return tab >= 0 ? child(tab) : QAccessibleWidget::childAt(x, y);
    }

private:
    mutable TAccessibleParts m_tabs;
};

QAccessibleInterface* LookFactory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    if (auto* control = qobject_cast<TPageControl*>(object))
        return new TAccessiblePageControl(control);
    if (widget->property(kExposedAsWindow).toBool())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void InstallLookAccessibility() {
    static const bool installed = (QAccessible::installFactory(&LookFactory), true);
    Q_UNUSED(installed);
}

void ExposeAsWindow(QWidget* window) {
    InstallLookAccessibility();
    window->setProperty(kExposedAsWindow, true);
}

void NameEditButton(QLineEdit* edit, const QAction* action, const QString& name) {
    if (!action)
        action = edit->findChild<QAction*>(QStringLiteral("_q_qlineeditclearaction"));
    for (QToolButton* button : edit->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        if (action && button->defaultAction() == action)
            button->setAccessibleName(name);
}

void TellTabChanged(TPageControl* control, int index) {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(control);
    QAccessibleInterface* tab = strip ? strip->child(index) : nullptr;
    if (!tab)
        return;
    QAccessibleEvent selection(tab, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (control->hasFocus()) {
        QAccessibleEvent focus(tab, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}
