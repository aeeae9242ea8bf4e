// Course folder layout and section probing, on the fixture library.

#include "app/XmlDocument.h"
#include "viewer/CourseLayout.h"

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
        QTest::newRow("utf-8 tree") << 1 << 5 << true;
        QTest::newRow("windows-1251 tree") << 1 << 12 << true;
        QTest::newRow("malformed") << 1 << 7 << false;
        QTest::newRow("root without items") << 1 << 8 << false;
        QTest::newRow("folder named tree.xml") << 1 << 68 << false;
        QTest::newRow("tasks") << 1 << 2010 << true;
        QTest::newRow("missing section") << 1 << 30 << false;
        QTest::newRow("only section 30") << 2 << 30 << true;
        QTest::newRow("folder without trees") << 3 << 5 << false;
        QTest::newRow("missing course") << 99 << 5 << false;
    }
    void availability() {
        QFETCH(int, course);
        QFETCH(int, section);
        TXMLDocument doc;
        QTEST(IsSectionAvailable(doc, CourseFolder(Library, course), section), "available");
        QVERIFY(!doc.Active());
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
};

QTEST_GUILESS_MAIN(TestCourseLayout)
#include "test_courselayout.moc"
