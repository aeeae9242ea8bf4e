// Reading a large tree document: the player's document class, which hands the parser the file a
// piece at a time, against the whole file read into memory first and then parsed from there (as
// the player used to), in the same run. Measures time and the peak memory each read adds, and
// prints both ratios. Also the refusal of a 1.5 GB descriptor, which must cost nothing.

#include "bench/bench_ratio.h"
#include "core/XmlDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <libxml/parser.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>

namespace {

// The tree document, made once: about 30 MB of nested Russian items, under the tree limit.
const QString& TreeFile() {
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath(QStringLiteral("tree.xml"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the tree document");
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>\n");
        for (int i = 0; i < 40000; ++i) {
            QByteArray chapter = QStringLiteral("<item id=\"%1\" text=\"&lt;b&gt;Глава %1.&lt;/b&gt; Основы "
                                                "темы, определения и примеры\">\n")
                                     .arg(i)
                                     .toUtf8();
            for (int j = 0; j < 6; ++j)
                chapter += QStringLiteral("  <item id=\"%1\" text=\"Параграф %2: задачи с решениями и "
                                          "вопросы для самопроверки\"/>\n")
                               .arg(100000 + i * 10 + j)
                               .arg(j + 1)
                               .toUtf8();
            chapter += "</item>\n";
            file.write(chapter);
        }
        file.write("</tree>\n");
    }
    return path;
}

const QString& HugeDescriptor() {
    static std::unique_ptr<QTemporaryDir> dir;
    static QString path;
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath(QStringLiteral("huge.xml"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(3) << 29)) // sparse, 1.5 GB
            qFatal("cannot make the huge descriptor");
    }
    return path;
}

qint64 StatusKb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The memory a read adds at its peak, in MB. Memory freed by earlier reads goes back to the
// system first, so that no read runs on what another left behind; then the process's
// high-water mark is reset.
template <typename Read> double PeakGrowthMb(Read read) {
    malloc_trim(0);
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    reset.close();
    const qint64 before = StatusKb("VmRSS");
    read();
    return double(StatusKb("VmHWM") - before) / 1024;
}

constexpr int kOptions = XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// The baseline: the whole file read into memory, then parsed from there by libxml2.
void WholeFileThenParse(benchmark::State& state) {
    const QString path = TreeFile();
    double peak = 0;
    for (auto _ : state) {
        peak = std::max(peak, PeakGrowthMb([&] {
                            QFile file(path);
                            if (!file.open(QIODevice::ReadOnly))
                                qFatal("cannot read the tree document");
                            const QByteArray bytes = file.readAll();
                            xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr,
                                                          nullptr, kOptions);
                            if (!doc)
                                qFatal("the baseline failed to parse");
                            xmlFreeDoc(doc);
                        }));
    }
    state.counters["peak_MB"] = peak;
}

void TXMLDocumentLoad(benchmark::State& state) {
    const QString path = TreeFile();
    double peak = 0;
    for (auto _ : state) {
        peak = std::max(peak, PeakGrowthMb([&] {
                            TXMLDocument doc;
                            doc.LoadFromFile(path, TXmlFileKind::Tree);
                            benchmark::DoNotOptimize(doc.DocumentElement().FirstChild());
                        }));
    }
    state.counters["peak_MB"] = peak;
}

// A descriptor of 1.5 GB is refused by its size before a byte is read.
void RefuseHugeDescriptor(benchmark::State& state) {
    const QString path = HugeDescriptor();
    TXMLDocument doc;
    for (auto _ : state) {
        try {
            doc.LoadFromFile(path, TXmlFileKind::Descriptor);
            qFatal("a huge descriptor was read");
        } catch (const TXmlFileTooLarge&) {
        }
    }
}

BENCHMARK(WholeFileThenParse)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(TXMLDocumentLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(RefuseHugeDescriptor)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("tree document: %.1f MB\n", double(QFile(TreeFile()).size()) / (1 << 20));
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string base = "WholeFileThenParse/iterations:5/real_time";
    const std::string ours = "TXMLDocumentLoad/iterations:5/real_time";
    if (reporter.Real.count(base) && reporter.Real.count(ours)) {
        std::printf("\n%-28s %12s %12s\n", "", "time ms", "peak MB");
        std::printf("%-28s %12.1f %12.1f\n", "whole file, then parse", reporter.Real[base],
                    reporter.Counters[base]["peak_MB"]);
        std::printf("%-28s %12.1f %12.1f\n", "TXMLDocument, piece by piece", reporter.Real[ours],
                    reporter.Counters[ours]["peak_MB"]);
        std::printf("%-28s %12.2f %12.2f   (target: time ratio under 1.2, peak ratio under 0.9)\n", "ratio",
                    reporter.Real[ours] / reporter.Real[base],
                    reporter.Counters[ours]["peak_MB"] / reporter.Counters[base]["peak_MB"]);
    }
    benchmark::Shutdown();
    return 0;
}
