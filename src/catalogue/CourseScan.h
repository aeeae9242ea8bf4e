#pragma once

#include "catalogue/CatalogueModel.h"
#include "core/XmlDocument.h"

#include <QString>
#include <QStringList>
#include <vector>

// The course descriptors of a library folder, as full paths: the "*.xml" entries directly in
// the folder that are ordinary files, leaving out sub-folders and hidden files (a name that
// starts with '.'). Sorted by file name, so that every file system gives the same catalogue.
// A folder that does not exist has none.
QStringList ListDescriptorFiles(const QString& folder);

// A descriptor as the scan finds it. A name from an old disc may be in another encoding than
// the system's (windows-1251 bytes on a UTF-8 system); such a name does not survive a QString,
// so the file is opened by the bytes the folder listing gave.
struct TDescriptorFile {
    QString FileName;      // full path, readable (bytes that are not UTF-8 show as U+FFFD)
    QByteArray NativePath; // full path, as the file system holds it
};

// The same list as ListDescriptorFiles, each file with the bytes that name it.
std::vector<TDescriptorFile> ListDescriptors(const QString& folder);

// The descriptor scan: reads every descriptor of the folder and adds its course to the builder.
// A file that fails is skipped without a message; what was built before the failure stays.
class TCourseScan final {
public:
    explicit TCourseScan(TCatalogueBuilder& builder);

    void LoadCourses(const QString& folder);
    void ReadCourseInfo(const QString& fileName);
    void ReadCourseInfo(const TDescriptorFile& file);

private:
    void Skip(const QString& fileName, const QString& reason);

    TCatalogueBuilder& m_builder;
    TXMLDocument InfoXML;
};
