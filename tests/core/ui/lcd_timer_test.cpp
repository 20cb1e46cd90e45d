#include "core/ui/lcd_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/ui/lcd_clock.h"
#include "fakes/settable_clock.h"

namespace orvessa::ui {
namespace {

using namespace std::chrono_literals;

// Polls until `done` holds; a slow machine only takes longer.
template <typename Done>
bool eventually(Done done) {
    const auto limit = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A user-interface thread of the test's own: hand-overs queue up until the test runs them.
struct QueuedUi {
    std::mutex mutex;
    std::deque<std::function<void()>> queue;
    LcdDispatcher dispatcher() {
        return [this](std::function<void()> tick) {
            std::lock_guard lock(mutex);
            queue.push_back(std::move(tick));
        };
    }
    size_t pending() {
        std::lock_guard lock(mutex);
        return queue.size();
    }
    void runAll() {
        std::deque<std::function<void()>> taken;
        {
            std::lock_guard lock(mutex);
            taken.swap(queue);
        }
        for (auto& tick : taken) {
            tick();
        }
    }
};

TEST(LcdTimer, TicksArriveOnlyThroughTheDispatcherAndStopWithTheTimer) {
    QueuedUi ui;
    int ticks = 0;
    auto timer = std::make_unique<LcdTimer>(ui.dispatcher());
    timer->setInterval(1);
    timer->setHandler([&] { ++ticks; });
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
        EXPECT_EQ(ticks, round) << "a tick that bypassed the dispatcher";
        // The worker does not hand over again before the tick it handed over has run.
        std::this_thread::sleep_for(10ms);
        EXPECT_EQ(ui.pending(), 1u);
        ui.runAll();
    }
    EXPECT_EQ(ticks, 3);

    // Destroyed while a tick waits in the queue: no deadlock, and the tick does nothing.
    ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
    timer.reset();
    ui.runAll();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(ui.pending(), 0u) << "a tick after the timer was destroyed";
    EXPECT_EQ(ticks, 3);
}

TEST(LcdTimer, ActiveClockTicksThroughItsDispatcherUntilDestroyed) {
    fakes::SettableClock clock;
    clock.setTime(13, 5, 9);
    QueuedUi ui;
    auto lcd = std::make_unique<LcdClock>(clock, ui.dispatcher());
    lcd->timer().setInterval(1);
    lcd->setActive(true);
    clock.setTime(14, 6, 0);
    ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
    EXPECT_NE(lcd->text(), "14:06") << "a tick that bypassed the dispatcher";
    ui.runAll();
    EXPECT_EQ(lcd->text(), "14:06");

    ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
    lcd.reset();
    ui.runAll();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(ui.pending(), 0u);
}

// A tick that came late in its second does not wait a whole interval for the next one: the
// display would now and then skip a second.
TEST(LcdTimer, AThreadedClockWaitsOnlyUntilItsShownSecondChanges) {
    fakes::SettableClock clock;
    clock.setTime(13, 5, 8, 250);
    QueuedUi ui;
    LcdClock lcd(clock, ui.dispatcher());
    lcd.setActive(true);
    ASSERT_TRUE(lcd.Threaded());
    EXPECT_EQ(lcd.timer().nextWait(), 1000);
    lcd.update();
    EXPECT_EQ(lcd.timer().nextWait(), 751);
    clock.setTime(13, 5, 9, 0);
    lcd.update();
    EXPECT_EQ(lcd.timer().nextWait(), 1000) << "never more than the interval";

    // Elapsed time changes its second where the span does, not where the wall clock does.
    clock.setTime(13, 5, 9, 400);
    lcd.setClockType(LcdClockType::ctElapsed);
    lcd.setShowSeconds(true);
    lcd.setActive(false);
    lcd.setActive(true);
    clock.setTime(13, 5, 12, 100);
    lcd.update();
    EXPECT_EQ(lcd.text(), "00:00:02");
    EXPECT_EQ(lcd.timer().nextWait(), 301);

    lcd.timer().setInterval(200);
    lcd.update();
    EXPECT_EQ(lcd.timer().nextWait(), 200);
}

TEST(LcdTimer, ATickThatCannotBeHandedOverReachesTheErrorHandler) {
    std::mutex mutex;
    std::vector<std::string> errors;
    int ticks = 0;
    auto timer = std::make_unique<LcdTimer>(
        [](std::function<void()>) { throw std::runtime_error("queue full"); },
        [&](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                std::lock_guard lock(mutex);
                errors.emplace_back(e.what());
            }
        });
    timer->setInterval(1);
    timer->setHandler([&] { ++ticks; });
    ASSERT_TRUE(eventually([&] {
        std::lock_guard lock(mutex);
        return !errors.empty();
    }));
    timer.reset();
    EXPECT_EQ(errors.front(), "queue full");
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace orvessa::ui
