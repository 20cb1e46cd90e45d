#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/model/window.h"
#include "core/platform/host.h"
#include "core/platform/media_device.h"
#include "core/store/file_sync.h"

namespace orvessa::tools {

// Channels, bits and rate of a new recording.
struct RecordingFormat {
    uint16_t channels = 1;
    uint16_t bitsPerSample = 16;
    uint32_t sampleRate = 11025;

    uint16_t blockAlign() const { return static_cast<uint16_t>(channels * (bitsPerSample / 8)); }
    uint32_t bytesPerSecond() const { return sampleRate * blockAlign(); }
};

// The 44 bytes of a PCM WAV file of `format` that holds no sound yet: the device records into
// the format of the file it opens, so this header is how the recording's format is chosen.
std::string emptyWavFile(const RecordingFormat& format);

// A filled shape that the view paints in `color`.
class Shape : public model::Control {
public:
    Shape(std::string name, model::Color color) : Control(std::move(name)), m_color(color) {}

    model::Color color() const { return m_color; }
    void setColor(model::Color color);

private:
    model::Color m_color;
};

// A recorder device for a platform without one: it opens nothing, so every recording and
// audition fails the way a missing sound device does.
class AbsentMediaDevice : public platform::MediaDevice {
public:
    void setFileName(const std::string& path) override { m_file = path; }
    const std::string& fileName() const override { return m_file; }
    void setDisplay(platform::NativeWindow) override {}
    void open() override { throw platform::MediaError("There is no recording device"); }
    void setDisplayRect(const platform::DisplayRect&) override {}
    void play() override {}
    void startRecording() override { open(); }
    void stop() override {}
    void save() override { open(); }
    void close() override {}
    int64_t length() const override { throw platform::MediaError("No media is open"); }
    int64_t position() const override { return 0; }
    platform::MediaMode mode() const override { return platform::MediaMode::NotReady; }

private:
    std::string m_file;
};

// What the recorder is given besides its own media device.
struct RecorderServices {
    platform::Host& host;
    // The media library folder, where the scratch recording "Temp.wav" is made.
    std::function<std::string()> libraryDirectory;
    // Runs each time the window has closed; the main window refreshes its library list there.
    std::function<void()> closed;
    // What the files it writes are flushed through; none in tests (file_io.h).
    store::FileSync* fileSync = nullptr;
};

// The sound recorder: records the sound input into a PCM WAV file of the chosen format, and
// plays a file back for checking, through a media device of its own (never the broadcast's).
class RecorderWindow : public model::Window {
public:
    static constexpr model::Color kLime = model::rgb(0, 255, 0);
    static constexpr const char* kScratchName = "Temp.wav";
    static constexpr int kTickInterval = 500;

    enum class State { Idle, Recording, Auditioning };

    RecorderWindow(platform::MediaDevice& device, RecorderServices services);

    model::RadioGroup channelsGroup{"channelsGroup", " 声道 ", {"单声道", "立体声"}};
    model::RadioGroup sampleBitsGroup{"sampleBitsGroup", "  声音  ", {"   8 位    ", "  16 位  "}};
    model::RadioGroup sampleRateGroup{
        "sampleRateGroup", "  频率  ", {" 11025", " 22050", " 44100"}};

    // The target file, in the group "  保存为  "; used without its surrounding blanks.
    model::TextControl saveAsGroup{"saveAsGroup", "  保存为  "};
    model::TextControl fileField{"fileField"};
    model::Command browseButton{"browseButton", model::CommandKind::Button, "...", "", "浏览"};

    model::Command recordButton{"recordButton", model::CommandKind::Button, "录音(&R)"};
    model::Command stopButton{"stopButton", model::CommandKind::Button, "停止(&S)"};
    model::Command listenButton{"listenButton", model::CommandKind::Button, "试听(&P)"};
    model::Command closeButton{"closeButton", model::CommandKind::Button, "关闭(&E)"};
    std::vector<model::Command*> allCommands() override {
        return {&browseButton, &recordButton, &stopButton, &listenButton, &closeButton};
    }

    // "正在录音...", "正在试听..." or nothing.
    model::TextControl stateLine{"stateLine"};
    // The black square and the blinking dot in it: red while recording, lime while auditioning.
    Shape indicatorSquare{"indicatorSquare", model::kBlack};
    Shape indicatorDot{"indicatorDot", model::kRed};

    model::Timer tickTimer{"tickTimer", kTickInterval, false};

    // Device positions as decimal text, only ever compared with each other.
    std::string lastPosition = "65535";
    std::string endPosition = "65535";
    bool blink = true;

    State state() const { return m_state; }
    RecordingFormat format() const;
    // The file field without its surrounding blanks.
    std::string targetPath() const;

    // The main window's command: shows the recorder modally, and whatever way it was closed
    // stops a recording (saving it) or an audition first, then runs the closing callback.
    void showRecorder();
    // The window became active.
    void activate();

    void record();  // 录音
    void stop();    // 停止, also run by the tick
    void listen();  // 试听
    void browse();  // browse
    void tick();

private:
    // Whether the operator agrees to record over `path`, which is not the scratch file.
    bool mayReplace(const std::string& path);
    void showIndicator(model::Color color);
    void hideIndicator();
    void finishClosing();
    std::string scratchPath() const;
    // Removes the file of a take that will not be put in place.
    void discardTake();

    platform::MediaDevice& m_device;
    RecorderServices m_services;
    State m_state = State::Idle;
    // While recording: the temporary file the take goes into, and the file it is to replace.
    std::filesystem::path m_take;
    std::filesystem::path m_takeTarget;
    // The scratch path the field was last set to; the field follows a changed library only
    // while it still holds it.
    std::string m_scratchShown;
};

}  // namespace orvessa::tools
