#include "publish/SiteCourse.h"

#include "core/XmlDocument.h"
#include "markuptree/MarkupTreeView.h"
#include "viewer/CourseLayout.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The nodes of the loaded tree, without recursion: outlines can be as deep as the parser allows.
void TakeItems(const QString& courseDir, int sectionId, QTreeWidgetItem* parent, const TMarkupTreeView& tree,
               std::vector<TSiteItem>& out) {
    struct TLevel {
        QTreeWidgetItem* Parent;
        std::vector<TSiteItem>* Out;
    };
    std::vector<TLevel> stack{{parent, &out}};
    while (!stack.empty()) {
        const TLevel level = stack.back();
        stack.pop_back();
        const int count = level.Parent ? level.Parent->childCount() : tree.topLevelItemCount();
        level.Out->reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* node = level.Parent ? level.Parent->child(i) : tree.topLevelItem(i);
            const TContent* content = TMarkupTreeView::NodeContent(node);
            TSiteItem item;
            item.Id = content ? content->id : 0;
            item.Caption = content ? content->text : node->text(0);
            const QString page = ItemPagePath(courseDir, sectionId, item.Id);
            if (QFileInfo(page).isFile())
                item.Page = QDir(courseDir).relativeFilePath(page);
            level.Out->push_back(std::move(item));
        }
        // Children after the whole level is in place: the vector no longer moves.
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* node = level.Parent ? level.Parent->child(i) : tree.topLevelItem(i);
            if (node->childCount() > 0)
                stack.push_back({node, &(*level.Out)[size_t(i)].Children});
        }
    }
}

} // namespace

TSiteCourse ReadSiteCourse(const QString& courseDir) {
    TSiteCourse course;
    TXMLDocument doc;
    QString lastFailure;
    const auto available = ProbeSections(doc, courseDir, &lastFailure);
    for (size_t i = 0; i < SectionProbeOrder.size(); ++i) {
        const int id = SectionProbeOrder[i];
        if (!available[i] || SectionCaption(id).isEmpty()) // section 30 has no menu entry
            continue;
        TSiteSection section;
        section.Id = id;
        section.Caption = SectionCaption(id);
        TMarkupTreeView tree;
        TXMLDocument treeDoc;
        try {
            tree.LoadTreeFromXML(treeDoc, TreeDocumentPath(courseDir, id));
        } catch (const std::exception&) {
            // What loaded before the failure stays, as in the viewer.
        }
        TakeItems(courseDir, id, nullptr, tree, section.Items);
        course.Sections.push_back(std::move(section));
    }
    if (course.Sections.empty())
        course.Problem = NoSectionReason(courseDir, lastFailure);
    return course;
}
