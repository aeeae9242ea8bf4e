// The markup engine on realistic tree captions, with its baselines in the same run:
//   measure      RenderMarkup measuring only (no painter)
//   measure+draw a measuring call and a drawing call into a 400 x 18 image
//   QTextDocument the captions as HTML, laid out and drawn by QTextDocument
//   drawText     the stripped captions drawn by plain QPainter::drawText
//   QStaticText  the stripped captions as prepared QStaticText (glyphs only: the floor)
// At the end a table gives microseconds per caption and the ratios.
#include "app/Fonts.h"
#include "bench/bench_ratio.h"
#include "markup/ImageList.h"
#include "markup/Markup.h"
#include "markup/QtMarkupCanvas.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<QString>& Captions() {
    static const std::vector<QString> captions = {
        QStringLiteral("<B>Глава 1.</B> Введение в курс"),
        QStringLiteral("<FONT COLOR=\"clRed\">Новое:</FONT> проверочная работа по теме <B>«Дроби»</B>"),
        QStringLiteral("<IMG src=\"IDX:0\"> Урок 3. Сложение и вычитание"),
        QStringLiteral("См. <A href=\"doc12\">раздел 4</A> и приложение"),
        QStringLiteral("<UL><LI>Задание 5</LI></UL>"),
        QStringLiteral("Lesson 7: <I>Present Perfect</I> and <B>Past Simple</B>"),
        QStringLiteral(
            "<FONT COLOR=\"#008000\"><B>Тест</B></FONT> — 10 вопросов, <I>время не ограничено</I>"),
        QStringLiteral("Параграф 12. Строение клетки: ядро, цитоплазма, мембрана и органоиды"),
        QStringLiteral(
            "<IMG src=\"IDX:1\"><FONT COLOR=\"clNavy\">Практикум</FONT> по теме «Электрический ток»"),
        QStringLiteral("<B>§ 5</B> Решение задач &amp; упражнения"),
    };
    return captions;
}

// Captions without tags or entities, as most of a course's tree is.
const std::vector<QString>& PlainCaptions() {
    static const std::vector<QString> captions = {
        QStringLiteral("Введение"),
        QStringLiteral("Урок 3. Сложение и вычитание дробей"),
        QStringLiteral("Параграф 12. Строение клетки: ядро, цитоплазма, мембрана и органоиды"),
        QStringLiteral("Lesson 7: Present Perfect and Past Simple"),
        QStringLiteral("Контрольная работа № 2"),
        QStringLiteral("Практикум по теме «Электрический ток»"),
        QStringLiteral("Глава 4. Квадратные уравнения и неравенства"),
        QStringLiteral("Ответы к упражнениям"),
    };
    return captions;
}

QFont TreeFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(13);
    return font;
}

const TImageList& Images() {
    static const TImageList images = [] {
        TImageList list(QSize(16, 16));
        for (QColor c : {QColor(Qt::red), QColor(Qt::green)}) {
            QPixmap pixmap(16, 16);
            pixmap.fill(c);
            list.Add(pixmap);
        }
        return list;
    }();
    return images;
}

// The same captions as HTML for QTextDocument.
QString ToHtml(const QString& markup) {
    QString html = markup;
    html.replace(QStringLiteral("IDX:0"), QStringLiteral("idx0"));
    html.replace(QStringLiteral("IDX:1"), QStringLiteral("idx1"));
    html.replace(QStringLiteral("clRed"), QStringLiteral("#FF0000"));
    html.replace(QStringLiteral("clNavy"), QStringLiteral("#000080"));
    return QStringLiteral("<html><body style=\"white-space:pre\">") + html + QStringLiteral("</body></html>");
}

TMarkupArgs Args(bool measureOnly) {
    TMarkupArgs args;
    args.Bounds = TRect{0, 0, 400, 18};
    args.Images = &Images();
    args.MeasureOnly = measureOnly;
    return args;
}

void BM_Measure(benchmark::State& state) {
    const QFont font = TreeFont();
    const TMarkupArgs args = Args(true);
    for (auto _ : state) {
        for (const QString& caption : Captions()) {
            TQtMarkupCanvas canvas(nullptr, font);
            TMarkupOutput out;
            benchmark::DoNotOptimize(RenderMarkup(canvas, caption, args, out));
            benchmark::DoNotOptimize(out.NeededWidth);
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(Captions().size()));
}

void MeasureAndDraw(benchmark::State& state, const std::vector<QString>& captions) {
    QImage image(400, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QFont font = TreeFont();
    const TMarkupArgs measure = Args(true);
    const TMarkupArgs draw = Args(false);
    for (auto _ : state) {
        for (const QString& caption : captions) {
            TQtMarkupCanvas canvas(&painter, font);
            TMarkupOutput out;
            RenderMarkup(canvas, caption, measure, out);
            benchmark::DoNotOptimize(RenderMarkup(canvas, caption, draw, out));
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(captions.size()));
}

void BM_MeasureAndDraw(benchmark::State& state) {
    MeasureAndDraw(state, Captions());
}

void BM_MeasureAndDrawPlain(benchmark::State& state) {
    MeasureAndDraw(state, PlainCaptions());
}

void BM_QTextDocument(benchmark::State& state) {
    QImage image(400, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    std::vector<QString> html;
    for (const QString& caption : Captions())
        html.push_back(ToHtml(caption));
    const QImage red = Images().Image(0).toImage();
    const QImage green = Images().Image(1).toImage();
    for (auto _ : state) {
        for (const QString& text : html) {
            QTextDocument doc;
            doc.setDefaultFont(TreeFont());
            doc.setDocumentMargin(0);
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("idx0")), red);
            doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("idx1")), green);
            doc.setHtml(text);
            doc.drawContents(&painter, QRectF(0, 0, 400, 18));
        }
    }
    state.SetItemsProcessed(state.iterations() * int64_t(Captions().size()));
}

void DrawText(benchmark::State& state, const std::vector<QString>& captions) {
    QImage image(400, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(TreeFont());
    std::vector<QString> plain;
    for (const QString& caption : captions)
        plain.push_back(StripMarkup(caption));
    for (auto _ : state) {
        for (const QString& text : plain)
            painter.drawText(QRect(0, 0, 400, 18), Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                             text);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(captions.size()));
}

void BM_DrawText(benchmark::State& state) {
    DrawText(state, Captions());
}

void BM_DrawTextPlain(benchmark::State& state) {
    DrawText(state, PlainCaptions());
}

void BM_StaticText(benchmark::State& state) {
    QImage image(400, 18, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(TreeFont());
    std::vector<QStaticText> prepared;
    for (const QString& caption : Captions()) {
        QStaticText text(StripMarkup(caption));
        text.prepare(QTransform(), TreeFont());
        prepared.push_back(text);
    }
    for (auto _ : state) {
        for (const QStaticText& text : prepared)
            painter.drawStaticText(QPoint(0, 2), text);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(Captions().size()));
}

BENCHMARK(BM_Measure)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureAndDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTextDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StaticText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeasureAndDrawPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTextPlain)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterOriginalFonts();
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // CPU microseconds per caption.
    std::map<std::string, double> t;
    for (const auto& [name, micros] : reporter.Cpu)
        t[name] = micros / double(name.find("Plain") != std::string::npos ? PlainCaptions().size()
                                                                          : Captions().size());
    std::printf("\nMicroseconds per caption (%zu captions, 20 to 120 characters):\n", Captions().size());
    for (const char* name : {"BM_Measure", "BM_MeasureAndDraw", "BM_QTextDocument", "BM_DrawText",
                             "BM_StaticText", "BM_MeasureAndDrawPlain", "BM_DrawTextPlain"})
        if (t.count(name))
            std::printf("  %-18s %8.2f us\n", name, t[name]);
    if (t.count("BM_MeasureAndDraw") && t.count("BM_QTextDocument") && t.count("BM_DrawText") &&
        t.count("BM_StaticText")) {
        const double md = t["BM_MeasureAndDraw"];
        std::printf("Ratios:\n");
        std::printf("  measure+draw / QTextDocument  %5.2f  (target < 1)\n", md / t["BM_QTextDocument"]);
        std::printf("  measure+draw / drawText       %5.2f  (target <= 1)\n", md / t["BM_DrawText"]);
        std::printf("  measure+draw / QStaticText    %5.2f\n", md / t["BM_StaticText"]);
        std::printf("  measure only                  %5.2f us (target < 2)\n", t["BM_Measure"]);
    }
    if (t.count("BM_MeasureAndDrawPlain") && t.count("BM_DrawTextPlain"))
        std::printf("  captions without markup, measure+draw / drawText  %5.2f  (target <= 1)\n",
                    t["BM_MeasureAndDrawPlain"] / t["BM_DrawTextPlain"]);
    return 0;
}
