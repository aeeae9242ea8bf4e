#include "browser/PrintCups.h"

#include <cups/cups.h>

namespace {

struct TDestName {
    QByteArray Name;
    QByteArray Instance;
};

TDestName SplitDestName(const QString& printerName) {
    const qsizetype slash = printerName.indexOf(u'/');
    if (slash < 0)
        return {printerName.toUtf8(), {}};
    return {printerName.left(slash).toUtf8(), printerName.mid(slash + 1).toUtf8()};
}

const char* OrNull(const QByteArray& text) {
    return text.isEmpty() ? nullptr : text.constData();
}

QString LastCupsError() {
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace

bool IsCupsQueue(const QString& printerName) {
    if (printerName.isEmpty())
        return false;
    const TDestName name = SplitDestName(printerName);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.Name.constData(), OrNull(name.Instance));
    if (!dest)
        return false;
    cupsFreeDests(1, dest);
    return true;
}

int SendPdfToCups(const TCupsJob& job, const QByteArray& pdf, QString* error) {
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return 0;
    };
    if (pdf.isEmpty())
        return fail(QStringLiteral("Нечего печатать"));
    const TDestName name = SplitDestName(job.Printer);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.Name.constData(), OrNull(name.Instance));
    if (!dest)
        return fail(QStringLiteral("Принтер «%1» не найден").arg(job.Printer));

    // The instance's saved options first; the dialog's choices override them.
    cups_option_t* options = nullptr;
    int count = 0;
    for (int i = 0; i < dest->num_options; ++i)
        count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
    cupsFreeDests(1, dest);
    for (const auto& [option, value] : job.Options)
        count = cupsAddOption(option.toUtf8().constData(), value.toUtf8().constData(), count, &options);
    count = cupsAddOption("copies", QByteArray::number(qMax(1, job.Copies)).constData(), count, &options);
    if (job.Copies > 1)
        count = cupsAddOption("collate", job.Collate ? "true" : "false", count, &options);
    if (!job.PageRanges.isEmpty())
        count = cupsAddOption("page-ranges", job.PageRanges.toUtf8().constData(), count, &options);
    if (!job.Sides.isEmpty())
        count = cupsAddOption("sides", job.Sides.toUtf8().constData(), count, &options);

    const QByteArray title = job.Title.isEmpty() ? QByteArrayLiteral("Страница") : job.Title.toUtf8();
    const int id = cupsCreateJob(CUPS_HTTP_DEFAULT, name.Name.constData(), title.constData(), count, options);
    cupsFreeOptions(count, options);
    if (id <= 0)
        return fail(LastCupsError());
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.Name.constData(), id, title.constData(), CUPS_FORMAT_PDF,
                          1) != HTTP_STATUS_CONTINUE) {
        const QString reason = LastCupsError();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.Name.constData(), id, 0);
        return fail(reason);
    }
    const bool written =
        cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(), size_t(pdf.size())) == HTTP_STATUS_CONTINUE;
    const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.Name.constData());
    if (!written || finished > IPP_STATUS_OK_EVENTS_COMPLETE) {
        const QString reason = LastCupsError();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.Name.constData(), id, 0);
        return fail(reason);
    }
    return id;
}
