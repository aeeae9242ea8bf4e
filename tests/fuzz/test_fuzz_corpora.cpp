// Every input the fuzz targets of the collection files, the link rules, the disc names, the search
// query and the page text kept
// (fuzz/corpus/<target>/), run again through the same function: a fault found once stays found.
// A failing input aborts the run, and the test's report names it by its row.
#include "fuzz/FuzzInputs.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFuzzCorpora final : public QObject {
    Q_OBJECT
private slots:
    void replay_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        for (const char* target : {"favorfile", "linkrules", "discnames", "searchquery", "pagetext"}) {
            const QDir corpus(QStringLiteral(CP_FUZZ_CORPORA "/") + QLatin1String(target));
            const QStringList files = corpus.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), target); // a corpus that vanished would test nothing
            for (const QString& name : files)
                QTest::addRow("%s/%s", target, qPrintable(name))
                    << QString::fromLatin1(target) << corpus.filePath(name);
        }
    }
    void replay() {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray data = in.readAll();
        if (target == QLatin1String("favorfile"))
            FuzzCollectionFile(data);
        else if (target == QLatin1String("linkrules"))
            FuzzLinkRules(data);
        else if (target == QLatin1String("discnames"))
            FuzzDiscNames(data);
        else if (target == QLatin1String("searchquery"))
            FuzzSearchQuery(data);
        else
            FuzzPageText(data);
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpora)
#include "test_fuzz_corpora.moc"
