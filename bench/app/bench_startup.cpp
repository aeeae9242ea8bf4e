// Start-up: the time from starting the player to the catalogue's first paint, against the time
// from starting a bare QWebEngineView window with one page to its first paint, both as child
// processes on the same display in the same run (alternating, several runs, medians).
//
// bench_startup [--runs N] [--library FOLDER] [--player PROGRAM]  (another build of the player, say)
// Without DISPLAY it starts its own Xvfb. Children get a temporary home, so the user's settings
// and caches neither help nor suffer.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

// The baseline child: a top-level QWebEngineView loading one page, which says "painted" on its
// first paint and quits.
class TFirstPaint final : public QObject {
public:
    explicit TFirstPaint(QWidget* window) : m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == m_window) {
            m_seen = true;
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    QWidget* m_window;
    bool m_seen = false;
};

int RunBareWindow(int argc, char** argv, const QString& page) {
    // Chromium refuses to sandbox root; the player turns the sandbox off for root the same way.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    TFirstPaint probe(&view);
    app.installEventFilter(&probe);
    view.resize(1024, 768);
    view.setUrl(QUrl::fromLocalFile(page));
    view.show();
    return app.exec();
}

// Starts a child and waits for the line it prints at its first paint; the time from the start,
// in ms, or nothing when the child ended without painting. `ready`, when given, gets the time
// of the child's "ready" line (the player's other windows made), if it prints one.
std::optional<double> TimeChild(const QString& program, const QStringList& arguments,
                                const QProcessEnvironment& environment, std::optional<double>* ready) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    std::optional<double> painted;
    QByteArray pending;
    while (child.waitForReadyRead(30000) || child.bytesAvailable()) {
        pending += child.readAllStandardOutput();
        const double at = clock.nsecsElapsed() / 1e6;
        while (pending.contains('\n')) {
            const int end = pending.indexOf('\n');
            const QByteArray line = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (line == "painted" && !painted)
                painted = at;
            else if (line == "ready" && ready)
                *ready = at;
        }
        if (painted && (!ready || *ready))
            break;
    }
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
    }
    return painted;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString Figures(const std::vector<double>& values) {
    QStringList all;
    for (double value : values)
        all << QString::number(value, 'f', 0);
    return all.join(u' ');
}

// An X server of our own, when there is no display: Xvfb picks a free display number and
// writes it to the pipe given by -displayfd.
struct TXvfb {
    QProcess Server;
    QString Display;

    bool Start() {
        Server.setProcessChannelMode(QProcess::SeparateChannels);
        Server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                      QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                      QStringLiteral("tcp")});
        if (!Server.waitForStarted(10000))
            return false;
        QByteArray number;
        while (!number.contains('\n') && Server.waitForReadyRead(10000))
            number += Server.readAllStandardOutput();
        if (!number.contains('\n'))
            return false;
        Display = u':' + QString::fromLatin1(number.trimmed());
        return true;
    }
    ~TXvfb() {
        if (Server.state() != QProcess::NotRunning) {
            Server.terminate();
            Server.waitForFinished(5000);
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--bare-window")
        return RunBareWindow(argc - 2, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    int runs = 10;
    QString library = QStringLiteral(CP_SOURCE_DIR "/content/");
    QString player = QStringLiteral(CP_PLAYER);
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == QLatin1String("--runs"))
            runs = std::max(1, arguments[i + 1].toInt());
        else if (arguments[i] == QLatin1String("--library"))
            library = arguments[i + 1];
        else if (arguments[i] == QLatin1String("--player"))
            player = arguments[i + 1];
    }

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        environment.insert(QString::fromLatin1(variable), home.path());
    environment.insert(QStringLiteral("COURSEPLAYER_STARTUP_PROBE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.webenginecontext.debug=false"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    TXvfb xvfb;
    if (environment.value(QStringLiteral("DISPLAY")).isEmpty()) {
        if (!xvfb.Start()) {
            std::fputs("bench_startup: no DISPLAY and Xvfb did not start\n", stderr);
            return 1;
        }
        environment.insert(QStringLiteral("DISPLAY"), xvfb.Display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    // The bare window's page: as small as a page gets, so that the baseline is the engine itself.
    const QString page = home.filePath(QStringLiteral("page.html"));
    {
        QFile file(page);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("<!DOCTYPE html><html><body><p>Страница</p></body></html>");
    }

    std::vector<double> bare, catalogue, ready;
    for (int run = 0; run < runs; ++run) {
        std::optional<double> playerReady;
        const std::optional<double> b =
            TimeChild(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare-window"), page},
                      environment, nullptr);
        const std::optional<double> c = TimeChild(player, {library}, environment, &playerReady);
        if (!b || !c) {
            std::fprintf(stderr, "bench_startup: run %d: %s did not paint\n", run + 1,
                         !b ? "the bare window" : "the player");
            return 1;
        }
        bare.push_back(*b);
        catalogue.push_back(*c);
        if (playerReady)
            ready.push_back(*playerReady);
    }

    std::printf("bare QWebEngineView window, start to first paint: median %.0f ms (%s)\n", Median(bare),
                qPrintable(Figures(bare)));
    std::printf("player, start to the catalogue's first paint: median %.0f ms (%s)\n", Median(catalogue),
                qPrintable(Figures(catalogue)));
    if (!ready.empty())
        std::printf("player, start to every window made: median %.0f ms (%s)\n", Median(ready),
                    qPrintable(Figures(ready)));
    std::printf("catalogue's first paint against the bare window's, ratio %.2f\n",
                Median(catalogue) / Median(bare));
    return 0;
}
