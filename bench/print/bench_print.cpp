// "Сохранить как PDF" of a ten-page text page: the vector file (the browser's own PDF with the
// header and footer laid on as text) against the painted pipeline (each page rasterised at
// 300 dpi with the header and footer painted over it), both in the same run. Prints the time
// and size of each and their ratios.
//
//   bench_print [--benchmark_...]   (offscreen: QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

#include "browser/BrowserProfile.h"
#include "browser/EmbeddedBrowser.h"
#include "browser/PrintPipeline.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

struct TFixture {
    QTemporaryDir Dir;
    QString Page;
    TEmbeddedBrowser* Browser = nullptr;
};

TFixture* Fixture = nullptr;

void WaitFor(const std::function<bool()>& done) {
    while (!done()) {
        QEventLoop pass;
        QTimer::singleShot(1, &pass, &QEventLoop::quit);
        pass.exec();
    }
}

// Ten pages of A4 with the default margins: paragraphs of lesson text, a heading and a link.
bool WriteTenPagePage(const QString& path) {
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Урок: переменный ток</title>"
                      "<style>body{margin:0;font:14px/20px serif}p{margin:0 0 20px}</style></head><body>"
                      "<h1>Переменный ток</h1><p><a href=\"https://example.org/ohm\">Закон Ома</a></p>";
    for (int i = 1; i <= 112; ++i)
        html += "<p>" + QByteArray::number(i) +
                ". Переменным называют ток, который периодически изменяется по величине и направлению. "
                "Alternating current changes its direction periodically; its effective value is the "
                "value of a direct current that heats a resistor equally.</p>";
    html += "</body></html>";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(html) == html.size();
}

// Reloads the page, so that each save lays it out anew (the browser keeps the last layout).
void Reload() {
    TEmbeddedBrowser* browser = Fixture->Browser;
    browser->Navigate(QStringLiteral("about:blank"));
    WaitFor([&] { return browser->ReadyState() == TWebBrowser::ReadyComplete; });
    browser->Navigate(Fixture->Page);
    WaitFor([&] { return browser->ReadyState() == TWebBrowser::ReadyComplete; });
}

// The painted pipeline as "Сохранить как PDF" ran it before: a PDF printer painted page by page.
bool SavePainted(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageLayout(SharedPrinter()->pageLayout());
    printer.setDocName(Fixture->Browser->title());
    return Fixture->Browser->RenderToPrinter(&printer);
}

int PageCount(const QString& fileName) {
    QPdfDocument document;
    return document.load(fileName) == QPdfDocument::Error::None ? document.pageCount() : 0;
}

void BM_SaveAsPdf(benchmark::State& state) {
    const QString vectorFile = Fixture->Dir.filePath(QStringLiteral("vector.pdf"));
    const QString paintedFile = Fixture->Dir.filePath(QStringLiteral("painted.pdf"));
    double vectorMs = 0;
    double paintedMs = 0;
    for (auto _ : state) {
        Reload();
        QElapsedTimer timer;
        timer.start();
        const bool vectorSaved = Fixture->Browser->SaveAsPdf(vectorFile);
        const double vector = timer.nsecsElapsed() / 1e6;

        Reload();
        timer.restart();
        const bool paintedSaved = SavePainted(paintedFile);
        const double painted = timer.nsecsElapsed() / 1e6;
        if (!vectorSaved || !paintedSaved) {
            state.SkipWithError("a save failed");
            return;
        }
        state.SetIterationTime(vector / 1000.0);
        vectorMs += vector;
        paintedMs += painted;
    }
    const double n = double(state.iterations());
    const double vectorKb = QFileInfo(vectorFile).size() / 1024.0;
    const double paintedKb = QFileInfo(paintedFile).size() / 1024.0;
    state.counters["pages"] = PageCount(vectorFile);
    state.counters["painted_pages"] = PageCount(paintedFile);
    state.counters["vector_ms"] = vectorMs / n;
    state.counters["painted_ms"] = paintedMs / n;
    state.counters["time_ratio"] = paintedMs > 0 ? vectorMs / paintedMs : 0;
    state.counters["vector_kb"] = vectorKb;
    state.counters["painted_kb"] = paintedKb;
    state.counters["size_ratio"] = paintedKb > 0 ? vectorKb / paintedKb : 0;
}

} // namespace

BENCHMARK(BM_SaveAsPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    {
        TFixture fixture;
        Fixture = &fixture;
        fixture.Page = fixture.Dir.filePath(QStringLiteral("lesson.html"));
        if (!WriteTenPagePage(fixture.Page))
            return 1;
        SetAllowedFileRoots({fixture.Dir.path()});
        SharedPrinter()->setPageLayout(DefaultPrintLayout(QPageSize(QPageSize::A4)));
        TEmbeddedBrowser browser;
        browser.resize(800, 600);
        fixture.Browser = &browser;
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
