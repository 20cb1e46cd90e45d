#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "../scheduler/clock_scenario.h"

namespace orvessa::editing {

namespace fs = std::filesystem;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using platform::MessageAnswer;
using scheduler::Row;

// Wednesday's table of three rows, as most scenarios find it.
inline const std::vector<Row> kThreeRows = {
    {"7:30:00", "a.wav", ""}, {"8:00:00", "b.wav", ""}, {"9:00:00", "c.wav", ""}};

// The system started on a Wednesday morning, with the operator at the keyboard.
class EditingScenario : public scheduler::ClockScenario {
protected:
    // Table file content: each text a GBK line ending in CR LF.
    static std::string lines(std::initializer_list<std::string> texts) {
        std::string content;
        for (const std::string& t : texts) {
            content += t + "\r\n";
        }
        return text::utf8ToGbk(content);
    }

    std::string file(const std::string& name) const { return readBytes(m_dir / name); }

    // Starts with today's table and enters manual operation.
    void startEditing(const std::vector<Row>& rows) {
        start(rows, "08:00:00");
        form().manualOperation.click();
    }

    const fakes::ScriptedHost::Message& lastMessage() const { return m_host.messages.back(); }
};

}  // namespace orvessa::editing
