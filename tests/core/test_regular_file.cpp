// Files named by content are read only when they are ordinary files, and never wait: pipes,
// devices and links to them are refused at once, sizes are bounded, a FILE:// picture naming
// such a file leaves the paint free.
#include "core/RegularFile.h"
#include "markup/MarkupPicture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs work on a thread of its own and waits at most five seconds: a reader that blocks fails
// the test instead of hanging it (the blocked thread is left to the end of the process).
template <typename T> std::optional<T> WithinSeconds(std::function<T()> work) {
    auto task = std::make_shared<std::packaged_task<T()>>(std::move(work));
    std::future<T> result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
        return std::nullopt;
    return result.get();
}

// Holds the write end of a pipe open, so that a reader finds a writer that never writes.
class TSilentWriter {
public:
    explicit TSilentWriter(const QString& fifo) : m_fd(::open(QFile::encodeName(fifo).constData(), O_RDWR)) {}
    ~TSilentWriter() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Open() const { return m_fd >= 0; }

private:
    int m_fd;
};

} // namespace

class TestRegularFile final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        Write(QStringLiteral("seven.txt"), "picture");
        Write(QStringLiteral("empty.txt"), "");
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
        QCOMPARE(::mkfifo(QFile::encodeName(Path(QStringLiteral("pipe"))).constData(), 0600), 0);
        QVERIFY(QFile::link(Path(QStringLiteral("pipe")), Path(QStringLiteral("link-to-pipe"))));
        QVERIFY(QFile::link(Path(QStringLiteral("seven.txt")), Path(QStringLiteral("link-to-file"))));
    }

    void Read_data() {
        QTest::addColumn<QString>("name"); // in the test folder, or an absolute path
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ordinary file") << "seven.txt" << qint64(100) << true << QByteArray("picture");
        QTest::newRow("empty file") << "empty.txt" << qint64(100) << true << QByteArray("");
        QTest::newRow("just at the limit") << "seven.txt" << qint64(7) << true << QByteArray("picture");
        QTest::newRow("over the limit") << "seven.txt" << qint64(6) << false << QByteArray();
        QTest::newRow("link to a file") << "link-to-file" << qint64(100) << true << QByteArray("picture");
        QTest::newRow("missing") << "none.txt" << qint64(100) << false << QByteArray();
        QTest::newRow("folder") << "folder" << qint64(100) << false << QByteArray();
        QTest::newRow("pipe with a silent writer") << "pipe" << qint64(100) << false << QByteArray();
        QTest::newRow("link to the pipe") << "link-to-pipe" << qint64(100) << false << QByteArray();
        QTest::newRow("endless device") << "/dev/zero" << qint64(100) << false << QByteArray();
    }
    void Read() {
        QFETCH(QString, name);
        QFETCH(qint64, limit);
        QFETCH(bool, read);
        QFETCH(QByteArray, bytes);
        const QString path = name.startsWith(QLatin1Char('/')) ? name : Path(name);
        TSilentWriter writer(Path(QStringLiteral("pipe")));
        QVERIFY(writer.Open());
        const auto result =
            WithinSeconds<std::optional<QByteArray>>([path, limit] { return ReadRegularFile(path, limit); });
        QVERIFY2(result, "the read waited");
        QCOMPARE(result->has_value(), read);
        if (read) {
            QCOMPARE(**result, bytes);
            QVERIFY(!(*result)->isNull());
        }
    }

    void OpenRefusesWhatIsNotAFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::newRow("ordinary file") << "seven.txt" << 0;
        QTest::newRow("folder") << "folder" << ENOENT;
        QTest::newRow("pipe without a writer") << "pipe" << ENOENT;
        QTest::newRow("missing") << "none.txt" << ENOENT;
    }
    void OpenRefusesWhatIsNotAFile() {
        QFETCH(QString, name);
        QFETCH(int, error);
        const QByteArray native = QFile::encodeName(Path(name));
        struct TOpened {
            int Fd;
            int Error;
            qint64 Size;
        };
        const auto opened = WithinSeconds<TOpened>([native] {
            qint64 size = -1;
            const int fd = OpenRegularFile(native, &size);
            return TOpened{fd, fd < 0 ? errno : 0, size};
        });
        QVERIFY2(opened, "the open waited");
        if (error == 0) {
            QVERIFY(opened->Fd >= 0);
            QCOMPARE(opened->Size, qint64(7));
            ::close(opened->Fd);
        } else {
            QCOMPARE(opened->Fd, -1);
            QCOMPARE(opened->Error, error);
        }
    }

    void ReadStopsWhereItWouldWait_data() {
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("writerCloses");
        QTest::addColumn<bool>("read");
        QTest::newRow("all there, then the end") << QByteArray("abc") << true << true;
        QTest::newRow("nothing yet, writer still there") << QByteArray() << false << false;
        QTest::newRow("some, then waiting") << QByteArray("abc") << false << false;
        QTest::newRow("more than the limit") << QByteArray(20, 'x') << true << false;
    }
    void ReadStopsWhereItWouldWait() {
        // A descriptor that waits for data, as a kernel file that looks ordinary does, gives
        // nothing instead of a wait.
        QFETCH(QByteArray, written);
        QFETCH(bool, writerCloses);
        QFETCH(bool, read);
        int ends[2];
        QCOMPARE(::pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
        QCOMPARE(::write(ends[1], written.constData(), size_t(written.size())), ssize_t(written.size()));
        if (writerCloses)
            ::close(ends[1]);
        const int fd = ends[0];
        const auto result =
            WithinSeconds<std::optional<QByteArray>>([fd] { return ReadOpenFile(fd, 0, 10); });
        if (!writerCloses)
            ::close(ends[1]);
        QVERIFY2(result, "the read waited");
        ::close(fd);
        QCOMPARE(result->has_value(), read);
        if (read)
            QCOMPARE(**result, written);
    }

    void FilePictureNamingAPipeDoesNotHang() {
        // A picture of the markup naming a pipe: the paint that loads it goes on, with no picture.
        TSilentWriter writer(Path(QStringLiteral("pipe")));
        QVERIFY(writer.Open());
        const QString source = QStringLiteral("FILE://") + Path(QStringLiteral("link-to-pipe"));
        const auto empty = WithinSeconds<bool>([source] {
            TMarkupPicture picture;
            picture.LoadFromSource(source);
            return picture.Empty();
        });
        QVERIFY2(empty, "loading the picture waited");
        QVERIFY(*empty);
    }

private:
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestRegularFile)
#include "test_regular_file.moc"
