#pragma once

#include <QByteArray>
#include <QString>

// How the embedded browser engine is started on the machine at hand: with Chromium's sandbox
// when the kernel lets an ordinary user have one, without it as root (Chromium refuses to
// sandbox root), and with software rendering when there is no working OpenGL.

struct TSandboxDecision {
    bool Disable = false; // set QTWEBENGINE_DISABLE_SANDBOX=1
    QString Notice;       // one line for stderr, empty when nothing needs saying
};

// isRoot: effective user id 0; alreadyDisabled: QTWEBENGINE_DISABLE_SANDBOX is set non-empty;
// kernelAllows: the kernel lets this user make the namespaces the sandbox lives in.
TSandboxDecision DecideSandbox(bool isRoot, bool alreadyDisabled, bool kernelAllows);

// Tries, in a short-lived child process, to make the user, PID and network namespaces that
// Chromium's sandbox needs. False when the kernel (or a security module) refuses.
bool KernelAllowsSandbox();

// Applies DecideSandbox to this process; call before the application object exists.
void SetUpSandbox();
// Lets the page engine answer screen readers; call before the engine starts.
void SetUpAccessibility();

// The Chromium switches for QTWEBENGINE_CHROMIUM_FLAGS: the user's own, plus software
// rendering when OpenGL does not work. Never adds a switch twice.
QByteArray ChromiumFlags(const QByteArray& userFlags, bool openGlWorks);

// True when an OpenGL context can be made current here. Needs the application object.
bool OpenGlWorks();

// Applies ChromiumFlags to this process, saying so on stderr when it falls back; call after
// the application object exists and before the first browser is made.
void SetUpRendering();

// The web engine makes the OpenGL context that its pages share as the application object is
// made, loading the OpenGL driver (a tenth of a second of Mesa's software renderer) before any
// window shows. Called before the application object, this puts a context not yet made in its
// place, so the engine leaves it be; CreateSharedOpenGl makes it before the first browser.
void DeferSharedOpenGl();
// Makes the deferred context, once; does nothing without DeferSharedOpenGl. SetUpRendering and
// the first browser profile call it.
void CreateSharedOpenGl();
