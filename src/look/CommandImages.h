#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <array>
#include <bitset>

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
// and disabled. Owned by the catalogue window and shared by every other window. Each look is
// drawn for ordinary screens and again at twice the pixels for screens at 200 %, so a tool bar
// there stays sharp instead of showing the small drawing scaled up. Each icon is drawn when it is
// first asked for: the catalogue, which owns them, shows none, and its start need not wait.
class TCommandImages final {
public:
    static constexpr int Count = 15;
    static constexpr int Size = 28;
    // The pixel densities the looks are drawn at.
    static constexpr std::array<int, 2> Scales = {1, 2};

    TCommandImages();

    // Normal, Active (hot) and Disabled looks at 28 x 28, each at every scale; a null icon for
    // an index out of range.
    QIcon Icon(int index) const;

    // One look of one icon, Size * scale device pixels at that device pixel ratio; a null
    // pixmap for an index or a scale out of range.
    QPixmap Normal(int index, int scale = 1) const;
    QPixmap Hot(int index, int scale = 1) const;
    QPixmap Disabled(int index, int scale = 1) const;

    // The resource file the icon is drawn from (":/icons/....svg").
    static QString FileName(int index);

    // The icon of a command outside the fixed set above (":/icons/....svg"), in the same three
    // looks at every scale.
    static QIcon ExtraIcon(const QString& file);

    // The program's own icon, an open book with a play mark, for every window and the task
    // bar; drawn at the usual icon sizes from ":/icons/courseplayer.svg".
    static QIcon ApplicationIcon();
    static QString ApplicationIconFile();

private:
    struct TLooks {
        std::array<QPixmap, Count> Normal;
        std::array<QPixmap, Count> Hot;
        std::array<QPixmap, Count> Disabled;
    };
    // The looks at Scales[s], with those of index drawn.
    const TLooks& Drawn(std::size_t s, int index) const;
    QPixmap Pick(std::array<QPixmap, Count> TLooks::*look, int index, int scale) const;

    mutable std::array<TLooks, Scales.size()> m_looks; // one set per entry of Scales
    mutable std::array<std::bitset<Count>, Scales.size()> m_drawn;
};
