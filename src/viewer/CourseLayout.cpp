#include "viewer/CourseLayout.h"

#include "app/XmlDocument.h"

#include <QFileInfo>

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

QString CourseFolder(const QString& libraryFolder, int courseNumber) {
    return libraryFolder + QString::number(courseNumber) + u'/';
}

QString TreeDocumentPath(const QString& courseDir, int sectionId) {
    return courseDir + QString::number(sectionId) + QStringLiteral("/tree.xml");
}

QString ItemPagePath(const QString& courseDir, int sectionId, int itemId) {
    return courseDir + QString::number(sectionId) + u'/' + QString::number(itemId) + QStringLiteral(".xml");
}

bool IsSectionAvailable(TXMLDocument& doc, const QString& courseDir, int sectionId) {
    const QString path = TreeDocumentPath(courseDir, sectionId);
    if (!QFileInfo(path).isFile())
        return false;
    // A probe: whatever goes wrong only means the section is not offered.
    try {
        doc.SetActive(false);
        doc.LoadFromFile(path);
        const int count = doc.DocumentElement().ChildCount();
        doc.SetActive(false);
        return count > 0;
    } catch (...) {
        doc.SetActive(false);
        return false;
    }
}

std::array<bool, SectionProbeOrder.size()> ProbeSections(TXMLDocument& doc, const QString& courseDir) {
    std::array<bool, SectionProbeOrder.size()> available{};
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i)
        available[i] = IsSectionAvailable(doc, courseDir, SectionProbeOrder[i]);
    return available;
}

int StartSection(const std::array<bool, SectionProbeOrder.size()>& available) {
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i)
        if (available[i])
            return SectionProbeOrder[i];
    return 0;
}
