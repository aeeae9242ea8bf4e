#include "publish/SiteExport.h"

#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "core/BytePaths.h"
#include "core/ComponentStaging.h"
#include "core/DiscFiles.h"
#include "markup/Markup.h"
#include "publish/SiteComponents.h"
#include "publish/SiteFiles.h"
#include "publish/SitePages.h"
#include "publish/SiteScorm.h"
#include "publish/SiteSearch.h"
#include "search/PageText.h"
#include "viewer/CourseLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <map>

namespace {

// Marks a folder as a site this program wrote, so that a later export may replace it; any other
// folder that is not empty is never replaced.
const QString SiteMarker = QStringLiteral(".courseplayer-site");

bool Cancelled(const TExportOptions& options) {
    return options.Cancel && options.Cancel->load();
}

bool WriteText(const QString& path, const QString& text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// The canonical form of a path that may not exist yet: its nearest existing folder resolved.
QString CanonicalOrPlanned(const QString& path) {
    QString existing = path;
    QString rest;
    while (!existing.isEmpty() && !QFileInfo::exists(existing)) {
        rest = existing.mid(existing.lastIndexOf(u'/')) + rest;
        existing = existing.left(existing.lastIndexOf(u'/'));
    }
    return CanonicalPath(existing.isEmpty() ? QStringLiteral("/") : existing) + rest;
}

// The library's collection presentation page as named on disc, relative to it; empty: none.
QString ShowFavorPage(const QString& library) {
    const QString page = FindDiscFile(library + QStringLiteral("/ShowFavor.htm"));
    return QFileInfo(page).isFile() ? QDir(library).relativeFilePath(page) : QString();
}

bool Within(const QString& path, const QString& folder) {
    return (path + u'/').startsWith(folder + u'/');
}

// Every XML page of the staged course (stylesheets and trees aside) that its stylesheet turns
// into HTML is written beside it as <name>.html, unless the course has a file of that name.
QSet<QString> TransformCourse(const QString& sourceDir, const QString& stagedDir, const QString& library,
                              TSiteCopy& copy, TExportResult& result) {
    QSet<QString> written;
    QDirIterator it(stagedDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString staged = it.next();
        if (copy.Cancel && copy.Cancel->load())
            break;
        if (!staged.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive) ||
            it.fileName().compare(QLatin1String("tree.xml"), Qt::CaseInsensitive) == 0)
            continue;
        const QString relative = QDir(stagedDir).relativeFilePath(staged);
        const QString htmlName = relative.left(relative.size() - 4) + QStringLiteral(".html");
        if (QFileInfo::exists(stagedDir + u'/' + htmlName))
            continue;
        const QString source = sourceDir + relative;
        if (copy.Tick)
            copy.Tick();
        const std::optional<QByteArray> html = TransformPageToHtml(source, library, copy.Cancel);
        if (!html)
            continue;
        QFile file(stagedDir + u'/' + htmlName);
        const QByteArray bytes = PublishedPage(*html, source, true, copy);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            result.Problems << QStringLiteral("%1: не удалось записать").arg(htmlName);
            continue;
        }
        written.insert(relative);
        ++result.TransformedPages;
    }
    return written;
}

// The items of a section with a page, for the site's search, without recursion.
void AddToSearch(const TSiteCourse& course, const TSiteSection& section, const QString& courseDir,
                 const QString& library, TSiteSearch& search, const std::atomic<bool>* cancel) {
    std::vector<const TSiteItem*> stack;
    for (auto it = section.Items.rbegin(); it != section.Items.rend(); ++it)
        stack.push_back(&*it);
    while (!stack.empty() && !(cancel && cancel->load())) {
        const TSiteItem* item = stack.back();
        stack.pop_back();
        for (auto it = item->Children.rbegin(); it != item->Children.rend(); ++it)
            stack.push_back(&*it);
        if (item->Page.isEmpty())
            continue;
        TSiteSearch::TDoc doc;
        doc.Ref = QStringLiteral("%1:%2:%3").arg(course.Id).arg(section.Id).arg(item->Id);
        doc.Title = StripMarkup(item->Caption).simplified();
        doc.Url = QStringLiteral("%1/index.html#s=%2&i=%3").arg(course.Id).arg(section.Id).arg(item->Id);
        doc.Course = course.Name;
        doc.Section = section.Caption;
        doc.CourseId = course.Id;
        doc.Text = QString::fromUtf8(ExtractPageTextUtf8(courseDir + item->Page, library, cancel));
        search.Add(std::move(doc));
    }
}

// The search's scripts from the staged components; false when the build staged none.
bool CopySearchScripts(const QString& folder) {
    const QString from = StagedComponentsFolder() + QStringLiteral("lunr/");
    QDir().mkpath(folder);
    for (const char* name : {"lunr.min.js", "lunr.stemmer.support.min.js", "lunr.ru.min.js", "LICENSE-lunr",
                             "LICENSE-lunr-languages"})
        if (!QFile::copy(from + QString::fromLatin1(name), folder + u'/' + QString::fromLatin1(name)))
            return false;
    return true;
}

int CountPages(const std::vector<TSiteItem>& items) {
    int n = 0;
    for (const TSiteItem& item : items)
        n += (item.Page.isEmpty() ? 0 : 1) + CountPages(item.Children);
    return n;
}

// Puts the staged site where OUT is, keeping OUT as it was when that fails.
QString MoveInPlace(const QString& staging, const QString& out) {
    const QString old = out + QStringLiteral(".old-%1").arg(QCoreApplication::applicationPid());
    const bool replacing = QFileInfo::exists(out);
    if (replacing && !QDir().rename(out, old))
        return QStringLiteral("Не удалось убрать прежний сайт «%1»").arg(out);
    if (!QDir().rename(staging, out)) {
        if (replacing)
            QDir().rename(old, out);
        return QStringLiteral("Не удалось переместить сайт в «%1»").arg(out);
    }
    if (replacing)
        QDir(old).removeRecursively();
    return QString();
}

} // namespace

TExportResult ExportSite(const TExportOptions& options) {
    TExportResult result;
    const QFileInfo libraryInfo(options.Library);
    // Through the link a library path that is not UTF-8 is opened by.
    const QString library = CanonicalPath(options.Library);
    if (library.isEmpty() || !libraryInfo.isDir()) {
        result.Error = QStringLiteral("Папка библиотеки «%1» не найдена").arg(options.Library);
        return result;
    }
    TCatalogueModel model;
    TCourseScan(model).LoadCourses(library);
    std::vector<TSiteCourse> courses;
    std::vector<TSiteSubject> subjects;
    QSet<int> seen;
    for (const TCataloguePage& page : model.Pages()) {
        for (const TCatalogueCourse& c : page.Courses) {
            if (seen.contains(c.Id) || (!options.Courses.isEmpty() && !options.Courses.contains(c.Id)))
                continue;
            seen.insert(c.Id);
            TSiteCourse course;
            course.Id = c.Id;
            course.Name = c.Name;
            course.Description = c.Description;
            courses.push_back(course);
        }
    }
    for (const int id : options.Courses)
        if (!seen.contains(id)) {
            result.Error = QStringLiteral("Курса %1 нет в каталоге библиотеки «%2»").arg(id).arg(library);
            return result;
        }
    if (courses.empty()) {
        result.Error = QStringLiteral("В библиотеке «%1» нет ни одного курса").arg(library);
        return result;
    }

    const QString out = QDir::cleanPath(QFileInfo(options.Out).absoluteFilePath());
    const QFileInfo outInfo(out);
    if (outInfo.exists() && !outInfo.isDir()) {
        result.Error = QStringLiteral("«%1» - не папка").arg(out);
        return result;
    }
    if (outInfo.isDir() && !QDir(out).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) &&
        !QFileInfo::exists(out + u'/' + SiteMarker)) {
        result.Error =
            QStringLiteral("Папка «%1» не пуста и не была написана этой программой: она не будет заменена")
                .arg(out);
        return result;
    }
    const QString plannedOut = CanonicalOrPlanned(out);
    if (Within(plannedOut, library) || Within(library, plannedOut)) {
        result.Error =
            QStringLiteral("Сайт нельзя записать в папку библиотеки или в папку, в которой она лежит");
        return result;
    }
    const QString parent = QFileInfo(out).absolutePath();
    const QString staging = out + QStringLiteral(".partial-%1").arg(QCoreApplication::applicationPid());
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging)) {
        result.Error = QStringLiteral("Не удалось создать папку «%1»").arg(staging);
        return result;
    }
    const auto fail = [&](const QString& error) {
        QDir(staging).removeRecursively();
        result.Error = error;
        result.Ok = false;
        return result;
    };

    TSiteCopy copy;
    copy.LibraryRoot = library + u'/';
    copy.Cancel = options.Cancel;
    copy.Tick = options.Tick;
    // Files the courses share (pictures, scripts, plugins) lie beside the course folders; folders
    // of courses left out are not copied.
    QSet<QString> courseFolders;
    for (const TCataloguePage& page : model.Pages())
        for (const TCatalogueCourse& c : page.Courses)
            courseFolders.insert(QDir(CourseFolder(library + u'/', c.Id)).absolutePath());
    const QFileInfoList top = QDir(library).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    QStringList shared;
    copy.NameMap = QStringLiteral("names-shared.js");
    for (const QFileInfo& entry : top) {
        if (courseFolders.contains(entry.absoluteFilePath()))
            continue;
        shared << entry.fileName();
        if (entry.isSymLink() && !Within(CanonicalPath(entry.absoluteFilePath()), library)) {
            copy.SkippedLinks << entry.fileName();
            continue;
        }
        if (entry.isDir()) {
            if (!CopySiteFolder(entry.absoluteFilePath(), staging + u'/' + entry.fileName(), copy))
                return fail(Cancelled(options) ? QStringLiteral("Публикация прервана")
                                               : copy.Failures.value(0));
        } else if (entry.isFile() &&
                   !QFile::copy(CanonicalPath(entry.absoluteFilePath()), staging + u'/' + entry.fileName())) {
            copy.Failures << QStringLiteral("%1: не удалось записать").arg(entry.fileName());
        }
    }

    // What the shared files need from the site's components, every course's package needs too.
    const QStringList sharedNames = copy.CasedNames;
    const TSiteCopy sharedNeeds = copy;
    bool movies = copy.Movies, formulas = copy.Formulas, components = copy.Components;
    std::map<int, QStringList> courseComponents; // by course, for its package

    // The search needs lunr's scripts in the site; without them no page text is read for it.
    TSiteSearch search;
    const bool searchable = CopySearchScripts(staging + QStringLiteral("/_search"));
    if (!searchable)
        result.Problems << QStringLiteral("поиск по сайту: программа установлена без его сценариев (lunr)");
    int done = 0;
    for (TSiteCourse& course : courses) {
        if (options.Progress)
            options.Progress(done, int(courses.size()));
        const QString courseDir = CourseFolder(library + u'/', course.Id);
        const QString stagedDir = staging + u'/' + QString::number(course.Id);
        const QString canonicalCourse = CanonicalPath(courseDir);
        copy.NameMap = QStringLiteral("names-%1.js").arg(course.Id);
        copy.CasedNames.clear();
        copy.Components = copy.Movies = copy.Formulas = false;
        if (!QFileInfo(courseDir).isDir() || !Within(canonicalCourse, library)) {
            if (QFileInfo(courseDir).isSymLink())
                copy.SkippedLinks << QString::number(course.Id);
            course.Problem = QStringLiteral("Папка курса «%1» не найдена в библиотеке").arg(courseDir);
            QDir().mkpath(stagedDir);
        } else {
            if (!CopySiteFolder(courseDir, stagedDir, copy))
                return fail(Cancelled(options) ? QStringLiteral("Публикация прервана")
                                               : copy.Failures.value(0));
            const TSiteCourse read = ReadSiteCourse(courseDir);
            course.Sections = read.Sections;
            course.Problem = read.Problem;
        }
        const QSet<QString> transformed = TransformCourse(courseDir, stagedDir, library, copy, result);
        if (Cancelled(options))
            return fail(QStringLiteral("Публикация прервана"));
        const QString folder = staging + u'/' + QString::fromUtf16(SiteComponentsFolder) + u'/';
        if ((copy.Components || sharedNeeds.Components) &&
            !WriteNameMap(folder + copy.NameMap, copy.CasedNames + sharedNames))
            return fail(QStringLiteral("Не удалось записать «%1»").arg(folder + copy.NameMap));
        movies = movies || copy.Movies;
        formulas = formulas || copy.Formulas;
        components = components || copy.Components;
        if (copy.Components || sharedNeeds.Components) {
            QStringList& needs = courseComponents[course.Id];
            needs << folder.mid(staging.size() + 1) + QStringLiteral("legacy.js")
                  << folder.mid(staging.size() + 1) + copy.NameMap;
            if (sharedNeeds.Components)
                needs << folder.mid(staging.size() + 1) + QStringLiteral("names-shared.js");
            for (const auto& [needed, name] : {std::pair{copy.Movies || sharedNeeds.Movies, "ruffle"},
                                               std::pair{copy.Formulas || sharedNeeds.Formulas, "mathjax"}})
                if (needed)
                    needs << folder.mid(staging.size() + 1) + QString::fromLatin1(name);
        }
        const auto shown = [&transformed](const QString& page) {
            return transformed.contains(page) ? page.left(page.size() - 4) + QStringLiteral(".html") : page;
        };
        const QString title = options.Title.isEmpty() ? QStringLiteral("Учебные курсы") : options.Title;
        if (!WriteText(stagedDir + QStringLiteral("/index.html"), CoursePage(course, title, shown)))
            return fail(QStringLiteral("Не удалось записать страницу курса %1").arg(course.Id));
        for (const TSiteSection& section : course.Sections) {
            result.Pages += CountPages(section.Items);
            if (searchable)
                AddToSearch(course, section, courseDir, library, search, options.Cancel);
        }
        if (searchable && !search.WriteTexts(staging + QStringLiteral("/_search")))
            return fail(QStringLiteral("Не удалось записать тексты для поиска в «%1»").arg(parent));
        ++done;
    }
    if (options.Progress)
        options.Progress(done, int(courses.size()));

    for (const TCataloguePage& page : model.Pages()) {
        TSiteSubject subject{page.Caption, {}};
        for (const TCatalogueCourse& c : page.Courses)
            for (const TSiteCourse& course : courses)
                if (course.Id == c.Id && std::find(subject.Courses.begin(), subject.Courses.end(), &course) ==
                                             subject.Courses.end())
                    subject.Courses.push_back(&course);
        if (!subject.Courses.empty())
            subjects.push_back(std::move(subject));
    }
    const QString title = options.Title.isEmpty() ? QStringLiteral("Учебные курсы") : options.Title;
    if (searchable && !search.Write(staging + QStringLiteral("/_search")))
        return fail(QStringLiteral("Не удалось записать указатель поиска в «%1»").arg(parent));
    if (!QDir().mkpath(staging + QStringLiteral("/_site")) ||
        !WriteText(staging + QStringLiteral("/_site/site.css"), SiteStyleSheet()) ||
        !WriteText(staging + QStringLiteral("/_site/course.js"), CourseScript()) ||
        !WriteText(staging + QStringLiteral("/_site/search.js"), SearchScript()) ||
        !WriteText(staging + QStringLiteral("/_site/favor.js"), FavorScript()) ||
        !WriteText(staging + QStringLiteral("/_site/favor.html"), FavorPage(title, ShowFavorPage(library))) ||
        !WriteText(staging + QStringLiteral("/index.html"), CataloguePage(title, subjects, searchable)) ||
        !WriteText(staging + u'/' + SiteMarker, QString()))
        return fail(QStringLiteral("Не удалось записать страницы сайта в «%1»").arg(parent));
    if (components &&
        (!StageSiteComponents(staging, movies, formulas) ||
         (sharedNeeds.Components && !WriteNameMap(staging + u'/' + QString::fromUtf16(SiteComponentsFolder) +
                                                      QStringLiteral("/names-shared.js"),
                                                  sharedNames))))
        return fail(QStringLiteral("Не удалось записать сценарии старых страниц в «%1»").arg(parent));
    if (options.Scorm) {
        QDir().mkpath(staging + QStringLiteral("/scorm"));
        for (const TSiteCourse& course : courses) {
            if (Cancelled(options))
                break;
            const QString zip = staging + QStringLiteral("/scorm/%1.zip").arg(course.Id);
            if (const QString error =
                    WriteScormPackage(staging, course, shared + courseComponents[course.Id], zip);
                !error.isEmpty())
                return fail(error);
        }
    }
    if (Cancelled(options))
        return fail(QStringLiteral("Публикация прервана"));
    if (const QString error = MoveInPlace(staging, out); !error.isEmpty())
        return fail(error);

    result.Ok = true;
    result.Courses = int(courses.size());
    result.Files = copy.Files;
    result.Bytes = copy.Bytes;
    result.SkippedLinks = copy.SkippedLinks;
    result.Problems += copy.Failures;
    return result;
}
