#pragma once

#include "landmarks/peak_pairs.h"

#include <cstdint>
#include <span>
#include <vector>

namespace melo::landmarks {

// The version of the landmarks a database row stores: the analysis, its settings
// and the hash layout together. Landmarks of another version do not meet a
// query's and must be made again.
inline constexpr int32_t kLandmarkVersion = 1;

// The stored form of a track's landmarks, in order of anchor frame: one 32-bit
// little-endian word each, the hash in the high 22 bits and the frames since the
// previous landmark (the first: since frame 0) in the low 10. A gap of more than
// 1022 frames (16 s of silence) is bridged by words whose delta is 1023 and whose
// hash is 0, each standing for 1023 frames and no landmark.
//
// Example: landmarks (hash 922633, frame 30) and (hash 5, frame 2000) are stored as
//   922633 << 10 | 30    = 0x3850241E   (bytes 1E 24 50 38)
//   0 << 10 | 1023       = 0x000003FF   (frames 30 -> 1053)
//   5 << 10 | 947        = 0x000017B3   (frames 1053 -> 2000)
std::vector<uint8_t> EncodeLandmarks(std::span<const Landmark> landmarks);

// The landmarks of a stored blob into `out` (its buffer reused); false, with `out`
// emptied, when the blob is not `count` landmarks in order of frame, all before
// `frames` (a blob of another size, a cut or damaged one).
bool DecodeLandmarks(std::span<const uint8_t> blob, int32_t count, int32_t frames, std::vector<Landmark>& out);

}  // namespace melo::landmarks
