#pragma once

#include <cstdint>

// The shared memory through which the Echoline helper hands the searcher what the
// computer plays. The searcher creates, owns and unlinks it; the helper writes.
// Plain C++: the helper is built without Qt.
//
// Layout:
//   0  uint32  write index: 16-bit values written so far, modulo 96000 (the slot
//              the helper writes next); advanced only after the values are in place
//   4  4 bytes unused
//   8  96000 int16 values: 48000 Hz stereo frames (left, right), circular
// The mapping is 192008 bytes, so that it holds every value: a size of 192004
// (the header and the values less the unused word) would leave the last two
// values outside it, where only the page rounding happened to keep them.
namespace melo::echoline {

inline constexpr uint32_t kRingValues = 96000;
inline constexpr uint32_t kValuesOffset = 8;
inline constexpr uint32_t kMappingSize = kValuesOffset + kRingValues * sizeof(int16_t);
static_assert(kMappingSize == 192008);

// The helper's exit status for a source that can never start (a file to play that
// is missing or is no usable WAV): the searcher does not start it again. Other
// failures (a sound server that is not there yet) end it with status 1.
inline constexpr int kExitSourceUnusable = 2;

inline uint32_t* WriteIndex(uint8_t* view) { return reinterpret_cast<uint32_t*>(view); }
inline int16_t* Values(uint8_t* view) { return reinterpret_cast<int16_t*>(view + kValuesOffset); }

// The helper publishes the index after the values (release); the searcher reads it
// before the values (acquire).
inline uint32_t LoadWriteIndex(uint8_t* view) { return __atomic_load_n(WriteIndex(view), __ATOMIC_ACQUIRE); }
inline void PublishWriteIndex(uint8_t* view, uint32_t index) {
  __atomic_store_n(WriteIndex(view), index, __ATOMIC_RELEASE);
}

}  // namespace melo::echoline
