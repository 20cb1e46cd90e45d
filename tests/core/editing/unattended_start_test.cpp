#include "core/editing/unattended_start_line.h"
#include "editing_scenario.h"
#include "fakes/fake_day_checker.h"
#include "fakes/fake_unattended_start.h"

namespace orvessa::editing {
namespace {

// The system started in manual operation, its desktop's autostart and login manager faked.
class UnattendedStart : public EditingScenario {
protected:
    void startWith(platform::UnattendedStart* start) {
        std::string config;
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        writeBytes(m_dir / "orvessa.sys", config);
        writeTable(3, kThreeRows);
        setTime("08:00:00");
        system::PlatformServices services = m_platform.services(m_dir.path());
        services.dayChecker = &checker;
        services.unattendedStart = start;
        m_system = system::OrvessaSystem::start(services);
        form().setVisible(true);
        form().activate();
        form().manualOperation.click();
    }

    OptionsDialog& options() { return m_system->optionsDialog(); }
    const model::TextControl& startLine() { return m_system->preflightCheck()->startLine; }

    fakes::FakeDayChecker checker;
    fakes::FakeUnattendedStart desktop;
};

TEST_F(UnattendedStart, TheBoxWritesTheEntryAndShowsWhatIsOnTheDisk) {
    startWith(&desktop);
    OptionsDialog& o = options();
    EXPECT_TRUE(o.autostart.visible());
    EXPECT_FALSE(o.autostart.checked());

    o.autostart.click();
    EXPECT_EQ(desktop.writes, std::vector<bool>{true});
    EXPECT_TRUE(o.autostart.checked());

    // Removed meanwhile by the desktop's own settings: the next opening shows it, writing
    // nothing.
    desktop.entry = false;
    EXPECT_TRUE(form().triggerShortcut("F8"));
    EXPECT_FALSE(o.autostart.checked());
    EXPECT_EQ(desktop.writes.size(), 1u);

    // A write that fails is told, and the box keeps showing the entry as it is.
    desktop.problem = "Permission denied";
    o.autostart.click();
    EXPECT_EQ(lastMessage().text, "开机自动启动未能设置：\r\rPermission denied");
    EXPECT_FALSE(o.autostart.checked());
}

TEST_F(UnattendedStart, WithoutTheDesktopsAutostartTheBoxIsNotOffered) {
    startWith(nullptr);
    EXPECT_FALSE(options().autostart.visible());
    form().preflightItem.click();
    EXPECT_FALSE(startLine().visible());
}

TEST_F(UnattendedStart, ThePreflightCheckSaysWhatKeepsThePcFromComingBackByItself) {
    startWith(&desktop);
    form().preflightItem.click();
    EXPECT_TRUE(startLine().visible());
    EXPECT_EQ(startLine().text(), unattendedStartWarning(false, false));
    EXPECT_NE(startLine().text().find("开机自动启动"), std::string::npos);
    EXPECT_NE(startLine().text().find("自动登录"), std::string::npos);

    // Either alone brings nothing back: each missing one is said.
    desktop.login = true;
    form().preflightItem.click();
    EXPECT_EQ(startLine().text(), unattendedStartWarning(false, true));
    EXPECT_EQ(startLine().text().find("自动登录"), std::string::npos);
    desktop.login = false;
    desktop.entry = true;
    form().preflightItem.click();
    EXPECT_EQ(startLine().text(), unattendedStartWarning(true, false));
    EXPECT_NE(startLine().text().find("自动登录"), std::string::npos);

    desktop.login = true;
    form().preflightItem.click();
    EXPECT_FALSE(startLine().visible());
    EXPECT_TRUE(unattendedStartWarning(true, true).empty());
}

}  // namespace
}  // namespace orvessa::editing
