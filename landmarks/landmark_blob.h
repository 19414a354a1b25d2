#pragma once

#include "landmarks/peak_pairs.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace melo::landmarks {

// The version of the landmarks a database row stores: the analysis, its settings
// and the hash layout together. Landmarks of another version do not meet a
// query's and must be made again.
inline constexpr int32_t kLandmarkVersion = 1;

// The stored form of a track's landmarks, in order of anchor frame: one 32-bit
// little-endian word each, the hash in the high 19 bits and the frames since the
// previous landmark (the first: since frame 0) in the low 13. A gap of more than
// 8190 frames (131 s of silence) is bridged by words whose delta is 8191 and whose
// hash is 0, each standing for 8191 frames and no landmark.
//
// Example: landmarks (hash 58633, frame 30) and (hash 5, frame 9000) are stored as
//   58633 << 13 | 30     = 0x1CA1201E   (bytes 1E 20 A1 1C)
//   0 << 13 | 8191       = 0x00001FFF   (frames 30 -> 8221)
//   5 << 13 | 779        = 0x0000A30B   (frames 8221 -> 9000)
std::vector<uint8_t> EncodeLandmarks(std::span<const Landmark> landmarks);

// The landmarks of a stored blob, or nothing when it is not `count` landmarks in
// order of frame, all before `frames` (a blob of another size, a cut or damaged one).
std::optional<std::vector<Landmark>> DecodeLandmarks(std::span<const uint8_t> blob, int32_t count, int32_t frames);

}  // namespace melo::landmarks
