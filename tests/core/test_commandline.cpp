// What `courseplayer` makes of its command line, and how it starts the browser engine on the
// machine at hand (sandbox, software rendering).

#include "browser/EngineSetup.h"
#include "core/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TCommandLine::TAction)

class TestCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // "@" in an argument or an expectation stands for the scratch folder.
    QString Here(QString text) const { return text.replace(u'@', m_dir.path()); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("disc")));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("odd.sff")));
        QFile sff(m_dir.filePath(QStringLiteral("lesson.sff")));
        QVERIFY(sff.open(QIODevice::WriteOnly));
    }

    void parse_data() {
        using A = TCommandLine::TAction;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<A>("action");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("collection");
        QTest::addColumn<QString>("message"); // a part of the message

        QTest::newRow("nothing") << QStringList{} << A::Run << ""
                                 << ""
                                 << "";
        QTest::newRow("folder") << QStringList{"@/disc"} << A::Run << "@/disc/"
                                << ""
                                << "";
        QTest::newRow("folder with slash") << QStringList{"@/disc/"} << A::Run << "@/disc/"
                                           << ""
                                           << "";
        QTest::newRow("relative folder is made absolute")
            << QStringList{"relative/lib"} << A::Run << QDir::currentPath() + "/relative/lib/"
            << ""
            << "";
        QTest::newRow("collection") << QStringList{"@/lesson.sff"} << A::Run << ""
                                    << "@/lesson.sff"
                                    << "";
        QTest::newRow("collection, upper-case extension") << QStringList{"@/LESSON.SFF"} << A::Run << ""
                                                          << "@/LESSON.SFF"
                                                          << "";
        QTest::newRow("collection with its library")
            << QStringList{"--library", "@/disc", "@/lesson.sff"} << A::Run << "@/disc/"
            << "@/lesson.sff"
            << "";
        QTest::newRow("library after the collection")
            << QStringList{"@/lesson.sff", "--library=@/disc"} << A::Run << "@/disc/"
            << "@/lesson.sff"
            << "";
        QTest::newRow("folder named like a collection is a folder")
            << QStringList{"@/odd.sff"} << A::Run << "@/odd.sff/"
            << ""
            << "";
        QTest::newRow("folder and collection") << QStringList{"@/disc", "@/lesson.sff"} << A::Run << "@/disc/"
                                               << "@/lesson.sff"
                                               << "";
        QTest::newRow("help") << QStringList{"--help"} << A::Help << ""
                              << ""
                              << "courseplayer [ПАПКА]";
        QTest::newRow("-h") << QStringList{"-h"} << A::Help << ""
                            << ""
                            << "--library ПАПКА";
        QTest::newRow("help wins over a folder") << QStringList{"@/disc", "--help"} << A::Help << ""
                                                 << ""
                                                 << "Параметры:";
        QTest::newRow("version") << QStringList{"--version"} << A::Version << ""
                                 << ""
                                 << "courseplayer 9.8.7\n";
        QTest::newRow("-v") << QStringList{"-v"} << A::Version << ""
                            << ""
                            << "9.8.7";
        QTest::newRow("unknown option") << QStringList{"--fullscreen"} << A::Error << ""
                                        << ""
                                        << "неизвестный параметр «fullscreen»";
        QTest::newRow("library without folder") << QStringList{"--library"} << A::Error << ""
                                                << ""
                                                << "--library";
        QTest::newRow("library empty") << QStringList{"--library=", "@/lesson.sff"} << A::Error << ""
                                       << ""
                                       << "--library";
        QTest::newRow("two folders") << QStringList{"@/disc", "@/other"} << A::Error << ""
                                     << ""
                                     << "только одну папку";
        QTest::newRow("folder and library") << QStringList{"@/disc", "--library", "@/other"} << A::Error << ""
                                            << ""
                                            << "только одну папку";
        QTest::newRow("two collections") << QStringList{"@/a.sff", "@/b.sff"} << A::Error << ""
                                         << ""
                                         << "одну подборку";
        QTest::newRow("library twice")
            << QStringList{"--library", "@/a", "--library", "@/b"} << A::Error << ""
            << ""
            << "дважды";
        QTest::newRow("empty argument") << QStringList{""} << A::Error << ""
                                        << ""
                                        << "пустое имя";
        QTest::newRow("engine switches are not ours")
            << QStringList{"@/disc", "--webEngineArgs", "--remote-debugging-port=9222"} << A::Run << "@/disc/"
            << ""
            << "";
    }
    void parse() {
        QFETCH(QStringList, arguments);
        QFETCH(TCommandLine::TAction, action);
        QFETCH(QString, folder);
        QFETCH(QString, collection);
        QFETCH(QString, message);
        QStringList full{QStringLiteral("courseplayer")};
        for (const QString& a : arguments)
            full << Here(a);
        const TCommandLine line = ParseCommandLine(full, QStringLiteral("9.8.7"));
        QCOMPARE(line.Action, action);
        QCOMPARE(line.Folder, Here(folder));
        QCOMPARE(line.Collection, Here(collection));
        QVERIFY2(line.Message.contains(message), qPrintable(line.Message));
        if (action == TCommandLine::TAction::Run)
            QVERIFY(line.Message.isEmpty());
        else
            QVERIFY(line.Message.endsWith(u'\n'));
        if (action == TCommandLine::TAction::Error)
            QVERIFY(line.Message.contains(QStringLiteral("courseplayer --help")));
    }

    void sandbox_data() {
        QTest::addColumn<bool>("isRoot");
        QTest::addColumn<bool>("alreadyDisabled");
        QTest::addColumn<bool>("kernelAllows");
        QTest::addColumn<bool>("disable");
        QTest::addColumn<bool>("notice");
        QTest::newRow("user, kernel allows: sandbox on") << false << false << true << false << false;
        QTest::newRow("user, kernel refuses: off, said once") << false << false << false << true << true;
        QTest::newRow("root: off, silently") << true << false << true << true << false;
        QTest::newRow("root, kernel refuses: off, silently") << true << false << false << true << false;
        QTest::newRow("user turned it off himself") << false << true << false << false << false;
        QTest::newRow("root turned it off himself") << true << true << true << false << false;
    }
    void sandbox() {
        QFETCH(bool, isRoot);
        QFETCH(bool, alreadyDisabled);
        QFETCH(bool, kernelAllows);
        QFETCH(bool, disable);
        QFETCH(bool, notice);
        const TSandboxDecision decision = DecideSandbox(isRoot, alreadyDisabled, kernelAllows);
        QCOMPARE(decision.Disable, disable);
        QCOMPARE(!decision.Notice.isEmpty(), notice);
        QVERIFY(!decision.Notice.contains(u'\n'));
    }

    void chromiumFlags_data() {
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<bool>("openGlWorks");
        QTest::addColumn<QByteArray>("flags");
        QTest::newRow("GPU works, nothing set") << QByteArray() << true << QByteArray();
        QTest::newRow("GPU works, user's flags kept")
            << QByteArray(" --lang=ru ") << true << QByteArray("--lang=ru");
        QTest::newRow("no GPU") << QByteArray() << false
                                << QByteArray("--disable-gpu --disable-gpu-compositing");
        QTest::newRow("no GPU, user's flags first")
            << QByteArray("--lang=ru") << false
            << QByteArray("--lang=ru --disable-gpu --disable-gpu-compositing");
        QTest::newRow("no GPU, not twice")
            << QByteArray("--disable-gpu") << false << QByteArray("--disable-gpu --disable-gpu-compositing");
        QTest::newRow("no GPU, a longer switch is another switch")
            << QByteArray("--disable-gpu-sandbox") << false
            << QByteArray("--disable-gpu-sandbox --disable-gpu --disable-gpu-compositing");
    }
    void chromiumFlags() {
        QFETCH(QByteArray, user);
        QFETCH(bool, openGlWorks);
        QFETCH(QByteArray, flags);
        QCOMPARE(ChromiumFlags(user, openGlWorks), flags);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
