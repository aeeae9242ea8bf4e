#include "catalogue/LibraryChoice.h"

#include "catalogue/CatalogueModel.h"
#include "catalogue/CourseScan.h"
#include "core/LibraryFolder.h"

#include <QDir>

#ifndef CP_DEMO_FROM_BIN
#define CP_DEMO_FROM_BIN "../share/courseplayer/demo"
#endif

TLibraryChoice ChooseLibrary(const TLibraryCandidates& candidates, const THoldsCourses& holdsCourses) {
    // Given on the command line: taken as it is, so a mistyped folder shows an empty catalogue
    // rather than quietly another library.
    if (!candidates.CommandLine.isEmpty())
        return {WithTrailingSlash(candidates.CommandLine), TLibrarySource::CommandLine};
    const struct {
        const QString& Folder;
        TLibrarySource Source;
    } probes[] = {
        {candidates.ExecutableFolder, TLibrarySource::ExecutableFolder},
        {candidates.LastChosen, TLibrarySource::LastChosen},
        {candidates.InstalledDemo, TLibrarySource::InstalledDemo},
    };
    for (const auto& probe : probes)
        if (!probe.Folder.isEmpty() && holdsCourses(WithTrailingSlash(probe.Folder)))
            return {WithTrailingSlash(probe.Folder), probe.Source};
    return {WithTrailingSlash(candidates.ExecutableFolder), TLibrarySource::Nothing};
}

bool HoldsCourseDescriptors(const QString& folder) {
    // A page is made as soon as a descriptor with all four attributes is met.
    TCatalogueModel model;
    TCourseScan scan(model);
    for (const QString& file : ListDescriptorFiles(folder)) {
        scan.ReadCourseInfo(file);
        if (model.PageCount() > 0)
            return true;
    }
    return false;
}

QString InstalledDemoLibrary(const QString& executableFolder) {
    return WithTrailingSlash(
        QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(CP_DEMO_FROM_BIN))));
}
