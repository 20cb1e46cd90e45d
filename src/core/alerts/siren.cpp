#include "core/alerts/siren.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/playback/wave_file.h"

namespace orvessa::alerts {
namespace {

constexpr int kRate = 22050;
constexpr double kSeconds = 4.0;
// One wail rises and falls between these pitches; two wails to the sound.
constexpr double kLowHz = 550.0;
constexpr double kHighHz = 1250.0;
constexpr double kWailSeconds = 2.0;
constexpr double kFade = kRate * 0.01;

}  // namespace

std::string sirenWave() {
    const int count = static_cast<int>(kRate * kSeconds);
    std::vector<int16_t> samples;
    samples.reserve(static_cast<std::size_t>(count));
    double phase = 0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A raised cosine sweep: slow at the ends, as a motor siren sounds.
        const double sweep = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * t / kWailSeconds);
        const double hz = kLowHz + (kHighHz - kLowHz) * sweep;
        phase += 2 * std::numbers::pi * hz / kRate;
        if (phase > 2 * std::numbers::pi) {
            phase -= 2 * std::numbers::pi;
        }
        // A little of the third harmonic carries it over a noisy hall.
        const double edge = std::min({1.0, i / kFade, (count - 1 - i) / kFade});
        const double v = edge * (0.75 * std::sin(phase) + 0.15 * std::sin(3 * phase));
        samples.push_back(static_cast<int16_t>(std::lround(v * 32767 * 0.9)));
    }
    return playback::monoWave(samples, kRate);
}

}  // namespace orvessa::alerts
