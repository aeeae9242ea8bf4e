#include "catalogue/CourseScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList ListDescriptorFiles(const QString& folder) {
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return {};
    // Without QDir::System, sockets, pipes and broken links stay out: reading a pipe would hang.
    const QFileInfoList entries =
        dir.entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList names;
    names.reserve(entries.size());
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        // A leading dot hides a file on Linux; elsewhere the file system's own hidden mark.
        if (name.startsWith(u'.') || entry.isHidden() || !entry.isFile())
            continue;
        names << name;
    }
    // Case-insensitive first, as the discs' own file system lists them; case decides the rest.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    QStringList paths;
    paths.reserve(names.size());
    const QString base = dir.absolutePath() + u'/';
    for (const QString& name : names)
        paths << base + name;
    return paths;
}

TCourseScan::TCourseScan(TCatalogueBuilder& builder) : m_builder(builder) {
}

void TCourseScan::LoadCourses(const QString& folder) {
    for (const QString& fileName : ListDescriptorFiles(folder))
        ReadCourseInfo(fileName);
    if (m_builder.PageCount() > 0) {
        m_builder.SetActivePage(0);
        m_builder.MainPagesChange();
    }
}

void TCourseScan::Skip(const QString& fileName, const QString& reason) {
    m_builder.FileSkipped(QFileInfo(fileName).fileName(), reason);
}

void TCourseScan::ReadCourseInfo(const QString& fileName) {
    // Every failure ends this one file quietly; the scan goes on with the next.
    try {
        InfoXML.SetActive(false);
        InfoXML.SetFileName(fileName);
        try {
            InfoXML.SetActive(true);
        } catch (const TXmlError&) {
            QFile file(fileName);
            Skip(fileName, file.open(QIODevice::ReadOnly) ? QStringLiteral("ошибка в XML")
                                                          : QStringLiteral("файл не читается"));
            return;
        }
        const TXMLNode root = InfoXML.DocumentElement();
        if (root.NodeName() != QLatin1String("CourseInfo")) {
            Skip(fileName, QStringLiteral("не описание курса (корень <%1>)").arg(root.NodeName()));
            return;
        }
        for (const char* attribute : {"Id", "Group", "Name", "Description"}) {
            if (!root.HasAttribute(QLatin1String(attribute))) {
                Skip(fileName, QStringLiteral("нет атрибута %1").arg(QLatin1String(attribute)));
                return;
            }
        }
        // The page comes before the number is read: a descriptor with a bad Id still leaves
        // its group's page behind.
        const QString group = root.AttributeText(QStringLiteral("Group"));
        m_builder.SetActivePage(m_builder.FindOrAddPage(group, true));
        const QString description = root.AttributeText(QStringLiteral("Description"));
        const QString name = root.AttributeText(QStringLiteral("Name"));
        int id = 0;
        try {
            id = root.AttributeInt(QStringLiteral("Id"));
        } catch (const TXmlConversionError&) {
            Skip(fileName, QStringLiteral("Id «%1» не число").arg(root.AttributeText(QStringLiteral("Id"))));
            return;
        }
        m_builder.AddCourseButtons(id, name, description);
    } catch (const TCatalogueError& e) {
        Skip(fileName, e.Message());
    } catch (const std::exception& e) {
        Skip(fileName, QString::fromUtf8(e.what()));
    } catch (...) {
        Skip(fileName, QStringLiteral("непредвиденная ошибка"));
    }
}
