// Course folder layout and section probing, on the fixture library.

#include "core/XmlDocument.h"
#include "viewer/CourseLayout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Library = QStringLiteral(CP_TEST_DATA "/viewer/library/");
} // namespace

class TestCourseLayout : public QObject {
    Q_OBJECT
private slots:
    void paths_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<int>("course");
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("page");
        QTest::newRow("plain") << "/lib/" << 101 << 5 << 17 << "/lib/101/5/tree.xml"
                               << "/lib/101/5/17.xml";
        QTest::newRow("tasks") << "/lib/" << 3 << 2010 << 7 << "/lib/3/2010/tree.xml"
                               << "/lib/3/2010/7.xml";
        QTest::newRow("negative item") << "/a b/" << 1 << 30 << -4 << "/a b/1/30/tree.xml"
                                       << "/a b/1/30/-4.xml";
        QTest::newRow("no section") << "/lib/" << 2 << 0 << 0 << "/lib/2/0/tree.xml"
                                    << "/lib/2/0/0.xml";
    }
    void paths() {
        QFETCH(QString, library);
        QFETCH(int, course);
        QFETCH(int, section);
        QFETCH(int, item);
        const QString dir = CourseFolder(library, course);
        QCOMPARE(dir, library + QString::number(course) + "/");
        QTEST(TreeDocumentPath(dir, section), "tree");
        QTEST(ItemPagePath(dir, section, item), "page");
    }

    // The page list reaches the page whole, and the library folder stays a path whatever its
    // names hold.
    void presentationUrl_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("fragment"); // "-": the URL has no fragment
        QTest::newRow("two items") << "/lib/"
                                   << "#3;12;15$3;2010;7"
                                   << "3;12;15$3;2010;7";
        QTest::newRow("one item") << "/lib/"
                                  << "#101;5;1"
                                  << "101;5;1";
        QTest::newRow("empty list") << "/lib/"
                                    << ""
                                    << "-";
        QTest::newRow("# in the folder") << "/discs/#1 алгебра/"
                                         << "#3;12;15"
                                         << "3;12;15";
        QTest::newRow("# in the folder, empty list") << "/discs/#1/"
                                                     << ""
                                                     << "-";
        QTest::newRow("percent and spaces") << "/a 100%/b c/"
                                            << "#1;5;2$1;5;3"
                                            << "1;5;2$1;5;3";
    }
    void presentationUrl() {
        QFETCH(QString, library);
        QFETCH(QString, list);
        QFETCH(QString, fragment);
        const QString text = ShowFavorUrl(library, list);
        const QUrl url(text, QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(text));
        QCOMPARE(url.toLocalFile(), library + "ShowFavor.htm");
        QCOMPARE(url.hasFragment(), fragment != "-");
        if (fragment != "-") {
            QCOMPARE(url.fragment(QUrl::FullyDecoded), fragment);
            QVERIFY2(text.endsWith('#' + fragment), qPrintable(text)); // no escapes in the list
        }
    }

    // Each page proposes its own name, so one save does not overwrite the last.
    void pdfFileNames_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");
        QTest::newRow("the page's title") << "Числовые выражения"
                                          << "Выражения"
                                          << "Числовые выражения.pdf";
        QTest::newRow("no title: the caption without markup") << "  "
                                                              << "<b>Глава 1.</b> <i>Выражения</i>"
                                                              << "Глава 1. Выражения.pdf";
        QTest::newRow("characters a file name cannot hold") << "Дроби: 1/2 * 3/4 \"или\" <больше>? | a\\b"
                                                            << ""
                                                            << "Дроби 1 2 3 4 или больше a b.pdf";
        QTest::newRow("a line break and tabs") << "Урок\n5\tитог"
                                               << ""
                                               << "Урок 5 итог.pdf";
        QTest::newRow("trailing dots") << "Итоги..."
                                       << ""
                                       << "Итоги.pdf";
        QTest::newRow("nothing at all") << ""
                                        << ""
                                        << "Страница.pdf";
        QTest::newRow("only refused characters") << "???"
                                                 << ""
                                                 << "Страница.pdf";
        QTest::newRow("a very long title") << QString(300, u'я') << "" << QString(120, u'я') + ".pdf";
    }
    void pdfFileNames() {
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QTEST(PdfFileName(title, caption), "name");
    }

    void captions_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("caption");
        QTest::newRow("5") << 5 << "Учебный курс";
        QTest::newRow("7") << 7 << "Вспомогательные ресурсы";
        QTest::newRow("8") << 8 << "Понятийный аппарат";
        QTest::newRow("12") << 12 << "Теоретические материалы";
        QTest::newRow("68") << 68 << "Дополнительные материалы";
        QTest::newRow("2010") << 2010 << "Учебные задания";
        QTest::newRow("30 has none") << 30 << "";
        QTest::newRow("unknown") << 6 << "";
        QTest::newRow("zero") << 0 << "";
    }
    void captions() {
        QFETCH(int, section);
        QTEST(SectionCaption(section), "caption");
    }

    void availability_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("why"); // what the reason says; empty: no reason is given
        QTest::newRow("utf-8 tree") << 1 << 5 << true << "";
        QTest::newRow("windows-1251 tree") << 1 << 12 << true << "";
        QTest::newRow("malformed") << 1 << 7 << false << "Ошибка в XML (" + Library + "1/7/tree.xml, строка";
        QTest::newRow("root without items")
            << 1 << 8 << false << "В файле \"" + Library + "1/8/tree.xml\" нет ни одного элемента";
        QTest::newRow("folder named tree.xml") << 1 << 68 << false << "";
        QTest::newRow("tasks") << 1 << 2010 << true << "";
        QTest::newRow("missing section") << 1 << 30 << false << "";
        QTest::newRow("only section 30") << 2 << 30 << true << "";
        QTest::newRow("folder without trees") << 3 << 5 << false << "";
        QTest::newRow("missing course") << 99 << 5 << false << "";
    }
    void availability() {
        QFETCH(int, course);
        QFETCH(int, section);
        QFETCH(QString, why);
        TXMLDocument doc;
        QString reason = QStringLiteral("untouched");
        QTEST(IsSectionAvailable(doc, CourseFolder(Library, course), section, &reason), "available");
        QVERIFY(!doc.Active());
        if (why.isEmpty())
            QCOMPARE(reason, QStringLiteral("untouched"));
        else
            QVERIFY2(reason.startsWith(why), qPrintable(reason));
    }

    // A tree document far larger than any course's is refused by its size, unread, and the
    // section is not offered. A sparse file: no gigabyte is written.
    void hugeTreeIsRefused() {
        QTemporaryDir dir;
        const QString course = dir.path() + QStringLiteral("/1/");
        QVERIFY(QDir().mkpath(course + QStringLiteral("5")));
        QFile tree(TreeDocumentPath(course, 5));
        QVERIFY(tree.open(QIODevice::WriteOnly));
        tree.write("<tree><i id=\"1\"/></tree>");
        QVERIFY(tree.resize(qint64(3) << 29));
        tree.close();
        TXMLDocument doc;
        QString reason;
        QVERIFY(!IsSectionAvailable(doc, course, 5, &reason));
        QVERIFY2(reason.contains(TreeDocumentPath(course, 5)), qPrintable(reason));
        QVERIFY2(reason.contains(QStringLiteral("слишком велик для дерева раздела: 1,5 ГБ")),
                 qPrintable(reason));
    }

    void noSectionReasons_data() {
        QTest::addColumn<QString>("lastFailure");
        QTest::addColumn<QString>("message");
        QTest::newRow("a section failed")
            << "Ошибка в XML (/lib/4/30/tree.xml, строка 2): oops"
            << "Ни один раздел курса не загрузился. Последняя причина: Ошибка в XML (/lib/4/30/tree.xml, "
               "строка 2): oops";
        QTest::newRow("no tree document anywhere")
            << ""
            << "В папке курса \"/lib/4/\" нет ни одного раздела: ни в одной из папок 5, 7, 8, 12, 68, 2010, "
               "30 нет файла tree.xml";
    }
    void noSectionReasons() {
        QFETCH(QString, lastFailure);
        QTEST(NoSectionReason(QStringLiteral("/lib/4/"), lastFailure), "message");
    }

    // The reason of the last failing section in probe order is what OpenCourse reports.
    void lastFailureInProbeOrderWins() {
        TXMLDocument doc;
        QString reason;
        for (const int id : SectionProbeOrder)
            IsSectionAvailable(doc, CourseFolder(Library, 1), id, &reason);
        QVERIFY2(reason.contains(QStringLiteral("1/8/tree.xml")), qPrintable(reason));
    }

    void probeOrderDecidesTheStart_data() {
        QTest::addColumn<int>("course");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("5 before 12 and 2010") << 1 << 5 << "1001010";
        QTest::newRow("only 30") << 2 << 30 << "0000001";
        QTest::newRow("nothing usable") << 3 << 0 << "0000000";
        QTest::newRow("no folder") << 99 << 0 << "0000000";
    }
    void probeOrderDecidesTheStart() {
        QFETCH(int, course);
        QFETCH(QString, pattern);
        TXMLDocument doc;
        const auto available = ProbeSections(doc, CourseFolder(Library, course));
        QString seen;
        for (bool a : available)
            seen += a ? u'1' : u'0';
        QCOMPARE(seen, pattern);
        QTEST(StartSection(available), "start");

        // The viewer's probe keeps the start section's document parsed, and only that; a stale
        // document from before never passes for it.
        TXMLDocument kept;
        kept.LoadFromXML(QByteArray("<tree><item id=\"1\"/></tree>"));
        QCOMPARE(ProbeSections(doc, CourseFolder(Library, course), nullptr, kept), available);
        QFETCH(int, start);
        QCOMPARE(kept.Active(), start != 0);
        if (kept.Active()) {
            QCOMPARE(kept.FileName(), TreeDocumentPath(CourseFolder(Library, course), start));
            QVERIFY(kept.DocumentElement().ChildCount() > 0);
        }
    }

    void startIsFirstInProbeOrder_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("start");
        QTest::newRow("12 and 5 open on 5") << "1001000" << 5;
        QTest::newRow("68 and 2010") << "0000110" << 68;
        QTest::newRow("2010 and 30") << "0000011" << 2010;
        QTest::newRow("7 only") << "0100000" << 7;
    }
    void startIsFirstInProbeOrder() {
        QFETCH(QString, pattern);
        std::array<bool, SectionProbeOrder.size()> available{};
        for (int i = 0; i < pattern.size(); ++i)
            available[i] = pattern[i] == u'1';
        QTEST(StartSection(available), "start");
    }

    void probingAfterAFailureStillWorks() {
        // One scratch document serves every probe; a malformed file must not spoil the next one.
        TXMLDocument doc;
        const QString dir = CourseFolder(Library, 1);
        QVERIFY(!IsSectionAvailable(doc, dir, 7));
        QVERIFY(IsSectionAvailable(doc, dir, 5));
        QVERIFY(!IsSectionAvailable(doc, dir, 8));
        QVERIFY(IsSectionAvailable(doc, dir, 12));
    }
    // A disc made on Windows names its files in any case: the paths are those on disc, and the
    // paths as written when the disc has no such file.
    void namesInOtherCase_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("tree"); // relative to the course folder
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("available");
        QTest::newRow("upper-case tree and page") << 5 << 1 << "5/TREE.XML"
                                                  << "5/1.XML" << true;
        QTest::newRow("upper-case tree, no page") << 7 << 1 << "7/TREE.XML"
                                                  << "7/1.xml" << true;
        QTest::newRow("no section") << 8 << 1 << "8/tree.xml"
                                    << "8/1.xml" << false;
    }
    void namesInOtherCase() {
        QFETCH(int, section);
        QFETCH(int, item);
        QFETCH(QString, tree);
        QFETCH(QString, page);
        const QString library = QStringLiteral(CP_TEST_DATA "/olddisc/names/");
        const QString dir = CourseFolder(library, 7);
        QCOMPARE(dir, library + "7/");
        QCOMPARE(TreeDocumentPath(dir, section), dir + tree);
        QCOMPARE(ItemPagePath(dir, section, item), dir + page);
        TXMLDocument doc;
        QTEST(IsSectionAvailable(doc, dir, section), "available");
    }

    void presentationPageInOtherCase() {
        QTemporaryDir dir;
        const QString library = dir.path() + u'/';
        QVERIFY(ShowFavorUrl(library, "#1;5;1")
                    .startsWith(QUrl::fromLocalFile(library + "ShowFavor.htm").toString()));
        QFile page(library + "SHOWFAVOR.HTM");
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        const QUrl url(ShowFavorUrl(library, "#1;5;1"));
        QCOMPARE(url.toLocalFile(), library + "SHOWFAVOR.HTM");
        QCOMPARE(url.fragment(), QStringLiteral("1;5;1"));
    }
};

QTEST_GUILESS_MAIN(TestCourseLayout)
#include "test_courselayout.moc"
