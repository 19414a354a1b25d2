#pragma once

#include "fingerprint/dominant_peak.h"
#include "fingerprint/index_record.h"
#include "fingerprint/spectrum_analyzer.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace melo {

// A track must hold more than this many samples minus one (30 s) to be fingerprinted.
inline constexpr int32_t kMinTrackSamples = 1440000;
inline constexpr int32_t kFrameSize = 2048;
inline constexpr int32_t kFrameHalf = kFrameSize / 2;
inline constexpr int32_t kQueryWindowStep = 4800;
inline constexpr int32_t kMaxQueryKeypoints = 20;
inline constexpr int32_t kMinQueryKeypoints = 4;

struct QueryKeypoint {
  uint32_t position = 0;   // sample index of the peak in the query
  uint16_t amplitude = 0;  // |x| at the peak (-32768 gives 32768)
  std::array<uint8_t, IndexRecord::kBands> bands{};
};

// A dominant peak found while choosing query key points; the radius is kept for
// diagnostics only.
struct PeakCandidate {
  int32_t position = 0;
  int32_t radius = 0;
};

// Turns samples into fingerprint records (index side) and computes the band bytes
// of any position (query side). Used by one thread; never shared.
class FingerprintBuilder {
 public:
  explicit FingerprintBuilder(int32_t capacity);

  // Writes one record for the dominant peak of the scanner's samples [start,
  // start + length) into slot Current() and advances it, wrapping to slot 0 at
  // capacity. A window without a peak gives a zero record; a peak whose frame leaves
  // the track keeps its position and amplitude with zero bands. The scanner's block
  // peaks are prepared once for the whole buffer and serve every window.
  void ProcessWindow(const PeakScanner& scanner, int32_t start, int32_t length);

  // Band bytes of the frame centred on `position`. Outside the track: all 255, false.
  bool ComputeBandBytes(const int16_t* samples, int32_t count, int32_t position,
                        uint8_t* out);

  // Dominant peaks of 24000-sample windows starting every 4800 samples, in order of
  // discovery, without repeats and at least 1025 samples away from either end.
  std::vector<PeakCandidate> FindQueryKeypoints(const int16_t* samples, int32_t count) const;

  int32_t Capacity() const noexcept { return capacity_; }
  int32_t Current() const noexcept { return current_; }
  std::span<const uint8_t> Records() const noexcept { return records_; }
  std::vector<uint8_t> TakeRecords() noexcept { return std::move(records_); }

 private:
  void FrameBandBytes(const int16_t* samples, int32_t frameStart, uint8_t* out);
  void StoreRecord(const int16_t* samples, int32_t count, const DominantPeak& peak);

  SpectrumAnalyzer analyzer_;
  std::vector<uint8_t> records_;
  int32_t capacity_;
  int32_t current_ = 0;
};

// The `index_data` of one track: one record per whole half second. Empty when the
// track holds fewer than kMinTrackSamples samples.
std::vector<uint8_t> FingerprintTrack(const int16_t* samples, int32_t count);

// The query's key points: the first (at most 20) dominant peaks with their
// amplitudes and band bytes. Nothing when fewer than 4 peaks qualify.
std::optional<std::vector<QueryKeypoint>> BuildQueryKeypoints(FingerprintBuilder& builder,
                                                              const int16_t* samples,
                                                              int32_t count);

}  // namespace melo
