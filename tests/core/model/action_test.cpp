#include "core/model/action.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/command.h"

namespace orvessa::model {
namespace {

// An action with a menu item and a button presenting it, counting its runs.
struct Presented {
    Action action{"save"};
    Command item{"saveItem", CommandKind::MenuItem, "存  盘(&R)"};
    Command button{"saveButton", CommandKind::Button, "保存(&R)"};
    int runs = 0;
    Presented() {
        item.setAction(action);
        button.setAction(action);
        action.bind([this] { ++runs; });
    }
};

TEST(Action, APresentationRunsItsActionOnlyWhileEnabled) {
    Presented p;
    EXPECT_TRUE(p.item.click());
    EXPECT_EQ(p.runs, 1);

    p.item.setEnabled(false);
    EXPECT_FALSE(p.item.click());
    EXPECT_EQ(p.runs, 1);
    // The other presentation keeps its own state and still runs the action.
    EXPECT_TRUE(p.button.enabled());
    EXPECT_TRUE(p.button.click());
    EXPECT_EQ(p.runs, 2);

    // Hidden is not disabled: a click still runs, as before.
    p.button.setVisible(false);
    EXPECT_TRUE(p.button.click());
    EXPECT_EQ(p.runs, 3);

    // Running the action itself does not ask any presentation.
    p.button.setEnabled(false);
    EXPECT_TRUE(p.action.run());
    EXPECT_EQ(p.runs, 4);
}

TEST(Action, PresentationsShareOneHandlerAndKeepTheirOwnLooks) {
    Presented p;
    Command tray{"saveTrayItem", CommandKind::MenuItem, "存盘"};
    tray.setAction(p.action);
    EXPECT_EQ(p.action.presentations(), (std::vector<Command*>{&p.item, &p.button, &tray}));
    for (Command* c : p.action.presentations()) {
        EXPECT_EQ(c->action(), &p.action);
        EXPECT_TRUE(c->hasHandler());
        c->click();
    }
    EXPECT_EQ(p.runs, 3);
    EXPECT_EQ(p.item.caption(), "存  盘(&R)");
    EXPECT_EQ(p.button.caption(), "保存(&R)");
    EXPECT_EQ(p.item.kind(), CommandKind::MenuItem);
    EXPECT_EQ(p.button.kind(), CommandKind::Button);
}

TEST(Action, BindingInOnePlaceChangesWhatEveryPresentationRuns) {
    Action action{"play"};
    Command tool{"playTool", CommandKind::ToolButton};
    Command item{"playItem", CommandKind::MenuItem};
    tool.setAction(action);
    item.setAction(action);
    // Nothing bound yet: a click is taken, nothing runs, and the commands say so.
    EXPECT_FALSE(action.bound());
    EXPECT_FALSE(tool.hasHandler());
    EXPECT_FALSE(action.run());
    EXPECT_TRUE(tool.click());

    std::vector<std::string> ran;
    action.bind([&] { ran.push_back("first"); });
    EXPECT_TRUE(tool.hasHandler() && item.hasHandler());
    tool.click();
    action.bind([&] { ran.push_back("second"); });
    tool.click();
    item.click();
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "second"}));
}

TEST(Action, ACommandRunsEitherItsOwnHandlerOrItsAction) {
    Presented p;
    int own = 0;
    // Its own handler takes the item out of the action.
    p.item.setHandler([&] { ++own; });
    EXPECT_EQ(p.item.action(), nullptr);
    EXPECT_EQ(p.action.presentations(), (std::vector<Command*>{&p.button}));
    p.item.click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(p.runs, 0);

    // Attached again, the item drops its own handler; attaching twice lists it once.
    p.item.setAction(p.action);
    p.item.setAction(p.action);
    EXPECT_EQ(p.action.presentations(), (std::vector<Command*>{&p.button, &p.item}));
    p.item.click();
    EXPECT_EQ(own, 1);
    EXPECT_EQ(p.runs, 1);

    // Moved to another action, it runs that one only.
    Action other{"saveAs"};
    int others = 0;
    other.bind([&] { ++others; });
    p.item.setAction(other);
    p.item.click();
    EXPECT_EQ(others, 1);
    EXPECT_EQ(p.runs, 1);
    EXPECT_EQ(p.action.presentations(), (std::vector<Command*>{&p.button}));
}

TEST(Action, ACheckBoxRunsItsActionOnEveryChangeOfItsTickAndClicksOnlyWhileEnabled) {
    Action action{"hideAtStart"};
    Command box{"hideAtStartBox", CommandKind::CheckBox};
    box.setAction(action);
    std::vector<bool> seen;
    action.bind([&] { seen.push_back(box.checked()); });

    EXPECT_TRUE(box.click());
    box.setChecked(true);  // no change, nothing runs
    box.setEnabled(false);
    EXPECT_FALSE(box.click());
    EXPECT_TRUE(box.checked());
    // Set by the program, a disabled box still runs it.
    box.setChecked(false);
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace orvessa::model
