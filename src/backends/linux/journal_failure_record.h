#pragma once

#include <iosfwd>
#include <string>

#include "core/platform/clock.h"
#include "core/platform/failure_record.h"

namespace orvessa::backends {

// Failures as one line each, on standard error and in the system journal: syslog reaches
// journald where it runs, and is dropped quietly where nothing listens.
class JournalFailureRecord : public platform::FailureRecord {
public:
    // Lines go to `lines` (standard error in the program), stamped with the time of `clock`;
    // with `journal` false they stay out of syslog (tests).
    JournalFailureRecord(const platform::Clock& clock, std::ostream& lines, bool journal = true);
    ~JournalFailureRecord() override;
    JournalFailureRecord(const JournalFailureRecord&) = delete;
    JournalFailureRecord& operator=(const JournalFailureRecord&) = delete;

    void record(const platform::Failure& failure) override;

    // "2026-12-09 08:00:01 table not read: /srv/orvessa/zxsj3.log: Is a directory (row 5)":
    // line breaks and other controls in the texts become blanks, so one failure is one line.
    static std::string line(const platform::LocalDateTime& at, const platform::Failure& failure);

private:
    const platform::Clock& m_clock;
    std::ostream& m_lines;
    bool m_journal;
};

}  // namespace orvessa::backends
