#pragma once

#include <QString>
#include <stdexcept>
#include <unordered_set>
#include <vector>

// A course cannot be added to its page: its button names would clash or would not be valid
// identifiers. Ends the processing of one descriptor.
class TCatalogueError : public std::runtime_error {
public:
    explicit TCatalogueError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// What the descriptor scan builds on: the catalogue window, or the bare model when there is no
// window (coursetool, tests, benchmarks). The names are those of the window's operations.
class TCatalogueBuilder {
public:
    virtual ~TCatalogueBuilder() = default;
    virtual int FindOrAddPage(const QString& caption, bool create) = 0;
    virtual int PageCount() const = 0;
    virtual void SetActivePage(int index) = 0;
    // Adds the course to the active page; throws TCatalogueError when it cannot be added.
    virtual void AddCourseButtons(int id, const QString& name, const QString& description) = 0;
    virtual void MainPagesChange() = 0;
    // A file that was read but gave no course button, with a short reason in Russian.
    virtual void FileSkipped(const QString& fileName, const QString& reason) = 0;
};

struct TCatalogueCourse {
    int Id = 0;
    QString Name;
    QString Description;
    int Top = 0; // top of the course button in the course box
};

struct TCataloguePage {
    QString Caption;
    std::vector<TCatalogueCourse> Courses;
};

struct TSkippedFile {
    QString File; // name within the library folder
    QString Reason;
};

// The catalogue without a window: pages in tab order, courses in row order, the active page
// and the files that gave no button. The window keeps one and builds its widgets from it.
class TCatalogueModel final : public TCatalogueBuilder {
public:
    static constexpr int RowHeight = 30;
    static constexpr int FirstRowTop = 10;

    static QString HiddenButtonName(int id); // "BtnInv_" + id
    static QString CourseButtonName(int id); // "Btn_" + id
    static int RowTop(int row) { return row * RowHeight + FirstRowTop; }

    int FindOrAddPage(const QString& caption, bool create) override;
    int PageCount() const override { return int(m_pages.size()); }
    void SetActivePage(int index) override;
    void AddCourseButtons(int id, const QString& name, const QString& description) override;
    void MainPagesChange() override {}
    void FileSkipped(const QString& fileName, const QString& reason) override;

    int ActivePage() const { return m_activePage; }
    const TCataloguePage& Page(int index) const { return m_pages.at(size_t(index)); }
    const std::vector<TCataloguePage>& Pages() const { return m_pages; }
    const std::vector<TSkippedFile>& Skipped() const { return m_skipped; }

    // The course that AddCourseButtons would add, checked against the active page; throws
    // TCatalogueError when it cannot be added. Returns the row it would take.
    int CheckNewCourse(int id) const;

private:
    std::vector<TCataloguePage> m_pages;
    std::vector<std::unordered_set<int>> m_pageIds; // the numbers used on each page, for the clash test
    std::vector<TSkippedFile> m_skipped;
    int m_activePage = -1;
};
