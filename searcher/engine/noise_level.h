#pragma once

#include <cstdint>

namespace melo {

// The level of white noise under a recording, estimated from the recording alone
// by minimum statistics: music rises and falls in every frequency bin, the noise
// floor stays, so the quietest moments of each bin show the floor. Per-bin power
// over Hann-windowed 2048-sample frames (hop 1024), smoothed over 4 frames; its
// minimum within each of the equal runs of 32 to 63 smoothed frames that the
// recording divides into (a remainder of fewer frames is left out); the median of
// those minima over bins 1 ... 1023. White noise is flat, and most bins lie above
// 6 kHz where music is weak. The result is the noise's standard deviation per sample, in
// sample units (0 for a recording shorter than one frame).
double EstimateNoiseSigma(const int16_t* samples, int32_t count);

}  // namespace melo
