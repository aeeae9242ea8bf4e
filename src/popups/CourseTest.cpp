#include "popups/CourseTest.h"

TTestForm::TTestForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Тест"));
    resize(564, 401);
}
