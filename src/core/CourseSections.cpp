#include "core/CourseSections.h"

QString SectionCaption(int sectionId) {
    switch (sectionId) {
    case 5:
        return QStringLiteral("Учебный курс");
    case 7:
        return QStringLiteral("Вспомогательные ресурсы");
    case 8:
        return QStringLiteral("Понятийный аппарат");
    case 12:
        return QStringLiteral("Теоретические материалы");
    case 68:
        return QStringLiteral("Дополнительные материалы");
    case TasksSection:
        return QStringLiteral("Учебные задания");
    default:
        return QString();
    }
}
