#include "browser/PrintPipeline.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryFile>
#include <memory>

namespace {

const char kPrinterHolderName[] = "courseplayer-shared-printer";
// Pages are rasterised at this resolution: sharp on paper, while a page of a PDF file stays
// near half a megabyte (at 600 dpi it would be four times that).
constexpr int kRenderDpi = 300;
constexpr qreal kHeaderPointSize = 8.0;

// Keeps the printer alive exactly as long as the application object.
class TPrinterHolder final : public QObject {
public:
    explicit TPrinterHolder(QObject* parent) : QObject(parent), Printer(QPrinter::HighResolution) {
        setObjectName(QLatin1String(kPrinterHolderName));
        Printer.setPageLayout(DefaultPrintLayout(Printer.pageLayout().pageSize()));
    }
    QPrinter Printer;
};

void DrawLine(QPainter& painter, const QRect& band, const TPrintLine& line) {
    const QFontMetrics metrics(painter.font(), painter.device());
    const int gap = metrics.horizontalAdvance(QStringLiteral("    "));
    const int rightWidth = metrics.horizontalAdvance(line.Right);
    const int centerWidth = metrics.horizontalAdvance(line.Center);
    // The right-hand and centred texts are short (page numbers, dates); the left one (a title
    // or an address) gives way to them.
    int leftRoom = band.width() - rightWidth - gap;
    if (!line.Center.isEmpty())
        leftRoom = (band.width() - centerWidth) / 2 - gap;
    const QString left = metrics.elidedText(line.Left, Qt::ElideRight, qMax(0, leftRoom));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, left);
    if (!line.Center.isEmpty())
        painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, line.Center);
    painter.drawText(band, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, line.Right);
}

} // namespace

QPageLayout DefaultPrintLayout(const QPageSize& pageSize) {
    return QPageLayout(pageSize.isValid() ? pageSize : QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kPrintMarginMm, kPrintMarginMm, kPrintMarginMm, kPrintMarginMm),
                       QPageLayout::Millimeter);
}

QPrinter* SharedPrinter() {
    QCoreApplication* app = QCoreApplication::instance();
    Q_ASSERT(app);
    auto* holder =
        app->findChild<TPrinterHolder*>(QLatin1String(kPrinterHolderName), Qt::FindDirectChildrenOnly);
    if (!holder)
        holder = new TPrinterHolder(app);
    return &holder->Printer;
}

TPrintBands BeginPaperPainting(QPainter& painter, const QPageLayout& layout, int resolution) {
    const QRect paper = layout.fullRectPixels(resolution);
    const QMargins margins = layout.marginsPixels(resolution);
    // A paged device paints from the corner of its printable area; move to the paper's corner
    // so that the header and footer can go into the margins.
    painter.translate(-layout.paintRectPixels(resolution).topLeft());
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(kHeaderPointSize);
    // No ligatures: an address printed with an "fi" glyph would copy out of the PDF as "ﬁle://".
    font.setStyleStrategy(QFont::PreferNoShaping);
    painter.setFont(font);
    painter.setPen(Qt::black);

    const int lineHeight = QFontMetrics(font, painter.device()).height();
    const int textLeft = margins.left();
    const int textWidth = paper.width() - margins.left() - margins.right();
    TPrintBands bands;
    bands.Header = QRect(textLeft, 0, textWidth, qMax(margins.top(), lineHeight));
    bands.Footer = QRect(textLeft, paper.height() - qMax(margins.bottom(), lineHeight), textWidth,
                         qMax(margins.bottom(), lineHeight));
    return bands;
}

void PaintHeaderFooter(QPainter& painter, const TPrintBands& bands, const TPrintFields& fields) {
    DrawLine(painter, bands.Header, ExpandPrintCode(kPrintHeaderCode, fields));
    DrawLine(painter, bands.Footer, ExpandPrintCode(kPrintFooterCode, fields));
}

bool PaintPrintedPages(QPrinter* printer, const QByteArray& pdf, const TPrintFields& fields) {
    if (pdf.isEmpty())
        return false;
    // QPdfDocument reads a file synchronously; a device may be read in the background.
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return false;
    QPdfDocument document;
    if (document.load(file.fileName()) != QPdfDocument::Error::None || document.pageCount() <= 0)
        return false;

    const QPageLayout layout = printer->pageLayout();
    const int resolution = printer->resolution();
    const QRect paper = layout.fullRectPixels(resolution);

    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const TPrintBands bands = BeginPaperPainting(painter, layout, resolution);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    TPrintFields pageFields = fields;
    pageFields.PageCount = document.pageCount();
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0 && !printer->newPage())
            return false;
        const QSizeF points = document.pagePointSize(page);
        const QSize imageSize = (points * kRenderDpi / 72.0).toSize();
        QImage image(imageSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter imagePainter(&image);
            imagePainter.drawImage(0, 0, document.render(page, imageSize));
        }
        // The browser laid the page out on this paper; scale in case the sizes differ slightly.
        QSizeF target = points * resolution / 72.0;
        target.scale(paper.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF(0, 0), target), image);

        pageFields.Page = page + 1;
        PaintHeaderFooter(painter, bands, pageFields);
    }
    return painter.end();
}
