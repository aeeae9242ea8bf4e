#include "catalogue/Main.h"

#include "catalogue/Banner.h"
#include "catalogue/CourseButton.h"
#include "catalogue/CourseScan.h"
#include "catalogue/EmptyLibrary.h"
#include "catalogue/HostSetup.h"
#include "core/ComponentStaging.h"
#include "look/Accessibility.h"
#include "look/FrameShape.h"
#include "look/GradientPanel.h"
#include "look/MarkRoom.h"
#include "look/PageControl.h"
#include "look/Theme.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

namespace {

constexpr int kClientWidth = 714;
constexpr int kClientHeight = 590;

const QString kTitle = QStringLiteral("Проигрыватель учебных курсов");
const QString kPublisher =
    QStringLiteral("Учебные курсы для школы  ·  Издательство «Открытый урок»  ·  2026");

QLabel* BoldLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    KeepMarksWhole(label);
    label->adjustSize();
    return label;
}

// A subject page: it holds only the invisible row buttons of its courses, so it shows a quiet
// hint of what to do instead of a bare white field.
class TSubjectPage final : public QWidget {
public:
    TSubjectPage(const QString& caption, QWidget* parent) : QWidget(parent), m_caption(caption) {}

    void SetHasCourses(bool has) {
        if (has != m_hasCourses) {
            m_hasCourses = has;
            update();
        }
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QFont font = this->font();
        font.setPointSize(font.pointSize() + 5);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Theme::Deep);
        const QRect inner = rect().adjusted(16, 8, -16, -8);
        const QString caption = painter.fontMetrics().elidedText(m_caption, Qt::ElideRight, inner.width());
        QRect captionRect = painter.fontMetrics().boundingRect(inner, Qt::AlignCenter, caption);
        captionRect.moveTop(inner.center().y() - captionRect.height());
        painter.drawText(captionRect, Qt::AlignCenter | Qt::TextDontClip,
                         caption); // Й, Ё reach above the line
        painter.setFont(this->font());
        painter.setPen(Theme::Disabled);
        painter.drawText(QRect(inner.left(), captionRect.bottom() + 6, inner.width(), 20),
                         Qt::AlignHCenter | Qt::AlignTop,
                         m_hasCourses ? QStringLiteral("Выберите курс в списке справа")
                                      : QStringLiteral("В этом предмете пока нет курсов"));
        if (height() > 60) {
            QPen pen(Theme::Glow, 2, Qt::SolidLine, Qt::RoundCap);
            painter.setPen(pen);
            const int y = captionRect.top() - 8;
            painter.drawLine(inner.center().x() - 30, y, inner.center().x() + 30, y);
        }
    }

private:
    QString m_caption;
    bool m_hasCourses = false;
};

// How far the box must scroll to show the last of the rows with the same margin below it as
// above the first.
int ExtentOf(int rows) {
    return rows > 0
               ? TCatalogueModel::RowTop(rows - 1) + TCatalogueModel::RowHeight + TCatalogueModel::FirstRowTop
               : 0;
}

// Course buttons made in one idle moment: a few milliseconds' work.
constexpr int kSliceRows = 40;

} // namespace

TMainForm::TMainForm(const TAppContext& context)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_context(context), m_scan(std::make_unique<TCourseScan>(*this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(kTitle);
    ExposeAsWindow(this);
    BuildLayout();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildLayout() {
    setFixedSize(kClientWidth, kClientHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Theme::Paper);
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(Theme::DefaultFont());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    GradientPanel2 = new TGradientPanel(this);
    GradientPanel2->setObjectName(QStringLiteral("GradientPanel2"));
    GradientPanel2->setGeometry(9, 8, 695, 572);
    GradientPanel2->SetColors(QColor(0xdd, 0xeb, 0xf8), Theme::Deep);
    GradientPanel2->SetCornerRadius(16);

    Image1 = new TBanner(GradientPanel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 695, 296);
    Image1->DrawAhead();

    Label1 = BoldLabel(QStringLiteral("Выбор учебного предмета"), GradientPanel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(45, 264);
    Label2 = BoldLabel(QStringLiteral("Выбор курса"), GradientPanel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(436, 264);

    MainPages = new TPageControl(GradientPanel2);
    MainPages->setObjectName(QStringLiteral("MainPages"));
    MainPages->setGeometry(1, 299, 401, 217);
    connect(MainPages, &TPageControl::Changed, this, [this](int index) {
        m_model.SetActivePage(index);
        MainPagesChange();
    });

    CoursesBox = new QScrollArea(GradientPanel2);
    CoursesBox->setObjectName(QStringLiteral("CoursesBox"));
    CoursesBox->setGeometry(406, 304, 284, 211);
    CoursesBox->setFrameShape(QFrame::NoFrame);
    CoursesBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    CoursesBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CoursesBox->setWidgetResizable(true);
    // Tab goes from course button to course button; the box itself is no stop on the way, and
    // it still scrolls to show the button that takes the focus.
    CoursesBox->setFocusPolicy(Qt::NoFocus);
    CoursesBox->viewport()->setAutoFillBackground(true);
    QPalette boxPalette = CoursesBox->palette();
    boxPalette.setColor(QPalette::Window, Theme::Paper);
    CoursesBox->setPalette(boxPalette);
    m_boxContent = new QWidget;
    m_boxContent->setObjectName(QStringLiteral("CoursesBoxContent"));
    m_boxContent->setAutoFillBackground(false);
    m_boxContent->setCursor(Qt::PointingHandCursor); // over the course buttons
    CoursesBox->setWidget(m_boxContent);
    // Scrolled (by the wheel, the bar or Tab) before the idle moments made the rows now in view.
    connect(CoursesBox->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { MakeButtonsInView(); });
    m_sliceTimer = new QTimer(this);
    m_sliceTimer->setSingleShot(true);
    m_sliceTimer->setInterval(0);
    connect(m_sliceTimer, &QTimer::timeout, this, [this] { MakeNextSlice(); });

    // Drawn after the box so that it stays on top of the box's edges.
    Shape1 = new TFrameShape(GradientPanel2);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(402, 300, 292, 219);
    Shape1->SetPen(Theme::Deep, 4);

    // Search sits on the banner's left, as the library button sits on its right: a quiet pill.
    actSearchAll = new QAction(QStringLiteral("Поиск по всем курсам"), this);
    actSearchAll->setObjectName(QStringLiteral("actSearchAll"));
    actSearchAll->setToolTip(QStringLiteral("Найти слово или фразу во всех курсах библиотеки"));
    actSearchAll->setIcon(TCommandImages::ExtraIcon(QStringLiteral(":/icons/search.svg")));
    actSearchAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    actSearchAll->setShortcutContext(Qt::WindowShortcut);
    addAction(actSearchAll);
    SearchButton = new QToolButton(GradientPanel2);
    SearchButton->setObjectName(QStringLiteral("SearchButton"));
    SearchButton->setDefaultAction(actSearchAll);
    SearchButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SearchButton->setIconSize(QSize(16, 16));
    SearchButton->setCursor(Qt::PointingHandCursor);
    SearchButton->setFocusPolicy(Qt::TabFocus);
    SearchButton->setStyleSheet(
        QStringLiteral("QToolButton { background: rgba(255,255,255,215); color: #1d4f91; border: 1px solid "
                       "rgba(29,79,145,120); border-radius: 6px; padding: 3px 9px 3px 6px; }"
                       "QToolButton:hover, QToolButton:pressed { background: white; border-color: #1d4f91; }"
                       // A thick frame: the keyboard's place must show at a glance.
                       "QToolButton:focus { background: white; border: 2px solid #1d4f91; "
                       "padding: 2px 8px 2px 5px; }"));
    SearchButton->adjustSize();
    SearchButton->move(10, 10);

    Label3 = new QLabel(kPublisher, GradientPanel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(1, 536, 691, 25);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setWordWrap(true);
    QFont footerFont = Label3->font();
    footerFont.setBold(true);
    Label3->setFont(footerFont);
    KeepMarksWhole(Label3);
    QPalette footerPalette = Label3->palette();
    footerPalette.setColor(QPalette::WindowText, Qt::white);
    Label3->setPalette(footerPalette);
    BuildEmptyPanel();
}

void TMainForm::BuildEmptyPanel() {
    // Over the subjects and the course box, which have nothing to show.
    EmptyPanel = new QWidget(GradientPanel2);
    EmptyPanel->setObjectName(QStringLiteral("EmptyPanel"));
    EmptyPanel->setGeometry(1, 299, 693, 221);
    EmptyPanel->setAttribute(Qt::WA_StyledBackground, true);
    EmptyPanel->setStyleSheet(
        QStringLiteral("#EmptyPanel { background: %1; border: 2px solid %2; border-radius: 8px; }")
            .arg(Theme::Paper.name(), Theme::Deep.name()));
    auto* title = BoldLabel(QStringLiteral("В библиотеке нет курсов"), EmptyPanel);
    title->setObjectName(QStringLiteral("EmptyTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 3);
    title->setFont(titleFont);
    EmptyReasonLabel = new QLabel(EmptyPanel);
    EmptyReasonLabel->setObjectName(QStringLiteral("EmptyReasonLabel"));
    EmptyReasonLabel->setWordWrap(true);
    EmptyReasonLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint =
        new QLabel(QStringLiteral("Вставьте диск с курсами или откройте папку, в которой лежат описания "
                                  "курсов (файлы *.xml) и папки курсов."),
                   EmptyPanel);
    hint->setWordWrap(true);
    OpenLibraryButton = new QPushButton(QStringLiteral("Открыть папку с курсами…"), EmptyPanel);
    OpenLibraryButton->setObjectName(QStringLiteral("OpenLibraryButton"));
    OpenLibraryButton->setCursor(Qt::PointingHandCursor);
    OpenLibraryButton->setVisible(false);
    connect(OpenLibraryButton, &QPushButton::clicked, this, [this] {
        if (m_openLibrary)
            m_openLibrary();
    });
    for (QLabel* label : {title, EmptyReasonLabel, hint}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Theme::Deep);
        label->setPalette(palette);
    }
    auto* column = new QVBoxLayout(EmptyPanel);
    column->setContentsMargins(24, 18, 24, 18);
    column->setSpacing(10);
    column->addWidget(title);
    column->addWidget(EmptyReasonLabel);
    column->addWidget(hint);
    column->addStretch(1);
    column->addWidget(OpenLibraryButton, 0, Qt::AlignLeft);
    EmptyPanel->hide();
}

void TMainForm::SetLibraryOpener(std::function<void()> opener) {
    m_openLibrary = std::move(opener);
    OpenLibraryButton->setVisible(bool(m_openLibrary));
}

void TMainForm::UpdateEmptyState() {
    const QString reason = EmptyLibraryReason(m_context.ProgramFolder, m_model);
    EmptyReasonLabel->setText(reason);
    EmptyPanel->setVisible(!reason.isEmpty());
    if (!reason.isEmpty())
        EmptyPanel->raise();
}

void TMainForm::FormCreate() {
    LoadCourses();
    update();
    // Flash pages play in the emulator staged beside the player, as well as in an installed player.
    FlashInstalled = IsComponentInstalled(kFlashClassId) || FlashEmulatorStaged();
    SetPPTBrowserFlags(false);
}

void TMainForm::LoadCourses() {
    // The page control follows the model once, at the end, instead of switching tabs at every
    // descriptor; nothing is on the screen while the scan runs.
    {
        const QScopedValueRollback scanning(m_scanning, true);
        m_scan->LoadCourses(m_context.ProgramFolder);
    }
    UpdateEmptyState();
}

void TMainForm::SetProgramFolder(const QString& folder) {
    m_sliceTimer->stop();
    for (const QList<TCourseButton*>& buttons : m_pageButtons)
        qDeleteAll(buttons);
    m_pageButtons.clear();
    MainPages->Clear();
    m_model = TCatalogueModel();
    m_shownPage = -1;
    m_boxExtent = 0;
    UpdateBoxExtent();
    m_context.ProgramFolder = folder;
    LoadCourses();
}

void TMainForm::ReadCourseInfo(const QString& fileName) {
    m_scan->ReadCourseInfo(fileName);
}

int TMainForm::FindOrAddPage(const QString& caption, bool create) {
    const int found = m_model.FindOrAddPage(caption, false);
    if (found >= 0 || !create)
        return found;
    const int index = m_model.FindOrAddPage(caption, true);
    auto* page = new TSubjectPage(caption, MainPages);
    page->setObjectName(QStringLiteral("TabSheet%1").arg(index + 1));
    MainPages->AddPage(page, caption);
    m_pageButtons.emplace_back();
    return index;
}

int TMainForm::PageCount() const {
    return m_model.PageCount();
}

void TMainForm::SetActivePage(int index) {
    m_model.SetActivePage(index);
    if (!m_scanning)
        MainPages->SetCurrentIndex(index);
}

QString TMainForm::HintOf(const QString& description) {
    return CourseHint(description);
}

void TMainForm::AddCourseButtons(int id, const QString& name, const QString& description) {
    const int pageIndex = m_model.ActivePage();
    // The model refuses a negative or repeated number before anything is made, so a refused
    // course leaves neither button behind and the page's row count does not grow.
    const int row = m_model.CheckNewCourse(id);
    QWidget* page = MainPages->Page(pageIndex);
    auto* hidden =
        new TCourseRow(id, name, description, QRect(10, TCatalogueModel::RowTop(row), 300, 25), page);
    hidden->setObjectName(TCatalogueModel::HiddenButtonName(id));
    if (auto* subject = dynamic_cast<TSubjectPage*>(page))
        subject->SetHasCourses(true); // and repaints the page
    m_model.AddCourseButtons(id, name, description);
    // The course button itself is made when its page is shown: during the scan the box shows no
    // page yet. A course added to the shown page appears at once if it is in view.
    if (pageIndex == m_shownPage) {
        m_boxExtent = ExtentOf(row + 1);
        UpdateBoxExtent();
        MakeButtonsInView();
        if (ButtonsPending())
            m_sliceTimer->start();
    }
}

void TMainForm::MakeButtons(int page, int rows) {
    if (page < 0 || page >= int(m_pageButtons.size()))
        return;
    const std::vector<TCatalogueCourse>& courses = m_model.Page(page).Courses;
    QList<TCourseButton*>& buttons = m_pageButtons[size_t(page)];
    const bool shown = page == m_shownPage;
    for (int row = int(buttons.size()); row < qMin(rows, int(courses.size())); ++row) {
        const TCatalogueCourse& course = courses[size_t(row)];
        auto* button =
            new TCourseButton(course.Id, course.Name, course.Description,
                              QRect(10, course.Top, 240, TCatalogueModel::RowHeight), m_boxContent);
        button->setObjectName(TCatalogueModel::CourseButtonName(course.Id));
        connect(button, &QPushButton::clicked, this, [this, button] { RunCourseClick(button); });
        button->setVisible(shown);
        buttons.append(button);
    }
}

int TMainForm::RowsInView() const {
    const int bottom = CoursesBox->verticalScrollBar()->value() + CoursesBox->height();
    // The row cut by the bottom edge, and the one below it, which Tab reaches next.
    return (bottom - TCatalogueModel::FirstRowTop) / TCatalogueModel::RowHeight + 2;
}

void TMainForm::MakeButtonsInView() {
    if (m_shownPage >= 0)
        MakeButtons(m_shownPage, RowsInView());
}

bool TMainForm::ButtonsPending() const {
    return m_shownPage >= 0 && m_shownPage < int(m_pageButtons.size()) &&
           m_pageButtons[size_t(m_shownPage)].size() < qsizetype(m_model.Page(m_shownPage).Courses.size());
}

void TMainForm::MakeNextSlice() {
    if (!ButtonsPending())
        return;
    MakeButtons(m_shownPage, int(m_pageButtons[size_t(m_shownPage)].size()) + kSliceRows);
    if (ButtonsPending())
        m_sliceTimer->start();
}

void TMainForm::MainPagesChange() {
    // After the scan the page control catches up with the model's active page.
    const int active = m_model.ActivePage();
    if (active >= 0 && MainPages->CurrentIndex() != active)
        MainPages->SetCurrentIndex(active);
    if (m_shownPage >= 0 && m_shownPage < int(m_pageButtons.size()))
        for (TCourseButton* button : m_pageButtons[size_t(m_shownPage)])
            button->setVisible(false);
    m_shownPage = MainPages->CurrentIndex();
    m_boxExtent = 0;
    if (m_shownPage >= 0 && m_shownPage < int(m_pageButtons.size())) {
        for (TCourseButton* button : m_pageButtons[size_t(m_shownPage)])
            button->setVisible(true);
        // The box scrolls as far as the page's rows reach, made or not.
        m_boxExtent = ExtentOf(int(m_model.Page(m_shownPage).Courses.size()));
    }
    UpdateBoxExtent();
    CoursesBox->verticalScrollBar()->setValue(0);
    // Those in view now; the rest when the program is idle, a slice at a time, so that a page of
    // a thousand courses does not hold up the window.
    MakeButtonsInView();
    if (ButtonsPending())
        m_sliceTimer->start();
    else
        m_sliceTimer->stop();
}

void TMainForm::UpdateBoxExtent() {
    // The box scrolls as far as the lowest button, and never sideways.
    m_boxContent->setMinimumHeight(m_boxExtent);
}

void TMainForm::FileSkipped(const QString& fileName, const QString& reason) {
    // The window stays silent about files it could not use; the model keeps them for coursetool.
    m_model.FileSkipped(fileName, reason);
}

QList<TCourseButton*> TMainForm::CourseButtons(int page) {
    MakeButtons(page, std::numeric_limits<int>::max());
    return page >= 0 && page < int(m_pageButtons.size()) ? m_pageButtons[size_t(page)]
                                                         : QList<TCourseButton*>();
}

void TMainForm::RunCourseClick(TCourseButton* sender) {
    if (sender)
        LaunchCourse(sender->Tag, sender->CourseName);
}

bool TMainForm::LaunchCourse(int id, const QString& name) {
    // The title is handed over before the viewer tries, whatever the outcome.
    if (m_viewer.SetCourseTitle)
        m_viewer.SetCourseTitle(name);
    if (!m_viewer.OpenCourse || !m_viewer.OpenCourse(id))
        return false;
    hide();
    if (m_viewer.ShowViewer)
        m_viewer.ShowViewer();
    return true;
}

void TMainForm::SetPPTBrowserFlags(bool showInMain) {
    WritePPTBrowserFlags(m_context.Registry, showInMain);
}

bool TMainForm::IsComponentInstalled(const QString& clsid) const {
    return ::IsComponentInstalled(m_context.Registry, clsid);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the catalogue ends the program, whatever other windows are still around.
    if (m_quitGuard && !m_quitGuard()) {
        event->ignore();
        return;
    }
    event->accept();
    QApplication::quit();
}
