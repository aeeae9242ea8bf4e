#pragma once

#include "markup/MarkupTypes.h"
#include "markuptree/MarkupTreeBase.h"
#include "markuptree/TreeContent.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QList>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QTreeWidget>
#include <functional>
#include <memory>

class QPainter;
class TImageList;
class TMarkupPictureCache;
class TXMLDocument;
class TMarkupTreeDelegate;
class TMarkupHintWindow;

// Look of the check and radio glyphs; stored as 0..6.
enum TControlStyle : int { csClassic, csFlat, csWinXP, csBevel, csBitmap, csGlyph, csTheme };

using TAnchorClick = std::function<void(QObject* Sender, QTreeWidgetItem* Node, const QString& Anchor)>;
using TCheckBoxClick = std::function<void(QObject* Sender, QTreeWidgetItem* Node, bool Check)>;
using TRadioClick = std::function<void(QObject* Sender, QTreeWidgetItem* Node)>;
// Raised before an item's caption is painted; clearing DefaultDraw leaves the row unpainted.
using TCustomDrawItem =
    std::function<void(QObject* Sender, QTreeWidgetItem* Node, bool Selected, bool& DefaultDraw)>;

// A tree whose captions are item markup, drawn through RenderMarkup. Qt keeps the items, the
// expand buttons and lines, the selection, scrolling and the keyboard; this class paints every
// caption itself, makes hit-testing and the horizontal extent follow the painted caption, and
// adds anchors, check and radio items, focus-dependent selection colours, a fixed row height and
// a hint for captions wider than the control.
//
// The caption of a node is its text in column 0. The item kind comes from the node's image
// index (SetImageIndex): 1/2 check off/on, 3/4 radio off/on, anything else a plain item.
class TMarkupTreeView : public TMarkupTreeBase {
    Q_OBJECT
public:
    explicit TMarkupTreeView(QWidget* parent = nullptr);
    ~TMarkupTreeView() override;

    // --- course tree documents ------------------------------------------------------------
    // Replaces the tree with the items of the tree document fileName, parsed through doc.
    // A parse failure throws TXmlError and leaves the old tree. An item whose id is missing or
    // not an integer throws TXmlConversionError there: the items before it (and its ancestors)
    // stay, the items after it are not loaded, and doc stays active.
    void LoadTreeFromXML(TXMLDocument& doc, const QString& fileName);
    // The same from doc already parsed (active): the file is not read again.
    void LoadTreeFromDocument(TXMLDocument& doc);
    // Releases every node's record and deletes all nodes.
    void ClearTree();
    // The record a node carries; nullptr for a node that has none.
    static TContent* NodeContent(const QTreeWidgetItem* node);
    // A new node owning content, with content->text as its caption.
    static QTreeWidgetItem* NewContentNode(std::unique_ptr<TContent> content);

    // Selected nodes in the order the user selected them.
    QList<QTreeWidgetItem*> SelectedNodes() const;

    // --- per node -------------------------------------------------------------------------
    static int ImageIndex(const QTreeWidgetItem* node);
    static void SetImageIndex(QTreeWidgetItem* node, int index);
    static int StateIndex(const QTreeWidgetItem* node); // -1: none
    static void SetStateIndex(QTreeWidgetItem* node, int index);

    // --- properties -------------------------------------------------------------------------
    TControlStyle ControlStyle() const { return m_controlStyle; }
    void SetControlStyle(TControlStyle style) { SetAndRepaint(m_controlStyle, style); }
    TColor ControlColor() const { return m_controlColor; }
    void SetControlColor(TColor color) { SetAndRepaint(m_controlColor, color); }
    const QPixmap& GlyphChecked() const { return m_glyphChecked; }
    void SetGlyphChecked(const QPixmap& glyph);
    const QPixmap& GlyphUnChecked() const { return m_glyphUnChecked; }
    void SetGlyphUnChecked(const QPixmap& glyph);
    bool MarkupHint() const { return m_markupHint; }
    void SetMarkupHint(bool on) { m_markupHint = on; }
    TColor SelectionNFColor() const { return m_selectionNFColor; }
    void SetSelectionNFColor(TColor color) { SetAndRepaint(m_selectionNFColor, color); }
    TColor SelectionNFFontColor() const { return m_selectionNFFontColor; }
    void SetSelectionNFFontColor(TColor color) { SetAndRepaint(m_selectionNFFontColor, color); }
    TColor HintColor() const { return m_hintColor; }
    void SetHintColor(TColor color) { m_hintColor = color; }
    QString Version() const { return QStringLiteral("1.1.2.0"); }

    // Hint shown for a node whose caption fits, and away from the nodes: the widget's tool tip.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    bool AutoExpand() const { return m_autoExpand; }
    void SetAutoExpand(bool on) { m_autoExpand = on; }
    bool ShowRoot() const { return rootIsDecorated(); }
    void SetShowRoot(bool on) { setRootIsDecorated(on); }
    const TImageList* StateImages() const { return m_stateImages; }
    void SetStateImages(const TImageList* images); // not owned

    // --- events -----------------------------------------------------------------------------
    // Handlers may change or reload the tree. OnAnchorExit gets a null Node when the pointer
    // left the anchor for a place with no node; its Anchor is empty when the pointer came to an
    // anchor from caption text without one.
    TAnchorClick OnAnchorClick;
    TAnchorClick OnAnchorEnter;
    TAnchorClick OnAnchorExit;
    TCheckBoxClick OnCheckBoxClick;
    TRadioClick OnRadioClick;
    TCustomDrawItem OnCustomDrawItem;

    // --- glyphs -----------------------------------------------------------------------------
    // A check or radio glyph in the current ControlStyle, with box's top-left corner as origin.
    void DrawCheck(QPainter& painter, QRect box, bool checked) const;
    void DrawRadio(QPainter& painter, QRect box, bool checked) const;

    // The anchor under point (viewport coordinates) in node's caption; empty when none.
    QString AnchorAt(QTreeWidgetItem* node, QPoint point) const;
    // The node whose row lies under point (viewport coordinates), nullptr when none.
    QTreeWidgetItem* NodeAt(QPoint point) const;
    // The hint window of too-wide captions; nullptr until the first such hint.
    TMarkupHintWindow* CaptionHint() const { return m_captionHint; }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void MarkupLookChanged() override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class TMarkupTreeDelegate;

    // The node whose row lies at height y, wherever the pointer is across the row.
    QTreeWidgetItem* RowAt(int y) const;
    // Left edge of node's caption in viewport coordinates: indentation and scrolling applied.
    int CaptionLeft(const QTreeWidgetItem* node) const;
    // The row of node from its caption's left edge to the viewport's right edge.
    QRect CaptionRow(const QTreeWidgetItem* node) const;
    // Width and height of a caption as the measuring pass lays it out in bounds.
    QSize MeasureCaption(const QString& caption, const QRect& bounds) const;
    // Width of the selection box: caption, glyph slot, state image and 4 pixels.
    int CaptionBoxWidth(const QTreeWidgetItem* node, int captionWidth) const;
    // The plain text an item is as wide as, for hit-testing and the horizontal extent.
    QString ItemText(const QTreeWidgetItem* node) const;
    // Whether ItemText reaches past the plain text.
    bool RoomPastText(const QTreeWidgetItem* node) const;
    // Width of ItemText in the tree's font.
    int ItemTextAdvance(const QTreeWidgetItem* node) const;
    // Width of the item's area from its caption's left edge: the item text (textAdvance wide)
    // and 4 pixels, and at least the selection box.
    int ItemWidth(const QTreeWidgetItem* node, int captionWidth, int textAdvance) const;
    void PaintCaption(QPainter& painter, const QTreeWidgetItem* node, QRect rc) const;
    bool StateImageValid(const QTreeWidgetItem* node) const;
    bool OnCaption(const QTreeWidgetItem* node, QPoint point) const;
    bool OnExpandButton(const QTreeWidgetItem* node, QPoint point) const;
    bool InGlyphSlot(const QTreeWidgetItem* node, QPoint point) const;
    void ToggleCheck(QTreeWidgetItem* node);
    void SwitchRadio(QTreeWidgetItem* node);
    void LeaveAnchor(QTreeWidgetItem* node);
    bool ShowNodeHint(QHelpEvent* event);
    void ShowCaptionHint(const QTreeWidgetItem* node);
    void HideCaptionHint();
    void CheckHint(QTreeWidgetItem* underPointer);
    void TrackSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void ApplyAutoExpand(QTreeWidgetItem* current, QTreeWidgetItem* previous);

    TMarkupTreeDelegate* m_delegate = nullptr;

    TControlStyle m_controlStyle = csClassic;
    TColor m_controlColor = clRed;
    QPixmap m_glyphChecked;
    QPixmap m_glyphUnChecked;
    const TImageList* m_stateImages = nullptr;
    bool m_markupHint = false;
    TColor m_selectionNFColor = clSilver;
    TColor m_selectionNFFontColor = clBlack;
    TColor m_hintColor = clNone;
    bool m_autoExpand = false;

    QPersistentModelIndex m_hintNode;              // node whose caption the current hint shows
    TMarkupHintWindow* m_captionHint = nullptr;    // made at the first caption hint
    QList<QPersistentModelIndex> m_selectionOrder; // selected nodes, oldest first
};
