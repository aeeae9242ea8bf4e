// The tree list's header strip for screen readers: its sections are drawn by the strip itself,
// so each is told as a column header of its own, with its caption's plain text.

#include "markuptree/TreeListHeader.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

namespace {

class TAccessibleHeaderSection final : public QAccessibleInterface {
public:
    TAccessibleHeaderSection(TTLHeader* header, int index) : m_header(header), m_index(index) {}

    bool isValid() const override { return m_header && m_index < m_header->SectionCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_header ? m_header->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_header); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? StripMarkup(m_header->SectionCaption(m_index))
                                                   : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect cell(m_header->sectionViewportPosition(m_index), 0, m_header->sectionSize(m_index),
                         m_header->height());
        return QRect(m_header->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !isValid() || !m_header->isVisible();
        return state;
    }

private:
    QPointer<TTLHeader> m_header;
    int m_index;
};

class TAccessibleHeader final : public QAccessibleWidget {
public:
    explicit TAccessibleHeader(TTLHeader* header) : QAccessibleWidget(header, QAccessible::List) {}
    ~TAccessibleHeader() override {
        for (QAccessible::Id id : m_sections)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }
    TTLHeader* Header() const { return static_cast<TTLHeader*>(widget()); }
    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = QStringLiteral("Заголовки столбцов");
        return text;
    }
    int childCount() const override { return Header()->SectionCount(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount())
            return nullptr;
        if (int(m_sections.size()) < childCount())
            m_sections.resize(size_t(childCount()), 0);
        QAccessible::Id& id = m_sections[size_t(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new TAccessibleHeaderSection(Header(), index));
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

private:
    mutable std::vector<QAccessible::Id> m_sections; // made as screen readers ask for them
};

QAccessibleInterface* HeaderFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("TTLHeader"))
        return nullptr;
    auto* header = qobject_cast<TTLHeader*>(object);
    return header ? new TAccessibleHeader(header) : nullptr;
}

} // namespace

void InstallHeaderAccessibility() {
    static const bool installed = (QAccessible::installFactory(&HeaderFactory), true);
    Q_UNUSED(installed);
}
