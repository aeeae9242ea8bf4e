// Collection files: what is written, byte for byte, and what loads back.

#include "collections/FavorFile.h"
#include "core/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

Q_DECLARE_METATYPE(std::vector<TFavor>)

namespace {

using TRecords = std::vector<TFavor>;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString Describe(const TRecords& records) {
    QStringList out;
    for (const TFavor& f : records)
        out << QStringLiteral("%1;%2;%3;[%4]").arg(f.Course).arg(f.Folder).arg(f.ID).arg(f.Caption);
    return out.join(u'|');
}

} // namespace

class TestFavorFile final : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write fixture");
        return path;
    }

private slots:
    void roundTrip_data() {
        QTest::addColumn<TRecords>("records");
        QTest::newRow("empty") << TRecords{};
        QTest::newRow("markup") << TRecords{
            {3, 12, QStringLiteral("<B>Жирный</B> и <FONT COLOR=\"#A03000\">цвет</FONT> <IMG SRC=\"IDX:2\">"),
             15},
            {3, 2010, QStringLiteral("<A HREF=\"x.htm?a=1&b=2\">ссылка</A>"), 7}};
        QTest::newRow("quotes and ampersands")
            << TRecords{{1, 5, QStringLiteral("\"двойные\" и 'одинарные' & &amp; &#65; &lt;"), 1}};
        QTest::newRow("angle brackets") << TRecords{{1, 8, QStringLiteral("a < b > c <<>> ]]>"), 2}};
        QTest::newRow("outside the basic plane")
            << TRecords{{2, 68, QString::fromUtf8("Смайл 😀, 𝔸𝔹 и 𠀀"), 3}};
        QTest::newRow("tabs and line breaks") << TRecords{{2, 7, QStringLiteral("a\tb\nc\r\nd  e"), 4}};
        QTest::newRow("edge numbers")
            << TRecords{{0, 30, QString(), 0},
                        {-1, -2, QStringLiteral("минус"), -3},
                        {2147483647, -2147483647 - 1, QStringLiteral("x"), 2147483647}};
        QTest::newRow("duplicates kept") << TRecords{{3, 12, QStringLiteral("раз"), 15},
                                                     {3, 12, QStringLiteral("два"), 15},
                                                     {3, 12, QStringLiteral("раз"), 15}};
    }
    void roundTrip() {
        QFETCH(TRecords, records);
        TXMLDocument doc;
        const QString path = m_dir.filePath(QStringLiteral("round.sff"));
        SaveFavorFile(doc, records, path);
        TXMLDocument other;
        const TFavorLoadResult loaded = LoadFavorFile(other, path);
        QCOMPARE(loaded.Status, TFavorLoadResult::Loaded);
        QCOMPARE(Describe(loaded.Records), Describe(records));
        QVERIFY(loaded.Records == records);
    }

    void exactBytes_data() {
        QTest::addColumn<TRecords>("records");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << TRecords{}
                               << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<items/>\n");
        QTest::newRow("two items")
            << TRecords{{3, 12, QStringLiteral("<B>a</B> & \"b\""), 15}, {-4, 2010, QStringLiteral("Ж"), 7}}
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<items><item Course=\"3\" Folder=\"12\" ID=\"15\" "
                          "Caption=\"&lt;B&gt;a&lt;/B&gt; &amp; &quot;b&quot;\"/>"
                          "<item Course=\"-4\" Folder=\"2010\" ID=\"7\" Caption=\"\xD0\x96\"/></items>\n");
    }
    void exactBytes() {
        QFETCH(TRecords, records);
        QFETCH(QByteArray, bytes);
        TXMLDocument doc;
        const QString path = m_dir.filePath(QStringLiteral("exact.sff"));
        SaveFavorFile(doc, records, path);
        QCOMPARE(ReadAll(path), bytes);
    }

    void load_data() {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("rows");
        const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        QTest::newRow("attributes in another order")
            << decl + "<items><item Caption=\"c\" ID=\"15\" Folder=\"12\" Course=\"3\"/></items>"
            << int(TFavorLoadResult::Loaded) << "3;12;15;[c]";
        QTest::newRow("extra attributes") << decl + "<items><item Course=\"3\" Extra=\"x\" Folder=\"12\" "
                                                    "ID=\"15\" Caption=\"c\" z=\"1\"/></items>"
                                          << int(TFavorLoadResult::Loaded) << "3;12;15;[c]";
        QTest::newRow("other element and root names")
            << decl + "<Podborka><item Course=\"1\" Folder=\"5\" ID=\"1\"/><x Course=\"2\" Folder=\"8\" "
                      "ID=\"2\" "
                      "Caption=\"b\"><inner/></x></Podborka>"
            << int(TFavorLoadResult::Loaded) << "1;5;1;[]|2;8;2;[b]";
        QTest::newRow("indented with comments")
            << decl +
                   "\n<items>\n  <!-- mine -->\n  <item Course=\"1\" Folder=\"5\" ID=\"1\" Caption=\"a\" />\n"
                   "\t<item Course=\"1\" Folder=\"8\" ID=\"2\" Caption=\"b\"/>\r\n</items>\n"
            << int(TFavorLoadResult::Loaded) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("no declaration, single quotes, leading zeros and signs")
            << QByteArray("<items><item Course='007' Folder='+12' ID='-0' Caption='q'/></items>")
            << int(TFavorLoadResult::Loaded) << "7;12;0;[q]";
        QTest::newRow("empty root, two tags")
            << decl + "<items></items>" << int(TFavorLoadResult::Loaded) << "";
        QTest::newRow("windows-1251")
            << QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\"?><items><item Course=\"1\" "
                          "Folder=\"5\" ID=\"1\" Caption=\"\xC0\xE1\"/></items>")
            << int(TFavorLoadResult::Loaded) << "1;5;1;[Аб]";
        const QByteArray twoGood = decl + "<items><item Course=\"1\" Folder=\"5\" ID=\"1\" Caption=\"a\"/>"
                                          "<item Course=\"1\" Folder=\"8\" ID=\"2\" Caption=\"b\"/>";
        const QByteArray tail = "<item Course=\"1\" Folder=\"12\" ID=\"4\"/></items>";
        QTest::newRow("third lacks ID") << twoGood + "<item Course=\"1\" Folder=\"12\"/>" + tail
                                        << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("third has a word for Folder")
            << twoGood + "<item Course=\"1\" Folder=\"12a\" ID=\"3\"/>" + tail
            << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("third has an empty Course")
            << twoGood + "<item Course=\"\" Folder=\"12\" ID=\"3\"/>" + tail << int(TFavorLoadResult::Stopped)
            << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("third has a fraction")
            << twoGood + "<item Course=\"1\" Folder=\"12\" ID=\"3.0\"/>" + tail
            << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("third overflows")
            << twoGood + "<item Course=\"1\" Folder=\"12\" ID=\"2147483648\"/>" + tail
            << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("third is text")
            << twoGood + "text" + tail << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("case matters") << twoGood + "<item course=\"1\" Folder=\"12\" ID=\"3\"/>" + tail
                                      << int(TFavorLoadResult::Stopped) << "1;5;1;[a]|1;8;2;[b]";
        QTest::newRow("first item bad")
            << decl + "<items><item Folder=\"1\" ID=\"1\"/></items>" << int(TFavorLoadResult::Stopped) << "";
        QTest::newRow("not well-formed") << twoGood + "<item" << int(TFavorLoadResult::NotParsed) << "";
        QTest::newRow("empty file") << QByteArray() << int(TFavorLoadResult::NotParsed) << "";
        QTest::newRow("external entity refused")
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE items [<!ENTITY e SYSTEM \"/etc/passwd\">]>"
                          "<items><item Course=\"1\" Folder=\"5\" ID=\"1\" Caption=\"&e;\"/></items>")
            << int(TFavorLoadResult::NotParsed) << "";
    }
    void load() {
        QFETCH(QByteArray, xml);
        QFETCH(int, status);
        QFETCH(QString, rows);
        TXMLDocument doc;
        const TFavorLoadResult loaded = LoadFavorFile(doc, Write(QStringLiteral("load.sff"), xml));
        QCOMPARE(int(loaded.Status), status);
        QCOMPARE(Describe(loaded.Records), rows);
        QCOMPARE(loaded.Failed(),
                 status == TFavorLoadResult::Stopped || status == TFavorLoadResult::NotParsed);
        QCOMPARE(loaded.ReplacesList(),
                 status == TFavorLoadResult::Stopped || status == TFavorLoadResult::Loaded);
        QVERIFY(!doc.Active());
    }

    void missingFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such file") << m_dir.filePath(QStringLiteral("gone.sff"));
        QTest::newRow("no name") << QString();
    }
    void missingFile() {
        QFETCH(QString, name);
        TXMLDocument doc;
        const TFavorLoadResult loaded = LoadFavorFile(doc, name);
        QCOMPARE(loaded.Status, TFavorLoadResult::Missing);
        QVERIFY(!loaded.Failed());
        QVERIFY(!loaded.ReplacesList());
    }

    // A save that cannot be finished raises and leaves an earlier file of that name whole.
    void failedSaveKeepsEarlierFile_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk full part-way") << "fsize";
        QTest::newRow("folder turned read-only") << "readonly";
    }
    void failedSaveKeepsEarlierFile() {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.sff"));
        TXMLDocument doc;
        const TRecords earlier{{1, 5, QStringLiteral("старая"), 1}};
        SaveFavorFile(doc, earlier, path);
        const QByteArray before = ReadAll(path);
        TRecords big;
        for (int i = 0; i < 2000; ++i)
            big.push_back({1, 12, QStringLiteral("Пункт номер %1 с длинным названием").arg(i), i});

        bool raised = false;
        if (how == QLatin1String("fsize")) {
            // A limit on the size of files this process writes fails the write after its
            // first bytes, as a full disk would, whoever runs the test.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 4096;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            try {
                SaveFavorFile(doc, big, path);
            } catch (const TXmlError&) {
                raised = true;
            }
            setrlimit(RLIMIT_FSIZE, &old);
        } else {
            if (geteuid() == 0)
                QSKIP("the superuser writes into read-only folders");
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            try {
                SaveFavorFile(doc, big, path);
            } catch (const TXmlError&) {
                raised = true;
            }
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QVERIFY(raised);
        QCOMPARE(ReadAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("mine.sff")});
    }

    void saveIntoImpossiblePathRaises_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("below a file") << QStringLiteral("/etc/hostname/x.sff");
        QTest::newRow("inside /proc") << QStringLiteral("/proc/collection.sff");
        QTest::newRow("no folder") << QStringLiteral("/nonexistent-folder-of-collections/x.sff");
    }
    void saveIntoImpossiblePathRaises() {
        QFETCH(QString, path);
        TXMLDocument doc;
        QVERIFY_THROWS_EXCEPTION(TXmlError, SaveFavorFile(doc, {{1, 5, QStringLiteral("a"), 1}}, path));
        QVERIFY(!QFileInfo::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestFavorFile)
#include "test_favorfile.moc"
