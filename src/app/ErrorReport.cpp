#include "app/ErrorReport.h"

#include <QMessageBox>
#include <exception>

namespace {
std::function<void(const QString&)>& Reporter() {
    static std::function<void(const QString&)> reporter;
    return reporter;
}
} // namespace

TCourseApplication::TCourseApplication(int& argc, char** argv) : QApplication(argc, argv) {
}

bool TCourseApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void ReportError(const QString& message) {
    if (Reporter()) {
        Reporter()(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), message);
}

void SetErrorReporter(std::function<void(const QString&)> reporter) {
    Reporter() = std::move(reporter);
}

bool RunReported(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}
