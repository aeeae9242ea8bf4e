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
#include <cstring>
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
constexpr int kCourses = 50;
constexpr int kSections[] = {5, 7, 12, 2010};

// Real words, so that the queries look like a teacher's.
const char* const kRealWords[] = {"теорема",        "пифагора",        "уравнение",   "уравнения",
                                  "уравнений",      "квадрат",         "треугольник", "гипотенуза",
                                  "катет",          "функция",         "производная", "интеграл",
                                  "вектор",         "скорость",        "ускорение",   "сила",
                                  "энергия",        "молекула",        "атом",        "реакция",
                                  "кислота",        "клетка",          "растение",    "животное",
                                  "история",        "война",           "государство", "революция",
                                  "культура",       "литература",      "поэма",       "роман",
                                  "глагол",         "существительное", "предложение", "ёлка",
                                  "ёжик",           "зелёный",         "учёный",      "решение",
                                  "задача",         "пример",          "определение", "свойство",
                                  "доказательство", "число",           "дробь",       "множество"};

const char* const kSyllables[] = {"ка",   "ро",  "ми",  "ле",  "ст",  "на",  "по",  "ва",  "ры",
                                  "зо",   "ту",  "бе",  "дну", "гра", "пла", "тро", "кси", "мо",
                                  "ли",   "фе",  "жа",  "че",  "шу",  "вол", "мер", "сан", "тек",
                                  "ност", "пре", "ско", "ди",  "ю",   "я",   "ёж"};
const char* const kEndings[] = {"",     "а",    "ы",   "е",   "у",   "ой",  "ом",  "ами", "ах",  "ение",
                                "ения", "ений", "ать", "ает", "ают", "ный", "ная", "ное", "ных", "ого"};

struct TVocabulary {
    std::vector<QString> Stems;
    QString Word(std::mt19937& rng) const {
        // Zipf-like: a few stems are frequent, most are rare.
        std::uniform_real_distribution<double> u(0.0, 1.0);
        const double x = u(rng);
        if (x < 0.04)
            return QString::fromUtf8(kRealWords[rng() % std::size(kRealWords)]);
        const size_t i = size_t(std::pow(u(rng), 3.0) * double(Stems.size()));
        return Stems[std::min(i, Stems.size() - 1)] +
               QString::fromUtf8(kEndings[rng() % std::size(kEndings)]);
    }
};

const TVocabulary& Vocabulary() {
    static const TVocabulary v = [] {
        TVocabulary voc;
        std::mt19937 rng(7);
        for (int i = 0; i < 30000; ++i) {
            QString stem;
            const int n = 2 + int(rng() % 3);
            for (int k = 0; k < n; ++k)
                stem += QString::fromUtf8(kSyllables[rng() % std::size(kSyllables)]);
            voc.Stems.push_back(stem);
        }
        return voc;
    }();
    return v;
}

QString Sentence(std::mt19937& rng) {
    const int n = 6 + int(rng() % 10);
    QString s;
    for (int i = 0; i < n; ++i) {
        QString w = Vocabulary().Word(rng);
        if (i == 0)
            w[0] = w[0].toUpper();
        s += (i ? QStringLiteral(" ") : QString()) + w;
    }
    return s + QStringLiteral(". ");
}

// windows-1251 for the Cyrillic letters the generator uses (and ASCII).
QByteArray Cp1251(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out += char(u);
        else if (u >= 0x410 && u <= 0x44F)
            out += char(0xC0 + (u - 0x410));
        else if (u == 0x451)
            out += char(0xB8);
        else if (u == 0x401)
            out += char(0xA8);
        else
            out += '?';
    }
    return out;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the generated library");
}

const char* const kStylesheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\n"
    "<xsl:output method=\"html\" encoding=\"UTF-8\"/>\n"
    "<xsl:template match=\"/page\"><html><head><title><xsl:value-of select=\"title\"/></title></head><body>"
    "<h1><xsl:value-of select=\"title\"/></h1><xsl:apply-templates "
    "select=\"para\"/></body></html></xsl:template>\n"
    "<xsl:template match=\"para\"><p><xsl:value-of select=\".\"/></p></xsl:template>\n"
    "</xsl:stylesheet>\n";

struct TLibrary {
    QTemporaryDir Dir;
    qint64 TextBytes = 0;
    qint64 FileBytes = 0;
    int Pages = 0;
};

// One page of about 2 KB of text (0.5 to 3.5 KB).
void WritePage(const QString& path, const QString& caption, int kind, std::mt19937& rng, TLibrary& lib) {
    const int target = 200 + int(rng() % 2800);
    QStringList paragraphs;
    int length = 0;
    while (length * 2 < target) {
        QString p;
        for (int k = 0, n = 2 + int(rng() % 4); k < n; ++k)
            p += Sentence(rng);
        length += int(p.size());
        paragraphs << p.trimmed();
    }
    QByteArray bytes;
    if (kind == 2) { // XML through the section's stylesheet
        QString xml =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<?xml-stylesheet type=\"text/xsl\" href=\"page.xsl\"?>\n<page><title>%1</title>")
                .arg(caption.toHtmlEscaped());
        for (const QString& p : paragraphs)
            xml += QStringLiteral("<para>%1</para>\n").arg(p.toHtmlEscaped());
        bytes = (xml + QStringLiteral("</page>\n")).toUtf8();
    } else {
        const QString charset = kind == 1 ? QStringLiteral("windows-1251") : QStringLiteral("utf-8");
        QString html =
            QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">"
                           "<title>%2</title><style>p { margin: 4px; } h1 { color: navy; }</style>"
                           "<script>function show(id) { document.getElementById(id).style.display = "
                           "'block'; }</script></head>\n<body><h1>%2</h1>\n")
                .arg(charset, caption.toHtmlEscaped());
        for (const QString& p : paragraphs)
            html += QStringLiteral("<p>%1</p>\n").arg(p.toHtmlEscaped());
        html += QStringLiteral("<p><a href=\"javascript:show('x')\">Ответ</a></p></body></html>\n");
        bytes = kind == 1 ? Cp1251(html) : html.toUtf8();
    }
    WriteFile(path, bytes);
    lib.TextBytes += length * 2;
    lib.FileBytes += bytes.size();
    ++lib.Pages;
}

TLibrary& Library() {
    static std::unique_ptr<TLibrary> lib;
    if (lib)
        return *lib;
    lib = std::make_unique<TLibrary>();
    // CP_BENCH_SEARCH_KEEP=1 keeps the generated library and its index, to look at them.
    if (qEnvironmentVariableIntValue("CP_BENCH_SEARCH_KEEP"))
        lib->Dir.setAutoRemove(false);
    QElapsedTimer timer;
    timer.start();
    std::mt19937 rng(2026);
    const QString root = lib->Dir.path();
    const int perSection = std::max(1, g_pages / kCourses / int(std::size(kSections)));
    for (int course = 1; course <= kCourses; ++course) {
        WriteFile(root + QStringLiteral("/course%1.xml").arg(course),
                  QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CourseInfo Id=\"%1\" Group=\"Предмет "
                      "%2\" Name=\"Курс %1\" Description=\"Описание\"/>\n")
                      .arg(course)
                      .arg(course % 8)
                      .toUtf8());
        for (const int section : kSections) {
            const QString folder = root + QStringLiteral("/%1/%2").arg(course).arg(section);
            QDir().mkpath(folder);
            WriteFile(folder + QStringLiteral("/page.xsl"), kStylesheet);
            QString tree = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>\n");
            for (int id = 1; id <= perSection; ++id) {
                QString caption;
                for (int k = 0, n = 2 + int(rng() % 4); k < n; ++k)
                    caption += (k ? QStringLiteral(" ") : QString()) + Vocabulary().Word(rng);
                const QString markup = id % 5 == 0 ? QStringLiteral("<B>%1</B>").arg(caption) : caption;
                tree += QStringLiteral("<item id=\"%1\" text=\"%2\"/>\n").arg(id).arg(markup.toHtmlEscaped());
                const int roll = int(rng() % 100);
                WritePage(folder + QStringLiteral("/%1.xml").arg(id), caption,
                          roll < 15   ? 2
                          : roll < 25 ? 1
                                      : 0,
                          rng, *lib);
            }
            WriteFile(folder + QStringLiteral("/tree.xml"), (tree + QStringLiteral("</tree>\n")).toUtf8());
        }
    }
    std::printf("generated library: %d courses, %d pages, %.1f MB of text in %.1f MB of files (%.1f s)\n",
                kCourses, lib->Pages, double(lib->TextBytes) / 1e6, double(lib->FileBytes) / 1e6,
                double(timer.elapsed()) / 1000.0);
    std::fflush(stdout);
    return *lib;
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

// Our own options are taken out before Google Benchmark reads the rest.
void TakeOptions(int& argc, char** argv) {
    if (const QByteArray env = qgetenv("CP_BENCH_SEARCH_PAGES"); !env.isEmpty())
        g_pages = std::max(kCourses * 4, env.toInt());
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pages=", 8) == 0)
            g_pages = std::max(kCourses * 4, std::atoi(argv[i] + 8));
        else
            argv[out++] = argv[i];
    }
    argc = out;
}

} // namespace

int main(int argc, char** argv) {
    TakeOptions(argc, argv);
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
