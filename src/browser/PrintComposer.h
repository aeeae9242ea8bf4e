#pragma once

#include "browser/PrintHeaderFooter.h"

#include <QByteArray>
#include <QPageLayout>
#include <QPageRanges>
#include <QString>

// Printed pages as vector PDF: the browser lays the page out as PDF itself (text stays text,
// links stay links), and the header and footer are laid onto each of its pages as text too.

// A PDF of pageCount pages on layout's paper holding only the header and footer of each page;
// fields.Page and fields.PageCount are filled in per page.
QByteArray HeaderFooterPdf(const QPageLayout& layout, int pageCount, const TPrintFields& fields);

// body (the browser's PDF of the page, laid out for layout) with the header and footer on every
// page. Empty, with the reason in *error, when body cannot be read.
QByteArray ComposePrintedPdf(const QByteArray& body, const QPageLayout& layout, const TPrintFields& fields,
                             QString* error = nullptr);

// pdf with only the pages in ranges (numbered from 1), in the document's order; pdf itself when ranges is
// empty. Empty, with the reason in *error, when no page is left or pdf cannot be read.
QByteArray SelectPdfPages(const QByteArray& pdf, const QPageRanges& ranges, QString* error = nullptr);

// The number of pages of pdf; 0 when it cannot be read.
int PdfPageCount(const QByteArray& pdf);

// Replaces fileName with data in one step: whatever fails, an older file stays whole.
bool WriteFileAtomically(const QString& fileName, const QByteArray& data, QString* error = nullptr);
