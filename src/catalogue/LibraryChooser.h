#pragma once

#include "catalogue/LibraryHistory.h"
#include "catalogue/MountedLibraries.h"

#include <QObject>
#include <QSet>
#include <functional>

class QMenu;
class QTimer;
class QToolButton;
class QWidget;

// The catalogue's library button: the library open now (first, checked), "Открыть папку с
// курсами…", the discs and USB sticks with courses that are mounted now and the last five
// folders, each by its name (volume or folder name) with its full path as the hint. A folder
// without course descriptors is refused with a message and the current library stays.
class TLibraryChooser final : public QObject {
    Q_OBJECT
public:
    // The button is placed on parent; history is where the choices are kept.
    TLibraryChooser(QWidget* parent, TLibraryHistory history);

    QToolButton* Button() const { return m_button; }
    QMenu* Menu() const { return m_menu; }

    void SetCurrent(const QString& folder);
    QString Current() const { return m_current; }
    const TLibraryHistory& History() const { return m_history; }
    const QList<TMountedLibrary>& Mounted() const { return m_mounted; }

    // A folder the user picked: the library becomes it when it holds courses.
    bool Choose(const QString& folder);
    // "Открыть папку с курсами…": asks for a folder and chooses it.
    void OpenFolder();
    // "Опубликовать для браузера…" of the menu, for the library open now; the publishing stands
    // above the catalogue, so start-up hands it over. Without one the menu has no such entry.
    void SetPublisher(std::function<void(const QString& library)> publish);
    // Looks at the mounted volumes again; the timer calls it every few seconds.
    void RefreshMounted();

    // Tests replace the folder dialog, the message box and the list of volumes.
    std::function<QString()> AskFolder;
    std::function<void(const QString& message)> Warn;
    std::function<QList<TVolume>()> Volumes = MountedVolumes;
    std::function<bool(const QString& rootPath)> IsRemovable = IsRemovableMountPoint;

signals:
    void LibraryChosen(const QString& folder);

private:
    void RebuildMenu();
    void UpdateButton();

    QWidget* m_parent;
    TLibraryHistory m_history;
    QToolButton* m_button;
    QMenu* m_menu;
    QTimer* m_poll;
    QString m_current;
    bool m_looked = false;            // the volumes were looked at once
    QSet<QString> m_mountPoints;      // the volumes seen at the last look
    QList<TVolume> m_volumes;         // ... with their names
    QList<TMountedLibrary> m_mounted; // those of them that hold courses
    QString m_news;                   // a disc that came since the menu was last opened
    std::function<void(const QString& library)> m_publish;
};
