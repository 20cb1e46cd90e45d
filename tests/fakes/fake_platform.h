#pragma once

#include <filesystem>

#include "core/desktop/orvessa_system.h"
#include "core/system/platform_services.h"
#include "fakes/fake_media_device.h"
#include "fakes/fake_power.h"
#include "fakes/fake_processes.h"
#include "fakes/fake_single_instance.h"
#include "fakes/fixed_monitors.h"
#include "fakes/recording_keyboard.h"
#include "fakes/recording_screen_saver_flag.h"
#include "fakes/recording_shell.h"
#include "fakes/scripted_host.h"
#include "fakes/settable_clock.h"

namespace orvessa::fakes {

// One fake of every platform interface, for tests that start the whole system; a measurement
// may put a real clock in.
template <class Clock = SettableClock>
struct BasicFakePlatform {
    ScriptedHost host;
    Clock clock;
    FakePower power;
    RecordingScreenSaverFlag screenSaver;
    RecordingShell shell;
    FakeSingleInstance instance;
    FixedMonitors monitors;
    RecordingKeyboard keyboard;
    FakeMediaDevice device;
    // The alerts' own: the alarm and the notices.
    FakeMediaDevice alertDevice;
    FakeProcesses processes;

    // The services of a system whose program directory is `directory`.
    system::PlatformServices services(const std::filesystem::path& directory) {
        return services(directory, device, device);
    }

    // The same, playing through `media` and setting the volume on `output`.
    system::PlatformServices services(const std::filesystem::path& directory,
                                      platform::MediaDevice& media, platform::AudioOutput& output) {
        system::PlatformServices s = system::servicesOf(*this, media, output, directory);
        s.alertDevice = &alertDevice;
        s.alertOutput = &alertDevice;
        return s;
    }
};

using FakePlatform = BasicFakePlatform<>;

}  // namespace orvessa::fakes
