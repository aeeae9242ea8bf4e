#include "core/Registry.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestRegistry : public QObject {
    Q_OBJECT
private slots:
    void writeCreatesTheKey() {
        QTemporaryDir dir;
        TIniRegistry reg(dir.filePath("sub/registry.ini"));
        QVERIFY(!reg.KeyExists(TRootKey::ClassesRoot, "\\PowerPoint.Show.8"));
        QVERIFY(!reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 9, false));
        QVERIFY(reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 9, true));
        QVERIFY(reg.KeyExists(TRootKey::ClassesRoot, "PowerPoint.Show.8\\"));
        QCOMPARE(reg.ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags"), 9);
        QVERIFY(reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 0, true));
        QCOMPARE(TIniRegistry(reg.FileName())
                     .ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags"),
                 0);
    }

    void rewritesOnlyAChangedValue_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("same value: file untouched") << 9 << false;
        QTest::newRow("another value: written") << 0 << true;
    }

    void rewritesOnlyAChangedValue() {
        QFETCH(int, value);
        QFETCH(bool, rewritten);
        QTemporaryDir dir;
        TIniRegistry reg(dir.filePath("registry.ini"));
        QVERIFY(reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 9, true));
        const QDateTime old(QDate(2001, 1, 1), QTime(0, 0));
        {
            QFile file(reg.FileName());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QVERIFY(reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", value, true));
        QCOMPARE(QFileInfo(reg.FileName()).lastModified() != old, rewritten);
        QCOMPARE(TIniRegistry(reg.FileName())
                     .ReadInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags"),
                 value);
    }

    void keysAreSeparateByRoot() {
        QTemporaryDir dir;
        TIniRegistry reg(dir.filePath("registry.ini"));
        const QString key = "Software\\Microsoft\\Active Setup\\Installed "
                            "Components\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\";
        QVERIFY(reg.CreateKey(TRootKey::LocalMachine, key));
        QVERIFY(reg.KeyExists(TRootKey::LocalMachine, key));
        QVERIFY(!reg.KeyExists(TRootKey::ClassesRoot, key));
        QVERIFY(!reg.KeyExists(TRootKey::LocalMachine,
                               "Software\\Microsoft\\Active Setup\\Installed Components\\{other}"));
    }

    void unwritableFileFailsQuietly() {
        TIniRegistry reg("/proc/no-such-dir/registry.ini");
        QVERIFY(!reg.WriteInteger(TRootKey::ClassesRoot, "\\PowerPoint.Show.8", "BrowserFlags", 9, true));
        QVERIFY(!reg.KeyExists(TRootKey::ClassesRoot, "\\PowerPoint.Show.8"));
    }
};

QTEST_GUILESS_MAIN(TestRegistry)
#include "test_registry.moc"
