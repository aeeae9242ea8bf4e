#include "viewer/ShowCourse.h"

TForm1::TForm1(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Form1"));
}

bool TForm1::OpenCourse(int) {
    return false;
}
