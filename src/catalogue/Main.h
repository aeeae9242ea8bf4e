#pragma once

#include "app/AppContext.h"
#include "catalogue/CatalogueModel.h"
#include "look/CommandImages.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;
class QAction;
class TBanner;
class TCourseButton;
class TCourseScan;
class TFrameShape;
class TGradientPanel;
class TPageControl;

// What the catalogue needs of the course viewer. The viewer's library stands above this one,
// so start-up connects the two.
struct TCourseViewerLink {
    std::function<void(const QString& title)> SetCourseTitle;
    std::function<bool(int courseNumber)> OpenCourse;
    std::function<void()> ShowViewer;
};

// The catalogue window: one tab per subject group, one button per course. The main window.
class TMainForm final : public QWidget, public TCatalogueBuilder {
    Q_OBJECT
public:
    explicit TMainForm(const TAppContext& context);
    ~TMainForm() override;

    // Plug-in flags read by the viewer at its creation.
    bool FlashInstalled = false;
    bool MathPlayerInstalled = false;
    bool SVGViewerInstalled = false;

    void SetPPTBrowserFlags(bool showInMain);
    bool IsComponentInstalled(const QString& clsid) const;

    // The command icons every tool bar of the program uses.
    const TCommandImages& LargeImages() const { return m_largeImages; }

    void SetCourseViewer(TCourseViewerLink link) { m_viewer = std::move(link); }
    // Asked before closing the catalogue ends the program; false keeps it running (the user
    // chose to stay, say, when asked about an unsaved collection).
    void SetQuitGuard(std::function<bool()> guard) { m_quitGuard = std::move(guard); }
    // What "Открыть папку с курсами…" of the empty state does (the library button's own dialog);
    // without it the empty state only says why the library is empty.
    void SetLibraryOpener(std::function<void()> opener);

    // The scan of the library folder; run by the constructor, and again for another library.
    void LoadCourses();
    // Another library: the pages and buttons of the last scan go and the new folder is scanned.
    void SetProgramFolder(const QString& folder);
    QString ProgramFolder() const { return m_context.ProgramFolder; }
    void ReadCourseInfo(const QString& fileName);

    int FindOrAddPage(const QString& caption, bool create) override;
    int PageCount() const override;
    void SetActivePage(int index) override;
    void AddCourseButtons(int id, const QString& name, const QString& description) override;
    void MainPagesChange() override;
    void FileSkipped(const QString& fileName, const QString& reason) override;

    void RunCourseClick(TCourseButton* sender);
    // What a course button does, for a course given by number and name: the viewer opens it, and
    // on success the catalogue hides and the viewer shows. False when the viewer could not open it.
    bool LaunchCourse(int id, const QString& name);

    // What the window shows, without its widgets: the same model coursetool prints.
    const TCatalogueModel& Catalogue() const { return m_model; }

    // The course buttons of a page: those placed in CoursesBox, in row order. A page's buttons
    // are made when it is first shown, those in view at once and the rest in idle moments; asked
    // here, the page's buttons are all made first.
    QList<TCourseButton*> CourseButtons(int page);
    // Whether buttons of the shown page are still to be made in idle moments.
    bool ButtonsPending() const;
    // The text a button shows as its hint for a course description.
    static QString HintOf(const QString& description);

    // Components of the window, by their design names.
    TGradientPanel* GradientPanel2 = nullptr;
    TBanner* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    TPageControl* MainPages = nullptr;
    TFrameShape* Shape1 = nullptr;
    QScrollArea* CoursesBox = nullptr;
    QLabel* Label3 = nullptr;
    // "Поиск по всем курсам" on the banner; start-up connects the command to the search window.
    QAction* actSearchAll = nullptr;
    QToolButton* SearchButton = nullptr;
    // In place of the subjects and courses while the library shows none: which folder was
    // expected, why it has no courses, and the way to another one.
    QWidget* EmptyPanel = nullptr;
    QLabel* EmptyReasonLabel = nullptr;
    QPushButton* OpenLibraryButton = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void FormCreate();
    void UpdateBoxExtent();
    // Makes the page's buttons up to the given row count, in row order.
    void MakeButtons(int page, int rows);
    // The rows of the shown page that the box shows now, with the one below the view.
    int RowsInView() const;
    void MakeButtonsInView();
    void MakeNextSlice();
    void BuildEmptyPanel();
    void UpdateEmptyState();

    TAppContext m_context;
    TCommandImages m_largeImages;
    TCatalogueModel m_model;
    std::unique_ptr<TCourseScan> m_scan;
    TCourseViewerLink m_viewer;
    std::function<bool()> m_quitGuard;
    std::function<void()> m_openLibrary;
    QWidget* m_boxContent = nullptr;                  // the scrolled widget of CoursesBox
    int m_boxExtent = 0;                              // how far down CoursesBox scrolls
    int m_shownPage = -1;                             // the page whose buttons CoursesBox shows
    bool m_scanning = false;                          // LoadCourses is running
    std::vector<QList<TCourseButton*>> m_pageButtons; // course buttons made so far for each page
    QTimer* m_sliceTimer = nullptr;                   // makes the shown page's other buttons when idle
};
