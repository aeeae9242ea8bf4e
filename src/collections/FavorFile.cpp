#include "collections/FavorFile.h"

#include "core/XmlDocument.h"

#include <QFileInfo>

void SaveFavorFile(TXMLDocument& doc, const std::vector<TFavor>& records, const QString& fileName) {
    doc.LoadFromXML(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><items></items>"));
    TXMLNode root = doc.DocumentElement();
    for (const TFavor& favor : records) {
        TXMLNode item = root.AddChild(QStringLiteral("item"));
        item.SetAttribute(QStringLiteral("Course"), favor.Course);
        item.SetAttribute(QStringLiteral("Folder"), favor.Folder);
        item.SetAttribute(QStringLiteral("ID"), favor.ID);
        item.SetAttribute(QStringLiteral("Caption"), favor.Caption);
    }
    doc.SaveToFile(fileName);
}

TFavorLoadResult LoadFavorFile(TXMLDocument& doc, const QString& fileName) {
    TFavorLoadResult result;
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return result;
    try {
        doc.LoadFromFile(fileName, TXmlFileKind::Collection);
    } catch (const TXmlError& e) {
        result.Status = TFavorLoadResult::NotParsed;
        result.Detail = e.Message();
        return result;
    }
    result.Status = TFavorLoadResult::Loaded;
    try {
        for (TXMLNode node = doc.DocumentElement().FirstChild(); node; node = node.NextSibling()) {
            TFavor favor;
            favor.Course = node.AttributeInt(QStringLiteral("Course"));
            favor.Folder = node.AttributeInt(QStringLiteral("Folder"));
            favor.Caption = node.AttributeText(QStringLiteral("Caption"));
            favor.ID = node.AttributeInt(QStringLiteral("ID"));
            result.Records.push_back(std::move(favor));
        }
    } catch (const TXmlError& e) {
        result.Status = TFavorLoadResult::Stopped;
        result.Detail = e.Message();
    }
    doc.SetActive(false);
    return result;
}
