#pragma once

#include <QWidget>
#include <functional>

// Calls fn once, after the first paint of window (or of any widget in it) has been flushed to
// the screen: from a zero-time timer, as the flush ends the event that painted.
void AfterFirstPaint(QWidget* window, std::function<void()> fn);
