#pragma once

#include "browser/PrintHeaderFooter.h"

#include <QPageLayout>
#include <QPointer>
#include <QString>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>

class TRendererWatch;
class TWebPage;
class QPrinter;
class QWidget;

// The common base of the player's browsers: a QWebEngineView with the navigation events and
// operations every window relies on. Handlers are plain std::function members, assigned and
// cleared in code; a handler may clear itself (or pump events) while it runs.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
public:
    // Load states reported by ReadyState.
    enum : int { ReadyUninitialized = 0, ReadyLoading = 1, ReadyComplete = 4 };
    // Commands of OnCommandStateChange.
    enum : int { CommandForward = 1, CommandBack = 2 };

    // Fires before every navigation of the page and of its frames; cancel abandons it.
    // targetFrameName: for the browser's own navigations, no value. For the navigation of a
    // new window handed to this browser through OnNewWindow2, the window name exactly as the
    // page wrote it; "_blank" and a missing name both give the empty string.
    std::function<void(TWebBrowser* sender, const QString& url, const std::optional<QString>& targetFrameName,
                       bool& cancel)>
        OnBeforeNavigate2;
    // A page asks for a new window: the handler stores the browser that receives the new
    // window's navigation in ppDisp (nullptr or cancel: nothing opens); that browser's
    // OnBeforeNavigate2 then carries the URL and target name. Fires once the new window's
    // address and name are known, right before that OnBeforeNavigate2; without a handler a
    // page can open no window at all.
    std::function<void(TWebBrowser* sender, TWebBrowser*& ppDisp, bool& cancel)> OnNewWindow2;
    // command 1: whether going forward is possible; command 2: the same for back. Both are
    // reported after every finished load and every change of address (also within the page
    // and by going back or forward), so the first page already reports "not possible".
    std::function<void(TWebBrowser* sender, int command, bool enable)> OnCommandStateChange;
    // A navigation finished (successfully or not).
    std::function<void(TWebBrowser* sender)> OnNavigateComplete2;
    // The page's renderer stopped answering while a navigation waited for it: it was ended and
    // the navigation started again in a fresh one.
    std::function<void(TWebBrowser* sender)> OnNotResponding;

    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    // A URL or a local path; a fragment after '#' reaches the page as its fragment.
    void Navigate(const QString& urlOrPath);
    // Without history nothing happens.
    void GoBack();
    void GoForward();
    void Stop();
    // Forgets every page before and after the one shown, and reports Back and Forward as not
    // possible: another course or library starts with no way back into the last one.
    void ClearHistory();
    // ClearHistory now, and again each time a page is shown until one other than about:blank is:
    // the history starts afresh with that page, and nothing has to wait for a blank page first.
    void ClearHistoryUntilNextPage();
    // How long a wait for a load lasts at most: far above any local page, well below "for ever".
    static constexpr int kLoadWaitMs = 30000;
    // How long a page asked for during a blank page's load waits for that load to end at most.
    static constexpr int kBlankWaitMs = 2000;

    // Starts the renderer of the page before its first load, which then does not wait some
    // 100 ms for it: an empty script runs in the empty page. No load starts, so the load
    // reports of the browser are untouched.
    void StartRenderer();

    // Navigates to about:blank and waits for it as WaitUntilComplete does.
    bool LoadBlankAndWait();
    // Navigates to about:blank and runs next once that load is complete (at once when nothing
    // loads, after kLoadWaitMs at the latest), from the event loop: no nested loop waits, which
    // could stall the engine when the caller runs inside its work. A later call replaces next.
    void LoadBlankThen(std::function<void()> next);
    // Pumps events until the load is complete (at once when nothing loads), the browser is gone
    // (false), the application quits, or timeoutMs pass (false, with a warning naming the page):
    // a load that never ends must not hold its caller for ever. Sleeps between events.
    bool WaitUntilComplete(int timeoutMs = kLoadWaitMs);

    bool DocumentLoaded() const;
    QString LocationURL() const;
    int ReadyState() const;

    // Print dialog, then the page on the chosen printer with header and footer.
    void Print();
    // A preview window of the same pages, from which the user prints.
    void PrintPreview();
    // Edits the shared printer (paper, orientation, margins); the next print uses it.
    void PageSetup();
    // The page as vector PDF with header and footer, on the shared printer's paper, written in
    // one step (an older file stays whole on failure); false, with the reason in *error, on failure.
    bool SaveAsPdf(const QString& fileName, QString* error = nullptr);

    // The title printed in the header in place of the page's own; empty: the page's title.
    void SetPrintTitle(const QString& title) { m_printTitle = title; }

    // The page as vector PDF laid out for layout, with header and footer; empty, with the reason
    // in *error, on failure. Pumps events while the page is laid out.
    QByteArray PrintedPdf(const QPageLayout& layout, QString* error = nullptr);

    // Prints the current page on printer as the print dialog left it: as vector PDF to a CUPS
    // queue or a PDF file (with the dialog's copies and page range), painted on any other printer.
    bool PrintOn(QPrinter* printer, QString* error = nullptr);

    // Renders the current page onto printer (already set up) through the print pipeline; false
    // when the page could not be laid out or painted. Pumps events while the page is laid out.
    bool RenderToPrinter(QPrinter* printer);

signals:
    // The load state has become ReadyComplete.
    void LoadComplete();

private:
    friend class TWebPage;
    friend class TNewWindowCatcher;

    // Runs OnBeforeNavigate2 for a navigation of this browser's page; true lets it proceed.
    bool BeforeNavigate(const QUrl& url, const std::optional<QString>& targetFrameName);
    // Runs OnNewWindow2; the receiving browser, or nullptr when nothing is to open.
    TWebBrowser* RequestNewWindow();
    // A new window's navigation handed over by the page that asked for it.
    void DeliverNewWindowNavigation(const QUrl& url, const QString& targetFrameName);
    void Load(const QUrl& url);
    // Loads the navigation held back while a blank page loaded, unless another Load came after it
    // (serial: m_loadRequests when it was held).
    void LoadHeld(quint64 serial);
    // Title, address and time of the page for the header and footer.
    TPrintFields PrintFields() const;
    // The page as PDF laid out for layout; empty on failure. Pumps events while it waits.
    QByteArray PagePdf(const QPageLayout& layout);
    // WaitUntilComplete before printing; a page that never finished loading is reported.
    bool WaitForPrinting();
    void ConnectPageSignals();
    void ReportCommandStates();
    // The second half of ClearHistoryUntilNextPage, whenever a page may have been shown;
    // loadEnded: at the end of a load.
    void ForgetBeforeNextPage(bool loadEnded);
    void SetComplete();
    void RunAfterBlank();

    TRendererWatch* m_rendererWatch = nullptr; // child of the page
    int m_readyState = ReadyUninitialized;
    bool m_awaitingStart = false;       // Navigate was called and its load has not started yet
    bool m_forgetUntilPage = false;     // ClearHistoryUntilNextPage: no page but about:blank shown since
    bool m_forgetSawStart = false;      // ... and a load has started since
    bool m_pageLoading = false;         // between the page's loadStarted and loadFinished
    bool m_blankUnderway = false;       // a load of about:blank may be committing and has not ended
    QUrl m_heldUrl;                     // Navigate's target, loaded once that blank load has ended
    quint64 m_loadRequests = 0;         // counts Load calls
    bool m_htmlDocument = false;        // the loaded document is an HTML document
    int m_beforeNavigateDepth = 0;      // inside OnBeforeNavigate2: Navigate waits for it to return
    QUrl m_sameDocumentUrl;             // Load moves within the shown document to this address
    QUrl m_approvedUrl;                 // a new-window navigation already announced to the handler
    QString m_printTitle;               // the header's title when set (batch printing names pages)
    quint64 m_loadSerial = 0;           // counts finished loads, to know when m_pdf is stale
    QByteArray m_pdf;                   // the last page laid out for printing ...
    QPageLayout m_pdfLayout;            // ... for this layout ...
    quint64 m_pdfSerial = 0;            // ... after this many loads
    std::function<void()> m_afterBlank; // LoadBlankThen's next step, still to run
    quint64 m_afterBlankSerial = 0;     // counts LoadBlankThen calls
    struct TPdfJob {
        QByteArray Pdf;
        bool Done = false;
    };
    std::shared_ptr<TPdfJob> m_pdfJob; // the printToPdf under way
};

// Clears the history of every browser in window (its page, the hidden browser of its pop-ups):
// after a library switch the old library's pages are outside the folders pages may read.
void ClearHistoryOf(QWidget* window);
