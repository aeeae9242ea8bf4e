#include "search/SearchSource.h"

#include "app/CourseSections.h"
#include "app/DiscFiles.h"
#include "app/XmlDocument.h"
#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"

#include <QDir>
#include <QFileInfo>
#include <unordered_set>

namespace {

// Names are joined with '/' and then looked up whatever their case: discs copied from Windows
// keep "TREE.XML" or "5\12.XML" as their authors typed them.
QString DiscPath(const QString& folder, const QString& name) {
    return FindDiscFile(folder + u'/' + name);
}

struct TCourseRef {
    int Id = 0;
    QString Name;
};

// The courses the catalogue shows, in its order (pages, then buttons), each number once: the
// same number in two groups opens the same folder, and its items must not be found twice.
std::vector<TCourseRef> LibraryCourses(const QString& libraryFolder) {
    TCatalogueModel model;
    TCourseScan scan(model);
    scan.LoadCourses(libraryFolder);
    std::vector<TCourseRef> courses;
    std::unordered_set<int> seen;
    for (const TCataloguePage& page : model.Pages())
        for (const TCatalogueCourse& course : page.Courses)
            if (seen.insert(course.Id).second)
                courses.push_back(TCourseRef{course.Id, course.Name});
    return courses;
}

// The items of one section's tree in document order, as the viewer's tree shows them: an item
// whose id is missing or not a number ends the section there, since the viewer loads no item
// after it either. A tree that does not parse gives none.
void AddSectionItems(const TCourseRef& course, int section, const QString& sectionFolder,
                     std::vector<TSearchItem>& items) {
    TXMLDocument doc;
    try {
        doc.LoadFromFile(DiscPath(sectionFolder, QStringLiteral("tree.xml")), TXmlFileKind::Tree);
    } catch (const TXmlError&) {
        return;
    }
    // An explicit stack: an outline as deep as the parser accepts never runs the call stack dry.
    std::vector<TXMLNode> pending;
    TXMLNode node = doc.DocumentElement().FirstChild();
    try {
        for (;;) {
            if (!node) {
                if (pending.empty())
                    break;
                node = pending.back();
                pending.pop_back();
                continue;
            }
            TSearchItem item;
            item.Course = course.Id;
            item.CourseName = course.Name;
            item.Section = section;
            item.ID = node.AttributeInt(QStringLiteral("id"));
            item.Caption = node.AttributeText(QStringLiteral("text"));
            item.PagePath = DiscPath(sectionFolder, QString::number(item.ID) + QStringLiteral(".xml"));
            items.push_back(std::move(item));
            pending.push_back(node.NextSibling());
            node = node.FirstChild();
        }
    } catch (const TXmlError&) {
        // The items before the bad one stay, as in the viewer.
    }
}

void AddCourseItems(const QString& libraryFolder, const TCourseRef& course, std::vector<TSearchItem>& items) {
    if (course.Id < 0)
        return;
    const QString courseFolder = DiscPath(libraryFolder, QString::number(course.Id));
    if (!QFileInfo(courseFolder).isDir())
        return;
    for (const int section : SectionProbeOrder) {
        const QString sectionFolder = DiscPath(courseFolder, QString::number(section));
        if (QFileInfo(sectionFolder).isDir())
            AddSectionItems(course, section, sectionFolder, items);
    }
}

QString AbsoluteFolder(const QString& libraryFolder) {
    if (libraryFolder.isEmpty())
        return {};
    QString folder = QDir::cleanPath(QDir(libraryFolder).absolutePath());
    if (folder.endsWith(u'/') && folder.size() > 1)
        folder.chop(1);
    return folder;
}

} // namespace

std::vector<TSearchItem> ListSearchItems(const QString& libraryFolder) {
    std::vector<TSearchItem> items;
    const QString folder = AbsoluteFolder(libraryFolder);
    if (folder.isEmpty())
        return items;
    for (const TCourseRef& course : LibraryCourses(folder))
        AddCourseItems(folder, course, items);
    return items;
}

std::vector<TSearchItem> ListCourseItems(const QString& libraryFolder, int course) {
    std::vector<TSearchItem> items;
    const QString folder = AbsoluteFolder(libraryFolder);
    if (folder.isEmpty() || course < 0)
        return items;
    TCourseRef ref{course, QString()};
    for (const TCourseRef& known : LibraryCourses(folder)) {
        if (known.Id == course) {
            ref = known;
            break;
        }
    }
    AddCourseItems(folder, ref, items);
    return items;
}
