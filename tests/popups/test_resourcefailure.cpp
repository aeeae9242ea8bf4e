// Why a resource of a page is not available: the second line of the message a teacher reads.

#include "popups/ResourceFailure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestResourceFailure : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Library() const { return m_dir.filePath("lib") + '/'; }

private slots:
    void initTestCase() {
        QVERIFY(QDir().mkpath(Library() + "1/5"));
        for (const QString& name : {QStringLiteral("lib/1/5/урок.DOC"), QStringLiteral("outside.txt"),
                                    QStringLiteral("lib/1/5/README")}) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }

    // What ShellTargetOf refused, and why.
    void unavailable_data() {
        QTest::addColumn<QString>("url"); // "@" stands for the temporary folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "file://@/lib/1/5/нет.txt"
                                      << "Нет файла «нет.txt».";
        QTest::newRow("missing file, a path") << "@/lib/1/5/нет.doc"
                                              << "Нет файла «нет.doc».";
        QTest::newRow("outside the library") << "file://@/lib/1/5/../../../outside.txt"
                                             << "Файл «outside.txt» лежит вне библиотеки курсов.";
        QTest::newRow("script address") << "javascript:alert(1)"
                                        << "Адреса вида «javascript:» проигрыватель не открывает.";
        QTest::newRow("site without a host") << "https:///page"
                                             << "В адресе «https:///page» нет имени сайта.";
        QTest::newRow("mail without a box") << "mailto:"
                                            << "В адресе «mailto:» нет почтового ящика.";
        QTest::newRow("a file it would open") << "file://@/lib/1/5/урок.DOC"
                                              << "";
    }
    void unavailable() {
        QFETCH(QString, url);
        url.replace('@', m_dir.path());
        QTEST(UnavailableReason(url, Library()), "reason");
    }

    // What the desktop refused, and why.
    void shellFailure_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("web address") << "https://example.org/a"
                                     << "Не найден веб-браузер, чтобы открыть адрес «https://example.org/a».";
        QTest::newRow("mail address")
            << "mailto:school@example.org"
            << "Не найдена почтовая программа, чтобы написать на адрес «school@example.org».";
        QTest::newRow("kind of file") << "{tmp}/lib/1/5/урок.DOC"
                                      << "Нет программы, которая открывает файлы вида «.doc».";
        QTest::newRow("file without a kind") << "{tmp}/lib/1/5/README"
                                             << "Нет программы, которая открывает файл «README».";
        QTest::newRow("file gone meanwhile") << "{tmp}/lib/1/5/gone.pdf"
                                             << "Нет файла «gone.pdf».";
        QTest::newRow("a long address is cut")
            << "https://example.org/" + QString(100, 'a')
            << "Не найден веб-браузер, чтобы открыть адрес «https://example.org/" + QString(59, 'a') +
                   QChar(0x2026) + "».";
    }
    void shellFailure() {
        QFETCH(QString, target);
        target.replace("{tmp}", m_dir.path());
        QTEST(ShellFailureReason(target), "reason");
    }

    void messageLines() {
        QCOMPARE(FailureMessage(kResourceUnavailable, "Нет файла «a.doc»."),
                 QStringLiteral("Данный ресурс недоступен\nНет файла «a.doc»."));
        QCOMPARE(FailureMessage(kResourceUnavailable, QString()), kResourceUnavailable);
    }
};

QTEST_GUILESS_MAIN(TestResourceFailure)
#include "test_resourcefailure.moc"
