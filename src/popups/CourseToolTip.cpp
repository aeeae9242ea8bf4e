#include "popups/CourseToolTip.h"

TToolTipForm::TToolTipForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Подсказка"));
    resize(397, 371);
}
