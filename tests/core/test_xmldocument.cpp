#include "core/XmlDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // A file of the given size whose first bytes are head and the rest a hole: its size is real,
    // yet no gigabyte is ever written.
    QString Sparse(const QString& name, qint64 size, const QByteArray& head) {
        const QString path = Write(name, head);
        if (!QFile::resize(path, size))
            qFatal("cannot make a sparse fixture");
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
        // An attribute holding the text reads alike, though it is read from its bytes.
        TXMLDocument doc;
        doc.LoadFromXML(QStringLiteral("<r n=\"%1\"/>").arg(text.toHtmlEscaped()));
        if (ok)
            QCOMPARE(doc.DocumentElement().AttributeInt(QStringLiteral("n")), value);
        else
            QVERIFY_THROWS_EXCEPTION(TXmlConversionError,
                                     doc.DocumentElement().AttributeInt(QStringLiteral("n")));
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
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + utf8;
        QTest::newRow("utf-8 without declaration")
            << QByteArray("<r Name=\"" + name.toHtmlEscaped().toUtf8() + "\"/>");
        QTest::newRow("utf-8 with bom, without declaration")
            << QByteArray("\xEF\xBB\xBF<r Name=\"" + name.toHtmlEscaped().toUtf8() + "\"/>");
        QByteArray utf16be("\xFE\xFF", 2);
        for (const QChar c : u16)
            utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
        QTest::newRow("utf-16 be with bom") << utf16be;
        const QString bare = QStringLiteral("<r Name=\"") + name.toHtmlEscaped() + QStringLiteral("\"/>");
        QByteArray utf16bare("\xFF\xFE", 2);
        utf16bare.append(reinterpret_cast<const char*>(bare.utf16()), bare.size() * 2);
        QTest::newRow("utf-16 le with bom, without declaration") << utf16bare;
        QTest::newRow("windows-1251 declared in capitals")
            << QByteArray(cp1251).replace("windows-1251", "WINDOWS-1251");
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
        const QString fileName = Write("bad.xml", bytes);
        doc.SetFileName(fileName);
        try {
            doc.SetActive(true);
            QFAIL("no exception");
        } catch (const TXmlError& e) {
            // The file is named; the reason is Russian, never libxml2's English.
            QVERIFY2(e.Message().contains(fileName), qPrintable(e.Message()));
            QVERIFY2(!QString(e.Message())
                          .remove(fileName)
                          .contains(QRegularExpression(QStringLiteral("[a-z]{3}"))),
                     qPrintable(e.Message()));
        }
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

    // An entity declared once and used many times expands without bound: a document whose
    // references would add more text than a small multiple of its size (a few megabytes at most)
    // is refused, its file named; documents that use entities as people do read as before.
    void entityExpansionIsBounded_data() {
        QTest::addColumn<int>("entityLength"); // letters of the entity's text
        QTest::addColumn<int>("elements");     // elements, each with one attribute of references
        QTest::addColumn<int>("references");   // references in each attribute
        QTest::addColumn<bool>("inText");      // each element also holds one reference as text
        QTest::addColumn<bool>("refused");
        QTest::newRow("a few short references") << 8 << 3 << 2 << false << false;
        QTest::newRow("characters by name, many") << 1 << 20000 << 2 << false << false;
        QTest::newRow("one entity in many attributes") << 2000 << 2000 << 10 << false << true;
        QTest::newRow("one entity in one long attribute") << 2000 << 1 << 25000 << false << true;
        QTest::newRow("one entity in many texts") << 4000 << 5000 << 0 << true << true;
    }
    void entityExpansionIsBounded() {
        QFETCH(int, entityLength);
        QFETCH(int, elements);
        QFETCH(int, references);
        QFETCH(bool, inText);
        QFETCH(bool, refused);
        QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE items [<!ENTITY e \"" +
                         QString(entityLength, QChar(0x416)).toUtf8() + "\">]>\n<items>";
        const QByteArray element = "<item Caption=\"" + QByteArray("&e;").repeated(references) + "\">" +
                                   (inText ? "&e;" : "") + "</item>";
        xml += element.repeated(elements) + "</items>\n";
        const QString path = Write("entities.xml", xml);
        TXMLDocument doc;
        try {
            doc.LoadFromFile(path, TXmlFileKind::Collection);
        } catch (const TXmlError& e) {
            QVERIFY2(refused, qPrintable(e.Message()));
            QVERIFY2(e.Message().contains(path), qPrintable(e.Message()));
            QVERIFY_THROWS_EXCEPTION(TXmlError, doc.LoadFromXML(xml));
            return;
        }
        QVERIFY2(!refused, "a document whose entities expand without bound was read");
        QCOMPARE(doc.DocumentElement().FirstChild().AttributeText("Caption").size(),
                 qsizetype(entityLength) * references);
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
        const QString missing = m_dir.filePath("no/such/folder/x.sff");
        try {
            doc.SaveToFile(missing);
            QFAIL("no exception");
        } catch (const TXmlError& e) {
            QCOMPARE(
                e.Message(),
                QStringLiteral("Не удалось сохранить файл \"%1\": файл или папка не найдены").arg(missing));
        }
        TXMLDocument inactive;
        QVERIFY_THROWS_EXCEPTION(TXmlError, inactive.SaveToFile(m_dir.filePath("x.sff")));
    }

    // A file larger than its kind allows is refused by its size, with a message that names the
    // file; a file of exactly the limit is read.
    void sizeLimitsByKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("says");
        const qint64 mb = qint64(1) << 20;
        QTest::newRow("descriptor of 1 MB") << int(TXmlFileKind::Descriptor) << mb << false << "";
        QTest::newRow("descriptor a byte over 1 MB")
            << int(TXmlFileKind::Descriptor) << mb + 1 << true
            << "описания курса: 1048577 байт при допустимых 1048576 байт";
        QTest::newRow("descriptor of 1.5 GB")
            << int(TXmlFileKind::Descriptor) << 1536 * mb << true << "1,5 ГБ при допустимых 1 МБ";
        QTest::newRow("tree of 64 MB and a byte")
            << int(TXmlFileKind::Tree) << 64 * mb + 1 << true << "дерева раздела";
        QTest::newRow("tree of 1.5 GB") << int(TXmlFileKind::Tree) << 1536 * mb << true << "допустимых 64 МБ";
        QTest::newRow("collection over 64 MB") << int(TXmlFileKind::Collection) << 65 * mb << true
                                               << "файла подборки: 65 МБ при допустимых 64 МБ";
        QTest::newRow("task page over 16 MB") << int(TXmlFileKind::TaskPage) << 16 * mb + 512 * 1024 << true
                                              << "страницы заданий: 16,5 МБ при допустимых 16 МБ";
        QTest::newRow("task page of 2 MB") << int(TXmlFileKind::TaskPage) << 2 * mb << false << "";
        QTest::newRow("any document over 64 MB")
            << int(TXmlFileKind::Document) << 100 * mb << true << "XML-документа: 100 МБ";
        QTest::newRow("any document of 2 GB and more")
            << int(TXmlFileKind::Document) << 2049 * mb << true << "2 ГБ при допустимых 64 МБ";
    }
    void sizeLimitsByKind() {
        QFETCH(int, kind);
        QFETCH(qint64, size);
        QFETCH(bool, refused);
        QFETCH(QString, says);
        // A root and then blanks up to the size: well-formed when it is read to the end.
        const QByteArray head = "<r a=\"1\">";
        const QByteArray tail = "</r>";
        QString path;
        if (refused) {
            path = Sparse("huge.xml", size, head);
        } else {
            path = Write("limit.xml", head + QByteArray(size - head.size() - tail.size(), ' ') + tail);
            QCOMPARE(QFileInfo(path).size(), size);
        }
        TXMLDocument doc;
        doc.SetFileName(path, TXmlFileKind(kind));
        if (!refused) {
            doc.SetActive(true);
            QCOMPARE(doc.DocumentElement().AttributeInt("a"), 1);
            return;
        }
        try {
            doc.SetActive(true);
            QFAIL("no exception");
        } catch (const TXmlFileTooLarge& e) {
            QVERIFY2(e.Message().contains(path), qPrintable(e.Message()));
            QVERIFY2(e.Message().contains(says), qPrintable(e.Message()));
            QVERIFY2(e.Message().contains("слишком велик"), qPrintable(e.Message()));
        }
        QVERIFY(!doc.Active());
        // The same object still reads a file of a sane size afterwards.
        doc.SetFileName(Write("small.xml", "<s/>"));
        doc.SetActive(true);
        QCOMPARE(doc.DocumentElement().NodeName(), QStringLiteral("s"));
    }

    void kindStaysUntilChanged() {
        const QString path = Sparse("two-mb.xml", qint64(2) << 20, "<r/>");
        TXMLDocument doc;
        QVERIFY_THROWS_EXCEPTION(TXmlFileTooLarge, doc.LoadFromFile(path, TXmlFileKind::Descriptor));
        // Still a descriptor reader: the next file of that size is refused too.
        QVERIFY_THROWS_EXCEPTION(TXmlFileTooLarge, doc.LoadFromFile(path));
        doc.SetFileKind(TXmlFileKind::Tree);
        // A tree may be that large: the file is read.
        doc.LoadFromFile(path);
        QCOMPARE(doc.DocumentElement().NodeName(), QStringLiteral("r"));
    }

    void dataSizes_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << qint64(0) << "0 байт";
        QTest::newRow("bytes") << qint64(1023) << "1023 байта";
        QTest::newRow("one byte") << qint64(1) << "1 байт";
        QTest::newRow("twelve bytes") << qint64(12) << "12 байт";
        QTest::newRow("twenty-two bytes") << qint64(22) << "22 байта";
        QTest::newRow("a hundred and fourteen bytes") << qint64(114) << "114 байт";
        QTest::newRow("kilobyte") << qint64(1024) << "1 КБ";
        QTest::newRow("one and a half kilobytes") << qint64(1536) << "1,5 КБ";
        QTest::newRow("megabyte") << (qint64(1) << 20) << "1 МБ";
        QTest::newRow("just under 2 MB rounds up") << (qint64(2) << 20) - 1 << "2 МБ";
        QTest::newRow("gigabytes") << (qint64(3) << 29) << "1,5 ГБ";
    }
    void dataSizes() {
        QFETCH(qint64, bytes);
        QTEST(DataSizeText(bytes), "text");
    }

    // The parser takes a file a piece at a time: a document far longer than one piece, with
    // characters of several bytes cut at the pieces' edges, reads whole and unchanged.
    void longDocumentsReadWhole_data() {
        QTest::addColumn<QString>("encoding");
        QTest::newRow("utf-8") << "UTF-8";
        QTest::newRow("windows-1251") << "windows-1251";
        QTest::newRow("utf-16") << "UTF-16";
    }
    void longDocumentsReadWhole() {
        QFETCH(QString, encoding);
        constexpr int count = 30000;
        QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<tree>\n").arg(encoding);
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("<i id=\"%1\" text=\"Пункт №%1: ёжик\"/>\n").arg(i);
        text += QStringLiteral("</tree>\n");
        QByteArray bytes;
        if (encoding == "UTF-8") {
            bytes = text.toUtf8();
        } else if (encoding == "UTF-16") {
            bytes = QByteArray("\xFF\xFE", 2);
            bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        } else {
            for (const QChar c : text) {
                const ushort u = c.unicode();
                bytes += u < 0x80      ? char(u)
                         : u == 0x401  ? char(0xA8)
                         : u == 0x451  ? char(0xB8)
                         : u == 0x2116 ? char(0xB9)
                                       : char(u - 0x410 + 0xC0);
            }
        }
        QVERIFY(bytes.size() > 1000000);
        TXMLDocument doc;
        doc.LoadFromFile(Write("long.xml", bytes), TXmlFileKind::Tree);
        const TXMLNode root = doc.DocumentElement();
        int seen = 0;
        for (TXMLNode item = root.FirstChild(); item; item = item.NextSibling(), ++seen) {
            if (item.AttributeInt("id") != seen ||
                item.AttributeText("text") != QStringLiteral("Пункт №%1: ёжик").arg(seen))
                QFAIL(
                    qPrintable(QStringLiteral("item %1 reads %2").arg(seen).arg(item.AttributeText("text"))));
        }
        QCOMPARE(seen, count);
    }

    // A name from an old disc in windows-1251 is no UTF-8: its readable form has lost the bytes,
    // so the file is opened by the bytes themselves.
    void nonUtf8NameOpensByItsBytes() {
        const QByteArray name = "\xCA\xF3\xF0\xF1 \xEF\xF0\xE0\xE2\xE0.xml"; // "Курс права.xml"
        const QByteArray path = QFile::encodeName(m_dir.path()) + '/' + name;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const QByteArray xml = "<CourseInfo Id=\"5\"/>";
        QCOMPARE(::write(fd, xml.constData(), size_t(xml.size())), ssize_t(xml.size()));
        ::close(fd);

        TXMLDocument doc;
        doc.SetNativeFileName(path);
        doc.SetActive(true);
        QCOMPARE(doc.DocumentElement().AttributeInt("Id"), 5);
        QVERIFY(doc.FileName().startsWith(m_dir.path()));
        QVERIFY(doc.FileName().endsWith(".xml"));
        // What a QString of the name leads to is another file, one that does not exist.
        TXMLDocument byText;
        QVERIFY_THROWS_EXCEPTION(TXmlError, byText.LoadFromFile(doc.FileName()));
        // Naming another file by its bytes unloads the document, like SetFileName.
        doc.SetNativeFileName(QFile::encodeName(Write("other.xml", "<o/>")));
        QVERIFY(!doc.Active());
        // The temporary folder cannot remove what a QString cannot name.
        QCOMPARE(::unlink(path.constData()), 0);
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
