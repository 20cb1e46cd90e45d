#include "core/model/command.h"

namespace orvessa::model {

Command::Command(std::string name, CommandKind kind, std::string caption, std::string shortcut,
                 std::string hint)
    : Control(std::move(name)),
      m_kind(kind),
      m_caption(std::move(caption)),
      m_shortcut(std::move(shortcut)),
      m_hint(std::move(hint)) {}

void Command::setCaption(std::string caption) {
    if (m_caption != caption) {
        m_caption = std::move(caption);
        notify();
    }
}

void Command::setHint(std::string hint) {
    if (m_hint != hint) {
        m_hint = std::move(hint);
        notify();
    }
}

void Command::setChecked(bool on) {
    if (m_checked == on) {
        return;
    }
    m_checked = on;
    notify();
    if (m_kind == CommandKind::CheckBox) {
        run();
    }
}

void Command::setHandler(Handler handler) {
    detachAction();
    m_handler = std::move(handler);
}

void Command::setAction(Action& action) {
    detachAction();
    m_handler = nullptr;
    m_action = &action;
    action.m_presentations.push_back(this);
}

void Command::detachAction() {
    if (m_action != nullptr) {
        std::erase(m_action->m_presentations, this);
        m_action = nullptr;
    }
}

bool Command::hasHandler() const {
    return m_action != nullptr ? m_action->bound() : static_cast<bool>(m_handler);
}

void Command::run() {
    if (m_action != nullptr) {
        m_action->run();
    } else if (m_handler) {
        m_handler();
    }
}

bool Command::click() {
    if (!enabled() || m_kind == CommandKind::Separator) {
        return false;
    }
    if (m_kind == CommandKind::CheckBox) {
        setChecked(!m_checked);
        return true;
    }
    run();
    return true;
}

void Command::addItem(Command& item) {
    item.m_menu = this;
    m_items.push_back(&item);
}

bool Command::reachableByShortcut() const {
    if (!enabled() || !visible()) {
        return false;
    }
    for (const Command* m = m_menu; m != nullptr; m = m->m_menu) {
        if (!m->enabled()) {
            return false;
        }
    }
    return true;
}

}  // namespace orvessa::model
