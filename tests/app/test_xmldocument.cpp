#include "app/XmlDocument.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestXmlDocument : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        f.write(bytes);
        return path;
    }

private slots:
    void integerConversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("plus") << "+5" << true << 5;
        QTest::newRow("minus") << "-12" << true << -12;
        QTest::newRow("int max") << "2147483647" << true << 2147483647;
        QTest::newRow("int min") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("overflow") << "2147483648" << false << 0;
        QTest::newRow("huge") << "99999999999999999999999" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("blank around") << " 7" << false << 0;
        QTest::newRow("fraction") << "7.0" << false << 0;
        QTest::newRow("hex") << "0x10" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("arabic-indic digits") << QString::fromUtf8("٣") << false << 0;
    }
    void integerConversion() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const std::optional<int> parsed = ParseDecimalInt(text);
        QCOMPARE(parsed.has_value(), ok);
        if (ok)
            QCOMPARE(*parsed, value);
    }

    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QString name = QString::fromUtf8("Алгебра & «геометрия»");
        QByteArray utf8 =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r Name=\"" + name.toHtmlEscaped().toUtf8() + "\"/>";
        QTest::newRow("utf-8") << utf8;
        QByteArray cp1251 =
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?><r Name=\"\xC0\xEB\xE3\xE5\xE1\xF0\xE0 "
            "&amp; \xAB\xE3\xE5\xEE\xEC\xE5\xF2\xF0\xE8\xFF\xBB\"/>";
        QTest::newRow("windows-1251") << cp1251;
        QString u16 = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r Name=\"") +
                      name.toHtmlEscaped() + QStringLiteral("\"/>");
        QByteArray utf16("\xFF\xFE", 2);
        utf16.append(reinterpret_cast<const char*>(u16.utf16()), u16.size() * 2);
        QTest::newRow("utf-16 le with bom") << utf16;
        QByteArray koi =
            "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r Name=\"\xE1\xCC\xC7\xC5\xC2\xD2\xC1 &amp; "
            "&#171;\xC7\xC5\xCF\xCD\xC5\xD4\xD2\xC9\xD1&#187;\"/>";
        QTest::newRow("koi8-r") << koi;
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        TXMLDocument doc;
        doc.LoadFromFile(Write("enc.xml", bytes));
        QCOMPARE(doc.DocumentElement().AttributeText("Name"), QString::fromUtf8("Алгебра & «геометрия»"));
    }

    void failuresRaise_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("not xml") << QByteArray("just text");
        QTest::newRow("unclosed") << QByteArray("<r><a></r>");
        QTest::newRow("two roots") << QByteArray("<a/><b/>");
        QTest::newRow("bad encoding name") << QByteArray("<?xml version=\"1.0\" encoding=\"no-such\"?><r/>");
    }
    void failuresRaise() {
        QFETCH(QByteArray, bytes);
        TXMLDocument doc;
        doc.SetFileName(Write("bad.xml", bytes));
        QVERIFY_THROWS_EXCEPTION(TXmlError, doc.SetActive(true));
        QVERIFY(!doc.Active());
        QVERIFY_THROWS_EXCEPTION(TXmlError, doc.DocumentElement());
    }

    void missingFileRaisesWithItsName() {
        TXMLDocument doc;
        try {
            doc.LoadFromFile(m_dir.filePath("nothing-here.xml"));
            QFAIL("no exception");
        } catch (const TXmlError& e) {
            QVERIFY(e.Message().contains("nothing-here.xml"));
        }
    }

    // Only ordinary files are read: a pipe named like a document would block for ever, a folder
    // has nothing to parse. Both fail at once, with the name.
    void onlyOrdinaryFilesAreRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe with no writer") << "pipe";
        QTest::newRow("folder") << "folder";
        QTest::newRow("link to nowhere") << "dangling";
    }
    void onlyOrdinaryFilesAreRead() {
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(kind + ".xml");
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(QFile::link(m_dir.filePath("missing-target.xml"), path));
        TXMLDocument doc;
        doc.SetFileName(path);
        try {
            doc.SetActive(true);
            QFAIL("no exception");
        } catch (const TXmlError& e) {
            QVERIFY2(e.Message().contains(kind + ".xml"), qPrintable(e.Message()));
        }
        QVERIFY(!doc.Active());
    }

    // One document object reads file after file: a failure leaves nothing behind for the next
    // file, and the next failure reports its own line.
    void readsFileAfterFile() {
        TXMLDocument doc;
        const QString good = Write("good.xml", "<?xml version=\"1.0\"?>\n<a n=\"1\"/>");
        const QString bad = Write("bad3.xml", "<a>\n\n<b></a>");
        const QString bad5 = Write("bad5.xml", "<a>\n\n\n\n<b></a>");
        for (int round = 0; round < 3; ++round) {
            doc.LoadFromFile(good);
            QCOMPARE(doc.DocumentElement().AttributeInt("n"), 1);
            try {
                doc.LoadFromFile(round % 2 ? bad5 : bad);
                QFAIL("no exception");
            } catch (const TXmlError& e) {
                QVERIFY2(e.Message().contains(round % 2 ? "строка 5" : "строка 3"), qPrintable(e.Message()));
            }
            QVERIFY(!doc.Active());
        }
        // A document stays readable after the object that parsed it has read others.
        TXMLDocument other;
        other.LoadFromFile(good);
        const TXMLNode root = other.DocumentElement();
        doc.LoadFromFile(Write("c.xml", "<c n=\"2\"/>"));
        QCOMPARE(root.AttributeText("n"), QStringLiteral("1"));
        QCOMPARE(doc.DocumentElement().AttributeText("n"), QStringLiteral("2"));
    }

    void attributeValues_data() {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // "<none>" when the attribute is missing
        QTest::newRow("plain") << "<r a=\"текст\"/>"
                               << "a"
                               << "текст";
        QTest::newRow("character references") << "<r a=\"x &amp; &#1099;&lt;\"/>"
                                              << "a"
                                              << "x & ы<";
        QTest::newRow("internal entity joined")
            << "<!DOCTYPE r [<!ENTITY e \"середина\">]><r a=\"до &e; после\"/>"
            << "a"
            << "до середина после";
        QTest::newRow("non-ASCII name") << "<r Имя=\"значение\" Им=\"нет\"/>"
                                        << "Имя"
                                        << "значение";
        QTest::newRow("name is a prefix of another") << "<r Name2=\"x\"/>"
                                                     << "Name"
                                                     << "<none>";
        QTest::newRow("longer name than any") << "<r N=\"x\"/>"
                                              << "Name"
                                              << "<none>";
    }
    void attributeValues() {
        QFETCH(QString, xml);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        TXMLDocument doc;
        doc.LoadFromXML(xml);
        const std::optional<QString> value = doc.DocumentElement().Attribute(name);
        QCOMPARE(value.value_or(QStringLiteral("<none>")), expected);
    }

    void emptyAttributeIsPresentAndEmpty() {
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<r a=\"\"/>"));
        const std::optional<QString> value = doc.DocumentElement().Attribute("a");
        QVERIFY(value.has_value());
        QVERIFY(value->isEmpty());
        QVERIFY(!value->isNull());
    }

    // A document may not make us read any other file: no external entities, no DTD.
    void externalEntitiesAreNeverLoaded() {
        const QString secret = Write("secret.txt", "SECRET");
        const QByteArray xml = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY e SYSTEM \"file://" +
                               secret.toUtf8() + "\">]><r a=\"x\">&e;</r>";
        TXMLDocument doc;
        try {
            doc.LoadFromFile(Write("xxe.xml", xml));
        } catch (const TXmlError&) {
            return; // refusing the document is fine too
        }
        const TXMLNode root = doc.DocumentElement();
        for (TXMLNode c = root.FirstChild(); c; c = c.NextSibling())
            QVERIFY(!c.NodeName().contains("SECRET"));
        QVERIFY(!root.AttributeText("a").contains("SECRET"));
    }

    void childNodesSkipBlanksCommentsAndInstructions() {
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<?xml version=\"1.0\"?>\n<root>\n  <a id=\"1\"/>\n  <!-- note -->\n"
                                       "  <?pi data?>\n  <b id=\"2\">\n    <c id=\"3\"/>\n  </b>\n</root>"));
        const TXMLNode root = doc.DocumentElement();
        QCOMPARE(root.ChildCount(), 2);
        QCOMPARE(root.Child(0).NodeName(), QStringLiteral("a"));
        QCOMPARE(root.Child(1).NodeName(), QStringLiteral("b"));
        QCOMPARE(root.Child(1).ChildCount(), 1);
        QVERIFY_THROWS_EXCEPTION(TXmlError, root.Child(2));
    }

    void attributesAreCaseSensitiveAndUnprefixed() {
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<x:CourseInfo xmlns:x=\"urn:x\" Id=\"3\" x:Name=\"n\"/>"));
        const TXMLNode root = doc.DocumentElement();
        QCOMPARE(root.NodeName(), QStringLiteral("x:CourseInfo"));
        QVERIFY(root.HasAttribute("Id"));
        QVERIFY(!root.HasAttribute("id"));
        QVERIFY(!root.HasAttribute("Name"));
        QVERIFY(!root.Attribute("Group").has_value());
        QCOMPARE(root.AttributeText("Group"), QString());
        QCOMPARE(root.AttributeInt("Id"), 3);
        QVERIFY_THROWS_EXCEPTION(TXmlConversionError, root.AttributeInt("Group"));
    }

    void writeAndReadBack() {
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" ?><items></items>"));
        const QString caption = QStringLiteral("<B>\"Кавычки\"</B> & 'апостроф' <>");
        TXMLNode item = doc.DocumentElement().AddChild("item");
        item.SetAttribute("Course", -3);
        item.SetAttribute("Caption", caption);
        const QString path = m_dir.filePath("out.sff");
        doc.SaveToFile(path);

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

        TXMLDocument again;
        again.LoadFromFile(path);
        const TXMLNode read = again.DocumentElement().FirstChild();
        QCOMPARE(read.AttributeInt("Course"), -3);
        QCOMPARE(read.AttributeText("Caption"), caption);
    }

    void failedSaveLeavesTheOldFile() {
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<items/>"));
        QVERIFY_THROWS_EXCEPTION(TXmlError, doc.SaveToFile(m_dir.filePath("no/such/folder/x.sff")));
        TXMLDocument inactive;
        QVERIFY_THROWS_EXCEPTION(TXmlError, inactive.SaveToFile(m_dir.filePath("x.sff")));
    }

    void switchingFilesUnloads() {
        TXMLDocument doc;
        doc.LoadFromFile(Write("a.xml", "<a/>"));
        QVERIFY(doc.Active());
        doc.SetFileName(Write("b.xml", "<b/>"));
        QVERIFY(!doc.Active());
        doc.SetActive(true);
        QCOMPARE(doc.DocumentElement().NodeName(), QStringLiteral("b"));
    }
};

QTEST_GUILESS_MAIN(TestXmlDocument)
#include "test_xmldocument.moc"
