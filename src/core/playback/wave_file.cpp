#include "core/playback/wave_file.h"

namespace orvessa::playback {
namespace {

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

std::string monoWave(const std::vector<int16_t>& samples, int rate) {
    const auto dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string wav = "RIFF";
    put32(wav, 36 + dataBytes);
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, static_cast<uint32_t>(rate));
    put32(wav, static_cast<uint32_t>(rate) * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, dataBytes);
    wav.reserve(wav.size() + dataBytes);
    for (const int16_t s : samples) {
        put16(wav, static_cast<uint16_t>(s));
    }
    return wav;
}

}  // namespace orvessa::playback
