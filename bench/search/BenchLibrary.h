#pragma once

// The generated library of the search and publishing benchmarks: 50 courses, by default 50,000 item
// pages, about 100 MB of text (Russian-like words with Russian endings; mostly HTML pages, some
// in windows-1251, and XML pages shown through an XSLT stylesheet, as real discs have). Made once
// per process in a temporary folder. Included by one source file of each benchmark.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

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

TLibrary& GeneratedLibrary(int pages) {
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
    const int perSection = std::max(1, pages / kCourses / int(std::size(kSections)));
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

// The library's pages from --pages=N (taken out of the arguments before Google Benchmark reads
// them) or CP_BENCH_SEARCH_PAGES=N, for a quick run; at least four per course.
int TakeLibraryPages(int& argc, char** argv, int pages = 50000) {
    if (const QByteArray env = qgetenv("CP_BENCH_SEARCH_PAGES"); !env.isEmpty())
        pages = std::max(kCourses * 4, env.toInt());
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--pages=", 8) == 0)
            pages = std::max(kCourses * 4, std::atoi(argv[i] + 8));
        else
            argv[out++] = argv[i];
    }
    argc = out;
    return pages;
}

} // namespace
