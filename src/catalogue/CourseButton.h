#pragma once

#include <QObject>
#include <QPushButton>
#include <QRect>

// A course button: its caption is the course name, its tag the course number. The name is kept
// as read, since the caption doubles every '&' so that none turns into a shortcut mark.
class TCourseButton final : public QPushButton {
    Q_OBJECT
public:
    TCourseButton(int id, const QString& name, const QString& hint, QWidget* parent);

    int Tag = 0;
    QString CourseName;
};

// The row a course takes on its subject page: the invisible twin of its course button, named
// "BtnInv_" + number and owned by the page, so that the page's children are its courses in row
// order. It is never shown and so never clicked, which is why it is a plain object of the page
// and not a widget: a library of thousands of courses would otherwise carry as many buttons
// again, made, styled and kept in memory for nothing.
class TCourseRow final : public QObject {
    Q_OBJECT
public:
    TCourseRow(int id, const QString& name, const QString& hint, const QRect& geometry, QObject* page);

    int Tag = 0;
    QString CourseName;
    QString Hint;
    QRect Geometry; // where the row stands on the page: left 10, top n * 30 + 10, 300 x 25
};
