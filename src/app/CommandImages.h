#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <array>

// Index of each command icon. The order is fixed: tool bars and actions of every window refer
// to the icons by these numbers.
enum TCommandImage {
    ciRemoveFavor = 0,
    ciUp,
    ciDown,
    ciForward,
    ciRun,
    ciAddFavor,
    ciClose,
    ciBack,
    ciClearFavor,
    ciLoadFavor,
    ciPrint,
    ciShowFavor,
    ciPrintPreview,
    ciSaveFavor,
    ciShowAllTheory,
};

// The 15 command icons of the tool bars, 28 x 28, in three looks: normal, hot (pointer over)
// and disabled. Owned by the catalogue window and shared by every other window.
class TCommandImages final {
public:
    static constexpr int Count = 15;
    static constexpr int Size = 28;

    TCommandImages();

    // Normal, Active (hot) and Disabled pixmaps at 28 x 28; a null icon for an index out of range.
    QIcon Icon(int index) const;

    // One look of one icon; a null pixmap for an index out of range.
    QPixmap Normal(int index) const;
    QPixmap Hot(int index) const;
    QPixmap Disabled(int index) const;

    // The resource file the icon is drawn from (":/icons/....svg").
    static QString FileName(int index);

private:
    std::array<QPixmap, Count> m_normal;
    std::array<QPixmap, Count> m_hot;
    std::array<QPixmap, Count> m_disabled;
};
