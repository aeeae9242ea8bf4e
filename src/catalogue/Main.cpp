#include "catalogue/Main.h"

#include <QApplication>
#include <QCloseEvent>

TMainForm::TMainForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Проигрыватель учебных курсов"));
}

void TMainForm::SetPPTBrowserFlags(bool) {
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the catalogue ends the program, whatever other windows are still around.
    event->accept();
    QApplication::quit();
}
