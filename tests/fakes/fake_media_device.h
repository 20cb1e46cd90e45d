#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/platform/media_device.h"

namespace orvessa::fakes {

// A media device that "plays" any file whose extension it accepts, with a length the test
// chooses; the position moves only when the test says so.
class FakeMediaDevice : public platform::MediaDevice, public platform::AudioOutput {
public:
    // Extensions (upper case, with the dot) that open() refuses, as the framework would.
    std::set<std::string> unplayable{".SWF", ".TXT"};
    int64_t lengthMs = 180000;
    // Lengths by file name (the part after the last '/'), overriding lengthMs.
    std::map<std::string, int64_t> lengths;
    // Files by name that fail to open whatever their extension, as damaged ones do.
    std::set<std::string> damaged;
    // When set, the position follows this clock (milliseconds) from play() on, and the media
    // ends by itself at its length, as real playback does.
    std::function<int64_t()> now;
    std::vector<std::string> calls;  // "open <file>", "play", "stop", ...
    uint16_t left = 0;
    uint16_t right = 0;

    void setFileName(const std::string& path) override { m_file = path; }
    const std::string& fileName() const override { return m_file; }
    void setDisplay(platform::NativeWindow window) override { display = window; }
    void prepare(const std::string& path) override { calls.push_back("prepare " + path); }
    void open() override {
        calls.push_back("open " + m_file);
        m_open = false;
        m_position = 0;
        const std::size_t dot = m_file.rfind('.');
        std::string ext = dot == std::string::npos ? "" : m_file.substr(dot);
        for (char& c : ext) {
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        const std::string name = m_file.substr(m_file.rfind('/') + 1);
        if (unplayable.contains(ext) || damaged.contains(name)) {
            throw platform::MediaError("cannot play " + m_file);
        }
        m_open = true;
        m_mode = platform::MediaMode::Stopped;
        m_length = lengths.contains(name) ? lengths.at(name) : lengthMs;
    }
    void setDisplayRect(const platform::DisplayRect& r) override { rect = r; }
    void play() override {
        calls.push_back("play");
        if (m_open) {
            m_mode = platform::MediaMode::Playing;
            m_playedFrom = m_position;
            m_playStart = now ? now() : 0;
        }
    }
    void startRecording() override { throw platform::MediaError("no input"); }
    void stop() override {
        calls.push_back("stop");
        if (m_open) {
            m_position = position();
            m_mode = platform::MediaMode::Stopped;
        }
    }
    void save() override {}
    void close() override {
        m_open = false;
        m_mode = platform::MediaMode::NotReady;
    }
    int64_t length() const override {
        if (!m_open) {
            throw platform::MediaError("nothing open");
        }
        return m_length;
    }
    int64_t position() const override {
        if (now && m_mode == platform::MediaMode::Playing) {
            return std::min(m_length, m_playedFrom + now() - m_playStart);
        }
        return m_position;
    }
    platform::MediaMode mode() const override {
        if (now && m_mode == platform::MediaMode::Playing && position() >= m_length) {
            return platform::MediaMode::Stopped;
        }
        return m_mode;
    }

    void setVolume(uint16_t l, uint16_t r) override {
        left = l;
        right = r;
    }

    // Runs the open media to its natural end.
    void runToEnd() {
        m_position = m_length;
        m_mode = platform::MediaMode::Stopped;
    }

    platform::NativeWindow display = 0;
    platform::DisplayRect rect;

private:
    std::string m_file;
    bool m_open = false;
    int64_t m_position = 0;
    int64_t m_length = 0;
    int64_t m_playedFrom = 0;
    int64_t m_playStart = 0;
    platform::MediaMode m_mode = platform::MediaMode::NotReady;
};

}  // namespace orvessa::fakes
