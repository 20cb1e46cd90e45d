#include "backends/linux/journal_failure_record.h"

#include <syslog.h>

#include <cstdio>
#include <exception>
#include <ostream>

namespace orvessa::backends {
namespace {

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (isControl(c)) {
            c = ' ';
        }
    }
    return text;
}

// Writes `text` to standard error with its controls as blanks, allocating nothing.
void putOneLine(const std::string& text) {
    for (const char c : text) {
        std::fputc(isControl(c) ? ' ' : c, stderr);
    }
}

// A record that cannot be written has nowhere left to record but standard error, and must not
// end what failed a second time: one line there, written by calls that cannot throw.
void notRecorded(const platform::Failure& failure, const char* why) {
    std::fprintf(stderr, "orvessa: failure not recorded (%s): ", why);
    putOneLine(failure.what);
    std::fputs(": ", stderr);
    putOneLine(failure.detail);
    std::fputc('\n', stderr);
}

}  // namespace

JournalFailureRecord::JournalFailureRecord(const platform::Clock& clock, std::ostream& lines,
                                           bool journal)
    : m_clock(clock), m_lines(lines), m_journal(journal) {
    if (m_journal) {
        openlog("orvessa", LOG_PID, LOG_USER);
    }
}

JournalFailureRecord::~JournalFailureRecord() {
    if (m_journal) {
        closelog();
    }
}

std::string JournalFailureRecord::line(const platform::LocalDateTime& at,
                                       const platform::Failure& failure) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day,
                  at.hour, at.minute, at.second);
    std::string text =
        std::string(stamp) + " " + oneLine(failure.what) + ": " + oneLine(failure.detail);
    if (failure.row > 0) {
        text += " (row " + std::to_string(failure.row) + ")";
    }
    return text;
}

void JournalFailureRecord::record(const platform::Failure& failure) {
    try {
        const std::string text = line(m_clock.now(), failure);
        m_lines << "orvessa: " << text << std::endl;
        if (m_journal) {
            syslog(LOG_ERR, "%s", text.c_str());
        }
    } catch (const std::exception& e) {
        notRecorded(failure, e.what());
    } catch (...) {
        notRecorded(failure, "unknown error");
    }
}

}  // namespace orvessa::backends
