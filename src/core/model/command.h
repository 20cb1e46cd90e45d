#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/model/action.h"
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

// A menu item, button, tool button or check box. What it runs is either its own handler or the
// action it presents, which other commands may present too. That runs through click() only
// while this command is enabled; a check box also runs it whenever its checked state changes,
// as the windowing toolkit of the original forms did.
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

    // Its own handler, in place of any action it presented.
    void setHandler(Handler handler);
    // Makes this command a presentation of `action`, in place of any handler of its own. The
    // action must outlive the command.
    void setAction(Action& action);
    Action* action() const { return m_action; }
    // Whether a click would find something to run.
    bool hasHandler() const;

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
    void detachAction();
    void run();

    CommandKind m_kind;
    std::string m_caption;
    std::string m_shortcut;
    std::string m_hint;
    bool m_checked = false;
    Handler m_handler;
    Action* m_action = nullptr;
    Command* m_menu = nullptr;
    std::vector<Command*> m_items;
};

}  // namespace orvessa::model
