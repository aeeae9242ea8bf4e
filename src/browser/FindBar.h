#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QToolButton;
class QWebEngineFindTextResult;
class QWebEngineView;

// The find bar under a page: a text box searched as the user types (case-insensitive), previous
// and next buttons, the number of the current match among all ("3 из 12", "Не найдено") and a
// close button. Enter and Shift+Enter in the box go to the next and previous match, Esc closes
// the bar and clears the marks in the page.
class TFindBar final : public QFrame {
    Q_OBJECT
public:
    explicit TFindBar(QWebEngineView* view, QWidget* parent = nullptr);

    // Shows the bar with the box focused and its text selected; marks that text again.
    void Open();
    // Hides the bar, clears the marks and gives the keyboard back to the page.
    void Close();
    // The next and previous match of the box's text; opens the bar when it is hidden.
    void FindNext();
    void FindPrevious();

    QLineEdit* TextBox() const { return m_text; }
    // What the count shows: "3 из 12", "Не найдено", or nothing before a search.
    QString CountText() const;
    int ActiveMatch() const { return m_activeMatch; }
    int MatchCount() const { return m_matchCount; }

    // The count for a result: active match of count; "Не найдено" when nothing matched the text.
    static QString CountText(const QString& text, int activeMatch, int matchCount);

signals:
    // The page answered a search (the count is up to date).
    void ResultShown(int activeMatch, int matchCount);
    // Open and Close showed or hid the bar.
    void OpenChanged(bool open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Search(bool backward);
    // Forgets the search and takes its marks off the page (the current match stays selected).
    void EndSearch();
    void ShowResult(const QWebEngineFindTextResult& result);
    void ShowCount();

    QWebEngineView* m_view;
    QLineEdit* m_text = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_close = nullptr;
    QLabel* m_count = nullptr;
    QString m_searched;         // the text the shown count belongs to
    quint64 m_searchSerial = 0; // the latest search asked of the page
    int m_activeMatch = 0;
    int m_matchCount = 0;
};
