#include "collections/Favorite.h"

TFavoriteForm::TFavoriteForm(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Подборки"));
}
