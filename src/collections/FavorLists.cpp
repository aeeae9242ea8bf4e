#include "collections/FavorLists.h"

#include "collections/FavorRows.h"
#include "core/DiscFiles.h"
#include "core/XmlDocument.h"

namespace {

constexpr int kTasksSection = 2010;

template <typename Pred> QString PageList(const TFavorRows& rows, Pred chosen) {
    QString text;
    for (int i = 0; i < rows.Count(); ++i) {
        const TFavor& favor = rows.At(i);
        if (favor.Course != 0 && chosen(favor))
            text += u'$' + QString::number(favor.Course) + u';' + QString::number(favor.Folder) + u';' +
                    QString::number(favor.ID);
    }
    if (!text.isEmpty())
        text[0] = u'#';
    return text;
}

} // namespace

bool IsTheorySection(int Folder) {
    return Folder == 5 || Folder == 8 || Folder == 12 || Folder == 68;
}

QString FavorPageEntry(const TFavor& favor) {
    TFavorRows one;
    one.Append(favor);
    return FavorPageList(one);
}

QString FavorPageList(const TFavorRows& rows) {
    return PageList(rows, [](const TFavor&) { return true; });
}

QString TheoryPageList(const TFavorRows& rows) {
    return PageList(rows, [](const TFavor& favor) { return IsTheorySection(favor.Folder); });
}

QString FavorTaskList(const TFavorRows& rows, int courseNumber, const QString& courseDir, TXMLDocument& doc) {
    QString text;
    const QString idName = QStringLiteral("id");
    const QString typeName = QStringLiteral("type");
    for (int i = 0; i < rows.Count(); ++i) {
        const TFavor& favor = rows.At(i);
        if (favor.Course != courseNumber || favor.Folder != kTasksSection)
            continue;
        doc.SetActive(false);
        doc.LoadFromFile(FindDiscFile(courseDir + QString::number(kTasksSection) + u'/' +
                                      QString::number(favor.ID) + QStringLiteral(".xml")),
                         TXmlFileKind::TaskPage);
        for (TXMLNode node = doc.DocumentElement().FirstChild(); node; node = node.NextSibling()) {
            if (!node.IsElement() || node.NodeName() != QLatin1String("task"))
                continue;
            const std::optional<QString> id = node.Attribute(idName);
            const std::optional<QString> type = node.Attribute(typeName);
            if (!id || !type)
                continue;
            const std::optional<int> idValue = ParseDecimalInt(*id);
            const std::optional<int> typeValue = ParseDecimalInt(*type);
            if (idValue && typeValue)
                text += QString::number(*idValue) + u'_' + QString::number(*typeValue) + u';';
        }
    }
    return text;
}

std::optional<TFavorKey> ItemKeyFromURL(const QString& url) {
    QString path = url;
    path.replace(u'\\', u'/');
    const QList<QStringView> segments = QStringView(path).split(u'/');
    if (segments.size() < 3)
        return std::nullopt;
    const QStringView last = segments.at(segments.size() - 1);
    const qsizetype dot = last.indexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    const std::optional<int> id = ParseDecimalInt(last.left(dot).toString());
    const std::optional<int> folder = ParseDecimalInt(segments.at(segments.size() - 2).toString());
    const std::optional<int> course = ParseDecimalInt(segments.at(segments.size() - 3).toString());
    if (!id || !folder || !course)
        return std::nullopt;
    return TFavorKey{*course, *folder, *id};
}
