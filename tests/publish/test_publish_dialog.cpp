// "Опубликовать для браузера…" of the catalogue's library menu: the site written where the user
// chose, or nothing at all when cancelled.
#include "catalogue/LibraryChooser.h"
#include "core/ComponentStaging.h"
#include "publish/PublishDialog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestPublishDialog final : public QObject {
    Q_OBJECT

private slots:
    // The site's search scripts come from the components the build staged beside the player.
    void initTestCase() { SetStagedComponentsFolder(QStringLiteral(CP_COMPONENTS)); }

    void FromTheLibraryMenu_data() {
        QTest::addColumn<int>("cancelAt"); // courses done when cancel is pressed; -1: never
        QTest::addColumn<bool>("published");
        QTest::newRow("published") << -1 << true;
        QTest::newRow("cancelled at the start") << 0 << false;
        QTest::newRow("cancelled midway") << 2 << false;
    }
    void FromTheLibraryMenu() {
        QFETCH(int, cancelAt);
        QFETCH(bool, published);
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("chosen"));
        QDir().mkpath(chosen);
        QFile mine(chosen + QStringLiteral("/mine.txt"));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.close();

        QWidget banner;
        TLibraryChooser chooser(&banner, TLibraryHistory(dir.filePath(QStringLiteral("settings.ini"))));
        chooser.SetCurrent(QStringLiteral(CP_CONTENT));
        QVERIFY(!chooser.Menu()->findChild<QAction*>(QStringLiteral("actPublishLibrary")));
        QString told;
        bool ok = false;
        chooser.SetPublisher([&](const QString& library) {
            TPublishHooks hooks;
            hooks.AskFolder = [&] { return chosen; };
            hooks.Tell = [&](const QString& text, bool success) {
                told = text;
                ok = success;
            };
            hooks.CancelAt = [&](int done, int) { return cancelAt >= 0 && done >= cancelAt; };
            PublishForBrowsers(&banner, library, hooks);
        });
        QAction* action = chooser.Menu()->findChild<QAction*>(QStringLiteral("actPublishLibrary"));
        QVERIFY(action);
        action->trigger();

        QCOMPARE(ok, published);
        const QString site = chosen + QString::fromUtf8("/Сайт курсов");
        QCOMPARE(QFileInfo::exists(site + QStringLiteral("/101/index.html")), published);
        QVERIFY2(told.contains(published ? QDir::toNativeSeparators(site) : QString::fromUtf8("прервана")),
                 qPrintable(told));
        // Nothing half-written is left beside the user's own file.
        QStringList expected{QStringLiteral("mine.txt")};
        if (published)
            expected.append(QString::fromUtf8("Сайт курсов"));
        QCOMPARE(QDir(chosen).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                 expected);
    }
};

QTEST_MAIN(TestPublishDialog)
#include "test_publish_dialog.moc"
