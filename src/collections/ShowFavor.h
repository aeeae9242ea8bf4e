#pragma once

#include "app/AppContext.h"

#include <QMainWindow>

// The collection presentation window ("Подборка учебных материалов").
class TShowFavorForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TShowFavorForm(const TAppContext& context);

private:
    TAppContext m_context;
};
