#include "search/SearchSnippet.h"

namespace {

// The character an entity stands for; empty for one we do not know (its text then stays as
// written).
QString EntityText(QStringView name) {
    if (name == u"amp")
        return QStringLiteral("&");
    if (name == u"lt")
        return QStringLiteral("<");
    if (name == u"gt")
        return QStringLiteral(">");
    if (name == u"quot")
        return QStringLiteral("\"");
    if (name == u"apos")
        return QStringLiteral("'");
    if (name == u"nbsp")
        return QString(QChar(0x00A0));
    if (name.startsWith(u'#')) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        const uint code = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        // Only characters that can stand in text: no NUL, no surrogate halves, nothing past Unicode.
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t c = code;
            return QString::fromUcs4(&c, 1);
        }
    }
    return {};
}

void Append(std::vector<TSnippetRun>& runs, const QString& text, bool hit) {
    if (text.isEmpty())
        return;
    if (!runs.empty() && runs.back().Hit == hit)
        runs.back().Text += text;
    else
        runs.push_back({text, hit});
}

} // namespace

std::vector<TSnippetRun> SnippetRuns(const QString& snippet) {
    std::vector<TSnippetRun> runs;
    QString text;
    bool hit = false;
    const qsizetype n = snippet.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = snippet[i];
        if (c == u'<') {
            const qsizetype close = snippet.indexOf(u'>', i + 1);
            if (close < 0) // a tag cut off at the end of the snippet shows nothing
                break;
            const QString tag = snippet.mid(i + 1, close - i - 1).trimmed().toLower();
            if (tag == u"b" || tag == u"/b") {
                Append(runs, text, hit);
                text.clear();
                hit = tag == u"b";
            }
            i = close + 1;
            continue;
        }
        if (c == u'&') {
            const qsizetype semi = snippet.indexOf(u';', i + 1);
            // Entities are short; a lone '&' farther from a ';' is itself.
            if (semi > i + 1 && semi - i <= 10) {
                const QString character = EntityText(QStringView(snippet).mid(i + 1, semi - i - 1));
                if (!character.isEmpty()) {
                    text += character;
                    i = semi + 1;
                    continue;
                }
            }
        }
        text += c;
        ++i;
    }
    Append(runs, text, hit);
    return runs;
}

QString SnippetText(const QString& snippet) {
    QString text;
    for (const TSnippetRun& run : SnippetRuns(snippet))
        text += run.Text;
    return text;
}

QString SearchStatusText(const TSearchState& state) {
    if (!state.HasQuery)
        return state.Updating
                   ? QStringLiteral("Индекс строится…")
                   : QStringLiteral("Введите слово, «фразу в кавычках» или начало слова со звёздочкой");
    if (state.Found > 0) {
        const QString found =
            state.Total > state.Found
                ? QStringLiteral("Найдено: %1, показаны первые %2").arg(state.Total).arg(state.Found)
                : QStringLiteral("Найдено: %1").arg(state.Found);
        return state.Updating ? found + QStringLiteral(" · индекс строится…") : found;
    }
    if (state.Elsewhere)
        return QStringLiteral("Индекс обновляется другой программой, попробуйте позже");
    // While the index grows an empty result may only mean the pages are not read yet.
    return state.Updating ? QStringLiteral("Индекс строится…") : QStringLiteral("Ничего не найдено");
}
