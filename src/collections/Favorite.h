#pragma once

#include "app/AppContext.h"

#include <QMainWindow>

// The collection editor ("Подборки").
class TFavoriteForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TFavoriteForm(const TAppContext& context);

private:
    TAppContext m_context;
};
