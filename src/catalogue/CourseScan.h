#pragma once

#include "app/XmlDocument.h"
#include "catalogue/CatalogueModel.h"

#include <QString>
#include <QStringList>

// The course descriptors of a library folder, as full paths: the "*.xml" entries directly in
// the folder that are ordinary files, leaving out sub-folders and hidden files (a name that
// starts with '.'). Sorted by file name, so that every file system gives the same catalogue.
// A folder that does not exist has none.
QStringList ListDescriptorFiles(const QString& folder);

// The descriptor scan: reads every descriptor of the folder and adds its course to the builder.
// A file that fails is skipped without a message; what was built before the failure stays.
class TCourseScan final {
public:
    explicit TCourseScan(TCatalogueBuilder& builder);

    void LoadCourses(const QString& folder);
    void ReadCourseInfo(const QString& fileName);

private:
    void Skip(const QString& fileName, const QString& reason);

    TCatalogueBuilder& m_builder;
    TXMLDocument InfoXML;
};
