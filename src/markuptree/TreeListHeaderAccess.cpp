// The tree list's header strip for screen readers: its sections are drawn by the strip itself,
// so each is told as a column header of its own, with its caption's plain text.

#include "look/AccessibleParts.h"
#include "markuptree/TreeListHeader.h"

#include <QAccessibleWidget>

namespace {

class TAccessibleHeaderSection final : public TAccessibleDrawnPart {
public:
    TAccessibleHeaderSection(TTLHeader* header, int index) : TAccessibleDrawnPart(header, index) {}

    TTLHeader* Header() const { return static_cast<TTLHeader*>(Owner()); }
    bool isValid() const override { return Header() && Index() < Header()->SectionCount(); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? StripMarkup(Header()->SectionCaption(Index()))
                                                   : QString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect cell(Header()->sectionViewportPosition(Index()), 0, Header()->sectionSize(Index()),
                         Header()->height());
        return QRect(Header()->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !isValid() || !Header()->isVisible();
        return state;
    }
};

class TAccessibleHeader final : public QAccessibleWidget {
public:
    explicit TAccessibleHeader(TTLHeader* header)
        : QAccessibleWidget(header, QAccessible::List),
          m_sections([header](int index) { return new TAccessibleHeaderSection(header, index); }) {}
    TTLHeader* Header() const { return static_cast<TTLHeader*>(widget()); }
    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty())
            text = QStringLiteral("Заголовки столбцов");
        return text;
    }
    int childCount() const override { return Header()->SectionCount(); }
    QAccessibleInterface* child(int index) const override { return m_sections.Part(index, childCount()); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return m_sections.IndexOf(child, childCount());
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

private:
    mutable TAccessibleParts m_sections;
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
