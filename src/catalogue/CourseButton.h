#pragma once

#include <QObject>
#include <QPushButton>
#include <QRect>

// The hint of a course: its description as rich text, shown as written, with its line breaks
// kept; a long one wraps instead of running off the screen. With fullName, the name leads in
// bold, for a button whose caption shows the name cut short. Empty when there is nothing to say.
QString CourseHint(const QString& description, const QString& fullName = {});

// A course button: its caption is the course name, its tag the course number. The name is kept
// as read, since the caption doubles every '&' so that none turns into a shortcut mark. A name
// too long for the button ends in "…", and the hint then starts with the whole name.
class TCourseButton final : public QPushButton {
    Q_OBJECT
public:
    TCourseButton(int id, const QString& name, const QString& description, const QRect& geometry,
                  QWidget* parent);

    int Tag = 0;
    QString CourseName;

    // Whether the caption shows the name cut short; decided when the button is shown.
    bool Elided() const { return m_elided; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateCaption();

    QString m_description;
    bool m_elided = false;
};

// The row a course takes on its subject page: the invisible twin of its course button, named
// "BtnInv_" + number and owned by the page, so that the page's children are its courses in row
// order. It is never shown and so never clicked, which is why it is a plain object of the page
// and not a widget: a library of thousands of courses would otherwise carry as many buttons
// again, made, styled and kept in memory for nothing.
class TCourseRow final : public QObject {
    Q_OBJECT
public:
    TCourseRow(int id, const QString& name, const QString& description, const QRect& geometry, QObject* page);

    // The same hint as the course button's; made when asked, as nothing shows it.
    QString Hint() const { return CourseHint(m_description); }

    int Tag = 0;
    QString CourseName;
    QRect Geometry; // where the row stands on the page: left 10, top n * 30 + 10, 300 x 25

private:
    QString m_description;
};
