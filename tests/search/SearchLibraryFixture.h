#pragma once

// A small course library written into a temporary folder, for the search tests: descriptors,
// course and section folders, tree.xml documents and item pages.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

struct TFixtureItem {
    int Id = 0;
    QString Caption;  // with markup
    QString PageBody; // the page's text; empty: no page file
    bool Xml = false; // an .xml page shown through a stylesheet, instead of an .htm page
};

class TSearchLibraryFixture final {
public:
    explicit TSearchLibraryFixture(const QString& folder) : m_folder(folder) {}

    QString Folder() const { return m_folder; }

    void AddCourse(int course, const QString& name) {
        Write(QStringLiteral("course%1.xml").arg(course),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<CourseInfo Id=\"%1\" Group=\"Предмет\" Name=\"%2\" Description=\"\"/>\n")
                  .arg(course)
                  .arg(name.toHtmlEscaped()));
    }

    // The section's tree.xml lists the items in order; each page is written as given.
    void SetSection(int course, int section, const QList<TFixtureItem>& items) {
        QString tree = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>\n");
        for (const TFixtureItem& item : items) {
            tree += QStringLiteral("  <item id=\"%1\" text=\"%2\"/>\n")
                        .arg(item.Id)
                        .arg(item.Caption.toHtmlEscaped());
            if (!item.PageBody.isEmpty())
                WritePage(course, section, item);
        }
        Write(QStringLiteral("%1/%2/tree.xml").arg(course).arg(section), tree + QStringLiteral("</tree>\n"));
    }

    void WritePage(int course, int section, const TFixtureItem& item) {
        const QString base = QStringLiteral("%1/%2/%3").arg(course).arg(section).arg(item.Id);
        if (item.Xml) {
            Write(QStringLiteral("%1/%2/page.xsl").arg(course).arg(section), Stylesheet());
            Write(base + QStringLiteral(".xml"),
                  QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<?xml-stylesheet type=\"text/xsl\" href=\"page.xsl\"?>\n"
                                 "<page><body>%1</body></page>\n")
                      .arg(item.PageBody.toHtmlEscaped()));
        } else {
            Write(base + QStringLiteral(".xml"),
                  QStringLiteral(
                      "<html><head><meta charset=\"utf-8\"><title>x</title>"
                      "<script>var hidden = 'скрипт';</script></head><body><p>%1</p></body></html>\n")
                      .arg(item.PageBody.toHtmlEscaped()));
        }
    }

    void Remove(const QString& relative) { QFile::remove(m_folder + u'/' + relative); }

    void Write(const QString& relative, const QString& text) {
        const QString path = m_folder + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(text.toUtf8());
    }

private:
    static QString Stylesheet() {
        return QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
            "<xsl:template match=\"/page\"><html><body><h1>Заголовок</h1><div><xsl:value-of "
            "select=\"body\"/></div>"
            "</body></html></xsl:template>\n</xsl:stylesheet>\n");
    }

    QString m_folder;
};
