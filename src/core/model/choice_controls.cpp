#include "core/model/choice_controls.h"

namespace orvessa::model {

RadioGroup::RadioGroup(std::string name, std::string caption, std::vector<std::string> items)
    : Control(std::move(name)), m_caption(std::move(caption)) {
    for (auto& text : items) {
        m_items.push_back(Item{std::move(text)});
    }
}

void RadioGroup::setItemColors(int index, Color text, Color background) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        return;
    }
    Item& item = m_items[static_cast<std::size_t>(index)];
    if (item.textColor != text || item.background != background) {
        item.textColor = text;
        item.background = background;
        notify();
    }
}

void RadioGroup::setItemEnabled(int index, bool on) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        return;
    }
    Item& item = m_items[static_cast<std::size_t>(index)];
    if (item.enabled != on) {
        item.enabled = on;
        notify();
    }
}

void RadioGroup::setItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_items.size()) || index == m_itemIndex) {
        return;
    }
    m_itemIndex = index;
    notify();
    if (m_handler && index >= 0) {
        m_handler();
    }
}

void ListBox::setItems(std::vector<std::string> items) {
    m_items = std::move(items);
    m_itemIndex = -1;
    notify();
}

void ListBox::setItemIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_items.size()) || index == m_itemIndex) {
        return;
    }
    m_itemIndex = index;
    notify();
}

}  // namespace orvessa::model
