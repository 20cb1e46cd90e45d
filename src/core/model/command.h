#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/control.h"

namespace orvessa::model {

enum class CommandKind {
    Menu,  // a menu of the menu bar or a submenu: holds items
    MenuItem,
    RadioItem,  // a menu item of a group of which exactly one is ticked
    Separator,
    Button,
    ToolButton,
    CheckBox,
};

// A menu item, button, tool button or check box. The handler runs through click() only while
// the command is enabled; a check box also runs it whenever its checked state changes, as the
// windowing toolkit of the original forms did.
class Command : public Control {
public:
    using Handler = std::function<void()>;

    Command(std::string name, CommandKind kind, std::string caption = {}, std::string shortcut = {},
            std::string hint = {});

    CommandKind kind() const { return m_kind; }
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption);
    const std::string& shortcut() const { return m_shortcut; }
    const std::string& hint() const { return m_hint; }
    void setHint(std::string hint);

    bool checked() const { return m_checked; }
    // For a check box, a change runs the handler.
    void setChecked(bool on);

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    bool hasHandler() const { return static_cast<bool>(m_handler); }

    // The operator's click: runs the handler (a check box toggles first) while enabled.
    // Returns whether anything ran.
    bool click();

    // Menu structure: the menu this item belongs to, and a menu's items in order.
    Command* menu() const { return m_menu; }
    const std::vector<Command*>& items() const { return m_items; }
    void addItem(Command& item);

    // Whether the shortcut reaches this item: the item and every menu above it are enabled,
    // and the item is visible.
    bool reachableByShortcut() const;

private:
    CommandKind m_kind;
    std::string m_caption;
    std::string m_shortcut;
    std::string m_hint;
    bool m_checked = false;
    Handler m_handler;
    Command* m_menu = nullptr;
    std::vector<Command*> m_items;
};

}  // namespace orvessa::model
