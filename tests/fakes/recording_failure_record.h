#pragma once

#include <vector>

#include "core/platform/failure_record.h"

namespace orvessa::fakes {

// Keeps every failure the core records, in order.
class RecordingFailureRecord : public platform::FailureRecord {
public:
    void record(const platform::Failure& failure) override { failures.push_back(failure); }

    std::vector<platform::Failure> failures;
};

}  // namespace orvessa::fakes
