#pragma once

#include <QPushButton>

// A course button: its caption is the course name, its tag the course number. The name is kept
// as read, since the caption doubles every '&' so that none turns into a shortcut mark.
class TCourseButton final : public QPushButton {
    Q_OBJECT
public:
    TCourseButton(int id, const QString& name, const QString& hint, QWidget* parent);

    int Tag = 0;
    QString CourseName;
};
