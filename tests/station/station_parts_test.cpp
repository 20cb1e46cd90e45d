// The service's own parts: the host that answers for nobody, the shell without a display, the
// timers on GLib's loop, the queue to the loop's thread, and the watchdog fed by the clock.

#include <glib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fakes/recording_failure_record.h"
#include "station/glib_timers.h"
#include "station/glib_ui_queue.h"
#include "station/headless_host.h"
#include "station/headless_shell.h"
#include "station/systemd_notifier.h"

namespace orvessa::station {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;
using namespace std::chrono_literals;

// Runs `context` until `done` or `limit`, whichever comes first.
template <class Done>
void iterateUntil(GMainContext* context, Done done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end) {
        g_main_context_iteration(context, FALSE);
        std::this_thread::sleep_for(1ms);
    }
}

// A context of the test's own, made the thread's default while it lives.
class OwnContext {
public:
    OwnContext() : m_context(g_main_context_new()) {
        g_main_context_push_thread_default(m_context);
    }
    ~OwnContext() {
        g_main_context_pop_thread_default(m_context);
        g_main_context_unref(m_context);
    }
    GMainContext* get() const { return m_context; }

private:
    GMainContext* m_context;
};

TEST(HeadlessHost, AnswersEachQuestionWithItsDefaultAndRecordsIt) {
    fakes::RecordingFailureRecord record;
    HeadlessHost host(&record);

    EXPECT_EQ(host.messageBox("保存吗？", "系统信息", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(host.messageBox("删除吗？", "系统信息", MessageIcon::Warning,
                              MessageButtons::YesNoDefaultNo),
              MessageAnswer::No);
    EXPECT_EQ(host.messageBox("文件不存在", "错误", MessageIcon::Error, MessageButtons::Ok),
              MessageAnswer::Ok);
    model::Window dialog("OptionsDialog", "选项");
    EXPECT_EQ(host.showModal(dialog), model::ModalResult::Closed);
    EXPECT_FALSE(host.openFileDialog("*.log", "/tmp"));
    EXPECT_FALSE(host.saveFileDialog("a.log", "/tmp"));
    EXPECT_FALSE(host.openFolderDialog("/tmp"));
    EXPECT_FALSE(host.colorDialog(0));

    ASSERT_EQ(record.failures.size(), 4u);
    EXPECT_EQ(record.failures[0].detail, "系统信息: 保存吗？ -> 是");
    EXPECT_EQ(record.failures[1].detail, "系统信息: 删除吗？ -> 否");
    EXPECT_EQ(record.failures[2].detail, "错误: 文件不存在 -> 确定");
    EXPECT_EQ(record.failures[3].detail, "选项");
}

TEST(HeadlessHost, QuitBeforeTheLoopIsRememberedAndLaterEndsIt) {
    HeadlessHost host(nullptr);
    host.quitApplication();
    EXPECT_TRUE(host.quitRequested());
    int ended = 0;
    host.setQuitHandler([&ended] { ++ended; });
    host.quitApplication();
    EXPECT_EQ(ended, 1);
}

TEST(HeadlessShell, RefusesWithoutADisplayAndOpensWithOne) {
    std::vector<std::string> launched;
    const auto launcher = [&launched](const std::string& target, const std::string&) {
        launched.push_back(target);
        return true;
    };
    HeadlessShell none(false, launcher);
    EXPECT_FALSE(none.open("/srv/orvessa/通知.doc", ""));
    EXPECT_TRUE(launched.empty());

    HeadlessShell desktop(true, launcher);
    EXPECT_TRUE(desktop.open("http://127.0.0.1/", ""));
    EXPECT_EQ(launched, std::vector<std::string>{"http://127.0.0.1/"});
    HeadlessShell broken(true, [](const std::string&, const std::string&) { return false; });
    EXPECT_FALSE(broken.open("/srv/a.exe", ""));
}

TEST(GlibTimers, OnTheSecondTimersFireTogetherJustPastEachSecond) {
    OwnContext context;
    GlibTimers timers(context.get());
    model::Timer clock("broadcastTimer", 1000);
    model::Timer display("nowPlayingTimer", 1000);
    std::vector<std::chrono::system_clock::time_point> ticks;
    int displayTicks = 0;
    int after = 0;
    clock.setHandler([&ticks] { ticks.push_back(std::chrono::system_clock::now()); });
    display.setHandler([&displayTicks] { ++displayTicks; });
    timers.drive(clock, GlibTimers::Ticks::OnTheSecond, [&after] { ++after; });
    timers.drive(display, GlibTimers::Ticks::OnTheSecond);

    iterateUntil(
        context.get(), [&ticks] { return ticks.size() >= 3; }, 4s);

    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_EQ(after, 3);
    EXPECT_GE(displayTicks, 2);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const auto sub = ticks[i].time_since_epoch() % 1s;
        // Past the boundary, never before it, and well inside the second.
        EXPECT_GE(sub, 1ms) << "tick " << i;
        EXPECT_LT(sub, 100ms) << "tick " << i;
        if (i > 0) {
            const auto seconds = std::chrono::floor<std::chrono::seconds>(ticks[i]) -
                                 std::chrono::floor<std::chrono::seconds>(ticks[i - 1]);
            EXPECT_EQ(seconds, 1s) << "a second skipped or repeated at tick " << i;
        }
    }
}

TEST(GlibTimers, FollowsStartsStopsAndIntervalsTheTimerIsGiven) {
    OwnContext context;
    GlibTimers timers(context.get());
    model::Timer key("keyTimer", 50, false);
    int fired = 0;
    // Stops itself on its third tick, as the key timer does.
    key.setHandler([&] {
        if (++fired == 3) {
            key.setEnabled(false);
        }
    });
    timers.drive(key, GlibTimers::Ticks::FromStart);
    iterateUntil(
        context.get(), [] { return false; }, 120ms);
    EXPECT_EQ(fired, 0) << "a disabled timer fired";

    key.setEnabled(true);
    iterateUntil(
        context.get(), [] { return false; }, 400ms);
    EXPECT_EQ(fired, 3) << "the handler's own stop was not kept";

    // An aligned timer given another interval counts from its start instead.
    model::Timer other("stopDayTimer", 1000);
    int otherFired = 0;
    other.setHandler([&otherFired] { ++otherFired; });
    timers.drive(other, GlibTimers::Ticks::OnTheSecond);
    other.setInterval(30);
    iterateUntil(
        context.get(), [&otherFired] { return otherFired >= 3; }, 300ms);
    EXPECT_GE(otherFired, 3);
}

TEST(GlibUiQueue, RunsPostedWorkOnTheLoopThreadAndDropsItOnceGone) {
    OwnContext context;
    std::thread::id ranOn;
    bool ran = false;
    {
        GlibUiQueue queue(context.get());
        std::thread poster([&] {
            queue.post([&] {
                ranOn = std::this_thread::get_id();
                ran = true;
            });
        });
        poster.join();
        iterateUntil(
            context.get(), [&ran] { return ran; }, 2s);
        EXPECT_TRUE(ran);
        EXPECT_EQ(ranOn, std::this_thread::get_id());

        ran = false;
        queue.post([&ran] { ran = true; });
    }
    iterateUntil(
        context.get(), [] { return false; }, 50ms);
    EXPECT_FALSE(ran) << "work of a queue that is gone ran";
}

// The watchdog follows the clock's tick, and the loop's heartbeat only while the clock is
// stopped on purpose: a holiday or manual operation must not have the service killed.
TEST(ClockWatchdog, PingsFromTheClockAndFromTheLoopOnlyWhileTheClockIsStopped) {
    std::vector<std::string> sent;
    SystemdNotifier notifier(true, [&sent](const std::string& m) { sent.push_back(m); });
    model::Timer clock("broadcastTimer", 1000);
    ClockWatchdog watchdog(clock, notifier);

    watchdog.heartbeat();
    EXPECT_TRUE(sent.empty()) << "a running clock that does not tick must starve the watchdog";
    watchdog.clockTicked();
    EXPECT_EQ(sent, std::vector<std::string>{"WATCHDOG=1"});

    clock.stop();
    watchdog.heartbeat();
    EXPECT_EQ(sent.size(), 2u);

    SystemdNotifier unwatched(false, [&sent](const std::string& m) { sent.push_back(m); });
    ClockWatchdog(clock, unwatched).heartbeat();
    EXPECT_EQ(sent.size(), 2u) << "pinged without WATCHDOG_USEC";
}

TEST(SystemdNotifier, TellsReadyAndEachNewStatusOnOneLine) {
    std::vector<std::string> sent;
    SystemdNotifier notifier(false, [&sent](const std::string& m) { sent.push_back(m); });
    notifier.ready("自动播出\r第 1 行");
    notifier.status("自动播出\r第 1 行");
    notifier.status("手动播出");
    notifier.stopping();
    EXPECT_EQ(sent, (std::vector<std::string>{"READY=1\nSTATUS=自动播出 第 1 行", "STATUS=手动播出",
                                              "STOPPING=1"}));
}

}  // namespace
}  // namespace orvessa::station
