// console.conf as the console and its set-up command read it: every setting it gives is one the
// checks accept, a file with a bad value is never saved over until the value is set, and a save
// loads back to the same settings.

#include "core/console/console_settings.h"

#include "fuzz_input.h"
#include "work_directory.h"

using namespace orvessa;

namespace {

bool same(const console::ConsoleSettings& a, const console::ConsoleSettings& b) {
    return a.enabled == b.enabled && a.address == b.address && a.port == b.port &&
           a.certificate == b.certificate && a.key == b.key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::WorkDirectory work;
    work.write(console::ConsoleSettingsFile::kFileName, fuzz::bytesOf(data, size));
    console::ConsoleSettingsFile file(work.path());
    if (!file.load()) {
        fuzz::broken("a regular file did not load");
    }
    const console::ConsoleSettings read = file.settings();
    if (!console::checkAddress(read.address).empty()) {
        fuzz::broken("an address the check refuses");
    }
    if (read.port < 1 || read.port > 65535) {
        fuzz::broken("a port out of its range");
    }
    if (!file.problems().empty() && file.save()) {
        fuzz::broken("a file with a bad value was saved over");
    }

    // What an administrator does: sets the three, which clears their problems.
    file.setEnabled(read.enabled);
    if (!file.setAddress(read.address).empty()) {
        fuzz::broken("the address read was refused when set");
    }
    file.setPort(read.port);
    if (!file.problems().empty()) {
        return 0;  // a repeated certificate or key line: left for the administrator
    }
    if (!file.save()) {
        fuzz::broken("the save failed");
    }
    console::ConsoleSettingsFile back(work.path());
    if (!back.load() || !back.problems().empty()) {
        fuzz::broken("the saved file did not load cleanly");
    }
    if (!same(back.settings(), file.settings())) {
        fuzz::broken("a setting changed in a save");
    }
    return 0;
}
