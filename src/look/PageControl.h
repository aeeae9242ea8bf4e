#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// Which tabs stand in which row when tabs of the given widths are laid out left to right in
// rows of the given width: a new row starts when the next tab would not fit. A tab wider than
// a row gets a row of its own.
std::vector<std::vector<int>> WrapTabRows(const std::vector<int>& widths, int rowWidth);

// A page control whose tabs wrap into several rows instead of scrolling, as the catalogue's
// subject tabs need. As with a page control of the old toolkit, the row of the active tab moves
// next to the page, and Changed is emitted only when the user picks a page, not when the
// program sets one.
class TPageControl final : public QWidget {
    Q_OBJECT
public:
    static constexpr int TabHeight = 36;

    explicit TPageControl(QWidget* parent = nullptr);

    // Appends the page with its caption; returns its index.
    int AddPage(QWidget* page, const QString& caption);
    // Removes and deletes every page, for a new library.
    void Clear();
    int Count() const { return int(m_tabs.size()); }
    QWidget* Page(int index) const;
    QString Caption(int index) const;

    int CurrentIndex() const { return m_current; }
    QWidget* CurrentPage() const { return Page(m_current); }
    // Shows the page without emitting Changed.
    void SetCurrentIndex(int index);

    int RowCount() const { return m_rowCount; }
    int RowHeight() const { return m_rowHeight; }
    QRect TabRect(int index) const;
    int TabAt(const QPoint& pos) const;
    int HotTab() const { return m_hot; }
    // The widget that holds the pages.
    QWidget* Stack() const { return m_stack; }
    // A screen reader's user picked the tab: as a click would.
    void PickByAssistant(int index) { PickByUser(index); }

signals:
    void Changed(int index);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct TTab {
        QString Caption;
        QWidget* Page = nullptr;
        int Width = -1; // natural width of the tab, -1 until measured
        int Row = 0;    // logical row, before the active row is moved next to the page
        QRect Rect;
    };

    void Relayout();
    void PickByUser(int index);
    void SetHot(int index);
    int TabWidth(const QString& caption) const;

    std::vector<TTab> m_tabs;
    QWidget* m_stack; // holds the pages, one shown at a time
    int m_current = -1;
    int m_hot = -1;
    int m_rowCount = 0;
    int m_rowHeight = TabHeight;
    bool m_keyboardFocus = false; // focus came by Tab, so the active tab shows a focus frame
};
