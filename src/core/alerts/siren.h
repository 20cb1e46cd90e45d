#pragma once

#include <string>

namespace orvessa::alerts {

// The built-in alarm: a wailing siren, a few seconds of 16-bit mono PCM in a WAV file, made by
// the program itself so that no file can go missing when it is needed most. It fades in and out
// over a few milliseconds, so that played again and again it never clicks.
std::string sirenWave();

}  // namespace orvessa::alerts
