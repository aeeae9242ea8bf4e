#pragma once

#include "markup/MarkupTypes.h"

#include <QTimer>
#include <QWidget>

class TImageList;
class TMarkupPictureCache;

// What a caption hint shows and how.
struct TMarkupHint {
    QString Text; // markup, drawn as the tree draws captions
    QFont Font;
    TColor Color = clNone; // background; clNone: the tool tips' colour
    TColor LinkColor = clBlue;
    const TImageList* Images = nullptr;
    TMarkupPictureCache* PictureCache = nullptr;
};

// The hint of a caption too wide for its tree, drawn by the markup engine over the item it shows.
// It is a window of its own that takes no input: it lies under the resting pointer, and a window
// that took the pointer would make the tree see the pointer leave and drop the hint at once.
// It goes after the hide pause, or when the owner hides it.
class TMarkupHintWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TMarkupHintWindow(QWidget* owner);

    // Shows hint with the top-left corner of its text at textTopLeft (global coordinates).
    void ShowHint(const TMarkupHint& hint, QPoint textTopLeft);
    void HideHint();
    const QString& Text() const { return m_hint.Text; }

    // How long a hint stays up; 0 (the default) is the platform's tool-tip time for the text.
    int HidePause() const { return m_hidePause; }
    void SetHidePause(int msec) { m_hidePause = msec; }

    // Space between the window's edge and the text.
    static constexpr int PaddingX = 3;
    static constexpr int PaddingY = 1;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor Background() const;

    TMarkupHint m_hint;
    QTimer m_hideTimer;
    int m_hidePause = 0;
};
