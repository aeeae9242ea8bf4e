#pragma once

#include "markup/Markup.h"
#include "markup/MarkupCanvas.h"

#include <QPixmap>
#include <QString>
#include <QStringView>

class TMarkupPicture;

// One RenderMarkup call: the text is laid out line by line, each line measured and then
// placed (drawn or hit-tested). Nothing outlives the call but the pictures of the cache.
class TMarkupRenderer final {
public:
    TMarkupRenderer(TMarkupCanvas& canvas, const TMarkupArgs& args, TMarkupOutput& out);
    bool Run(const QString& text);

private:
    enum class TPass { Measure, Place };
    enum TAlign { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

    // A resolved picture source of IMG and BODY.
    struct TPictureSource {
        enum class TKind { None, ImageList, Icon, Picture } Kind = TKind::None;
        int Index = -1;                    // image list
        QPixmap Icon;                      // shell icon
        TMarkupPicture* Picture = nullptr; // cache picture, not empty
        int Width = 0;                     // pixels on this canvas
        int Height = 0;
    };

    // A caption of plain words on one line (or not wrapped): the sizes the word-by-word layout
    // gives, from one measuring call, and the words drawn in one piece, as the canvas joins
    // them anyway. False, with nothing done, when the words would wrap.
    bool PlainLine(const TRect& rect);
    qsizetype RunPass(qsizetype pos, qsizetype end, TPass pass, const TRect& rect);
    void HandleRun(qsizetype& pos, qsizetype runEnd);
    void DrawRun(const QString& text);
    void HandleTag(QStringView tag, bool closing, QChar letter, bool hasClose);
    void OpeningTag(QStringView tag, QChar letter, QChar next, bool hasClose);
    void ClosingTag(QStringView tag, QChar letter, QChar next);
    void FontTag(QStringView tag);
    void ParagraphTag(QStringView tag);
    void ListItem();
    void Rule();

    // Pictures and backgrounds.
    void ImageTag(QStringView tag);
    TPictureSource ResolvePicture(const QString& source, bool useCache);
    void DrawPictureAt(const TPictureSource& picture, int x, int y);
    void BodyTag(QStringView tag);
    void ParagraphBackground(QStringView upperTag);
    void ParagraphBandAtLineStart();
    void GradientFill(const TRect& rect, TColor from, TColor to, bool horizontal);

    // Font helpers on the canvas.
    void SetStyle(unsigned style, bool on);
    void SetFontColor(TColor color);
    int TextWidth(const QString& text);

    qsizetype NextIndex(QChar c, qsizetype pos, qsizetype& cacheFrom, qsizetype& cacheAt) const;

    TMarkupCanvas& m_canvas;
    const TMarkupArgs& m_args;
    TMarkupOutput& m_out;

    QString m_text;
    qsizetype m_end = 0; // end of the markup the current pass works on
    unsigned m_measureFormat = 0;
    unsigned m_drawFormat = 0;
    TMarkupFont m_baseFont;
    TColor m_entryBrush = clNone;

    // Carried from line to line.
    bool m_inAnchor = false;
    QString m_href;
    int m_pictureCount = 0;
    int m_hitPicture = -1;
    bool m_hidden = false;
    bool m_shadow = false;
    bool m_errorUnderline = false;
    bool m_paraBand = false;
    int m_listLevel = 0;
    int m_align = AlignLeft;
    int m_indent = 0;
    int m_carriedOffset = 0;
    TColor m_savedFontBrush = clNone;
    TColor m_savedParaBrush = clNone;
    TColor m_hiFontColor = clBlack;
    TColor m_hiBrush = clNone;

    // Of the current line (both passes).
    bool m_sub = false;
    bool m_sup = false;
    bool m_listItemStarted = false;
    int m_lineHeight = 0;
    int m_extraAbove = 0;
    int m_extraBelow = 0;
    int m_textLift = 0;

    // Of the current pass.
    TPass m_pass = TPass::Measure;
    bool m_drawing = false;       // placing pass that draws
    bool m_measuringRuns = false; // runs are measured (measuring pass, hit-test placing)
    TRect m_rect;                 // the rectangle the pass works in
    int m_lineWidth = 0;
    int m_trailingSpace = 0;
    bool m_plainEmpty = true;
    QChar m_plainLast;
    int m_curX = 0;
    int m_offset = 0;
    bool m_textHit = false;
    bool m_pictureHit = false;
    bool m_lineEnded = false;
    bool m_lineFull = false;

    // Next "<" and " " at or after a position, remembered so that long texts stay linear.
    mutable qsizetype m_ltFrom = -1, m_ltAt = -1, m_spFrom = -1, m_spAt = -1;
};
