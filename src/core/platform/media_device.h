#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace orvessa::platform {

// A failed media operation; the text is the media framework's own message.
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class MediaMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };

// A native window handle (an X11 window id, or a Windows HWND), 0 for none.
using NativeWindow = std::uintptr_t;

struct DisplayRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Plays and records media files. One instance belongs to the main window, one to the sound
// recorder. Every call is made on the user-interface thread and returns promptly: nothing waits
// longer than the bounded time an open may take.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;

    // The file the next open() opens (a native path, UTF-8).
    virtual void setFileName(const std::string& path) = 0;
    virtual const std::string& fileName() const = 0;
    // Where picture is drawn; set before open(), used only when the media has picture.
    virtual void setDisplay(NativeWindow window) = 0;

    // Closes what is open, then opens fileName() and waits (a few seconds at most) until the
    // media is ready. Throws MediaError with the framework's message and leaves nothing open
    // when the file cannot be played.
    virtual void open() = 0;
    // Opens `path` (native, UTF-8) ahead of its play while nothing else is open, so that an
    // open() of the same file a moment later finds it ready at once; what is prepared and not
    // opened goes with the next open() or close(). Never throws; a file it cannot prepare is
    // left for open() to tell.
    virtual void prepare(const std::string& path) { (void)path; }
    // Destination of the picture inside the display, scaled to fill it.
    virtual void setDisplayRect(const DisplayRect& rect) = 0;

    // Starts at the current position and returns at once.
    virtual void play() = 0;
    // Records into the opened file's format from the default sound input. Throws MediaError
    // when there is no input; nothing is left running then.
    virtual void startRecording() = 0;
    // Stops playing or recording.
    virtual void stop() = 0;
    // Writes the recording to fileName() as a PCM WAV file. Throws MediaError on failure.
    virtual void save() = 0;
    // Releases the media.
    virtual void close() = 0;

    // Length of the open media in milliseconds, known from open() on and the same until the
    // next open(). Throws MediaError when nothing is open.
    virtual int64_t length() const = 0;
    // 0 up to length(); exactly length() once playback has run to its natural end.
    virtual int64_t position() const = 0;
    // Never Playing with nothing open or after the natural end.
    virtual MediaMode mode() const = 0;
};

// The output volume of the system's own sound, 0..65535 per channel.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual void setVolume(uint16_t left, uint16_t right) = 0;
};

}  // namespace orvessa::platform
