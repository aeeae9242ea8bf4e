#include "markup/Markup.h"

#include "markup/MarkupRenderer.h"

bool RenderMarkup(TMarkupCanvas& Canvas, const QString& Text, const TMarkupArgs& Args, TMarkupOutput& Out) {
    TMarkupRenderer renderer(Canvas, Args, Out);
    return renderer.Run(Text);
}

namespace {

// Removes the sections from `open` through the first `close` after it. A section that is not
// closed is kept, and so is everything after it.
QString RemoveSections(const QString& text, QLatin1StringView open, QLatin1StringView close) {
    QString result;
    qsizetype pos = 0;
    while (true) {
        const qsizetype start = text.indexOf(open, pos);
        if (start < 0)
            break;
        const qsizetype end = text.indexOf(close, start + open.size());
        if (end < 0)
            break;
        result += QStringView(text).mid(pos, start - pos);
        pos = end + close.size();
    }
    result += QStringView(text).mid(pos);
    return result;
}

} // namespace

QString StripMarkup(const QString& Text) {
    QString text = Text;
    text.replace(QLatin1String("<BR>"), QLatin1String("\r\n"), Qt::CaseInsensitive);
    text.replace(QLatin1String("<HR>"), QLatin1String("\r\n"), Qt::CaseInsensitive);
    // Hidden sections go first and the tags are then taken from all that remains, so that
    // tags before a hidden section do not stay in the plain text.
    text = RemoveSections(text, QLatin1StringView("<z>"), QLatin1StringView("</z>"));
    text = RemoveSections(text, QLatin1StringView("<Z>"), QLatin1StringView("</Z>"));
    QString result;
    result.reserve(text.size());
    qsizetype pos = 0;
    while (true) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), pos);
        if (lt < 0)
            break;
        const qsizetype gt = text.indexOf(QLatin1Char('>'), lt + 1);
        if (gt < 0)
            break; // an unterminated "<" and what follows stay as they are
        result += QStringView(text).mid(pos, lt - pos);
        pos = gt + 1;
    }
    result += QStringView(text).mid(pos);
    return result;
}
