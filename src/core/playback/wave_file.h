#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvessa::playback {

// A WAV file of 16-bit mono PCM `samples` at `rate` a second, as the program writes the sounds it
// makes itself.
std::string monoWave(const std::vector<int16_t>& samples, int rate);

}  // namespace orvessa::playback
