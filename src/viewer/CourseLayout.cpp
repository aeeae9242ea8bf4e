#include "viewer/CourseLayout.h"

#include "core/DiscFiles.h"
#include "core/XmlDocument.h"
#include "markup/Markup.h"

#include <QFileInfo>
#include <QUrl>

QString CourseFolder(const QString& libraryFolder, int courseNumber) {
    return FindDiscFile(libraryFolder + QString::number(courseNumber)) + u'/';
}

QString TreeDocumentPath(const QString& courseDir, int sectionId) {
    return FindDiscFile(courseDir + QString::number(sectionId) + QStringLiteral("/tree.xml"));
}

QString ItemPagePath(const QString& courseDir, int sectionId, int itemId) {
    return FindDiscFile(courseDir + QString::number(sectionId) + u'/' + QString::number(itemId) +
                        QStringLiteral(".xml"));
}

QString ShowFavorUrl(const QString& libraryFolder, const QString& pageList) {
    const qsizetype hash = pageList.indexOf(u'#');
    QUrl url = QUrl::fromLocalFile(FindDiscFile(libraryFolder + QStringLiteral("ShowFavor.htm")) +
                                   (hash < 0 ? pageList : pageList.left(hash)));
    if (hash >= 0)
        url.setFragment(pageList.mid(hash + 1), QUrl::DecodedMode);
    return url.toString(QUrl::FullyEncoded);
}

namespace {

// IsSectionAvailable; keep leaves an available section's document active.
bool ProbeSection(TXMLDocument& doc, const QString& courseDir, int sectionId, QString* whyNot, bool keep) {
    const QString path = TreeDocumentPath(courseDir, sectionId);
    if (!QFileInfo(path).isFile())
        return false;
    // A probe: whatever goes wrong only means the section is not offered.
    QString reason;
    try {
        doc.SetActive(false);
        doc.LoadFromFile(path, TXmlFileKind::Tree);
        const int count = doc.DocumentElement().ChildCount();
        if (count > 0 && keep)
            return true;
        doc.SetActive(false);
        if (count > 0)
            return true;
        reason = QStringLiteral("В файле \"%1\" нет ни одного элемента").arg(path);
    } catch (const std::exception& e) {
        doc.SetActive(false);
        reason = QString::fromUtf8(e.what());
    } catch (...) {
        doc.SetActive(false);
        reason = QStringLiteral("Файл \"%1\" не читается").arg(path);
    }
    if (whyNot)
        *whyNot = reason;
    return false;
}

} // namespace

bool IsSectionAvailable(TXMLDocument& doc, const QString& courseDir, int sectionId, QString* whyNot) {
    return ProbeSection(doc, courseDir, sectionId, whyNot, false);
}

bool ReadSectionIfAvailable(TXMLDocument& doc, const QString& courseDir, int sectionId, QString* whyNot) {
    return ProbeSection(doc, courseDir, sectionId, whyNot, true);
}

std::array<bool, SectionProbeOrder.size()> ProbeSections(TXMLDocument& doc, const QString& courseDir,
                                                         QString* lastFailure) {
    std::array<bool, SectionProbeOrder.size()> available{};
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i)
        available[i] = IsSectionAvailable(doc, courseDir, SectionProbeOrder[i], lastFailure);
    return available;
}

std::array<bool, SectionProbeOrder.size()> ProbeSections(TXMLDocument& doc, const QString& courseDir,
                                                         QString* lastFailure, TXMLDocument& start) {
    std::array<bool, SectionProbeOrder.size()> available{};
    start.SetActive(false);
    bool found = false;
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i) {
        available[i] =
            ProbeSection(found ? doc : start, courseDir, SectionProbeOrder[i], lastFailure, !found);
        found = found || available[i];
    }
    return available;
}

QString NoSectionReason(const QString& courseDir, const QString& lastFailure) {
    if (!lastFailure.isEmpty())
        return QStringLiteral("Ни один раздел курса не загрузился. Последняя причина: %1").arg(lastFailure);
    QStringList folders;
    for (const int id : SectionProbeOrder)
        folders << QString::number(id);
    return QStringLiteral(
               "В папке курса \"%1\" нет ни одного раздела: ни в одной из папок %2 нет файла tree.xml")
        .arg(courseDir, folders.join(QStringLiteral(", ")));
}

int StartSection(const std::array<bool, SectionProbeOrder.size()>& available) {
    for (std::size_t i = 0; i < SectionProbeOrder.size(); ++i)
        if (available[i])
            return SectionProbeOrder[i];
    return 0;
}

QString PdfFileName(const QString& pageTitle, const QString& itemCaption) {
    constexpr int kLongest = 120;
    QString name = pageTitle.simplified().isEmpty() ? StripMarkup(itemCaption) : pageTitle;
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u' ';
    name = name.simplified().left(kLongest);
    // A name of dots only, or ending in one, is no good on the discs' own system either.
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Страница");
    return name + QStringLiteral(".pdf");
}
