#pragma once

#include "landmarks/landmark_settings.h"
#include "landmarks/peak_picker.h"

#include <cstdint>
#include <span>
#include <vector>

namespace melo::landmarks {

// A pair of peaks as a 22-bit hash and the frame of its first peak (the anchor).
//
// Hash layout, high bits first:
//   bits 21..13  (anchor bin - kLowestBin) / 2            (9 bits; 7.8 Hz steps)
//   bits 12..5   partner bin - anchor bin + 128           (8 bits; -127 .. +127)
//   bits  4..0   partner frame - anchor frame - 1         (5 bits; 1 .. 32 frames)
// Example: an anchor at frame 30, bin 256 (1000 Hz) and a partner at frame 40,
// bin 288 (1125 Hz) give 112 << 13 | 160 << 5 | 9 = 922633 (0xE1409), anchored at
// frame 30. The pair's shape (the partner's offset in bins and frames) is kept
// exact; where it sits in frequency, to two bins, which a peak moves by under noise.
struct Landmark {
  uint32_t hash = 0;
  int32_t frame = 0;

  friend bool operator==(const Landmark&, const Landmark&) = default;
};

inline constexpr int32_t kHashBits = 22;
inline constexpr uint32_t kHashCount = 1u << kHashBits;
inline constexpr uint32_t kFrameDeltaMask = 0x1F;

uint32_t PairHash(int32_t anchorBin, int32_t partnerBin, int32_t frameDelta);

// Pairs each peak with the settings' fanOut loudest peaks in its target zone (1 ..
// maxFrameDelta frames later, at most maxBinDelta bins apart). `peaks` must be in
// order of frame; the landmarks come in order of anchor frame, each anchor's
// partners loudest first.
std::vector<Landmark> PairPeaks(std::span<const SpectralPeak> peaks, const LandmarkSettings& settings);

// A query's landmarks as they are looked up: each also with its frame delta one
// shorter and one longer, since a peak's time moves by a frame when the query's
// frames fall between the track's.
std::vector<Landmark> WithFrameNeighbours(std::span<const Landmark> landmarks);

}  // namespace melo::landmarks
