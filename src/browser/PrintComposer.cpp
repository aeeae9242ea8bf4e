#include "browser/PrintComposer.h"

#include "browser/PrintPipeline.h"
#include "core/ErrorTexts.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <cerrno>
#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <string>
#include <vector>

namespace {

// Resolution of the header and footer PDF's coordinates; text stays vector at any value, this
// only fixes how finely it is placed.
constexpr int kOverlayDpi = 1200;

void SetError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString ReadFailure(const std::exception& e) {
    return QStringLiteral("Не удалось разобрать PDF страницы: %1").arg(QString::fromUtf8(e.what()));
}

// QPDF reads in place: data must outlive it.
void Open(QPDF& pdf, const char* name, const QByteArray& data) {
    pdf.setSuppressWarnings(true);
    pdf.processMemoryFile(name, data.constData(), size_t(data.size()));
}

QByteArray Written(QPDF& pdf) {
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    // Object streams and compressed contents keep a page of text at a few kilobytes.
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.setCompressStreams(true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
}

// Lays form (a form XObject of pdf) over page, scaled to the page's trim box.
void Overlay(QPDF& pdf, QPDFPageObjectHelper& page, const QPDFObjectHandle& form) {
    QPDFObjectHandle resources = page.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        page.getObjectHandle().replaceKey("/Resources", resources);
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (!xobjects.isDictionary())
        xobjects = resources.replaceKeyAndGetNew("/XObject", QPDFObjectHandle::newDictionary());
    int suffix = 0;
    const std::string name = resources.getUniqueResourceName("/CpHeaderFooter", suffix);
    xobjects.replaceKey(name, form);
    const std::string placement = page.placeFormXObject(form, name, page.getTrimBox().getArrayAsRectangle());
    // The page's own contents may leave the graphics state changed: wrap them, then draw.
    page.addPageContents(QPDFObjectHandle::newStream(&pdf, "q\n"), true);
    page.addPageContents(QPDFObjectHandle::newStream(&pdf, "\nQ\nq\n" + placement + "\nQ\n"), false);
}

} // namespace

QByteArray HeaderFooterPdf(const QPageLayout& layout, int pageCount, const TPrintFields& fields) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kOverlayDpi);
        writer.setPageLayout(layout);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        const TPrintBands bands = BeginPaperPainting(painter, layout, kOverlayDpi);
        TPrintFields pageFields = fields;
        pageFields.PageCount = pageCount;
        for (int page = 0; page < pageCount; ++page) {
            if (page > 0 && !writer.newPage())
                return {};
            pageFields.Page = page + 1;
            PaintHeaderFooter(painter, bands, pageFields);
        }
        if (!painter.end())
            return {};
    }
    return buffer.data();
}

QByteArray ComposePrintedPdf(const QByteArray& body, const QPageLayout& layout, const TPrintFields& fields,
                             QString* error) {
    try {
        QPDF pdf;
        Open(pdf, "page.pdf", body);
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        if (pages.empty()) {
            SetError(error, QStringLiteral("В PDF страницы нет ни одной страницы"));
            return {};
        }
        const QByteArray overlayData = HeaderFooterPdf(layout, int(pages.size()), fields);
        if (overlayData.isEmpty()) {
            SetError(error, QStringLiteral("Не удалось составить колонтитулы"));
            return {};
        }
        QPDF overlay;
        Open(overlay, "header-footer.pdf", overlayData);
        std::vector<QPDFPageObjectHelper> overlayPages = QPDFPageDocumentHelper(overlay).getAllPages();
        if (overlayPages.size() != pages.size()) {
            SetError(error, QStringLiteral("Не удалось составить колонтитулы"));
            return {};
        }
        for (size_t i = 0; i < pages.size(); ++i)
            Overlay(pdf, pages[i], pdf.copyForeignObject(overlayPages[i].getFormXObjectForPage()));
        return Written(pdf);
    } catch (const std::exception& e) {
        SetError(error, ReadFailure(e));
        return {};
    }
}

QByteArray SelectPdfPages(const QByteArray& pdf, const QPageRanges& ranges, QString* error) {
    if (ranges.isEmpty())
        return pdf;
    try {
        QPDF document;
        Open(document, "printed.pdf", pdf);
        QPDFPageDocumentHelper helper(document);
        const std::vector<QPDFPageObjectHelper> pages = helper.getAllPages();
        int kept = 0;
        for (size_t i = 0; i < pages.size(); ++i) {
            if (ranges.contains(int(i) + 1))
                ++kept;
            else
                helper.removePage(pages[i]);
        }
        if (kept == 0) {
            SetError(error, QStringLiteral("В выбранном диапазоне нет ни одной страницы"));
            return {};
        }
        return Written(document);
    } catch (const std::exception& e) {
        SetError(error, ReadFailure(e));
        return {};
    }
}

int PdfPageCount(const QByteArray& pdf) {
    try {
        QPDF document;
        Open(document, "printed.pdf", pdf);
        return int(QPDFPageDocumentHelper(document).getAllPages().size());
    } catch (const std::exception&) {
        return 0;
    }
}

bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString* error) {
    QSaveFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        SetError(error, FileErrorText(file, errno));
        return false;
    }
    return true;
}
