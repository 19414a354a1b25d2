#pragma once

#include <cstdint>
#include <vector>

namespace melo::synth {

// A seeded generator of signals with the traits that matter to the fingerprint:
// notes with harmonics and decaying envelopes that change several times a second,
// percussive noise bursts and a little background noise, at varying loudness.
// The same seed always gives the same samples.
std::vector<int16_t> MusicLikeSignal(uint32_t seed, int32_t sampleCount);

// round(amplitude * sin(2 * pi * cyclesPerFrame * t / 2048)) for t = 0 ... count - 1.
std::vector<int16_t> FrameTone(double cyclesPerFrame, double amplitude, int32_t count);

}  // namespace melo::synth
