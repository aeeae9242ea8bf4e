#pragma once

#include <QLineEdit>
#include <QWidget>

class QAction;
class QLabel;
class QTreeWidget;
class TTreeFilter;

// The box the user types a filter into, above a tree: every change of its text filters the
// tree at once. Esc empties it, and so does its clear button; Down and Enter move into the tree
// (onto the first match when the node the user is on is filtered out); Ctrl+L comes back to it
// from anywhere in the window.
class TTreeFilterBox final : public QLineEdit {
    Q_OBJECT
public:
    TTreeFilterBox(QTreeWidget* tree, QWidget* parent);

    TTreeFilter& Filter() const { return *m_filter; }
    // Ctrl+L: the box takes the focus with its text selected.
    QAction* FocusAction() const { return m_focusAction; }
    // "Ничего не найдено" over the tree; shown while the filter leaves no node.
    QLabel* EmptyHint() const { return m_emptyHint; }
    // Empties the box without restoring the tree (the tree is about to be replaced).
    void Forget();
    // Moves the focus into the tree; see the class comment.
    void EnterTree();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowState();
    void PlaceEmptyHint();

    QTreeWidget* m_tree;
    TTreeFilter* m_filter;
    QAction* m_focusAction;
    QLabel* m_emptyHint;
    bool m_enterWhenDone = false;
};

// The tree with its filter box above it, as one pane of a window.
class TTreeFilterPane final : public QWidget {
    Q_OBJECT
public:
    TTreeFilterPane(QTreeWidget* tree, QWidget* parent);

    TTreeFilterBox* Box() const { return m_box; }

private:
    TTreeFilterBox* m_box;
};
