#pragma once

#include "collections/FavorRecord.h"

#include <QString>
#include <vector>

class TXMLDocument;

// The message of every failed collection load.
inline constexpr char16_t kFavorLoadError[] = u"Ошибка загрузки файла";

// Writes the records, in order, as a collection file: the UTF-8 declaration, the root `items`
// and one `item` per record with Course, Folder, ID and Caption in that order, nothing else.
// The file is replaced atomically, so a failed save leaves an earlier file whole. Raises
// TXmlError on failure.
void SaveFavorFile(TXMLDocument& doc, const std::vector<TFavor>& records, const QString& fileName);

struct TFavorLoadResult {
    enum TStatus {
        Missing,   // no file of that name: nothing to do, nothing to say
        NotParsed, // the file could not be read or parsed: the list stays as it was
        Stopped,   // an item lacked a number or held a non-integer: the records before it
        Loaded,
    };
    TStatus Status = Missing;
    std::vector<TFavor> Records; // what replaces the list (Stopped and Loaded)
    QString Detail;              // the reason of a failure, for tools; the user sees kFavorLoadError

    bool ReplacesList() const { return Status == Stopped || Status == Loaded; }
    bool Failed() const { return Status == NotParsed || Status == Stopped; }
};

// Reads a collection file. Every child node of the root is an item whatever its name;
// attributes may come in any order and with others beside them. Raises nothing.
TFavorLoadResult LoadFavorFile(TXMLDocument& doc, const QString& fileName);
