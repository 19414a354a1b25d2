#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace melo {

// One fingerprint record: the dominant peak of one half-second window of a track
// and the band energies of the 2048-sample spectrum centred on it. A track's
// fingerprint (`index_data`) is its records back to back, 12 bytes each, with no
// header, count or checksum; record w describes samples 24000w ... 24000w + 23999.
//
// Layout, multi-byte fields little-endian. Worked example, the bytes
//     39 5B  0C FE  FF 80 00 00 10 20 40 00
// read as
//     position  0x5B39 = 23353   peak offset within its half-second window
//     amplitude 0xFE0C = 65036   mean of the 5 samples around the peak (-500),
//                                stored as the low 16 bits of two's complement
//     bands     255 128 0 0 16 32 64 0
//               23-375 Hz, 398-750, 773-1125, 1148-1500, 1523-2250, 2273-3000,
//               3023-4594, 4617-6000; 255 means at or above the band's ceiling.
// Its peak lies at absolute sample 24000w + 23353.
struct IndexRecord {
  static constexpr size_t kSize = 12;
  // The samples one record describes: half a second at 48 kHz.
  static constexpr int64_t kSamples = 24000;
  static constexpr int32_t kBands = 8;

  uint16_t position = 0;
  // The signed mean as 16 bits: a peak on a negative half-wave stores a negative
  // mean. The matcher compares its magnitude, |(int16_t)amplitude|.
  uint16_t amplitude = 0;
  std::array<uint8_t, kBands> bands{};

  static IndexRecord Decode(const uint8_t* bytes) noexcept;
  void Encode(uint8_t* bytes) const noexcept;

  bool operator==(const IndexRecord&) const = default;
};

// Read-only view of an `index_data` blob. The record count is the blob length / 12;
// a trailing partial record, which the indexer never writes, is ignored.
class IndexDataView {
 public:
  IndexDataView() = default;
  explicit IndexDataView(std::span<const uint8_t> blob) noexcept : blob_(blob) {}

  int32_t size() const noexcept { return static_cast<int32_t>(blob_.size() / IndexRecord::kSize); }
  bool empty() const noexcept { return size() == 0; }
  IndexRecord operator[](int32_t w) const noexcept {
    return IndexRecord::Decode(blob_.data() + static_cast<size_t>(w) * IndexRecord::kSize);
  }
  // The 12 bytes of record w, for code that reads fields in place.
  const uint8_t* RecordBytes(int32_t w) const noexcept {
    return blob_.data() + static_cast<size_t>(w) * IndexRecord::kSize;
  }

  // Absolute sample index of record w's peak in the track.
  int64_t PeakSample(int32_t w) const noexcept;

 private:
  std::span<const uint8_t> blob_;
};

}  // namespace melo
