#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/control.h"

namespace orvessa::model {

// A group of radio buttons. Selecting another index, by the operator or by code, runs the
// handler, as the original forms' radio groups did.
class RadioGroup : public Control {
public:
    struct Item {
        std::string caption;
        Color textColor = kBlack;
        Color background = kNoBackground;
        bool enabled = true;
    };
    static constexpr Color kNoBackground = 0xFFFFFFFF;  // the group's own background

    RadioGroup(std::string name, std::string caption, std::vector<std::string> items);

    const std::string& caption() const { return m_caption; }
    const std::vector<Item>& items() const { return m_items; }
    void setItemColors(int index, Color text, Color background);
    void setItemEnabled(int index, bool on);
    // How many columns the view lays the items out in.
    int columns() const { return m_columns; }
    void setColumns(int columns) { m_columns = columns; }

    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);

    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

private:
    std::string m_caption;
    std::vector<Item> m_items;
    int m_itemIndex = -1;
    int m_columns = 1;
    std::function<void()> m_handler;
};

// A list of texts with one selected line (-1 for none).
class ListBox : public Control {
public:
    explicit ListBox(std::string name) : Control(std::move(name)) {}

    const std::vector<std::string>& items() const { return m_items; }
    void setItems(std::vector<std::string> items);
    void clear() { setItems({}); }
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);

    // A double click on a line, reported by the view.
    Signal<> doubleClicked;

private:
    std::vector<std::string> m_items;
    int m_itemIndex = -1;
};

}  // namespace orvessa::model
