// The search index on a generated library the size of a shelf of discs: 50 courses, 50,000 item
// pages, about 100 MB of text (Russian-like words with Russian endings; mostly HTML pages, some
// in windows-1251, and XML pages shown through an XSLT stylesheet, as real discs have).
// Measured in one run:
//   - the floor: libxml2 parsing each page and joining its text nodes (raw extraction);
//   - the first index of the whole library (walk, visible text, full-text tables), and its ratio to
//     the floor;
//   - re-opening the unchanged library (walk, sizes and times compared, nothing indexed);
//   - the 95th percentile of 200 mixed queries (words, forms, phrases, prefixes, one course).
// `--pages=N` (or CP_BENCH_SEARCH_PAGES=N) makes a smaller library for a quick run.

#include "bench/bench_ratio.h"
#include "bench/search/BenchLibrary.h"
#include "search/PageText.h"
#include "search/SearchIndex.h"
#include "search/SearchSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <time.h>

namespace {

int g_pages = 50000;
double g_p50 = 0;
double g_p95 = 0;
double g_cpuP95 = 0;
double g_rawCpu = 0; // CPU seconds of all threads
double g_indexCpu = 0;
TLibrary& Library() {
    return GeneratedLibrary(g_pages);
}

const std::vector<TSearchItem>& Items() {
    static const std::vector<TSearchItem> items = ListSearchItems(Library().Dir.path());
    return items;
}

QString IndexFolder() {
    return Library().Dir.path() + QStringLiteral("-index");
}

// The floor: the page's bytes parsed by libxml2 (its XML parser for XML documents, its HTML parser
// for the rest) and the text nodes joined, with no care for scripts, styles or stylesheets.
void RawText(xmlNodePtr node, std::string& out) {
    for (; node; node = node->next) {
        if ((node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) && node->content) {
            out += reinterpret_cast<const char*>(node->content);
            out += ' ';
        } else if (node->children && node->type != XML_ENTITY_REF_NODE) {
            RawText(node->children, out);
        }
    }
}

qsizetype RawPageTextSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    const bool xml = bytes.startsWith("<?xml");
    xmlDocPtr doc = xml ? xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING)
                        : htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                         HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                             HTML_PARSE_RECOVER);
    if (!doc)
        return 0;
    std::string text;
    RawText(doc->children, text);
    xmlFreeDoc(doc);
    return QString::fromUtf8(text.data(), qsizetype(text.size())).size();
}

// CPU seconds of every thread of the process so far.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_RawExtraction(benchmark::State& state) {
    const auto& items = Items();
    for (auto _ : state) {
        const double cpu = ProcessCpuSeconds();
        qsizetype chars = 0;
        for (const TSearchItem& item : items)
            chars += RawPageTextSize(item.PagePath);
        benchmark::DoNotOptimize(chars);
        state.counters["MB_text"] = double(chars) * 2 / 1e6;
        g_rawCpu = ProcessCpuSeconds() - cpu;
        state.counters["cpu_s_all"] = g_rawCpu;
    }
}

// Informative: the visible-text extraction the index uses (XSLT, scripts and styles left out).
void BM_VisibleTextExtraction(benchmark::State& state) {
    const auto& items = Items();
    for (auto _ : state) {
        const double cpu = ProcessCpuSeconds();
        qint64 chars = 0;
        for (const TSearchItem& item : items)
            chars += ExtractPageText(item.PagePath).size();
        benchmark::DoNotOptimize(chars);
        state.counters["cpu_s_all"] = ProcessCpuSeconds() - cpu;
    }
}

void BM_FirstIndex(benchmark::State& state) {
    Items();
    for (auto _ : state) {
        QDir(IndexFolder()).removeRecursively();
        const double cpu = ProcessCpuSeconds();
        TSearchIndex index(Library().Dir.path(), IndexFolder());
        index.UpdateNow();
        g_indexCpu = ProcessCpuSeconds() - cpu;
        state.counters["cpu_s_all"] = g_indexCpu;
    }
    qint64 bytes = 0;
    QDirIterator files(IndexFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        bytes += QFileInfo(files.next()).size();
    state.counters["index_MB"] = double(bytes) / 1e6;
}

void EnsureIndex() {
    if (!QFileInfo::exists(IndexFolder() + QStringLiteral("/0.db"))) {
        TSearchIndex index(Library().Dir.path(), IndexFolder());
        index.UpdateNow();
    }
}

void BM_ReopenUnchanged(benchmark::State& state) {
    EnsureIndex();
    int reindexed = 0;
    for (auto _ : state) {
        TSearchIndex index(Library().Dir.path(), IndexFolder());
        QObject::connect(&index, &TSearchIndex::Progress,
                         [&reindexed](int, int total) { reindexed = total; });
        index.UpdateNow();
        benchmark::DoNotOptimize(index.Search(QStringLiteral("теорема")).size());
    }
    state.counters["reindexed"] = reindexed;
}

struct TQuery {
    QString Text;
    int Course = -1;
};

// 200 queries as people type them: frequent and rare words, other forms, ё, two words, phrases
// from the pages, prefixes, one course.
std::vector<TQuery> Queries() {
    std::vector<TQuery> queries;
    std::mt19937 rng(99);
    const auto& items = Items();
    const auto real = [&] { return QString::fromUtf8(kRealWords[rng() % std::size(kRealWords)]); };
    for (int i = 0; i < 50; ++i)
        queries.push_back({i % 2 ? real() : Vocabulary().Word(rng)});
    for (int i = 0; i < 40; ++i)
        queries.push_back({real() + u' ' + (i % 2 ? real() : Vocabulary().Word(rng))});
    for (int i = 0; i < 30; ++i) {
        const QString text = ExtractPageText(items[rng() % items.size()].PagePath);
        const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
        const qsizetype at = words.size() > 3 ? qsizetype(rng() % (words.size() - 3)) : 0;
        QString phrase = words.mid(at, 2).join(u' ');
        phrase.remove(u'.');
        queries.push_back({u'"' + phrase + u'"'});
    }
    for (int i = 0; i < 30; ++i)
        queries.push_back({(i % 2 ? real() : Vocabulary().Word(rng)).left(4) + u'*'});
    for (int i = 0; i < 30; ++i)
        queries.push_back({real(), 1 + int(rng() % kCourses)});
    for (int i = 0; i < 20; ++i)
        queries.push_back({QStringLiteral("ЁЛКА ") + Vocabulary().Word(rng).toUpper()});
    return queries;
}

void BM_Queries(benchmark::State& state) {
    EnsureIndex();
    TSearchIndex index(Library().Dir.path(), IndexFolder());
    const std::vector<TQuery> queries = Queries();
    std::vector<double> ms;
    std::vector<double> cpuMs; // this thread's CPU time: what a query costs when the machine is busy
    size_t found = 0;
    for (auto _ : state) {
        ms.clear();
        cpuMs.clear();
        for (const TQuery& q : queries) {
            timespec c0{}, c1{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
            QElapsedTimer t;
            t.start();
            found += index.Search(q.Text, q.Course).size();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
            cpuMs.push_back(double(c1.tv_sec - c0.tv_sec) * 1e3 + double(c1.tv_nsec - c0.tv_nsec) / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    g_cpuP95 = cpuMs[size_t(double(cpuMs.size()) * 0.95) - 1];
    state.counters["cpu_p95_ms"] = g_cpuP95;
    state.counters["queries"] = double(ms.size());
    g_p50 = ms[ms.size() / 2];
    g_p95 = ms[size_t(double(ms.size()) * 0.95) - 1];
    state.counters["p50_ms"] = g_p50;
    state.counters["p95_ms"] = g_p95;
    state.counters["max_ms"] = ms.back();
    state.counters["results"] = double(found);
}

BENCHMARK(BM_RawExtraction)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_VisibleTextExtraction)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_FirstIndex)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReopenUnchanged)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Queries)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    g_pages = TakeLibraryPages(argc, argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Library();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!qEnvironmentVariableIntValue("CP_BENCH_SEARCH_KEEP"))
        QDir(IndexFolder()).removeRecursively();
    else
        std::printf("kept: %s and %s\n", qPrintable(Library().Dir.path()), qPrintable(IndexFolder()));

    const double raw = TRatioReporter::Time(reporter.Real, "BM_RawExtraction");
    const double visible = TRatioReporter::Time(reporter.Real, "BM_VisibleTextExtraction");
    const double first = TRatioReporter::Time(reporter.Real, "BM_FirstIndex");
    const double reopen = TRatioReporter::Time(reporter.Real, "BM_ReopenUnchanged");
    std::printf("\n%-52s %10s %10s %8s   %s\n", "real time", "baseline", "measured", "ratio", "target");
    if (raw > 0 && first > 0)
        std::printf("%-52s %8.1f s %8.1f s %8.2f   under 120 s, ratio at most 3\n",
                    "first index vs raw libxml2 text extraction", raw, first, first / raw);
    if (g_rawCpu > 0 && g_indexCpu > 0)
        std::printf("%-52s %8.1f s %8.1f s %8.2f   (CPU seconds of all threads)\n",
                    "first index vs raw extraction, CPU", g_rawCpu, g_indexCpu, g_indexCpu / g_rawCpu);
    if (raw > 0 && visible > 0)
        std::printf("%-52s %8.1f s %8.1f s %8.2f   (part of the first index)\n",
                    "visible text (XSLT, no scripts) vs raw extraction", raw, visible, visible / raw);
    if (reopen > 0)
        std::printf("%-52s %10s %7.0f ms %8s   under 1000 ms\n", "re-opening the unchanged library", "",
                    reopen, "");
    if (g_p95 > 0)
        std::printf("%-52s %7.1f ms %7.1f ms %8s   p95 under 50 ms\n",
                    "200 mixed queries: median, 95th percentile", g_p50, g_p95, "");
    if (g_cpuP95 > 0)
        std::printf("%-52s %10s %7.1f ms %8s   (CPU time of the querying thread)\n",
                    "200 mixed queries: 95th percentile, CPU", "", g_cpuP95, "");
    benchmark::Shutdown();
    return 0;
}
