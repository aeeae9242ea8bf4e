#pragma once

#include "app/browser/PrintHeaderFooter.h"

#include <QByteArray>
#include <QPageLayout>

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
