#include "core/alerts/siren.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace orvessa::alerts {
namespace {

constexpr int kRate = 22050;
constexpr double kSeconds = 4.0;
// One wail rises and falls between these pitches; two wails to the sound.
constexpr double kLowHz = 550.0;
constexpr double kHighHz = 1250.0;
constexpr double kWailSeconds = 2.0;
constexpr double kFade = kRate * 0.01;

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v & 0xffff));
    put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

std::string sirenWave() {
    const int samples = static_cast<int>(kRate * kSeconds);
    std::string data;
    data.reserve(static_cast<std::size_t>(samples) * 2);
    double phase = 0;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A raised cosine sweep: slow at the ends, as a motor siren sounds.
        const double sweep = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * t / kWailSeconds);
        const double hz = kLowHz + (kHighHz - kLowHz) * sweep;
        phase += 2 * std::numbers::pi * hz / kRate;
        if (phase > 2 * std::numbers::pi) {
            phase -= 2 * std::numbers::pi;
        }
        // A little of the third harmonic carries it over a noisy hall.
        const double edge = std::min({1.0, i / kFade, (samples - 1 - i) / kFade});
        const double v = edge * (0.75 * std::sin(phase) + 0.15 * std::sin(3 * phase));
        put16(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767 * 0.9))));
    }
    std::string wav = "RIFF";
    put32(wav, static_cast<uint32_t>(36 + data.size()));
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, kRate);
    put32(wav, kRate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, static_cast<uint32_t>(data.size()));
    return wav + data;
}

}  // namespace orvessa::alerts
