#pragma once

#include <string>

namespace orvessa::platform {

// One failure: what failed, the file or item and the reason, and the timetable row it concerns.
struct Failure {
    std::string what;    // a short phrase: "table not read", "save failed", "item not played"
    std::string detail;  // the file or item and why, as the operator's message says it
    int row = 0;         // the row of the table, 0 where no row is concerned
};

// A lasting record of what failed while the system ran, for whoever looks after the PC later:
// a message box is gone once answered, and in automatic operation nobody may be watching.
// Called on the user-interface thread; returns at once and never throws.
class FailureRecord {
public:
    virtual ~FailureRecord() = default;
    // Keeps one line for the failure, with the time it is recorded.
    virtual void record(const Failure& failure) = 0;
};

// Records through `record` where there is one: tests and the rehearsal run without.
inline void recordFailure(FailureRecord* record, Failure failure) {
    if (record != nullptr) {
        record->record(failure);
    }
}

}  // namespace orvessa::platform
