#pragma once

// Helpers of the printing tests: reading back a PDF's text, page sizes, links and images.

#include <QByteArray>
#include <QPdfDocument>
#include <QSizeF>
#include <QStringList>
#include <QTemporaryFile>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

// The pages of a PDF as a reader shows them.
struct TPdfPages {
    QStringList Text;      // each page's text, in reading order
    QList<QSizeF> SizesMm; // each page's size in millimetres
    QStringList Links;     // the addresses of the link annotations of all pages
    int ImageCount = 0;    // picture objects on all pages (a rasterised page has one)
};

inline QSizeF PointsToMm(const QSizeF& points) {
    return points * 25.4 / 72.0;
}

inline void ReadLinksAndImages(const QByteArray& data, TPdfPages& pages) {
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile("test.pdf", data.constData(), size_t(data.size()));
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle annots = page.getObjectHandle().getKey("/Annots");
        if (annots.isArray()) {
            for (int i = 0; i < annots.getArrayNItems(); ++i) {
                QPDFObjectHandle action = annots.getArrayItem(i).getKey("/A");
                if (action.isDictionary() && action.getKey("/URI").isString())
                    pages.Links.append(QString::fromStdString(action.getKey("/URI").getUTF8Value()));
            }
        }
        // Images anywhere in the page, including inside form XObjects.
        page.forEachImage(
            true, [&](QPDFObjectHandle&, QPDFObjectHandle&, std::string const&) { ++pages.ImageCount; });
    }
}

// Empty Text when data is not a readable PDF.
inline TPdfPages ReadPdf(const QByteArray& data) {
    TPdfPages pages;
    QTemporaryFile file;
    if (!file.open() || file.write(data) != data.size() || !file.flush())
        return pages;
    QPdfDocument document;
    if (document.load(file.fileName()) != QPdfDocument::Error::None)
        return pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        pages.Text.append(document.getAllText(i).text());
        pages.SizesMm.append(PointsToMm(document.pagePointSize(i)));
    }
    try {
        ReadLinksAndImages(data, pages);
    } catch (const std::exception&) {
        pages.Text.clear();
    }
    return pages;
}
