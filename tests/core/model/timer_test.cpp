#include "core/model/timer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace orvessa::model {
namespace {

// A timer whose sink keeps "<name>: <what>" for each failure.
struct SinkedTimer {
    Timer timer{"broadcastTimer"};
    std::vector<std::string> errors;
    SinkedTimer() {
        timer.setErrorSink([this](const std::string& name, const std::string& what) {
            errors.push_back(name + ": " + what);
        });
    }
};

TEST(Timer, WhatAHandlerThrowsReachesTheSinkAndTheNextTickRunsAfresh) {
    SinkedTimer t;
    int runs = 0;
    t.timer.setHandler([&] {
        ++runs;
        if (runs == 1) {
            throw std::runtime_error("zero length");
        }
        if (runs == 2) {
            throw 42;
        }
    });
    for (int i = 0; i < 3; ++i) {
        EXPECT_NO_THROW(t.timer.fire());
    }
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(t.errors, (std::vector<std::string>{"broadcastTimer: zero length",
                                                  "broadcastTimer: an exception of unknown type"}));
}

TEST(Timer, NothingReachesTheSinkWithoutAFailure) {
    SinkedTimer t;
    int runs = 0;
    t.timer.setHandler([&] { ++runs; });
    t.timer.fire();
    // A stopped timer does not run its handler, so it cannot fail either.
    t.timer.setHandler([] { throw std::runtime_error("stopped"); });
    t.timer.stop();
    t.timer.fire();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(t.errors.empty());
}

}  // namespace
}  // namespace orvessa::model
