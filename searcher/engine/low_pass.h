#pragma once

#include <cstdint>
#include <vector>

namespace melo {

// A copy of 48 kHz samples with everything above about 6 kHz removed, without
// delay: a symmetric windowed-sinc filter centred on each sample. Peaks of the
// copy lie where the music's own peaks lie, while broadband noise, which fills
// the upper octaves where music is weak, no longer moves them.
std::vector<int16_t> LowPassed6k(const int16_t* samples, int32_t count);

}  // namespace melo
