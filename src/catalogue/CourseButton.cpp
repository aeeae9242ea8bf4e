#include "catalogue/CourseButton.h"

TCourseButton::TCourseButton(int id, const QString& name, const QString& hint, QWidget* parent)
    : QPushButton(QString(name).replace(u'&', QStringLiteral("&&")), parent), Tag(id), CourseName(name) {
    setToolTip(hint);
}

TCourseRow::TCourseRow(int id, const QString& name, const QString& hint, const QRect& geometry, QObject* page)
    : QObject(page), Tag(id), CourseName(name), Hint(hint), Geometry(geometry) {
}
