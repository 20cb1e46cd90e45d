#pragma once

#include <chrono>

// When a timer that compares clock texts should next fire: just after the wall clock's next
// second boundary, counted on the monotonic clock. Every host's loop (Qt's, GLib's) uses these.
namespace orvessa::model {

// How far past the boundary a tick aims: precise timers never fire early, and the margin covers
// the wall clock being slewed a little faster than the monotonic one.
inline constexpr std::chrono::nanoseconds kPastBoundary = std::chrono::milliseconds(1);

// The monotonic moment kPastBoundary after the wall clock's next second boundary, from the wall
// clock's part of its second and the monotonic clock read at the same moment.
constexpr std::chrono::nanoseconds nextSecondDeadline(std::chrono::nanoseconds wallSubSecond,
                                                      std::chrono::nanoseconds monotonicNow) {
    return monotonicNow + (std::chrono::seconds(1) - wallSubSecond) + kPastBoundary;
}

// Whole milliseconds to wait from `monotonicNow` so as to wake no earlier than `deadline`; 0
// once it has passed.
constexpr int millisecondsUntil(std::chrono::nanoseconds deadline,
                                std::chrono::nanoseconds monotonicNow) {
    const std::chrono::nanoseconds left = deadline - monotonicNow;
    if (left <= std::chrono::nanoseconds::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

}  // namespace orvessa::model
