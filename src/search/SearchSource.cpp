#include "search/SearchSource.h"

#include "browser/FileAccess.h"
#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "core/CourseSections.h"
#include "core/DiscFiles.h"
#include "core/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <functional>
#include <iterator>
#include <unordered_set>

#include <dirent.h>

namespace {

// Names are joined with '/' and then looked up whatever their case: discs copied from Windows
// keep "TREE.XML" or "5\12.XML" as their authors typed them.
QString DiscPath(const QString& folder, const QString& name) {
    return FindDiscFile(folder + u'/' + name);
}

// The names in one section folder, read once: a library has tens of thousands of pages, and
// looking each one up by itself would cost a system call per page. The same rules as FindDiscFile:
// the name as written when it is there, else the first in code-point order of those that differ
// from it only in case.
class TFolderNames final {
public:
    explicit TFolderNames(const QString& folder) : m_folder(folder) {
        DIR* dir = ::opendir(QFile::encodeName(folder).constData());
        if (!dir)
            return;
        m_listed = true;
        while (const dirent* entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            if (name == QLatin1String(".") || name == QLatin1String(".."))
                continue;
            m_names.insert(name);
            const QString folded = name.toCaseFolded();
            const auto found = m_folded.find(folded);
            if (found == m_folded.end() || name < *found)
                m_folded.insert(folded, name);
        }
        ::closedir(dir);
    }

    // The path of the entry called name in any case; the path as written when there is none.
    QString Path(const QString& name) const {
        if (!m_listed)
            return DiscPath(m_folder, name);
        if (m_names.contains(name))
            return m_folder + u'/' + name;
        const auto found = m_folded.constFind(name.toCaseFolded());
        return m_folder + u'/' + (found != m_folded.constEnd() ? *found : name);
    }

private:
    QString m_folder;
    bool m_listed = false;
    QSet<QString> m_names;
    QHash<QString, QString> m_folded; // case-folded name -> the name on disk
};

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
void AddSectionItems(const TFileAccessRules& library, const TCourseRef& course, int section,
                     const QString& sectionFolder, std::vector<TSearchItem>& items) {
    const QString treePath = DiscPath(sectionFolder, QStringLiteral("tree.xml"));
    if (!library.AllowsPath(treePath))
        return;
    TXMLDocument doc;
    try {
        doc.LoadFromFile(treePath, TXmlFileKind::Tree);
    } catch (const TXmlError&) {
        return;
    }
    const TFolderNames pages(sectionFolder);
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
            item.PagePath = pages.Path(QString::number(item.ID) + QStringLiteral(".xml"));
            items.push_back(std::move(item));
            pending.push_back(node.NextSibling());
            node = node.FirstChild();
        }
    } catch (const TXmlError&) {
        // The items before the bad one stay, as in the viewer.
    }
}

// Folders and trees that are links out of the library are not walked, by the rule the browser
// confines pages with: what lies elsewhere on the machine is not the library's. Pages are
// confined where they are read.
void AddCourseItems(const QString& libraryFolder, const TCourseRef& course, std::vector<TSearchItem>& items) {
    if (course.Id < 0)
        return;
    const TFileAccessRules library({libraryFolder});
    const QString courseFolder = DiscPath(libraryFolder, QString::number(course.Id));
    if (!QFileInfo(courseFolder).isDir() || !library.AllowsPath(courseFolder))
        return;
    for (const int section : SectionProbeOrder) {
        const QString sectionFolder = DiscPath(courseFolder, QString::number(section));
        if (QFileInfo(sectionFolder).isDir() && library.AllowsPath(sectionFolder))
            AddSectionItems(library, course, section, sectionFolder, items);
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
    ListSearchItems(libraryFolder, [&items](std::vector<TSearchItem>&& courseItems) {
        items.insert(items.end(), std::make_move_iterator(courseItems.begin()),
                     std::make_move_iterator(courseItems.end()));
        return true;
    });
    return items;
}

void ListSearchItems(const QString& libraryFolder,
                     const std::function<bool(std::vector<TSearchItem>&&)>& courseItems) {
    const QString folder = AbsoluteFolder(libraryFolder);
    if (folder.isEmpty())
        return;
    for (const TCourseRef& course : LibraryCourses(folder)) {
        std::vector<TSearchItem> items;
        AddCourseItems(folder, course, items);
        if (!courseItems(std::move(items)))
            return;
    }
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
