#pragma once

#include <QHashFunctions>
#include <QString>

// One item of a collection, as the editor keeps it and a collection file stores it.
// (Course, Folder, ID) is the identity; Caption is carried along for display only.
struct TFavor {
    int Course = 0;
    int Folder = 0;
    QString Caption;
    int ID = 0;

    friend bool operator==(const TFavor&, const TFavor&) = default;
};

// The identity of an item: course number, section id and item id.
struct TFavorKey {
    int Course = 0;
    int Folder = 0;
    int ID = 0;

    friend bool operator==(const TFavorKey&, const TFavorKey&) = default;
};

inline TFavorKey KeyOf(const TFavor& favor) {
    return {favor.Course, favor.Folder, favor.ID};
}

inline size_t qHash(const TFavorKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.Course, key.Folder, key.ID);
}

// The cell separator of the editor's list: the caption fills the first column, the section
// caption the second.
inline constexpr char16_t kFavorSeparator[] = u"$$$$$$$";

// Caption + separator + section caption.
QString FavorRowText(const TFavor& favor);
