#include "catalogue/CourseButton.h"

#include "core/TextEscape.h"

#include <QEvent>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

// The text as HTML, its line breaks kept.
void AppendEscaped(QString& html, const QString& text) {
    html += HtmlEscape(text).replace(u'\n', QLatin1String("<br>"));
}

// Room left between the caption and the button's rounded edges.
constexpr int kCaptionMargin = 4;

} // namespace

QString CourseHint(const QString& description, const QString& fullName) {
    // Rich text on purpose: a description with '<' or '&' is shown as written and a long one
    // wraps.
    if (description.isEmpty() && fullName.isEmpty())
        return {};
    QString hint;
    hint.reserve(description.size() + fullName.size() + 24);
    hint += QLatin1String("<qt>");
    if (!fullName.isEmpty()) {
        hint += QLatin1String("<b>");
        AppendEscaped(hint, fullName);
        hint += QLatin1String("</b>");
        if (!description.isEmpty())
            hint += QLatin1String("<br>");
    }
    AppendEscaped(hint, description);
    hint += QLatin1String("</qt>");
    return hint;
}

TCourseButton::TCourseButton(int id, const QString& name, const QString& description, const QRect& geometry,
                             QWidget* parent)
    : QPushButton(QString(name).replace(u'&', QStringLiteral("&&")), parent), Tag(id), CourseName(name),
      m_description(description) {
    setToolTip(CourseHint(description));
    setAccessibleName(name);
    // The tool tip is rich text; screen readers get the description as it is written.
    setAccessibleDescription(description);
    setGeometry(geometry);
}

void TCourseButton::UpdateCaption() {
    // The button's own label would centre a long name and cut it at both ends; the caption is
    // cut at the end instead, measured in the button's font within its contents. Measuring
    // costs a text layout, so it waits until the button is shown: a library of thousands of
    // courses shows only one page of them at a time.
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int room = contents.width() - 2 * kCaptionMargin;
    const QString shown = fontMetrics().elidedText(CourseName, Qt::ElideRight, qMax(room, 0));
    m_elided = shown != CourseName;
    setText(QString(shown).replace(u'&', QStringLiteral("&&")));
    setToolTip(CourseHint(m_description, m_elided ? CourseName : QString()));
}

void TCourseButton::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    UpdateCaption();
}

void TCourseButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    if (isVisible())
        UpdateCaption();
}

void TCourseButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) && isVisible())
        UpdateCaption();
}

void TCourseButton::keyPressEvent(QKeyEvent* event) {
    // Enter starts the course as Space does; a push button outside a dialog ignores Enter.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            animateClick();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

TCourseRow::TCourseRow(int id, const QString& name, const QString& description, const QRect& geometry,
                       QObject* page)
    : QObject(page), Tag(id), CourseName(name), Geometry(geometry), m_description(description) {
}
