#include "catalogue/CourseScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

bool HasDescriptorSuffix(const QString& name) {
    return name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
}

#ifdef Q_OS_UNIX
// One pass of readdir: the entry's own type says "ordinary file" for nearly every entry, so
// only links and file systems that do not report types cost a stat. A leading dot hides a file.
QStringList DescriptorNames(const QString& folder) {
    QStringList names;
    const QByteArray path = QFile::encodeName(folder);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (!HasDescriptorSuffix(name))
            continue;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follows links: a link to a descriptor is read like the file, a link to nowhere
            // or to a folder is no descriptor. Pipes and sockets stay out: reading one would hang.
            struct stat st;
            isFile = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (isFile)
            names << name;
    }
    ::closedir(dir);
    return names;
}
#else
QStringList DescriptorNames(const QString& folder) {
    // Without QDir::System, sockets, pipes and broken links stay out: reading a pipe would hang.
    QStringList names;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {QStringLiteral("*.xml")}, QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(u'.') || entry.isHidden() || !entry.isFile())
            continue;
        names << name;
    }
    return names;
}
#endif

} // namespace

QStringList ListDescriptorFiles(const QString& folder) {
    if (folder.isEmpty())
        return {};
    const QString base = QDir(folder).absolutePath() + u'/';
    // Case-insensitive first, as the discs' own file system lists them; case decides the rest.
    // The folded names are made once, not at every comparison.
    struct TKey {
        QString Folded;
        QString Name;
    };
    std::vector<TKey> keys;
    for (QString& name : DescriptorNames(base))
        keys.push_back(TKey{name.toCaseFolded(), std::move(name)});
    std::sort(keys.begin(), keys.end(), [](const TKey& a, const TKey& b) {
        const int c = a.Folded.compare(b.Folded);
        return c != 0 ? c < 0 : a.Name < b.Name;
    });
    QStringList paths;
    paths.reserve(qsizetype(keys.size()));
    for (const TKey& key : keys)
        paths << base + key.Name;
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
