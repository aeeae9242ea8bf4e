#include "markuptree/TreeListColumns.h"

void TColumnItem::SetWidth(int width) {
    m_width = width;
    m_owner->Changed();
}

void TColumnItem::SetHeader(const QString& header) {
    m_header = header;
    m_owner->Changed();
}

void TColumnItem::SetFont(const QFont& font) {
    m_font = font;
    m_owner->Changed();
}

void TColumnItem::Assign(const TColumnItem& source) {
    m_width = source.m_width;
    m_header = source.m_header;
    m_font = source.m_font;
    m_owner->Changed();
}

int TColumnItem::Index() const {
    for (int i = 0; i < m_owner->Count(); ++i)
        if (m_owner->Items(i) == this)
            return i;
    return -1;
}

TColumnCollection::TColumnCollection(std::function<void()> changed, std::function<QFont()> newFont)
    : m_changed(std::move(changed)), m_newFont(std::move(newFont)) {
}

TColumnCollection::~TColumnCollection() = default;

TColumnItem* TColumnCollection::Add() {
    m_items.push_back(std::unique_ptr<TColumnItem>(new TColumnItem(this, m_newFont ? m_newFont() : QFont())));
    Changed();
    return m_items.back().get();
}

TColumnItem* TColumnCollection::Add(const QString& header, int width) {
    BeginUpdate();
    TColumnItem* column = Add();
    column->SetHeader(header);
    column->SetWidth(width);
    EndUpdate();
    return column;
}

void TColumnCollection::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    Changed();
}

void TColumnCollection::Clear() {
    m_items.clear();
    Changed();
}

void TColumnCollection::EndUpdate() {
    if (m_updating > 0 && --m_updating == 0 && m_pending)
        Changed();
}

void TColumnCollection::StoreWidth(int index, int width) {
    if (index >= 0 && index < Count())
        m_items.at(size_t(index))->m_width = width;
}

void TColumnCollection::Changed() {
    if (m_updating > 0) {
        m_pending = true;
        return;
    }
    m_pending = false;
    if (m_changed)
        m_changed();
}
