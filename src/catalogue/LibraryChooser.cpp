#include "catalogue/LibraryChooser.h"

#include "catalogue/LibraryChoice.h"
#include "core/LibraryFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int kPollMs = 2000;

} // namespace

TLibraryChooser::TLibraryChooser(QWidget* parent, TLibraryHistory history)
    : QObject(parent), m_parent(parent), m_history(std::move(history)), m_button(new QToolButton(parent)),
      m_menu(new QMenu(m_button)), m_poll(new QTimer(this)) {
    AskFolder = [this] {
        return QFileDialog::getExistingDirectory(m_parent, QStringLiteral("Папка с курсами"), m_current);
    };
    Warn = [this](const QString& message) {
        QMessageBox::warning(m_parent, QStringLiteral("Папка с курсами"), message);
    };
    m_button->setObjectName(QStringLiteral("LibraryButton"));
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_button->setMenu(m_menu);
    m_button->setCursor(Qt::PointingHandCursor);
    // A quiet pill on the banner, with room on the right for the menu arrow.
    m_button->setStyleSheet(QStringLiteral(
        "QToolButton { background: rgba(255,255,255,215); color: #1d4f91; border: 1px solid "
        "rgba(29,79,145,120); border-radius: 6px; padding: 3px 20px 3px 9px; }"
        "QToolButton:hover, QToolButton:pressed { background: white; border-color: #1d4f91; }"
        "QToolButton:focus { background: white; border: 2px solid #1d4f91; padding: 2px 19px 2px 8px; }"
        "QToolButton::menu-indicator { subcontrol-origin: padding; subcontrol-position: right center; "
        "right: 6px; }"));
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        m_news.clear();
        UpdateButton();
    });
    connect(m_poll, &QTimer::timeout, this, &TLibraryChooser::RefreshMounted);
    m_poll->start(kPollMs);
    RefreshMounted();
    RebuildMenu();
    UpdateButton();
}

void TLibraryChooser::SetCurrent(const QString& folder) {
    m_current = WithTrailingSlash(folder);
    RebuildMenu();
    UpdateButton();
}

bool TLibraryChooser::Choose(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString path = WithTrailingSlash(folder);
    if (!HoldsCourseDescriptors(path)) {
        Warn(QStringLiteral("В папке «%1» нет курсов: в ней нет описаний курсов (файлов *.xml "
                            "с элементом CourseInfo).\n\nВыберите папку диска или библиотеки, в "
                            "которой лежат описания курсов и папки курсов. Открытой остаётся "
                            "библиотека «%2».")
                 .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(m_current)));
        return false;
    }
    m_history.Remember(path);
    m_current = path;
    RebuildMenu();
    UpdateButton();
    emit LibraryChosen(path);
    return true;
}

void TLibraryChooser::OpenFolder() {
    Choose(AskFolder());
}

void TLibraryChooser::SetPublisher(std::function<void(const QString& library)> publish) {
    m_publish = std::move(publish);
    RebuildMenu();
}

void TLibraryChooser::RefreshMounted() {
    // Probing a disc reads its descriptors, so only when the set of volumes changes.
    const QList<TVolume> volumes = Volumes();
    QSet<QString> points;
    for (const TVolume& volume : volumes)
        points.insert(volume.RootPath);
    if (m_looked && points == m_mountPoints)
        return;
    m_mountPoints = points;
    m_volumes = volumes;
    const QList<TMountedLibrary> before = m_mounted;
    m_mounted = MountedLibraries(volumes, HoldsCourseDescriptors, IsRemovable);
    // A disc that was there at start is only listed; one that comes later is announced.
    if (m_looked)
        for (const TMountedLibrary& library : m_mounted)
            if (!before.contains(library))
                m_news = library.Name;
    m_looked = true;
    RebuildMenu();
    UpdateButton();
}

void TLibraryChooser::RebuildMenu() {
    m_menu->clear();
    m_menu->setToolTipsVisible(true);
    auto addLibrary = [this](const QString& text, const QString& folder) {
        QAction* action = m_menu->addAction(text, this, [this, folder] { Choose(folder); });
        action->setCheckable(true);
        action->setChecked(folder == m_current);
        action->setToolTip(QDir::toNativeSeparators(folder));
        action->setData(folder);
        return action;
    };
    // The library in use heads the menu, whether it came from the command line, the program's
    // folder or a choice.
    if (!m_current.isEmpty()) {
        m_menu->addSection(QStringLiteral("Открыта сейчас"));
        addLibrary(LibraryName(m_current, m_volumes), m_current)
            ->setObjectName(QStringLiteral("actCurrentLibrary"));
        m_menu->addSeparator();
    }
    QAction* open =
        m_menu->addAction(QStringLiteral("Открыть папку с курсами…"), this, &TLibraryChooser::OpenFolder);
    open->setObjectName(QStringLiteral("actOpenLibrary"));
    if (m_publish && !m_current.isEmpty()) {
        QAction* publish = m_menu->addAction(QStringLiteral("Опубликовать для браузера…"), this,
                                             [this] { m_publish(m_current); });
        publish->setObjectName(QStringLiteral("actPublishLibrary"));
        publish->setToolTip(QStringLiteral("Записать открытую библиотеку как сайт для браузеров учеников"));
    }
    QList<TMountedLibrary> discs;
    for (const TMountedLibrary& library : m_mounted)
        if (library.Folder != m_current)
            discs.append(library);
    if (!discs.isEmpty()) {
        m_menu->addSection(QStringLiteral("Диски и флешки"));
        for (const TMountedLibrary& library : discs)
            addLibrary(library.Name, library.Folder);
    }
    QStringList recent = m_history.Recent();
    recent.removeAll(m_current);
    if (!recent.isEmpty()) {
        m_menu->addSection(QStringLiteral("Недавние папки"));
        for (const QString& folder : recent)
            addLibrary(LibraryName(folder, m_volumes), folder);
    }
}

void TLibraryChooser::UpdateButton() {
    m_button->setText(m_news.isEmpty() ? QStringLiteral("Библиотека курсов")
                                       : QStringLiteral("Курсы на «%1»").arg(m_news));
    QFont font = m_button->font();
    font.setBold(!m_news.isEmpty());
    m_button->setFont(font);
    m_button->setToolTip(QStringLiteral("Открыта библиотека: %1").arg(QDir::toNativeSeparators(m_current)));
    m_button->adjustSize();
    if (m_parent)
        m_button->move(m_parent->width() - m_button->width() - 10, 10);
}
