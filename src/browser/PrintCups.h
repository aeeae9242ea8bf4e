#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Printing a finished PDF on a CUPS queue: the queue's own filters turn the vector pages into
// what the printer takes, so nothing is rasterised on our side.

struct TCupsJob {
    QString Printer; // queue name, possibly "name/instance", as the print dialog gives it
    QString Title;   // the job's name in the queue
    int Copies = 1;
    bool Collate = true;
    QString PageRanges; // "1-3,5" or empty for all pages
    QString Sides;      // "two-sided-long-edge", "two-sided-short-edge", or empty for the queue's default
    // Further choices of the print dialog (pages per sheet, odd or even pages, banners ...);
    // the fields above win over them.
    QList<QPair<QString, QString>> Options;
};

// True when printerName names a destination of the CUPS server this program talks to.
bool IsCupsQueue(const QString& printerName);

// Sends pdf as one job; the job's id, or 0 with the reason in *error.
int SendPdfToCups(const TCupsJob& job, const QByteArray& pdf, QString* error = nullptr);
