// One shard of the search index on its own: a search reads what an update has committed while
// the update goes on, and never what it has not; merging the segments loses nothing.

#include "search/SearchShard.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

TSearchItem Item(int id, const QString& caption) {
    TSearchItem item;
    item.Course = 1;
    item.CourseName = QStringLiteral("Курс");
    item.Section = 5;
    item.ID = id;
    item.Caption = caption;
    return item;
}

QList<int> Found(TSearchShard& shard, const QString& query) {
    QList<int> ids;
    for (const TShardHit& hit : shard.Search(shard.Expression(ParseQuery(query), false), -1, 100))
        ids << hit.ID;
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

class TestSearchShard final : public QObject {
    Q_OBJECT
private slots:
    void searchWhileAnUpdateWrites() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("0.db"));
        TSearchShard writer(path, true);
        writer.Begin();
        writer.Add(Item(1, QStringLiteral("Первая")), "s1", QByteArray("Теорема Пифагора."));
        writer.Commit();
        writer.Begin();
        writer.Add(Item(2, QStringLiteral("Вторая")), "s2", QByteArray("Теорема Виета."));

        TSearchShard reader(path, false);
        QCOMPARE(Found(reader, QStringLiteral("теорема")), QList<int>{1}); // committed only
        QCOMPARE(Found(reader, QStringLiteral("виета")), QList<int>{});
        writer.Commit();
        QCOMPARE(Found(reader, QStringLiteral("теорема")), (QList<int>{1, 2}));

        // Many commits leave many segments; merging them into one changes no answer, and a
        // search during the merge reads the index as it was.
        for (int id = 3; id <= 60; ++id) {
            writer.Begin();
            writer.Add(Item(id, QStringLiteral("Пункт %1").arg(id)), "s", QByteArray("Теоремы и уравнения."));
            writer.Commit();
        }
        QCOMPARE(Found(reader, QStringLiteral("уравнение")).size(), 58);
        writer.Tidy(true);
        QCOMPARE(Found(reader, QStringLiteral("уравнение")).size(), 58);
        QCOMPARE(Found(reader, QStringLiteral("\"теорема виета\"")), QList<int>{2});
        QCOMPARE(writer.Entries().size(), size_t(60));
    }

    // A file that is not a shard of this program is refused as damage, and an empty one that
    // its writer has not set up yet is not.
    void foreignAndEmptyFiles() {
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("empty.db"));
        QFile(empty).open(QIODevice::WriteOnly);
        try {
            TSearchShard reader(empty, false);
            QFAIL("an empty file opened as a shard");
        } catch (const TSqlError& e) {
            QVERIFY(e.IsNotBuilt());
            QVERIFY(!e.IsDamage());
        }
        const QString text = dir.filePath(QStringLiteral("text.db"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        for (const bool write : {false, true}) {
            try {
                TSearchShard shard(text, write);
                QFAIL("a text file opened as a shard");
            } catch (const TSqlError& e) {
                QVERIFY(e.IsDamage());
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSearchShard)
#include "test_searchshard.moc"
