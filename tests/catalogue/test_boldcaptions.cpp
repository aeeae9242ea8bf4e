// Bold captions keep the marks of й, Й, ё and Ё wherever the program shows them: the font's
// bold made from its regular face must not thin them away, and no caption may cut them off.

#include "app/FontOutlines.h"
#include "app/Fonts.h"
#include "catalogue/Main.h"
#include "core/Registry.h"
#include "look/PageControl.h"
#include "look/Theme.h"
#include "search/SearchForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

namespace {

using TCaptionSetter = std::function<void(const QString&)>;

// One place that shows a bold caption: what to grab, how to set its text, and its font.
struct TPlace {
    QWidget* Shown = nullptr;
    TCaptionSetter SetCaption;
    QFont Font;
};

QImage Gray(const QImage& image) {
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// Sums the difference of two same-sized pictures, row by row.
QList<qint64> RowDifference(const QImage& a, const QImage& b) {
    QList<qint64> rows(a.height(), 0);
    for (int y = 0; y < a.height() && y < b.height(); ++y)
        for (int x = 0; x < a.width() && x < b.width(); ++x)
            rows[y] += qAbs(int(a.pixelColor(x, y).value()) - int(b.pixelColor(x, y).value()));
    return rows;
}

// The share of a marked letter's ink above its unmarked twin: what the mark weighs against the
// letter's body. Clipped or thinned marks make it smaller.
double MarkShare(const QImage& blank, const QImage& plain, const QImage& marked) {
    const QList<qint64> body = RowDifference(blank, plain);
    const QList<qint64> whole = RowDifference(blank, marked);
    int top = 0;
    while (top < body.size() && body[top] < 128)
        ++top;
    qint64 mark = 0;
    qint64 total = 0;
    for (int y = 0; y < whole.size(); ++y) {
        (y < top ? mark : total) += whole[y];
    }
    return total ? double(mark) / double(total) : 0.0;
}

QImage Drawn(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 8, metrics.height() * 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(4, metrics.height() * 2, text);
    return Gray(image);
}

QImage Grabbed(const TPlace& place, const QString& text) {
    place.SetCaption(text);
    // From the window, so that a transparent label shows on its panel.
    QWidget* window = place.Shown->window();
    window->repaint();
    return Gray(window->grab(QRect(place.Shown->mapTo(window, QPoint()), place.Shown->size())).toImage());
}

} // namespace

class TestBoldCaptions final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TIniRegistry> m_registry;
    TAppContext m_context;
    std::unique_ptr<TMainForm> m_catalogue;
    std::unique_ptr<TSearchForm> m_search;
    std::unique_ptr<TPageControl> m_tabs;

    TPlace Place(const QString& name) {
        if (name == QLatin1String("search title"))
            return {m_search->TitleLabel, [this](const QString& t) { m_search->TitleLabel->setText(t); },
                    m_search->TitleLabel->font()};
        if (name == QLatin1String("catalogue banner"))
            return {m_catalogue->Label1, [this](const QString& t) { m_catalogue->Label1->setText(t); },
                    m_catalogue->Label1->font()};
        if (name == QLatin1String("catalogue footer"))
            return {m_catalogue->Label3, [this](const QString& t) { m_catalogue->Label3->setText(t); },
                    m_catalogue->Label3->font()};
        if (name == QLatin1String("empty library title")) {
            auto* title = m_catalogue->EmptyPanel->findChildren<QLabel*>().value(0);
            return {title, [title](const QString& t) { title->setText(t); }, title->font()};
        }
        QFont bold = m_tabs->font();
        bold.setBold(true);
        return {m_tabs.get(),
                [this](const QString& t) {
                    m_tabs->Clear();
                    m_tabs->AddPage(new QWidget, t);
                    m_tabs->SetCurrentIndex(0);
                    m_tabs->repaint();
                },
                bold};
    }

private slots:
    void initTestCase() {
        RegisterOriginalFonts();
        ApplyTheme(*qApp);
        m_registry = std::make_unique<TIniRegistry>(m_dir.filePath(QStringLiteral("registry.ini")));
        QDir(m_dir.path()).mkpath(QStringLiteral("lib"));
        m_context.ProgramFolder = m_dir.filePath(QStringLiteral("lib/"));
        m_context.Registry = m_registry.get();
        m_catalogue = std::make_unique<TMainForm>(m_context);
        m_catalogue->show();
        m_search = std::make_unique<TSearchForm>();
        m_search->show();
        m_tabs = std::make_unique<TPageControl>();
        m_tabs->resize(200, 80);
        m_tabs->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_catalogue.get()));
    }

    // Bold comes from a mended copy of the wine Tahoma that winds every glyph one way; regular
    // text keeps the untouched face and its hinting.
    void fontWindsOneWay() {
        QFile file(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("no wine Tahoma on this system");
        const QByteArray original = file.readAll();
        QVERIFY(MixedWindingGlyphs(original) > 0);
        QCOMPARE(MixedWindingGlyphs(MediumFaceForBold(original)), 0);
        QCOMPARE(MixedWindingGlyphs(WithConsistentContours(original)), 0);
        QCOMPARE(WithConsistentContours(QByteArray("not a font")), QByteArray("not a font"));
        QFont bold(QStringLiteral("Tahoma"));
        bold.setBold(true);
        QCOMPARE(QFontInfo(bold).styleName(), QStringLiteral("Medium"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Tahoma"))).styleName(), QStringLiteral("Regular"));
    }

    void marksWhole_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("marked");
        const QStringList places = {QStringLiteral("search title"), QStringLiteral("catalogue banner"),
                                    QStringLiteral("catalogue footer"), QStringLiteral("empty library title"),
                                    QStringLiteral("subject tab")};
        const QList<std::pair<QString, QString>> letters = {
            {QStringLiteral("и"), QStringLiteral("й")},
            {QStringLiteral("И"), QStringLiteral("Й")},
            {QStringLiteral("е"), QStringLiteral("ё")},
            {QStringLiteral("Е"), QStringLiteral("Ё")},
        };
        for (const QString& place : places)
            for (const auto& [plain, marked] : letters)
                QTest::addRow("%s %s", qPrintable(place), qPrintable(marked)) << place << plain << marked;
    }

    // The mark weighs at least as much against its letter, less a tolerance for the thicker
    // body, as in the regular face drawn with room to spare.
    void marksWhole() {
        QFETCH(QString, place);
        QFETCH(QString, plain);
        QFETCH(QString, marked);
        const TPlace where = Place(place);
        QVERIFY(where.Shown);
        QVERIFY(QFontInfo(where.Font).bold());
        QFont regular = where.Font;
        regular.setBold(false);
        const double expected =
            MarkShare(Drawn(regular, QStringLiteral(" ")), Drawn(regular, plain), Drawn(regular, marked));
        const QImage blank = Grabbed(where, QStringLiteral(" "));
        const double shown = MarkShare(blank, Grabbed(where, plain), Grabbed(where, marked));
        QVERIFY2(shown >= expected * 0.6,
                 qPrintable(QStringLiteral("mark share %1, regular %2").arg(shown).arg(expected)));
    }
};

QTEST_MAIN(TestBoldCaptions)
#include "test_boldcaptions.moc"
