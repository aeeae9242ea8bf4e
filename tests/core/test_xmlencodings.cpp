// The encodings old discs wrote their descriptors and section trees in, read through the real
// readers: the catalogue's descriptor scan and the tree control's tree loader. Each row is one
// way of writing the same Russian text; what must be read is that text, or a failure where the
// bytes name an encoding they do not hold.

#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "core/XmlDocument.h"
#include "markuptree/MarkupTreeView.h"

#include <QApplication>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kName = QStringLiteral("Алгебра: ёжик и «кавычки»");

enum class TDeclaration {
    None,            // no <?xml ...?> at all
    WithoutEncoding, // <?xml version="1.0"?>
    Named,           // <?xml version="1.0" encoding="NAME"?> with the encoding written
    NamedOther,      // a declaration naming UTF-8 while the bytes are another encoding
};

struct TWriting {
    QByteArray Encoding; // what the bytes are written in
    TDeclaration Declaration = TDeclaration::None;
    QByteArray Bom; // bytes before the text
};

QByteArray Declaration(const TWriting& w) {
    switch (w.Declaration) {
    case TDeclaration::None:
        return {};
    case TDeclaration::WithoutEncoding:
        return "<?xml version=\"1.0\"?>\n";
    case TDeclaration::Named:
        return "<?xml version=\"1.0\" encoding=\"" + w.Encoding + "\"?>\n";
    case TDeclaration::NamedOther:
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    }
    return {};
}

QByteArray Write(const TWriting& w, const QString& body) {
    const QString text = QString::fromLatin1(Declaration(w)) + body;
    QByteArray bytes;
    if (w.Encoding == "KOI8-R" || w.Encoding == "windows-1251") {
        // Qt's encoder knows only the Unicode encodings; these two are plain tables.
        auto toCodePage = [&](char16_t c) -> char {
            if (c < 0x80)
                return char(c);
            static const QString cp1251Upper = QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
            static const QString cp1251Lower = QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюя");
            if (w.Encoding == "windows-1251") {
                if (c == u'ё')
                    return char(0xB8);
                if (c == u'Ё')
                    return char(0xA8);
                if (c == u'«')
                    return char(0xAB);
                if (c == u'»')
                    return char(0xBB);
                if (const qsizetype i = cp1251Upper.indexOf(QChar(c)); i >= 0)
                    return char(0xC0 + i);
                if (const qsizetype i = cp1251Lower.indexOf(QChar(c)); i >= 0)
                    return char(0xE0 + i);
            } else {
                // KOI8-R orders the letters by their Latin sound; the test needs only these.
                static const QString koiLower = QStringLiteral("юабцдефгхийклмнопярстужвьызшэщчъ");
                static const QString koiUpper = QStringLiteral("ЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
                if (c == u'ё')
                    return char(0xA3);
                if (c == u'«')
                    return '(';
                if (c == u'»')
                    return ')';
                if (const qsizetype i = koiLower.indexOf(QChar(c)); i >= 0)
                    return char(0xC0 + i);
                if (const qsizetype i = koiUpper.indexOf(QChar(c)); i >= 0)
                    return char(0xE0 + i);
            }
            return '?';
        };
        for (const QChar c : text)
            bytes.append(toCodePage(c.unicode()));
    } else {
        const auto encoding = QStringConverter::encodingForName(w.Encoding.constData());
        Q_ASSERT(encoding);
        QStringEncoder encoder(*encoding, QStringConverter::Flag::Stateless);
        bytes = encoder.encode(text);
    }
    return w.Bom + bytes;
}

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

class TestXmlEncodings final : public QObject {
    Q_OBJECT
private slots:
    void readers_data() {
        QTest::addColumn<bool>("tree");
        QTest::addColumn<QByteArray>("encoding");
        QTest::addColumn<int>("declaration");
        QTest::addColumn<QByteArray>("bom");
        QTest::addColumn<QString>("expected"); // the name read; empty: the file must fail
        const int none = int(TDeclaration::None);
        const int bare = int(TDeclaration::WithoutEncoding);
        const int named = int(TDeclaration::Named);
        const int other = int(TDeclaration::NamedOther);
        const QByteArray noBom;
        const QByteArray utf8Bom("\xEF\xBB\xBF");
        const QByteArray utf16LeBom("\xFF\xFE");
        const QByteArray utf16BeBom("\xFE\xFF");
        const QString koiName = QString(kName).replace(u'«', u'(').replace(u'»', u')');
        for (const bool tree : {false, true}) {
            const char* kind = tree ? "tree" : "descriptor";
            auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s: %s", kind, what); };
            row("windows-1251 declared") << tree << QByteArray("windows-1251") << named << noBom << kName;
            row("windows-1251 without declaration")
                << tree << QByteArray("windows-1251") << none << noBom << kName;
            row("windows-1251, declaration without encoding")
                << tree << QByteArray("windows-1251") << bare << noBom << kName;
            row("UTF-8 without declaration") << tree << QByteArray("UTF-8") << none << noBom << kName;
            row("UTF-8, declaration without encoding")
                << tree << QByteArray("UTF-8") << bare << noBom << kName;
            row("UTF-8 declared") << tree << QByteArray("UTF-8") << named << noBom << kName;
            row("UTF-8 with BOM, no declaration") << tree << QByteArray("UTF-8") << none << utf8Bom << kName;
            row("UTF-8 with BOM, declared") << tree << QByteArray("UTF-8") << named << utf8Bom << kName;
            row("UTF-16 LE with BOM") << tree << QByteArray("UTF-16LE") << none << utf16LeBom << kName;
            row("UTF-16 BE with BOM, declared")
                << tree << QByteArray("UTF-16BE") << bare << utf16BeBom << kName;
            row("UTF-16 LE declared, no BOM") << tree << QByteArray("UTF-16LE") << named << noBom << kName;
            // Declared encodings are believed: no guessing over them.
            row("KOI8-R declared") << tree << QByteArray("KOI8-R") << named << noBom << koiName;
            row("windows-1251 bytes declared as UTF-8")
                << tree << QByteArray("windows-1251") << other << noBom << QString();
            row("windows-1251 bytes behind a UTF-8 BOM")
                << tree << QByteArray("windows-1251") << none << utf8Bom << QString();
        }
    }
    void readers() {
        QFETCH(bool, tree);
        QFETCH(QByteArray, encoding);
        QFETCH(int, declaration);
        QFETCH(QByteArray, bom);
        QFETCH(QString, expected);
        const TWriting writing{encoding, TDeclaration(declaration), bom};
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString body =
            tree
                ? QStringLiteral("<tree>\n<item id=\"7\" text=\"%1\"/>\n</tree>\n").arg(Escaped(kName))
                : QStringLiteral("<CourseInfo Id=\"5\" Group=\"Математика\" Name=\"%1\" Description=\"\"/>\n")
                      .arg(Escaped(kName));
        const QString path = dir.filePath(tree ? QStringLiteral("tree.xml") : QStringLiteral("course.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Write(writing, body));
        file.close();

        if (tree) {
            TMarkupTreeView view;
            TXMLDocument doc;
            QString error;
            try {
                view.LoadTreeFromXML(doc, path);
            } catch (const TXmlError& e) {
                error = e.Message();
            }
            if (expected.isEmpty()) {
                QVERIFY2(!error.isEmpty(), "a file whose bytes contradict their encoding must fail");
                QVERIFY2(error.contains(path), qPrintable(error));
                return;
            }
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(view.topLevelItemCount(), 1);
            QCOMPARE(view.topLevelItem(0)->text(0), expected);
            return;
        }
        TCatalogueModel model;
        TCourseScan(model).LoadCourses(dir.path() + u'/');
        if (expected.isEmpty()) {
            QCOMPARE(model.PageCount(), 0);
            QCOMPARE(int(model.Skipped().size()), 1);
            return;
        }
        QVERIFY(model.Skipped().empty());
        QCOMPARE(model.PageCount(), 1);
        QCOMPARE(model.Page(0).Caption, QStringLiteral("Математика"));
        QCOMPARE(model.Page(0).Courses.size(), size_t(1));
        QCOMPARE(model.Page(0).Courses[0].Name, expected);
    }

    // Bytes held in memory follow the same rule as files.
    void bytesInMemory_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected"); // the root's name attribute; empty: must fail
        QTest::newRow("windows-1251 without declaration")
            << Write({"windows-1251", TDeclaration::None, {}},
                     QStringLiteral("<r n=\"%1\"/>").arg(Escaped(kName)))
            << kName;
        QTest::newRow("UTF-8 without declaration")
            << Write({"UTF-8", TDeclaration::None, {}}, QStringLiteral("<r n=\"%1\"/>").arg(Escaped(kName)))
            << kName;
        // The fallback changes the encoding only; a malformed document stays malformed.
        QTest::newRow("windows-1251, not well-formed")
            << Write({"windows-1251", TDeclaration::None, {}},
                     QStringLiteral("<r n=\"%1\">").arg(Escaped(kName)))
            << QString();
        QTest::newRow("ASCII, not well-formed") << QByteArray("<r n=\"x\"><a></r>") << QString();
    }
    void bytesInMemory() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        TXMLDocument doc;
        if (expected.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(TXmlError, doc.LoadFromXML(bytes));
            QVERIFY(!doc.Active());
            return;
        }
        doc.LoadFromXML(bytes);
        QCOMPARE(doc.DocumentElement().AttributeText(QStringLiteral("n")), expected);
    }
};

QTEST_MAIN(TestXmlEncodings)
#include "test_xmlencodings.moc"
