#pragma once

#include <QAccessible>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

// Parts a widget draws itself (the subject tabs, the header's sections) have no widget of their
// own; these give each one an accessible interface of its own for screen readers.

// One drawn part, number Index() of its widget: a leaf whose parent is the widget's interface.
class TAccessibleDrawnPart : public QAccessibleInterface {
public:
    TAccessibleDrawnPart(QWidget* owner, int index) : m_owner(owner), m_index(index) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_owner ? m_owner->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_owner); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QWidget* Owner() const { return m_owner; }
    int Index() const { return m_index; }

private:
    QPointer<QWidget> m_owner;
    int m_index;
};

// The interfaces of a widget's drawn parts, made as screen readers ask for them and kept, so
// that a part keeps its identity between questions; they go with the widget's own interface.
class TAccessibleParts final {
public:
    using TMake = std::function<QAccessibleInterface*(int index)>;

    explicit TAccessibleParts(TMake make) : m_make(std::move(make)) {}
    ~TAccessibleParts();
    TAccessibleParts(const TAccessibleParts&) = delete;
    TAccessibleParts& operator=(const TAccessibleParts&) = delete;

    // Part index of count, or nullptr outside them.
    QAccessibleInterface* Part(int index, int count);
    // The number of part among the first count, or -1 when it is not one of them.
    int IndexOf(const QAccessibleInterface* part, int count) const;

private:
    TMake m_make;
    std::vector<QAccessible::Id> m_ids;
};
