#pragma once

#include "browser/PrintHeaderFooter.h"

#include <QByteArray>
#include <QPageLayout>
#include <QRect>

class QPainter;
class QPrinter;

// The program's one printer: page set-up edits it, and print and preview start from it.
// Created on first use as a child of the application object: portrait, margins of
// kPrintMarginMm on all four sides, the paper of the system's default printer.
QPrinter* SharedPrinter();

// The layout a new printer starts with, for the given paper.
QPageLayout DefaultPrintLayout(const QPageSize& pageSize);

// Draws the pages of pdf (a page laid out by the browser for printer's page layout) onto
// printer, each page rendered at 300 dpi or more, with the header and footer painted in the
// margins. false when the PDF cannot be read or the printer cannot be painted on.
bool PaintPrintedPages(QPrinter* printer, const QByteArray& pdf, const TPrintFields& fields);

// Where the header and footer lines go, in paper coordinates.
struct TPrintBands {
    QRect Header;
    QRect Footer;
};

// Readies painter (active on a paged device laid out with layout at resolution dpi) for
// painting in paper coordinates, with the header's font and pen.
TPrintBands BeginPaperPainting(QPainter& painter, const QPageLayout& layout, int resolution);

// The header and footer of one page, as vector text in the margins.
void PaintHeaderFooter(QPainter& painter, const TPrintBands& bands, const TPrintFields& fields);
