#include "core/ui/lcd_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <stdexcept>

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

// A dispatcher that runs each tick at once, on the worker, and counts the hand-overs.
struct CountingDispatcher {
    std::shared_ptr<std::atomic<int>> handed = std::make_shared<std::atomic<int>>(0);
    LcdDispatcher dispatcher() const {
        return [handed = handed](std::function<void()> tick) {
            ++*handed;
            tick();
        };
    }
};

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

TEST(LcdTimer, TicksArriveThroughTheDispatcherOnTheWorker) {
    CountingDispatcher counting;
    std::atomic<int> ticks = 0;
    std::atomic<bool> onWorker = true;
    const auto self = std::this_thread::get_id();
    auto timer = std::make_unique<TLcdTimer>(counting.dispatcher());
    timer->setInterval(2);
    timer->setOnTimer([&] {
        ++ticks;
        onWorker = onWorker && std::this_thread::get_id() != self;
    });
    ASSERT_TRUE(eventually([&] { return ticks >= 3; }));
    EXPECT_TRUE(onWorker);

    timer.reset();
    const int handed = *counting.handed;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(*counting.handed, handed) << "a tick after the timer was destroyed";
}

TEST(LcdTimer, WorkerWaitsForEachQueuedTickAndStopsWithoutIt) {
    QueuedUi ui;
    int ticks = 0;
    auto timer = std::make_unique<TLcdTimer>(ui.dispatcher());
    timer->setInterval(1);
    timer->setOnTimer([&] { ++ticks; });
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
        std::this_thread::sleep_for(10ms);
        // The worker does not wake again before the tick it handed over has run.
        EXPECT_EQ(ui.pending(), 1u);
        ui.runAll();
    }
    EXPECT_EQ(ticks, 3);

    // Destroyed while a tick waits in the queue: no deadlock, and the tick does nothing.
    ASSERT_TRUE(eventually([&] { return ui.pending() > 0; }));
    timer.reset();
    ui.runAll();
    EXPECT_EQ(ticks, 3);
}

TEST(LcdTimer, WithoutSyncEventTicksSkipTheDispatcher) {
    CountingDispatcher counting;
    std::atomic<int> ticks = 0;
    TLcdTimer timer(counting.dispatcher());
    timer.setSyncEvent(false);
    timer.setInterval(1);
    timer.setOnTimer([&] { ++ticks; });
    ASSERT_TRUE(eventually([&] { return ticks >= 2; }));
    EXPECT_EQ(*counting.handed, 0);
}

TEST(LcdTimer, WindowTimerReplacesTheThreadAndFollowsEnabled) {
    int ticks = 0;
    TLcdTimer timer;
    timer.setEnabled(false);
    timer.setInterval(60000);
    timer.setOnTimer([&] { ++ticks; });
    EXPECT_FALSE(timer.threadAlive()) << "no thread before the timer first runs";
    timer.setEnabled(true);
    EXPECT_TRUE(timer.threadAlive());

    timer.setTimerType(LcdTimerType::ttSystem);
    EXPECT_FALSE(timer.threadAlive());
    EXPECT_TRUE(timer.windowTimer().running());
    EXPECT_EQ(timer.windowTimer().interval(), 60000);
    timer.windowTimer().fire();
    EXPECT_EQ(ticks, 1);

    timer.setEnabled(false);
    EXPECT_FALSE(timer.windowTimer().running());
    timer.tick();
    EXPECT_EQ(ticks, 1);
}

TEST(LcdTimer, ErrorOfATickGoesToTheHandler) {
    std::string error;
    TLcdTimer timer({}, [&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            error = x.what();
        }
    });
    timer.setEnabled(false);
    timer.setTimerType(LcdTimerType::ttSystem);
    timer.setOnTimer([] { throw std::runtime_error("lost"); });
    timer.setEnabled(true);
    timer.windowTimer().fire();
    EXPECT_EQ(error, "lost");
}

TEST(LcdTimer, ActiveClockTicksThroughItsDispatcherUntilDestroyed) {
    fakes::SettableClock clock;
    CountingDispatcher counting;
    auto lcd = std::make_unique<TLcdClock>(clock, counting.dispatcher());
    lcd->timer().setInterval(2);
    EXPECT_FALSE(lcd->timer().threadAlive());
    lcd->setActive(true);
    ASSERT_TRUE(eventually([&] { return *counting.handed >= 2; }));

    lcd.reset();
    const int handed = *counting.handed;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(*counting.handed, handed);
}

}  // namespace
}  // namespace orvessa::ui
