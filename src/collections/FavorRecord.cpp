#include "collections/FavorRecord.h"

QString FavorSectionName(int Folder) {
    switch (Folder) {
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
    case 2010:
        return QStringLiteral("Учебные задания");
    default:
        return {};
    }
}

QString FavorRowText(const TFavor& favor) {
    return favor.Caption + QString::fromUtf16(kFavorSeparator) + FavorSectionName(favor.Folder);
}
