#include "browser/WebBrowser.h"

#include "app/ErrorReport.h"
#include "browser/BrowserProfile.h"
#include "browser/BrowserUrl.h"
#include "browser/ModalDialog.h"
#include "browser/PrintComposer.h"
#include "browser/PrintCups.h"
#include "browser/PrintPipeline.h"
#include "browser/RendererWatch.h"
#include "browser/WebPage.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineScript>
#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

namespace {

// The printer engine's property with the print dialog's CUPS options.
constexpr int kCupsOptionsKey = 0xfe00;

// Handlers run inside Chromium's callbacks, which no exception may cross: catch it here and
// show the standard error report once the callback has returned.
template <typename Fn> void RunHandler(Fn&& fn) {
    QString message;
    try {
        fn();
        return;
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Неизвестная ошибка");
    }
    QTimer::singleShot(0, QCoreApplication::instance(), [message] { ReportError(message); });
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    // The view deletes its child page before the view itself goes, long before the profile.
    setPage(new TWebPage(SharedBrowserProfile(), this));
    ConnectPageSignals();
    m_rendererWatch = new TRendererWatch(
        page(),
        // A page waiting for its modal dialog does not answer either, on purpose.
        [this] {
            const TModalDialogBroker* dialogs = TModalDialogBroker::Of(page()->profile());
            return m_readyState == ReadyLoading && !(dialogs && dialogs->Awaits(page()));
        },
        [this](const QUrl& url) {
            // A page held back behind the blank page that hung is what the user asked for.
            m_blankUnderway = false;
            Load(m_heldUrl.isEmpty() ? url : std::exchange(m_heldUrl, QUrl()));
            if (auto handler = OnNotResponding)
                RunHandler([&] { handler(this); });
        });
}

TWebBrowser::~TWebBrowser() {
    // Chromium crashes when a page goes while it is being laid out for printing.
    while (m_pdfJob && !m_pdfJob->Done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TWebBrowser::ConnectPageSignals() {
    QWebEnginePage* p = page();
    connect(p, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
        if (m_sameDocumentUrl.isEmpty() || m_pageLoading ||
            url.adjusted(QUrl::RemoveFragment) != m_sameDocumentUrl.adjusted(QUrl::RemoveFragment))
            return;
        // The move within the document that Load asked for: it is complete now.
        m_sameDocumentUrl.clear();
        m_awaitingStart = false;
        SetComplete();
        if (auto handler = OnNavigateComplete2)
            RunHandler([&] { handler(this); });
    });
    connect(p, &QWebEnginePage::loadStarted, this, [this] {
        m_sameDocumentUrl.clear();
        m_pageLoading = true;
        m_awaitingStart = false;
        m_readyState = ReadyLoading;
        m_forgetSawStart = m_forgetUntilPage;
    });
    connect(p, &QWebEnginePage::loadFinished, this, [this] {
        m_pageLoading = false;
        m_blankUnderway = false;
        ++m_loadSerial;
        // The blank page a held navigation waited for: that navigation is the load to report, and
        // it starts outside the engine's report of this one.
        if (!m_heldUrl.isEmpty()) {
            QTimer::singleShot(0, this, [this, serial = m_loadRequests] { LoadHeld(serial); });
            return;
        }
        // The end of a load that was running when Navigate started another one.
        if (m_awaitingStart)
            return;
        m_htmlDocument = false;
        SetComplete();
        page()->runJavaScript(
            QStringLiteral("document.documentElement instanceof HTMLElement"),
            QWebEngineScript::ApplicationWorld,
            [self = QPointer<TWebBrowser>(this), serial = m_loadSerial](const QVariant& isHtml) {
                if (self && self->m_loadSerial == serial)
                    self->m_htmlDocument = isHtml.toBool();
            });
        if (auto handler = OnNavigateComplete2)
            RunHandler([&] { handler(this); });
    });
    // Before the commands are reported, so that they never offer a page that is being forgotten.
    connect(p, &QWebEnginePage::urlChanged, this, [this] { ForgetBeforeNextPage(false); });
    connect(p, &QWebEnginePage::loadFinished, this, [this] { ForgetBeforeNextPage(true); });
    // Chromium's own back and forward actions start disabled and report only changes, so a
    // window whose commands start enabled would never hear "not possible". Report both states
    // whenever the history may have moved: at every new address and every finished load.
    connect(p, &QWebEnginePage::urlChanged, this, &TWebBrowser::ReportCommandStates);
    connect(p, &QWebEnginePage::loadFinished, this, &TWebBrowser::ReportCommandStates);
}

void TWebBrowser::ReportCommandStates() {
    QPointer<TWebBrowser> self(this);
    const QWebEngineHistory* entries = history();
    const bool forward = entries->canGoForward();
    const bool back = entries->canGoBack();
    // A copy each time: the handler may replace or clear itself, or delete this browser.
    if (auto handler = OnCommandStateChange)
        RunHandler([&] { handler(this, CommandForward, forward); });
    if (!self)
        return;
    if (auto handler = OnCommandStateChange)
        RunHandler([&] { handler(this, CommandBack, back); });
}

void TWebBrowser::Navigate(const QString& urlOrPath) {
    const QUrl url = BrowserUrlFromText(urlOrPath);
    if (m_beforeNavigateDepth > 0) {
        // Starting a load from inside Chromium's own navigation check is not safe: start it
        // as soon as the handler has returned.
        m_readyState = ReadyLoading;
        QTimer::singleShot(0, this, [this, url] { Load(url); });
        return;
    }
    Load(url);
}

void TWebBrowser::Load(const QUrl& url) {
    const bool blank = url.scheme() == QLatin1String("about");
    m_heldUrl.clear();
    ++m_loadRequests;
    if (m_blankUnderway && !blank) {
        // A page asked for while a blank page loads: the engine ends the blank load and may then
        // report neither a start nor an end for the page, which would count as loaded with the
        // blank on show. The page is loaded once the blank load has ended (or has had time to).
        m_heldUrl = url;
        m_readyState = ReadyLoading;
        QTimer::singleShot(kBlankWaitMs, this, [this, serial = m_loadRequests] { LoadHeld(serial); });
        return;
    }
    m_blankUnderway = false;
    // A new fragment of the page on show: Chromium moves within the document, with neither
    // acceptNavigationRequest nor a load of its own; only the address changes.
    const QUrl current = page()->url();
    const bool sameDocument = !url.fragment().isEmpty() && url != current &&
                              url.adjusted(QUrl::RemoveFragment) == current.adjusted(QUrl::RemoveFragment);
    // Chromium loads about: pages without asking acceptNavigationRequest either; ask the
    // handler here for both.
    if ((sameDocument || url.scheme() == QLatin1String("about")) && !BeforeNavigate(url, std::nullopt))
        return;
    m_sameDocumentUrl = sameDocument ? url : QUrl();
    // A javascript: address runs in the current document and starts no load to wait for.
    if (url.scheme() != QLatin1String("javascript")) {
        // A load started while the page is still loading gets no start of its own: the page
        // reports one end for both, and that end is this load's.
        m_awaitingStart = !m_pageLoading;
        m_readyState = ReadyLoading;
    }
    load(url);
    m_rendererWatch->Watch(url);
    if (blank) {
        // Asked for in the same turn of the event loop, the next page simply replaces the blank
        // one; from the next turn on (before the engine reports the load's start), the blank page
        // may be committing.
        QTimer::singleShot(0, this, [this, serial = m_loadRequests] {
            if (serial == m_loadRequests && m_readyState == ReadyLoading)
                m_blankUnderway = true;
        });
    }
}

void TWebBrowser::LoadHeld(quint64 serial) {
    // A later navigation (or Stop, Back, Forward) replaced the held one.
    if (serial != m_loadRequests || m_heldUrl.isEmpty())
        return;
    m_blankUnderway = false;
    Load(std::exchange(m_heldUrl, QUrl()));
}

void TWebBrowser::GoBack() {
    m_heldUrl.clear();
    if (history()->canGoBack())
        back();
}

void TWebBrowser::GoForward() {
    m_heldUrl.clear();
    if (history()->canGoForward())
        forward();
}

void TWebBrowser::Stop() {
    m_heldUrl.clear();
    stop();
}

void TWebBrowser::ClearHistory() {
    history()->clear();
    ReportCommandStates();
}

void TWebBrowser::ClearHistoryUntilNextPage() {
    m_forgetUntilPage = true;
    m_forgetSawStart = false;
    ClearHistory();
}

void TWebBrowser::ForgetBeforeNextPage(bool loadEnded) {
    if (!m_forgetUntilPage)
        return;
    // Until a page is committed the history holds only the one shown when it was cleared.
    if (history()->count() > 1)
        history()->clear();
    // The end of a load started before the clear (one just stopped) shows no new page.
    if (!loadEnded || !m_forgetSawStart)
        return;
    const QUrl shown = history()->currentItem().url();
    if (shown.isValid() && shown.scheme() != QLatin1String("about"))
        m_forgetUntilPage = false;
}

void ClearHistoryOf(QWidget* window) {
    if (!window)
        return;
    for (TWebBrowser* browser : window->findChildren<TWebBrowser*>())
        browser->ClearHistory();
}

void TWebBrowser::StartRenderer() {
    page()->runJavaScript(QString(), QWebEngineScript::ApplicationWorld);
}

bool TWebBrowser::LoadBlankAndWait() {
    Navigate(QStringLiteral("about:blank"));
    return WaitUntilComplete();
}

void TWebBrowser::LoadBlankThen(std::function<void()> next) {
    const quint64 serial = ++m_afterBlankSerial;
    m_afterBlank = std::move(next);
    Navigate(QStringLiteral("about:blank"));
    if (m_readyState != ReadyLoading) {
        RunAfterBlank();
        return;
    }
    QTimer::singleShot(kLoadWaitMs, this, [this, serial] {
        if (serial != m_afterBlankSerial || !m_afterBlank)
            return;
        qWarning("Пустая страница не загрузилась за %d с, следующий шаг выполнен без неё",
                 kLoadWaitMs / 1000);
        RunAfterBlank();
    });
}

void TWebBrowser::RunAfterBlank() {
    if (const auto next = std::exchange(m_afterBlank, nullptr))
        next();
}

bool TWebBrowser::WaitUntilComplete(int timeoutMs) {
    if (m_readyState == ReadyComplete || m_readyState == ReadyUninitialized)
        return true;
    QPointer<TWebBrowser> self(this);
    QEventLoop loop;
    connect(this, &TWebBrowser::LoadComplete, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(std::max(timeoutMs, 0));
    // Returns at once when the application is already quitting: QCoreApplication::exit ends
    // every running event loop and lets no new one start.
    loop.exec();
    if (!self)
        return false;
    if (m_readyState == ReadyLoading && !bound.isActive()) {
        qWarning("Страница не загрузилась за %d с, ожидание прервано: %s", timeoutMs / 1000,
                 qUtf8Printable(page()->requestedUrl().toString()));
        return false;
    }
    return true;
}

void TWebBrowser::SetComplete() {
    m_readyState = ReadyComplete;
    // Not inside the engine's report of the load.
    if (m_afterBlank)
        QTimer::singleShot(0, this, [this, serial = m_afterBlankSerial] {
            if (serial == m_afterBlankSerial)
                RunAfterBlank();
        });
    emit LoadComplete();
}

bool TWebBrowser::DocumentLoaded() const {
    return m_readyState == ReadyComplete && m_htmlDocument && !page()->url().isEmpty();
}

QString TWebBrowser::LocationURL() const {
    return page()->url().toString();
}

int TWebBrowser::ReadyState() const {
    return m_readyState;
}

bool TWebBrowser::BeforeNavigate(const QUrl& url, const std::optional<QString>& targetFrameName) {
    if (!m_approvedUrl.isEmpty() && url == m_approvedUrl) {
        // This handler already saw (and let through) the navigation as a new window's.
        m_approvedUrl.clear();
        return true;
    }
    // A copy: the handler may clear or replace itself while it runs.
    const auto handler = OnBeforeNavigate2;
    if (!handler)
        return true;
    bool cancel = false;
    ++m_beforeNavigateDepth;
    RunHandler([&] { handler(this, url.toString(), targetFrameName, cancel); });
    --m_beforeNavigateDepth;
    return !cancel;
}

TWebBrowser* TWebBrowser::RequestNewWindow() {
    const auto handler = OnNewWindow2;
    if (!handler)
        return nullptr;
    TWebBrowser* receiver = nullptr;
    bool cancel = false;
    RunHandler([&] { handler(this, receiver, cancel); });
    return cancel ? nullptr : receiver;
}

void TWebBrowser::DeliverNewWindowNavigation(const QUrl& url, const QString& targetFrameName) {
    QPointer<TWebBrowser> self(this);
    bool cancel = false;
    if (const auto handler = OnBeforeNavigate2)
        RunHandler([&] { handler(this, url.toString(), targetFrameName, cancel); });
    if (!self || cancel)
        return;
    m_approvedUrl = url;
    Load(url);
}

QByteArray TWebBrowser::PagePdf(const QPageLayout& layout) {
    if (!m_pdf.isEmpty() && m_pdfSerial == m_loadSerial && m_pdfLayout.isEquivalentTo(layout) &&
        m_pdfLayout.orientation() == layout.orientation())
        return m_pdf;
    if (m_pdfJob)
        return {}; // asked again from inside the wait (a preview repainting): not twice at once

    // Chromium always answers, but only through the event loop; the answer may come after this
    // browser is gone, so it writes into a shared job.
    auto job = std::make_shared<TPdfJob>();
    m_pdfJob = job;
    page()->printToPdf(
        [job](const QByteArray& pdf) {
            job->Pdf = pdf;
            job->Done = true;
        },
        layout);
    QPointer<TWebBrowser> self(this);
    // Not a QEventLoop: that would return at once while the application quits, and the page
    // must not go while Chromium still lays it out.
    while (!job->Done && self)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!self)
        return {};
    m_pdfJob.reset();
    if (job->Pdf.isEmpty())
        return {};
    m_pdf = job->Pdf;
    m_pdfLayout = layout;
    m_pdfSerial = m_loadSerial;
    return m_pdf;
}

TPrintFields TWebBrowser::PrintFields() const {
    TPrintFields fields;
    fields.Title = m_printTitle.isEmpty() ? title() : m_printTitle;
    fields.Url = LocationURL();
    fields.PrintedAt = QDateTime::currentDateTime();
    return fields;
}

bool TWebBrowser::RenderToPrinter(QPrinter* printer) {
    const QByteArray pdf = PagePdf(printer->pageLayout());
    if (pdf.isEmpty())
        return false;
    return PaintPrintedPages(printer, pdf, PrintFields());
}

QByteArray TWebBrowser::PrintedPdf(const QPageLayout& layout, QString* error) {
    const QByteArray body = PagePdf(layout);
    if (body.isEmpty()) {
        if (error)
            *error = QStringLiteral("Браузер не смог подготовить страницу к печати");
        return {};
    }
    return ComposePrintedPdf(body, layout, PrintFields(), error);
}

bool TWebBrowser::PrintOn(QPrinter* printer, QString* error) {
    QPageRanges ranges;
    if (printer->printRange() == QPrinter::PageRange)
        ranges = printer->pageRanges();
    const bool toFile =
        printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    if (!toFile && !IsCupsQueue(printer->printerName())) {
        // Not a queue we can hand a PDF to: paint the pages as before.
        if (RenderToPrinter(printer))
            return true;
        if (error)
            *error = QStringLiteral("Не удалось напечатать страницу");
        return false;
    }
    const QByteArray pdf = PrintedPdf(printer->pageLayout(), error);
    if (pdf.isEmpty())
        return false;
    if (toFile) {
        const QByteArray selected = SelectPdfPages(pdf, ranges, error);
        return !selected.isEmpty() && WriteFileAtomically(printer->outputFileName(), selected, error);
    }
    TCupsJob job;
    job.Printer = printer->printerName();
    job.Title = printer->docName().isEmpty() ? title() : printer->docName();
    job.Copies = printer->copyCount();
    job.Collate = printer->collateCopies();
    job.PageRanges = ranges.toString();
    // The print dialog keeps its other CUPS choices (pages per sheet, odd or even pages,
    // banners, priority) on the printer's engine as name, value pairs; Qt's own CUPS engine
    // reads them from the same key.
    const QStringList dialogOptions = printer->printEngine()
                                          ->property(QPrintEngine::PrintEnginePropertyKey(kCupsOptionsKey))
                                          .toStringList();
    for (qsizetype i = 0; i + 1 < dialogOptions.size(); i += 2)
        job.Options.append({dialogOptions.at(i), dialogOptions.at(i + 1)});
    switch (printer->duplex()) {
    case QPrinter::DuplexNone:
        job.Sides = QStringLiteral("one-sided");
        break;
    case QPrinter::DuplexLongSide:
        job.Sides = QStringLiteral("two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        job.Sides = QStringLiteral("two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        break;
    }
    return SendPdfToCups(job, pdf, error) > 0;
}

bool TWebBrowser::WaitForPrinting() {
    QPointer<TWebBrowser> self(this);
    if (WaitUntilComplete())
        return true;
    // Gone or quitting: nobody to tell. A page that never finished: the user asked for something.
    if (self && m_readyState == ReadyLoading)
        ReportError(QStringLiteral("Страница ещё не загрузилась, печать невозможна"));
    return false;
}

void TWebBrowser::Print() {
    if (!WaitForPrinting())
        return;
    QPrinter* printer = SharedPrinter();
    QPrintDialog dialog(printer, window());
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!PrintOn(printer, &error))
        ReportError(error.isEmpty() ? QStringLiteral("Не удалось напечатать страницу") : error);
}

void TWebBrowser::PrintPreview() {
    if (!WaitForPrinting())
        return;
    QPrinter* printer = SharedPrinter();
    // Lay the page out before the window opens, so that its first pages come at once.
    QPointer<TWebBrowser> self(this);
    PagePdf(printer->pageLayout());
    if (!self)
        return;
    QPrintPreviewDialog dialog(printer, window());
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { RenderToPrinter(target); });
    dialog.exec();
}

void TWebBrowser::PageSetup() {
    if (!WaitForPrinting())
        return;
    QPageSetupDialog dialog(SharedPrinter(), window());
    dialog.setWindowTitle(QStringLiteral("Параметры страницы"));
    dialog.exec();
}

bool TWebBrowser::SaveAsPdf(const QString& fileName, QString* error) {
    if (!WaitUntilComplete()) {
        if (error)
            *error = QStringLiteral("Страница не загружена");
        return false;
    }
    const QByteArray pdf = PrintedPdf(SharedPrinter()->pageLayout(), error);
    return !pdf.isEmpty() && WriteFileAtomically(fileName, pdf, error);
}
