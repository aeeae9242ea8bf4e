#include "markuptree/MarkupTreeBase.h"

#include "markup/ImageList.h"
#include "markup/MarkupPicture.h"

TMarkupTreeBase::TMarkupTreeBase(QWidget* parent)
    : QTreeWidget(parent), m_anchors(viewport()), m_pictureCache(std::make_unique<TMarkupPictureCache>()) {
    setColumnCount(1);
    setHeaderHidden(true);
    // Every row is ItemHeight high, whatever the font or style; also keeps long lists fast.
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setMouseTracking(true);
}

TMarkupTreeBase::~TMarkupTreeBase() = default;

int TMarkupTreeBase::Level(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent())
        ++level;
    return level;
}

const TImageList* TMarkupTreeBase::MarkupImages() const {
    return m_markupImagesAlive.expired() ? nullptr : m_markupImages;
}

void TMarkupTreeBase::SetMarkupImages(const TImageList* images) {
    m_markupImages = images;
    m_markupImagesAlive = images ? images->Lifetime() : std::weak_ptr<const void>();
    MarkupLookChanged();
    viewport()->update();
}

TMarkupArgs TMarkupTreeBase::BaseArgs() const {
    TMarkupArgs args;
    args.Images = MarkupImages();
    args.PictureCache = m_pictureCache.get();
    return args;
}

int TMarkupTreeBase::ItemHeight() const {
    if (topLevelItemCount() > 0) {
        const int h = rowHeight(indexFromItem(topLevelItem(0)));
        if (h > 0)
            return h;
    }
    return m_itemHeight;
}

void TMarkupTreeBase::SetItemHeight(int height) {
    if (height == m_itemHeight || height <= 0)
        return;
    m_itemHeight = height;
    doItemsLayout();
}

void TMarkupTreeBase::SetURLColor(TColor color) {
    m_urlColor = color;
    MarkupLookChanged();
    viewport()->update();
}

TColor TMarkupTreeBase::Color() const {
    return FromQColor(palette().color(QPalette::Base));
}

void TMarkupTreeBase::SetColor(TColor color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, ToQColor(color));
    setPalette(p);
    viewport()->update();
}

TColor TMarkupTreeBase::FontColor() const {
    return FromQColor(palette().color(QPalette::Text));
}

QCursor TMarkupTreeBase::Cursor() const {
    return viewport()->cursor();
}

void TMarkupTreeBase::keyboardSearch(const QString& search) {
    m_typeAhead.Search(*this, search);
}

void TMarkupTreeBase::scrollContentsBy(int dx, int dy) {
    QTreeWidget::scrollContentsBy(dx, dy);
    const int x = horizontalOffset();
    if (x != m_lastHorzScroll) {
        m_lastHorzScroll = x;
        HorizontalScrolled(x);
        viewport()->update();
    }
}
