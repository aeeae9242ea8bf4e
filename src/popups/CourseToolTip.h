#pragma once

#include "app/AppContext.h"

#include <QMainWindow>

// The hint window ("Подсказка").
class TToolTipForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TToolTipForm(const TAppContext& context);

private:
    TAppContext m_context;
};
