#include "look/Accessibility.h"

#include "look/PageControl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <vector>

namespace {

constexpr const char* kExposedAsWindow = "cpAccessibleWindow";

// One subject tab: drawn by the page control, so it has no widget of its own.
class TAccessiblePageTab final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TAccessiblePageTab(TPageControl* control, int index) : m_control(control), m_index(index) {}

    bool isValid() const override { return m_control && m_index < m_control->Count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_control ? m_control->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_control); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? m_control->Caption(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect tab = m_control->TabRect(m_index);
        return QRect(m_control->mapToGlobal(tab.topLeft()), tab.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        const bool current = m_control->CurrentIndex() == m_index;
        state.selectable = true;
        state.focusable = true;
        state.selected = current;
        state.focused = current && m_control->hasFocus();
        state.invisible = !m_control->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid())
            m_control->PickByAssistant(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TPageControl> m_control;
    int m_index;
};

// The subject tab strip: a page tab list of the tabs it draws, with the shown page after them.
class TAccessiblePageControl final : public QAccessibleWidget {
public:
    explicit TAccessiblePageControl(TPageControl* control)
        : QAccessibleWidget(control, QAccessible::PageTabList) {}
    ~TAccessiblePageControl() override {
        for (QAccessible::Id id : m_tabs)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

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
        if (index == count)
            return QAccessible::queryAccessibleInterface(Control()->Stack());
        if (index < 0 || index > count)
            return nullptr;
        if (int(m_tabs.size()) < count)
            m_tabs.resize(size_t(count), 0);
        QAccessible::Id& id = m_tabs[size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new TAccessiblePageTab(Control(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        return Control()->hasFocus() ? child(Control()->CurrentIndex()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int tab = Control()->TabAt(Control()->mapFromGlobal(QPoint(x, y)));
        return tab >= 0 ? child(tab) : QAccessibleWidget::childAt(x, y);
    }

private:
    mutable std::vector<QAccessible::Id> m_tabs; // made as screen readers ask for them
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
