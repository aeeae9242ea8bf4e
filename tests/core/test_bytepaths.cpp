// A library whose folder name is in windows-1251 bytes (not UTF-8) opens from the command line,
// and what lies inside it is still told from what lies outside, through the link that names it.

#include "browser/FileAccess.h"
#include "core/BytePaths.h"
#include "tests/CoursetoolRun.h"
#include "tests/support/PageFiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// "Курсы" in windows-1251.
const QByteArray kName("\xca\xf3\xf0\xf1\xfb");

// For printf's %b: every byte outside printable ASCII as an octal escape.
QString Escaped(const QByteArray& bytes) {
    QString escaped;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '\\')
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("\\0%1").arg(byte, 3, 8, QLatin1Char('0'));
    }
    return escaped;
}

} // namespace

class TestBytePaths : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_library; // its bytes

private slots:
    // <name>/course.xml, top.txt, out -> ../outside/, 1/5/page.htm   the library
    // outside/secret.txt
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_library = QFile::encodeName(m_dir.path()) + '/' + kName;
        QCOMPARE(::mkdir(m_library.constData(), 0700), 0);
        // Everything below the byte name is written through a UTF-8 link to it.
        const QString library = PathArgument(m_library);
        QVERIFY(!library.contains(QChar::ReplacementCharacter));
        QVERIFY(
            WriteFile(library + QStringLiteral("/course.xml"),
                      R"(<CourseInfo Id="1" Group="Группа" Name="Курс в байтах" Description="Описание"/>)"));
        QVERIFY(WriteFile(library + QStringLiteral("/top.txt"), "library"));
        QVERIFY(WriteFile(library + QStringLiteral("/1/5/page.htm"),
                          WithReadFunction(R"(<!DOCTYPE html><meta charset="utf-8"><p id="out"></p><script>
READ_FUNCTION
document.getElementById("out").textContent = [read("../../top.txt"), read("../../out/secret.txt")].join("|");
</script>)")));
        QVERIFY(WriteFile(m_dir.filePath(QStringLiteral("outside/secret.txt")), "secret"));
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("outside")), library + QStringLiteral("/out")));
    }

    void pathArgument() {
        const QString utf8 = m_dir.filePath(QStringLiteral("outside"));
        QCOMPARE(PathArgument(QFile::encodeName(utf8)), utf8);
        const QByteArray missing = m_library + "-missing";
        QVERIFY(!QFileInfo::exists(PathArgument(missing)));

        const QString library = PathArgument(m_library);
        QCOMPARE(PathArgument(m_library), library); // the same link again
        QVERIFY(QFileInfo(library).isDir());
        QCOMPARE(CanonicalPath(library + QStringLiteral("/1/5/page.htm")),
                 library + QStringLiteral("/1/5/page.htm"));
        const QString outside = CanonicalPath(library + QStringLiteral("/out/secret.txt"));
        QCOMPARE(outside,
                 QFileInfo(m_dir.filePath(QStringLiteral("outside/secret.txt"))).canonicalFilePath());

        const TFileAccessRules rules({library});
        QVERIFY(rules.AllowsPath(library + QStringLiteral("/top.txt")));
        QVERIFY(!rules.AllowsPath(library + QStringLiteral("/out/secret.txt")));
        QVERIFY(!rules.AllowsPath(outside));
    }

    // Links whose target is gone are swept from our own closed folder, and nothing else.
    void staleLinksSwept_data() {
        QTest::addColumn<QString>("entry"); // what lies in the folder
        QTest::addColumn<int>("mode");      // of the folder
        QTest::addColumn<bool>("kept");
        QTest::newRow("our link, target gone") << "stale" << 0700 << false;
        QTest::newRow("our link, target there") << "live" << 0700 << true;
        QTest::newRow("a link of another name") << "foreign" << 0700 << true;
        QTest::newRow("a file of our name") << "file" << 0700 << true;
        QTest::newRow("folder open to others") << "stale" << 0755 << true;
    }
    void staleLinksSwept() {
        QFETCH(QString, entry);
        QFETCH(int, mode);
        QFETCH(bool, kept);
        const QString folder = m_dir.filePath(QStringLiteral("sweep-%1-%2").arg(entry).arg(mode, 0, 8));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(mode)), 0);
        const QString name =
            folder + (entry == QLatin1String("foreign") ? QStringLiteral("/courses")
                                                        : QStringLiteral("/0123456789ab-Курсы"));
        if (entry == QLatin1String("file"))
            QVERIFY(WriteFile(name, "not a link"));
        else
            QVERIFY(QFile::link(m_dir.filePath(entry == QLatin1String("live") ? "outside" : "gone"), name));
        QCOMPARE(RemoveStalePathLinks(folder), kept ? 0 : 1);
        QCOMPARE(QFileInfo(name).isSymLink() || QFileInfo(name).isFile(), kept);
    }

    void coursetoolOpensIt_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("path"); // below the library
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("text"); // what is printed holds it
        QTest::newRow("catalogue") << "catalogue"
                                   << "" << QStringList{} << "Курс в байтах";
        QTest::newRow("page reads inside only")
            << "page"
            << "/1/5/page.htm" << QStringList{"--wait-ms", "0"} << "library|refused";
        QTest::newRow("export") << "export"
                                << "" << QStringList{m_dir.filePath(QStringLiteral("site"))}
                                << "Опубликовано";
    }
    void coursetoolOpensIt() {
        QFETCH(QString, command);
        QFETCH(QString, path);
        QFETCH(QStringList, options);
        QFETCH(QString, text);
        // The shell hands the bytes on as they are; QProcess would make them UTF-8.
        const TCoursetoolRun run = RunCoursetool(
            QStringLiteral("/bin/sh"),
            QStringList{
                QStringLiteral("-c"),
                QStringLiteral(
                    R"(command=$1; path=$(printf %b "$2"); shift 2; exec "$0" "$command" "$path" "$@")"),
                QStringLiteral(CP_COURSETOOL), command, Escaped(m_library) + path} +
                options);
        QVERIFY2(run.ExitCode == 0, qPrintable(run.Err));
        QVERIFY2(run.Out.contains(text), qPrintable(run.Out));
    }
};

QTEST_GUILESS_MAIN(TestBytePaths)
#include "test_bytepaths.moc"
