#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TColumnCollection;

// One column of a markup tree list: its width, its header caption (markup) and the font of its
// cells. Changing any of them makes the collection report a change, which rebuilds the header.
class TColumnItem final {
public:
    int Width() const { return m_width; }
    void SetWidth(int width);
    const QString& Header() const { return m_header; }
    void SetHeader(const QString& header);
    const QFont& Font() const { return m_font; }
    void SetFont(const QFont& font);
    // Copies width, caption and font.
    void Assign(const TColumnItem& source);
    int Index() const;

private:
    friend class TColumnCollection;
    TColumnItem(TColumnCollection* owner, const QFont& font) : m_owner(owner), m_font(font) {}

    TColumnCollection* m_owner;
    int m_width = 50;
    QString m_header;
    QFont m_font;
};

// The columns of a markup tree list, left to right. The list owns it and hears of every change.
class TColumnCollection final {
public:
    // changed runs after every change; newFont gives the font a new column starts with.
    TColumnCollection(std::function<void()> changed, std::function<QFont()> newFont);
    TColumnCollection(const TColumnCollection&) = delete;
    TColumnCollection& operator=(const TColumnCollection&) = delete;
    ~TColumnCollection();

    int Count() const { return int(m_items.size()); }
    TColumnItem* Items(int index) const { return m_items.at(size_t(index)).get(); }
    TColumnItem* operator[](int index) const { return Items(index); }
    // A new column at the end, 50 pixels wide, without caption.
    TColumnItem* Add();
    // A new column with the given caption and width.
    TColumnItem* Add(const QString& header, int width);
    void Delete(int index);
    void Clear();
    // Several changes reported once, at the last EndUpdate.
    void BeginUpdate() { ++m_updating; }
    void EndUpdate();

    // The width the user gave a column by resizing its header section; stored without a change
    // report, as the header already shows it.
    void StoreWidth(int index, int width);

private:
    friend class TColumnItem;
    void Changed();

    std::vector<std::unique_ptr<TColumnItem>> m_items;
    std::function<void()> m_changed;
    std::function<QFont()> m_newFont;
    int m_updating = 0;
    bool m_pending = false;
};
