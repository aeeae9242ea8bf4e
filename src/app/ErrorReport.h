#pragma once

#include <QApplication>
#include <QString>
#include <functional>

// The standard error report: an exception that leaves an event handler is shown in a message
// box with its text; the operation stops there and the program goes on.
class TCourseApplication final : public QApplication {
public:
    TCourseApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the report (a message box, or the reporter installed by a test).
void ReportError(const QString& message);

// Tests replace the message box; pass an empty function to restore it.
void SetErrorReporter(std::function<void(const QString&)> reporter);

// Runs fn and reports whatever it throws; true when it finished without an exception.
bool RunReported(const std::function<void()>& fn);
