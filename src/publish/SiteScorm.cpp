#include "publish/SiteScorm.h"

#include "core/TextEscape.h"
#include "publish/SiteZip.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

// Every file under the entry (or the entry itself), relative to the site.
void Collect(const QString& site, const QString& entry, QStringList& files) {
    const QString path = site + u'/' + entry;
    if (QFileInfo(path).isFile()) {
        files << entry;
        return;
    }
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(site).relativeFilePath(it.next());
}

} // namespace

QString ScormManifest(const TSiteCourse& course, const QStringList& files) {
    const QString id = QString::number(course.Id);
    const QString title = HtmlEscape(course.Name);
    QString resources;
    for (const QString& file : files)
        resources += QStringLiteral("      <file href=\"%1\"/>\n").arg(HtmlEscape(file));
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<manifest identifier=\"course-%1\" version=\"1.0\"\n"
               "    xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"\n"
               "    xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\"\n"
               "    xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
               "    xsi:schemaLocation=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2 imscp_rootv1p1p2.xsd "
               "http://www.imsglobal.org/xsd/imsmd_rootv1p2p1 imsmd_rootv1p2p1.xsd "
               "http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd\">\n"
               "  <metadata>\n    <schema>ADL SCORM</schema>\n    <schemaversion>1.2</schemaversion>\n  "
               "</metadata>\n"
               "  <organizations default=\"org-%1\">\n"
               "    <organization identifier=\"org-%1\">\n      <title>%2</title>\n"
               "      <item identifier=\"item-%1\" identifierref=\"sco-%1\" isvisible=\"true\">\n"
               "        <title>%2</title>\n      </item>\n    </organization>\n  </organizations>\n"
               "  <resources>\n"
               "    <resource identifier=\"sco-%1\" type=\"webcontent\" adlcp:scormtype=\"sco\" "
               "href=\"%1/index.html\">\n"
               "%3    </resource>\n  </resources>\n</manifest>\n")
        .arg(id, title, resources);
}

QString WriteScormPackage(const QString& site, const TSiteCourse& course, const QStringList& shared,
                          const QString& zipPath) {
    QStringList files;
    Collect(site, QString::number(course.Id), files);
    Collect(site, QStringLiteral("_site"), files);
    for (const QString& entry : shared)
        Collect(site, entry, files);
    files.sort();
    TZipWriter zip(zipPath);
    zip.Add(QStringLiteral("imsmanifest.xml"), ScormManifest(course, files).toUtf8());
    for (const QString& file : files) {
        QFile in(site + u'/' + file);
        if (!in.open(QIODevice::ReadOnly) || !zip.Add(file, in.readAll()))
            return QStringLiteral("Не удалось записать пакет SCORM «%1» (файл %2)").arg(zipPath, file);
    }
    if (!zip.Finish())
        return QStringLiteral("Не удалось записать пакет SCORM «%1»").arg(zipPath);
    return QString();
}
