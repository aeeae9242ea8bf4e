// The codes of printed headers and footers.

#include "browser/PrintHeaderFooter.h"

#include <QTest>

Q_DECLARE_METATYPE(TPrintLine)

namespace {

TPrintFields Fields() {
    TPrintFields f;
    f.Title = QStringLiteral("Урок 5 & задачи");
    f.Url = QStringLiteral("file:///srv/12/5/3.xml");
    f.PrintedAt = QDateTime(QDate(2026, 3, 7), QTime(14, 5));
    f.Page = 2;
    f.PageCount = 11;
    return f;
}

} // namespace

class TestPrintHeader : public QObject {
    Q_OBJECT
private slots:
    void codes_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<TPrintLine>("line");
        const QLocale c(QLocale::C);
        const QString date = c.toString(QDate(2026, 3, 7), QLocale::ShortFormat);
        QTest::newRow("header") << kPrintHeaderCode
                                << TPrintLine{QStringLiteral("Урок 5 & задачи"), QString(),
                                              QStringLiteral("Page 2 of 11")};
        QTest::newRow("footer") << kPrintFooterCode
                                << TPrintLine{QStringLiteral("file:///srv/12/5/3.xml"), QString(), date};
        QTest::newRow("plain text") << "text" << TPrintLine{QStringLiteral("text"), {}, {}};
        QTest::newRow("empty") << "" << TPrintLine{};
        QTest::newRow("right only") << "&b&p" << TPrintLine{{}, {}, QStringLiteral("2")};
        QTest::newRow("three parts") << "&w&b&p&b&P"
                                     << TPrintLine{QStringLiteral("Урок 5 & задачи"), QStringLiteral("2"),
                                                   QStringLiteral("11")};
        QTest::newRow("centre only") << "&b&u&b"
                                     << TPrintLine{{}, QStringLiteral("file:///srv/12/5/3.xml"), {}};
        QTest::newRow("ampersand") << "A&&B" << TPrintLine{QStringLiteral("A&B"), {}, {}};
        QTest::newRow("escaped b is text") << "&&b" << TPrintLine{QStringLiteral("&b"), {}, {}};
        QTest::newRow("unknown code kept") << "&x&z" << TPrintLine{QStringLiteral("&x&z"), {}, {}};
        QTest::newRow("trailing ampersand") << "50&" << TPrintLine{QStringLiteral("50&"), {}, {}};
        QTest::newRow("24-hour time") << "&T" << TPrintLine{QStringLiteral("14:05"), {}, {}};
        QTest::newRow("long date") << "&D"
                                   << TPrintLine{c.toString(QDate(2026, 3, 7), QLocale::LongFormat), {}, {}};
    }

    void codes() {
        QFETCH(QString, code);
        QFETCH(TPrintLine, line);
        const TPrintLine result = ExpandPrintCode(code, Fields(), QLocale(QLocale::C));
        QCOMPARE(result.Left, line.Left);
        QCOMPARE(result.Center, line.Center);
        QCOMPARE(result.Right, line.Right);
    }

    void fieldTextCannotMoveText() {
        // A title that happens to contain "&b" stays on the left, whole.
        TPrintFields f = Fields();
        f.Title = QStringLiteral("A&bB&p");
        const TPrintLine line = ExpandPrintCode(kPrintHeaderCode, f, QLocale(QLocale::C));
        QCOMPARE(line.Left, QStringLiteral("A&bB&p"));
        QCOMPARE(line.Right, QStringLiteral("Page 2 of 11"));
    }

    void dateFollowsTheLocale() {
        const TPrintFields f = Fields();
        const TPrintLine ru = ExpandPrintCode(QStringLiteral("&d"), f, QLocale(QLocale::Russian));
        QCOMPARE(ru.Left, QStringLiteral("07.03.2026"));
    }
};

QTEST_APPLESS_MAIN(TestPrintHeader)
#include "test_printheader.moc"
