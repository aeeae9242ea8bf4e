// Placeholders while the browser layer is being built: the windows exist with their captions.
#include "popups/CourseTest.h"
#include "popups/CourseToolTip.h"

TToolTipForm::TToolTipForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Подсказка"));
    resize(397, 371);
}
TToolTipForm::~TToolTipForm() = default;
void TToolTipForm::ShowPage(const QString&) {
}

TTestForm::TTestForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Тест"));
    resize(564, 401);
}
TTestForm::~TTestForm() = default;
void TTestForm::ShowPage(const QString&) {
}
