#pragma once

#include "app/AppContext.h"

#include <QMainWindow>

// The test window ("Тест").
class TTestForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TTestForm(const TAppContext& context);

private:
    TAppContext m_context;
};
