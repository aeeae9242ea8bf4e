#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Header and footer of printed pages, written in the codes of the classic page set-up:
//   &w page title   &u page address   &d short date   &D long date   &t time   &T 24-hour time
//   &p page number  &P page count     &b alignment    &&  an ampersand
// Text before the first &b is left-aligned; with one &b the rest is right-aligned; with two,
// the text between them is centred and the text after the second is right-aligned.
inline const QString kPrintHeaderCode = QStringLiteral("&w&bPage &p of &P");
inline const QString kPrintFooterCode = QStringLiteral("&u&b&d");
// All four margins of a printed page, in millimetres (three quarters of an inch).
inline constexpr double kPrintMarginMm = 19.05;

struct TPrintFields {
    QString Title;
    QString Url;
    QDateTime PrintedAt;
    int Page = 1;
    int PageCount = 1;
};

struct TPrintLine {
    QString Left;
    QString Center;
    QString Right;
    bool operator==(const TPrintLine&) const = default;
};

TPrintLine ExpandPrintCode(const QString& code, const TPrintFields& fields,
                           const QLocale& locale = QLocale());
