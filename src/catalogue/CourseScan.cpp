#include "catalogue/CourseScan.h"

#include "core/DiscFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A descriptor's name in the folder: readable, and as the file system holds it.
struct TEntryName {
    QString Name;
    QByteArray Native;
};

#ifdef Q_OS_UNIX
// One pass of readdir: the entry's own type says "ordinary file" for nearly every entry, so
// only links and file systems that do not report types cost a stat. A leading dot hides a file.
std::vector<TEntryName> DescriptorNames(const QByteArray& folder) {
    std::vector<TEntryName> names;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        // The suffix is ASCII, so the bytes decide it whatever the encoding of the rest.
        const QByteArray native(entry->d_name);
        if (!native.toLower().endsWith(".xml"))
            continue;
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // Follows links: a link to a descriptor is read like the file, a link to nowhere
            // or to a folder is no descriptor. Pipes and sockets stay out: reading one would hang.
            struct stat st;
            isFile = ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (isFile)
            names.push_back(TEntryName{QFile::decodeName(native), native});
    }
    ::closedir(dir);
    return names;
}
#else
std::vector<TEntryName> DescriptorNames(const QByteArray& folder) {
    // Without QDir::System, sockets, pipes and broken links stay out: reading a pipe would hang.
    std::vector<TEntryName> names;
    const QFileInfoList entries =
        QDir(QFile::decodeName(folder))
            .entryInfoList({QStringLiteral("*.xml")}, QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        if (name.startsWith(u'.') || entry.isHidden() || !entry.isFile())
            continue;
        names.push_back(TEntryName{name, QFile::encodeName(name)});
    }
    return names;
}
#endif

// Whether the file opens for reading, to tell an unreadable file from a malformed one.
bool CanOpen(const QByteArray& path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
#else
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly);
#endif
}

} // namespace

std::vector<TDescriptorFile> ListDescriptors(const QString& folder) {
    std::vector<TDescriptorFile> files;
    if (folder.isEmpty())
        return files;
    const QString base = QDir(FindDiscFile(folder)).absolutePath() + u'/';
    const QByteArray nativeBase = QFile::encodeName(base);
    // Case-insensitive first, as the discs' own file system lists them; case decides the rest,
    // and the bytes decide between names that read the same. The folded names are made once,
    // not at every comparison.
    struct TKey {
        QString Folded;
        TEntryName Entry;
    };
    std::vector<TKey> keys;
    for (TEntryName& entry : DescriptorNames(nativeBase)) {
        QString folded = entry.Name.toCaseFolded();
        keys.push_back(TKey{std::move(folded), std::move(entry)});
    }
    std::sort(keys.begin(), keys.end(), [](const TKey& a, const TKey& b) {
        if (const int c = a.Folded.compare(b.Folded); c != 0)
            return c < 0;
        if (a.Entry.Name != b.Entry.Name)
            return a.Entry.Name < b.Entry.Name;
        return a.Entry.Native < b.Entry.Native;
    });
    files.reserve(keys.size());
    for (const TKey& key : keys)
        files.push_back(TDescriptorFile{base + key.Entry.Name, nativeBase + key.Entry.Native});
    return files;
}

QStringList ListDescriptorFiles(const QString& folder) {
    QStringList paths;
    for (const TDescriptorFile& file : ListDescriptors(folder))
        paths << file.FileName;
    return paths;
}

TCourseScan::TCourseScan(TCatalogueBuilder& builder) : m_builder(builder) {
}

void TCourseScan::LoadCourses(const QString& folder) {
    for (const TDescriptorFile& file : ListDescriptors(folder))
        ReadCourseInfo(file);
    if (m_builder.PageCount() > 0) {
        m_builder.SetActivePage(0);
        m_builder.MainPagesChange();
    }
}

void TCourseScan::Skip(const QString& fileName, const QString& reason) {
    m_builder.FileSkipped(QFileInfo(fileName).fileName(), reason);
}

void TCourseScan::ReadCourseInfo(const QString& fileName) {
    ReadCourseInfo(TDescriptorFile{fileName, QFile::encodeName(fileName)});
}

void TCourseScan::ReadCourseInfo(const TDescriptorFile& file) {
    const QString& fileName = file.FileName;
    // Every failure ends this one file quietly; the scan goes on with the next.
    try {
        InfoXML.SetActive(false);
        InfoXML.SetFileKind(TXmlFileKind::Descriptor);
        InfoXML.SetNativeFileName(file.NativePath);
        try {
            InfoXML.SetActive(true);
        } catch (const TXmlFileTooLarge&) {
            Skip(fileName, QStringLiteral("файл слишком велик"));
            return;
        } catch (const TXmlError&) {
            Skip(fileName, CanOpen(file.NativePath) ? QStringLiteral("ошибка в XML")
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
