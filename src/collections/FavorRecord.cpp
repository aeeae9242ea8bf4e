#include "collections/FavorRecord.h"

#include "core/CourseSections.h"

QString FavorRowText(const TFavor& favor) {
    return favor.Caption + QString::fromUtf16(kFavorSeparator) + SectionCaption(favor.Folder);
}
