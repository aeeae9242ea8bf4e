#include "look/AccessibleParts.h"

#include <algorithm>

TAccessibleParts::~TAccessibleParts() {
    for (QAccessible::Id id : m_ids)
        if (id)
            QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* TAccessibleParts::Part(int index, int count) {
    if (index < 0 || index >= count)
        return nullptr;
    if (int(m_ids.size()) < count)
        m_ids.resize(size_t(count), 0);
    QAccessible::Id& id = m_ids[size_t(index)];
    if (!id)
        id = QAccessible::registerAccessibleInterface(m_make(index));
    return QAccessible::accessibleInterface(id);
}

int TAccessibleParts::IndexOf(const QAccessibleInterface* part, int count) const {
    for (size_t i = 0; part && i < std::min(m_ids.size(), size_t(std::max(0, count))); ++i)
        if (m_ids[i] && QAccessible::accessibleInterface(m_ids[i]) == part)
            return int(i);
    return -1;
}
