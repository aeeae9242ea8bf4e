#include "publish/PublishDialog.h"

#include "publish/SiteExport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

QString SiteFolderIn(const QString& chosen) {
    const QDir dir(chosen);
    if (dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ||
        QFileInfo::exists(dir.filePath(QStringLiteral(".courseplayer-site"))))
        return dir.absolutePath();
    return dir.filePath(QStringLiteral("Сайт курсов"));
}

void PublishForBrowsers(QWidget* parent, const QString& library, const TPublishHooks& hooks) {
    const QString chosen =
        hooks.AskFolder ? hooks.AskFolder()
                        : QFileDialog::getExistingDirectory(parent, QStringLiteral("Куда записать сайт"),
                                                            QDir::homePath());
    if (chosen.isEmpty())
        return;
    const auto tell = [&](const QString& text, bool ok) {
        if (hooks.Tell)
            hooks.Tell(text, ok);
        else if (ok)
            QMessageBox::information(parent, QStringLiteral("Опубликовать для браузера"), text);
        else
            QMessageBox::warning(parent, QStringLiteral("Опубликовать для браузера"), text);
    };

    QProgressDialog progress(QStringLiteral("Публикация библиотеки для браузера…"), QStringLiteral("Отмена"),
                             0, 1, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    std::atomic<bool> cancel{false};
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    TExportOptions options;
    options.Library = library;
    options.Out = SiteFolderIn(chosen);
    options.Cancel = &cancel;
    options.Progress = [&](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        if (hooks.CancelAt && hooks.CancelAt(done, total))
            cancel = true;
    };
    options.Tick = [&] {
        // Often enough for a live window, seldom enough not to slow the copy.
        if (sinceEvents.elapsed() < 50)
            return;
        sinceEvents.restart();
        QApplication::processEvents();
        if (progress.wasCanceled())
            cancel = true;
    };
    const TExportResult result = ExportSite(options);
    progress.reset();
    if (!result.Ok) {
        tell(result.Error, false);
        return;
    }
    QString text = QStringLiteral("Сайт записан в папку «%1»: курсов %2, страниц материалов %3.\n\n"
                                  "Откройте в ней index.html или выложите всю папку на веб-сервер школы.")
                       .arg(QDir::toNativeSeparators(options.Out))
                       .arg(result.Courses)
                       .arg(result.Pages);
    if (!result.SkippedLinks.isEmpty())
        text += QStringLiteral("\n\nНе скопированы ссылки за пределы библиотеки: %1")
                    .arg(result.SkippedLinks.join(QStringLiteral(", ")));
    if (!result.Problems.isEmpty())
        text += QStringLiteral("\n\nНе удалось записать: %1").arg(result.Problems.join(QStringLiteral(", ")));
    tell(text, result.Problems.isEmpty());
}
