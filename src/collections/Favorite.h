#pragma once

#include "app/AppContext.h"
#include "collections/FavorRows.h"
#include "core/XmlDocument.h"

#include <QMainWindow>
#include <QMessageBox>
#include <functional>

class QAction;
class QLabel;
class QToolBar;
class TMarkupTreeList;

// What the editor needs of the course viewer. Collections sit below the viewer, so start-up
// wires these to TForm1.
struct TFavorViewerLink {
    std::function<void(const QString& fragment)> ShowFavorPage; // shows the presentation window
    std::function<void(const QString& url)> ShowTest;
    std::function<QString()> CourseDir; // ends with '/'
    std::function<int()> CourseNumber;
};

// The collection editor ("Подборки"): the one collection of the running program as an ordered
// list. Items arrive from the viewer; here they are reordered, deleted, saved, loaded and shown.
class TFavoriteForm final : public QMainWindow {
    Q_OBJECT
public:
    explicit TFavoriteForm(const TAppContext& context);
    ~TFavoriteForm() override;

    void SetViewerLink(TFavorViewerLink link);

    // Appends the item unless the collection has it already (course, section and item id; the
    // caption does not matter). Selects nothing and leaves the move commands as they are.
    void AddFavor(int Course, int Folder, int ID, const QString& Caption);
    // Deletes the first row with these three values; the selection of the others stays.
    void DeleteFavor(int Course, int Folder, int ID);
    // Removes the item whose page is at URL (".../course/section/id.xml", "#run" or not). Any
    // other address (a web page, the task runner) removes nothing and says nothing.
    void RemoveFavorByURL(const QString& URL);

    QString GetFavorList() const;
    QString GetTheoryList() const;
    // The task list of the course open in the viewer; a missing or malformed task page raises.
    QString GetTaskList();
    static QString SectionName(int Folder);

    void UpdateMoveActions();

    // The rows in list order, mirrored one for one by the rows of FavorTree.
    const TFavorRows& Rows() const { return m_rows; }

    // Asked before the program ends: when the rows changed since the last save or load, asks
    // "Сохранить подборку?" and saves on "Да". False keeps the program running ("Отмена", or a
    // save that was cancelled or failed).
    bool CanQuit();
    bool IsModified() const;

    // Tests replace the dialogs and message boxes. An empty file name is a cancelled dialog.
    void SetSaveFileChooser(std::function<QString()> chooser);
    void SetOpenFileChooser(std::function<QString()> chooser);
    void SetMessagePresenter(std::function<void(const QString&)> presenter);
    void SetExitQuestion(std::function<QMessageBox::StandardButton()> question);

    // --- handlers ---------------------------------------------------------------------------
    void FavorTreeChange();
    void FavorTreeEnter();
    bool FavorTreeDragOver(const QObject* source) const;
    void FavorTreeDragDrop(int X, int Y); // list viewport coordinates
    void FavorTreeDblClick();
    void actUpExecute();
    void actDownExecute();
    void actDeleteExecute();
    void actClearExecute();
    void actLoadExecute();
    void actSaveExecute();
    void actShowAllExecute();
    void actShowTheoryExecute();
    void actShowTasksOnlyExecute();
    void actHideExecute();

    // --- components ---------------------------------------------------------------------------
    TMarkupTreeList* FavorTree = nullptr;
    QLabel* EmptyHint = nullptr; // over the empty list: how to fill it
    QToolBar* MoveToolBar = nullptr;
    QToolBar* ActionToolBar = nullptr;
    TXMLDocument SffXML;

    // --- commands -----------------------------------------------------------------------------
    QAction* actUp = nullptr;
    QAction* actDown = nullptr;
    QAction* actDelete = nullptr;
    QAction* actClear = nullptr;
    QAction* actLoad = nullptr;
    QAction* actSave = nullptr;
    QAction* actShowAll = nullptr;
    QAction* actShowTheory = nullptr;
    QAction* actShowTasksOnly = nullptr;
    QAction* actHide = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override; // FormResize
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildCommands();
    void BuildToolBars();
    void BuildMenus();
    void BuildList();

    int SelectedRow() const;
    void SelectRow(int row);
    void AppendRow(const TFavor& favor);
    // The editor's own delete selects the row that takes the deleted one's place; a removal
    // asked by the viewer changes no row but the removed one.
    enum class TAfterRemove { SelectNext, KeepSelection };
    void RemoveRow(int row, TAfterRemove after);
    void MoveRow(int from, int to);
    void ReplaceRows(const std::vector<TFavor>& records);
    bool SaveCollection(); // true when written
    void SetShowTaskVisible(bool visible);
    // After every change of the rows: the empty list's hint, and the title with the file's name
    // and "*" while there are unsaved changes.
    void RowsChanged();
    void Tell(const QString& message);

    TAppContext m_context;
    TFavorViewerLink m_viewer;
    TFavorRows m_rows;
    std::vector<TFavor> m_savedRows; // the rows as last saved or loaded
    QString m_fileName;              // ... to or from this file
    TXMLDocument m_taskXml;
    std::function<QString()> m_chooseSaveFile;
    std::function<QString()> m_chooseOpenFile;
    std::function<void(const QString&)> m_showMessage;
    std::function<QMessageBox::StandardButton()> m_askExit;
};
