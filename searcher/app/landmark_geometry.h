#pragma once

#include "landmarks/landmark_settings.h"
#include "landmarks/peak_pairs.h"

#include <cstdint>

namespace melo {

// Where a landmark's two peaks lie, read back from its hash (layout in
// landmarks/peak_pairs.h): the anchor's bin to two bins, the partner's offset in
// bins and frames exactly.
inline int32_t AnchorBin(uint32_t hash) { return landmarks::kLowestBin + 2 * static_cast<int32_t>(hash >> 13); }
inline int32_t PartnerBin(uint32_t hash) {
  return AnchorBin(hash) + static_cast<int32_t>((hash >> 5) & 255) - 128;
}
inline int32_t FrameDelta(uint32_t hash) { return static_cast<int32_t>(hash & landmarks::kFrameDeltaMask) + 1; }

// A landmark spectrum's bin in Hz (3.9 Hz a bin) and its frame's start in seconds
// (16 ms a frame).
inline double BinHz(double bin) {
  return bin * landmarks::kAnalysisRate / static_cast<double>(landmarks::kFrameSize);
}
inline double FrameSeconds(double frame) {
  return frame * landmarks::kInputSamplesPerHop / static_cast<double>(landmarks::kInputRate);
}

}  // namespace melo
