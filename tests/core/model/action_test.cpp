#include "core/model/action.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/model/command.h"

namespace orvessa::model {
namespace {

// One action with a menu item and a button: the handler is bound once, on the action, and each
// presentation keeps its own state.
TEST(Action, PresentationsShareOneHandlerEachRunningItOnlyWhileEnabled) {
    Action save{"save"};
    Command item{"saveItem", CommandKind::MenuItem, "存  盘(&R)"};
    Command button{"saveButton", CommandKind::Button, "保存(&R)"};
    item.setAction(save);
    button.setAction(save);
    EXPECT_TRUE(item.click());  // nothing bound yet: taken, nothing runs
    int first = 0;
    int second = 0;
    save.bind([&] { ++first; });
    EXPECT_TRUE(item.click());
    item.setEnabled(false);
    EXPECT_FALSE(item.click());
    EXPECT_TRUE(button.click());
    EXPECT_EQ(first, 2);
    // Bound again in its one place, every presentation runs the new handler.
    save.bind([&] { ++second; });
    button.click();
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(save.presentations(), (std::vector<Command*>{&item, &button}));
}

// A command runs its own handler or its action, never both; a check box runs its action on
// every change of its tick, and a click only while enabled, as with a handler of its own.
TEST(Action, OwnHandlerReplacesTheActionAndCheckBoxesKeepTheirRule) {
    Action save{"save"};
    Command item{"saveItem", CommandKind::MenuItem};
    item.setAction(save);
    int runs = 0;
    int own = 0;
    save.bind([&] { ++runs; });
    item.setHandler([&] { ++own; });
    item.click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(save.presentations().empty());
    item.setAction(save);
    item.setAction(save);
    item.click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(save.presentations(), (std::vector<Command*>{&item}));

    Action hideAtStart{"hideAtStart"};
    Command box{"hideAtStartBox", CommandKind::CheckBox};
    box.setAction(hideAtStart);
    std::vector<bool> seen;
    hideAtStart.bind([&] { seen.push_back(box.checked()); });
    EXPECT_TRUE(box.click());
    box.setChecked(true);  // no change, nothing runs
    box.setEnabled(false);
    EXPECT_FALSE(box.click());
    box.setChecked(false);  // set by the program, a disabled box still runs it
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace orvessa::model
