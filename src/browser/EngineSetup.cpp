#include "browser/EngineSetup.h"

#include <QGuiApplication>
#include <QList>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QScreen>
#include <cerrno>
#include <cstdio>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

TSandboxDecision DecideSandbox(bool isRoot, bool alreadyDisabled, bool kernelAllows) {
    if (alreadyDisabled)
        return {};
    // Root says nothing: it has always run without the sandbox and cannot have one.
    if (isRoot)
        return {true, QString()};
    if (!kernelAllows)
        return {true, QStringLiteral("courseplayer: ядро не разрешает песочницу Chromium, "
                                     "страницы открываются без неё")};
    return {};
}

bool KernelAllowsSandbox() {
    // In a child, so that this process keeps its own namespaces; before any thread exists.
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0)
        _exit(unshare(CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET) == 0 ? 0 : 1);
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SetUpAccessibility() {
    // Off by default on Linux; on, a screen reader gets the pages' headings, links and fields.
    // The engine builds its accessible tree only while an assistive tool asks for one.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

void SetUpSandbox() {
    const bool isRoot = geteuid() == 0;
    const bool disabled = !qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX");
    const TSandboxDecision decision =
        DecideSandbox(isRoot, disabled, isRoot || disabled || KernelAllowsSandbox());
    if (decision.Disable)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!decision.Notice.isEmpty())
        std::fprintf(stderr, "%s\n", decision.Notice.toLocal8Bit().constData());
}

QByteArray ChromiumFlags(const QByteArray& userFlags, bool openGlWorks) {
    QByteArray flags = userFlags.trimmed();
    if (openGlWorks)
        return flags;
    const QList<QByteArray> present = flags.split(' ');
    for (const QByteArray& flag :
         {QByteArrayLiteral("--disable-gpu"), QByteArrayLiteral("--disable-gpu-compositing")})
        if (!present.contains(flag))
            flags += (flags.isEmpty() ? "" : " ") + flag;
    return flags;
}

bool OpenGlWorks() {
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    context.doneCurrent();
    return true;
}

// Exported by QtGui for the web engine, declared only in its private headers: the context every
// context shares with when Qt::AA_ShareOpenGLContexts is set.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {

QOpenGLContext* g_deferredShareContext = nullptr;
bool g_deferredShareContextMade = false;

void DeleteDeferredShareContext() {
    if (QOpenGLContext::globalShareContext() == g_deferredShareContext)
        qt_gl_set_global_share_context(nullptr);
    delete g_deferredShareContext;
    g_deferredShareContext = nullptr;
}

} // namespace

void DeferSharedOpenGl() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (QCoreApplication::instance() || g_deferredShareContext)
        return;
    g_deferredShareContext = new QOpenGLContext;
    qt_gl_set_global_share_context(g_deferredShareContext);
    qAddPostRoutine(&DeleteDeferredShareContext);
}

void CreateSharedOpenGl() {
    if (!g_deferredShareContext || g_deferredShareContextMade)
        return;
    g_deferredShareContextMade = true;
    g_deferredShareContext->setScreen(QGuiApplication::primaryScreen());
    g_deferredShareContext->setFormat(QSurfaceFormat::defaultFormat());
    g_deferredShareContext->create();
}

void SetUpRendering() {
    CreateSharedOpenGl();
    const QByteArray user = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (user.split(' ').contains("--disable-gpu"))
        return;
    if (OpenGlWorks())
        return;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", ChromiumFlags(user, false));
    std::fprintf(stderr, "courseplayer: OpenGL не работает, страницы рисуются без видеокарты\n");
}
