// Placeholder while the browser layer and the tree view are being built.
#include "viewer/ShowCourse.h"

const char* const TForm1::ExamenAddress = "https://fipi.ru/";

TForm1::TForm1(const TAppContext& context) : m_context(context) {
    setWindowTitle(QStringLiteral("Form1"));
}
TForm1::~TForm1() = default;
bool TForm1::OpenCourse(int) {
    return false;
}
void TForm1::closeEvent(QCloseEvent*) {
}
