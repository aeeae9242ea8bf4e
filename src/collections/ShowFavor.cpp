#include "collections/ShowFavor.h"

TShowFavorForm::TShowFavorForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Подборка учебных материалов"));
}
