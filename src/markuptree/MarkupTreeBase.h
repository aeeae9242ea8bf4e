#pragma once

#include "markup/MarkupTypes.h"
#include "markuptree/MarkupTreeShared.h"

#include <QTreeWidget>
#include <memory>

class TImageList;
class TMarkupPictureCache;

// What the two markup tree controls have in common: a QTreeWidget whose items' text is markup
// drawn by the controls themselves, with a fixed row height, selection and anchor colours, a
// picture cache for the engine, the hand cursor over anchors, type-ahead on the plain text and
// a full repaint when the view scrolls sideways.
class TMarkupTreeBase : public QTreeWidget {
    Q_OBJECT
public:
    explicit TMarkupTreeBase(QWidget* parent = nullptr);
    ~TMarkupTreeBase() override;

    // Pictures for IDX:n sources; not owned, and forgotten when the image list goes.
    const TImageList* MarkupImages() const;
    void SetMarkupImages(const TImageList* images);
    // The row height the rows really have, once there is a row to ask.
    int ItemHeight() const;
    void SetItemHeight(int height);
    TColor SelectionColor() const { return m_selectionColor; }
    void SetSelectionColor(TColor color) { SetAndRepaint(m_selectionColor, color); }
    TColor SelectionFontColor() const { return m_selectionFontColor; }
    void SetSelectionFontColor(TColor color) { SetAndRepaint(m_selectionFontColor, color); }
    TColor URLColor() const { return m_urlColor; }
    void SetURLColor(TColor color);
    // Background of the rows (the base colour of the palette).
    TColor Color() const;
    void SetColor(TColor color);
    bool HotTrack() const { return m_hotTrack; }
    void SetHotTrack(bool on) { m_hotTrack = on; }
    bool RightClickSelect() const { return m_rightClickSelect; }
    void SetRightClickSelect(bool on) { m_rightClickSelect = on; }
    // The pointer's shape away from anchors.
    QCursor Cursor() const;
    void SetCursor(const QCursor& cursor) { m_anchors.SetSaved(cursor); }
    // The anchor under the pointer as last seen by a pointer move.
    QString CurrentAnchor() const { return m_anchors.Current(); }
    // The picture cache handed to every RenderMarkup call.
    TMarkupPictureCache& PictureCache() const { return *m_pictureCache; }

    // Typing finds the next visible item whose text, as plain text, starts with what was typed.
    void keyboardSearch(const QString& search) override;

protected:
    // Stores a value the painting reads and repaints the rows.
    template <class T> void SetAndRepaint(T& field, const T& value) {
        field = value;
        viewport()->update();
    }
    static int Level(const QTreeWidgetItem* node);
    // Colour of item text that is not selected.
    TColor FontColor() const;
    // Arguments every RenderMarkup call of the control starts from: images, picture cache.
    TMarkupArgs BaseArgs() const;
    void scrollContentsBy(int dx, int dy) override;
    // The view scrolled sideways to x; the whole view is repainted after this.
    virtual void HorizontalScrolled(int x) { Q_UNUSED(x); }
    // The images or the anchor colour changed: what is drawn with them needs a new look.
    virtual void MarkupLookChanged() {}

    int m_itemHeight = 16;
    TColor m_selectionColor = clHighlight;
    TColor m_selectionFontColor = clHighlightText;
    TColor m_urlColor = clBlue;
    bool m_hotTrack = false;
    bool m_rightClickSelect = false;
    TAnchorCursor m_anchors;

private:
    std::unique_ptr<TMarkupPictureCache> m_pictureCache;
    const TImageList* m_markupImages = nullptr;
    std::weak_ptr<const void> m_markupImagesAlive;
    int m_lastHorzScroll = -1;
    TPlainTypeAhead m_typeAhead;
};
