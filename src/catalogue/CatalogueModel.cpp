#include "catalogue/CatalogueModel.h"

TCatalogueError::TCatalogueError(const QString& message) : std::runtime_error(message.toStdString()) {
}

QString TCatalogueModel::HiddenButtonName(int id) {
    return QStringLiteral("BtnInv_") + QString::number(id);
}

QString TCatalogueModel::CourseButtonName(int id) {
    return QStringLiteral("Btn_") + QString::number(id);
}

int TCatalogueModel::FindOrAddPage(const QString& caption, bool create) {
    // Exact comparison: groups that differ only in letter case get pages of their own.
    for (int i = 0; i < PageCount(); ++i)
        if (m_pages[size_t(i)].Caption == caption)
            return i;
    if (!create)
        return -1;
    m_pages.push_back(TCataloguePage{caption, {}});
    m_pageIds.emplace_back();
    return PageCount() - 1;
}

void TCatalogueModel::SetActivePage(int index) {
    m_activePage = index >= 0 && index < PageCount() ? index : -1;
}

int TCatalogueModel::CheckNewCourse(int id) const {
    if (m_activePage < 0)
        throw TCatalogueError(QStringLiteral("нет страницы для курса"));
    // A negative number would put a '-' into the button names, which are identifiers.
    if (id < 0)
        throw TCatalogueError(QStringLiteral("отрицательный Id %1").arg(id));
    const TCataloguePage& page = m_pages[size_t(m_activePage)];
    if (m_pageIds[size_t(m_activePage)].count(id))
        throw TCatalogueError(QStringLiteral("Id %1 уже есть в группе «%2»").arg(id).arg(page.Caption));
    return int(page.Courses.size());
}

void TCatalogueModel::AddCourseButtons(int id, const QString& name, const QString& description) {
    const int row = CheckNewCourse(id);
    m_pages[size_t(m_activePage)].Courses.push_back(TCatalogueCourse{id, name, description, RowTop(row)});
    m_pageIds[size_t(m_activePage)].insert(id);
}

void TCatalogueModel::FileSkipped(const QString& fileName, const QString& reason) {
    m_skipped.push_back(TSkippedFile{fileName, reason});
}
