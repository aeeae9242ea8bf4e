#include "fuzz/FuzzInputs.h"

#include "collections/FavorFile.h"
#include "core/DiscFiles.h"
#include "core/XmlDocument.h"
#include "popups/LinkRules.h"
#include "search/PageText.h"
#include "search/SearchQuery.h"
#include "search/SearchShard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// A scratch folder for the whole run.
const QString& Scratch() {
    static QTemporaryDir dir;
    static const QString path = dir.path() + QLatin1Char('/');
    return path;
}

// A small disc with names in several cases, made once.
const QString& Disc() {
    static const QString disc = [] {
        const QString root = Scratch() + QStringLiteral("disc/");
        for (const char* path : {"COURSE.XML", "1/5/Tree.XML", "1/5/12.xml", "1/5/Images/Pic.GIF",
                                 "1/7/tree.xml", "Help/Manual.htm", "Plugins/setup.EXE", "ShowFavor.htm"}) {
            const QString file = root + QString::fromLatin1(path);
            QDir().mkpath(QFileInfo(file).path());
            QFile out(file);
            (void)out.open(QIODevice::WriteOnly);
        }
        return root;
    }();
    return disc;
}

bool InsideDisc(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString root = QFileInfo(Disc()).canonicalFilePath() + QLatin1Char('/');
    return !canonical.isEmpty() && canonical.startsWith(root);
}

} // namespace

void FuzzCollectionFile(const QByteArray& data) {
    const QString first = Scratch() + QStringLiteral("first.sff");
    const QString second = Scratch() + QStringLiteral("second.sff");
    {
        QFile out(first);
        Require(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(data);
    }
    TXMLDocument doc;
    const TFavorLoadResult loaded = LoadFavorFile(doc, first);
    if (!loaded.ReplacesList())
        return;
    SaveFavorFile(doc, loaded.Records, second);
    const TFavorLoadResult again = LoadFavorFile(doc, second);
    Require(again.Status == TFavorLoadResult::Loaded);
    Require(again.Records == loaded.Records);
}

void FuzzLinkRules(const QByteArray& data) {
    if (data.isEmpty())
        return;
    const char options = data.at(0);
    const QString text = QString::fromUtf8(data.mid(1));
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const QString url = newline < 0 ? text : text.left(newline);
    const std::optional<QString> target =
        newline < 0 ? std::nullopt : std::optional<QString>(text.mid(newline + 1));

    (void)RouteViewerRequest(url, target);
    (void)RouteTestRequest(target);
    (void)RouteShowFavorRequest(target);
    (void)HintWindowShows(url, target);
    (void)NeedsRunFragment(url, options & 1);
    const QString test = TestUrl(url, options & 2);
    Require(test.contains(options & 2 ? QStringLiteral("-1") : QStringLiteral("-0")));
    // What the desktop gets: a web or mail address as it came, or a file that exists inside the
    // library (the small disc stands for it).
    if (const std::optional<QString> shell = ShellTargetOf(url, Disc())) {
        const bool address = shell->startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                             shell->startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
                             shell->startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
        Require(address ? *shell == url.trimmed() : InsideDisc(*shell));
    }
}

void FuzzDiscNames(const QByteArray& data) {
    const QString name = QString::fromUtf8(data);
    if (name.contains(QChar(0)))
        return; // no file system name holds one
    const QString path = Disc() + name;
    const QString found = FindDiscFile(path);
    Require(found == path || QFileInfo::exists(found));
}

void FuzzSearchQuery(const QByteArray& data) {
    const QString query = QString::fromUtf8(data);
    // A small index, made once: the expression of a query depends on the forms its words have there.
    static TSearchShard* const shard = [] {
        auto* made = new TSearchShard(Scratch() + QStringLiteral("query.db"), true);
        made->Begin();
        const char* const pages[] = {"Квадрат гипотенузы равен сумме квадратов катетов.",
                                     "Ёлка, ель и елочные игрушки; \"кавычки\" и a-b.",
                                     "x OR y AND NOT z* NEAR(a b)"};
        for (int i = 0; i < 3; ++i) {
            TSearchItem item;
            item.Course = 1;
            item.Section = 5;
            item.ID = i + 1;
            item.Caption = QStringLiteral("Материал %1").arg(i + 1);
            made->Add(item, std::to_string(i), QByteArray(pages[i]));
        }
        made->Commit();
        return made;
    }();
    const std::vector<TQueryPart> parts = ParseQuery(query);
    for (const bool any : {false, true}) {
        const std::string expression = shard->Expression(parts, any);
        if (!expression.empty())
            (void)shard->Search(expression, any ? -1 : 1, 10); // a TSqlError ends the run
    }
    const QString text = QStringLiteral("Квадрат гипотенузы равен сумме квадратов катетов; ёлка и елки.");
    for (const QString& word : MatchQueryWords(query, text))
        Require(text.contains(word));
}

void FuzzPageText(const QByteArray& data) {
    if (data.isEmpty())
        return;
    static int count = 0;
    const QString library = Scratch() + QStringLiteral("pages");
    const QString section = library + QStringLiteral("/1/5/");
    QDir().mkpath(section);
    const int kind = static_cast<unsigned char>(data.at(0)) % 3;
    const QByteArray rest = data.mid(1);
    const qsizetype split = rest.indexOf('\0');
    QByteArray page = split < 0 ? rest : rest.left(split);
    // A stylesheet of a new name each time: the cache tells a changed one by its size and time.
    const QString stylesheet = QStringLiteral("s%1.xsl").arg(++count);
    if (kind == 2) {
        QFile out(section + stylesheet);
        Require(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(split < 0 ? QByteArray() : rest.mid(split + 1));
        page.prepend("<?xml-stylesheet type=\"text/xsl\" href=\"" + stylesheet.toLatin1() + "\"?>\n");
    }
    const QString path = section + (kind == 0 ? QStringLiteral("1.htm") : QStringLiteral("1.xml"));
    {
        QFile out(path);
        Require(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(page);
    }
    const QByteArray text = ExtractPageTextUtf8(path, library);
    QFile::remove(section + stylesheet);
    Require(IsValidUtf8(text));
    Require(!text.startsWith(' ') && !text.startsWith('\n') && !text.endsWith(' ') && !text.endsWith('\n'));
    Require(!text.contains("  "));
}
