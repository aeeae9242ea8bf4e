#pragma once

#include "app/AppContext.h"

#include <QMainWindow>

// The course viewer: the section's tree on the left, the item's page on the right.
class TForm1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const TAppContext& context);

    QString CourseTitle;
    bool OpenCourse(int courseNumber);

private:
    TAppContext m_context;
};
