#include "browser/PrintHeaderFooter.h"

#include <QStringList>

namespace {

QString FieldText(QChar code, const TPrintFields& f, const QLocale& locale, bool* known) {
    *known = true;
    switch (code.unicode()) {
    case 'w':
        return f.Title;
    case 'u':
        return f.Url;
    case 'd':
        return locale.toString(f.PrintedAt.date(), QLocale::ShortFormat);
    case 'D':
        return locale.toString(f.PrintedAt.date(), QLocale::LongFormat);
    case 't':
        return locale.toString(f.PrintedAt.time(), QLocale::ShortFormat);
    case 'T':
        return f.PrintedAt.time().toString(QStringLiteral("HH:mm"));
    case 'p':
        return QString::number(f.Page);
    case 'P':
        return QString::number(f.PageCount);
    case '&':
        return QStringLiteral("&");
    default:
        *known = false;
        return {};
    }
}

} // namespace

TPrintLine ExpandPrintCode(const QString& code, const TPrintFields& fields, const QLocale& locale) {
    // Split on &b first and expand the fields inside each part, so that a title which itself
    // contains "&b" cannot move text around.
    QStringList parts{QString()};
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c != QLatin1Char('&') || i + 1 == code.size()) {
            parts.last() += c;
            continue;
        }
        const QChar next = code.at(++i);
        if (next == QLatin1Char('b')) {
            parts.append(QString());
            continue;
        }
        bool known = false;
        const QString text = FieldText(next, fields, locale, &known);
        parts.last() += known ? text : QString(c) + next;
    }

    TPrintLine line;
    line.Left = parts.value(0);
    if (parts.size() == 2) {
        line.Right = parts.at(1);
    } else if (parts.size() >= 3) {
        line.Center = parts.at(1);
        line.Right = parts.mid(2).join(QString());
    }
    return line;
}
