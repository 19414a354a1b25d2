#include "fingerprint/fingerprint_builder.h"

#include "fingerprint/sample_buffer.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

// Band c covers magnitude bins kBandEdges[c] ... kBandEdges[c + 1] - 1; bin k is
// centred on (k + 1) * 23.4375 Hz. The 6/7 edge is 196, not 192.
constexpr std::array<int32_t, IndexRecord::kBands + 1> kBandEdges = {0,  16,  32,  48, 64,
                                                                     96, 128, 196, 256};
constexpr std::array<double, IndexRecord::kBands> kBandCeilings = {
    80000, 50000, 50000, 50000, 40000, 80000, 80000, 60000};
constexpr int32_t kUsedBins = kBandEdges.back();

// Mean of the signed samples p-2 ... p+2 (fewer at the edges), truncated toward zero.
int16_t MeanAroundPeak(const int16_t* x, int32_t count, int32_t p) {
  const int32_t lo = std::max(p - 2, int32_t{0});
  const int32_t hi = std::min(p + 2, count - 1);
  int32_t sum = 0;
  for (int32_t i = lo; i <= hi; ++i) sum += x[i];
  return static_cast<int16_t>(sum / (hi - lo + 1));
}

bool FrameInsideTrack(int32_t frameStart, int32_t count) {
  return frameStart >= 0 && int64_t{frameStart} + kFrameSize < count;
}

}  // namespace

FingerprintBuilder::FingerprintBuilder(int32_t capacity)
    : analyzer_(kFrameSize),
      records_(static_cast<size_t>(std::max(capacity, int32_t{0})) * IndexRecord::kSize),
      capacity_(std::max(capacity, int32_t{0})) {}

void FingerprintBuilder::FrameBandBytes(const int16_t* samples, int32_t frameStart,
                                        uint8_t* out) {
  analyzer_.ComputeSpectrum(samples, frameStart, kUsedBins);
  const auto magnitudes = analyzer_.Magnitudes();
  for (int32_t c = 0; c < IndexRecord::kBands; ++c) {
    double energy = 0.0;
    for (int32_t k = kBandEdges[c]; k < kBandEdges[c + 1]; ++k) energy += magnitudes[k];
    const double ceiling = kBandCeilings[c];
    if (energy > ceiling) energy = ceiling;
    const int32_t level = static_cast<int32_t>(energy * 255.0 / ceiling);
    out[c] = static_cast<uint8_t>(std::min(level, int32_t{255}));
  }
}

void FingerprintBuilder::ProcessWindow(const PeakScanner& scanner, int32_t start, int32_t length) {
  StoreRecord(scanner.Samples(), scanner.Count(), scanner.Find(start, start + length));
}

void FingerprintBuilder::StoreRecord(const int16_t* samples, int32_t count, const DominantPeak& peak) {
  if (capacity_ == 0) return;
  IndexRecord record;
  if (peak.found) {
    const int32_t p = peak.position;
    record.position = static_cast<uint16_t>(p % kHalfSecond);
    record.amplitude = static_cast<uint16_t>(MeanAroundPeak(samples, count, p));
    if (FrameInsideTrack(p - kFrameHalf, count)) {
      FrameBandBytes(samples, p - kFrameHalf, record.bands.data());
    }
  }
  record.Encode(records_.data() + static_cast<size_t>(current_) * IndexRecord::kSize);
  current_ = current_ + 1 == capacity_ ? 0 : current_ + 1;
}

bool FingerprintBuilder::ComputeBandBytes(const int16_t* samples, int32_t count,
                                          int32_t position, uint8_t* out) {
  const int32_t frameStart = position - kFrameHalf;
  if (!FrameInsideTrack(frameStart, count)) {
    std::fill(out, out + IndexRecord::kBands, uint8_t{255});
    return false;
  }
  FrameBandBytes(samples, frameStart, out);
  return true;
}

std::vector<PeakCandidate> FingerprintBuilder::FindQueryKeypoints(const int16_t* samples,
                                                                  int32_t count) const {
  std::vector<PeakCandidate> found;
  if (count < kHalfSecond + 1) return found;
  const PeakScanner scanner(samples, count);
  for (int32_t w = 0; w < count - kHalfSecond; w += kQueryWindowStep) {
    const DominantPeak peak = scanner.Find(w, w + kHalfSecond);
    if (!peak.found) continue;
    const int32_t p = peak.position;
    if (p < kFrameHalf + 1 || p >= count - kFrameHalf) continue;
    const bool seen = std::any_of(found.begin(), found.end(),
                                  [p](const PeakCandidate& c) { return c.position == p; });
    if (!seen) found.push_back({p, peak.radius});
  }
  return found;
}

std::vector<uint8_t> FingerprintTrack(const int16_t* samples, int32_t count) {
  if (count < kMinTrackSamples) return {};
  const int32_t capacity = count / kHalfSecond;
  FingerprintBuilder builder(capacity);
  const PeakScanner scanner(samples, count);
  for (int32_t w = 0; w < capacity; ++w) builder.ProcessWindow(scanner, kHalfSecond * w, kHalfSecond);
  return builder.TakeRecords();
}

std::optional<std::vector<QueryKeypoint>> BuildQueryKeypoints(FingerprintBuilder& builder,
                                                              const int16_t* samples,
                                                              int32_t count) {
  const std::vector<PeakCandidate> peaks = builder.FindQueryKeypoints(samples, count);
  if (static_cast<int32_t>(peaks.size()) < kMinQueryKeypoints) return std::nullopt;
  const size_t kept = std::min(peaks.size(), static_cast<size_t>(kMaxQueryKeypoints));
  std::vector<QueryKeypoint> keypoints(kept);
  for (size_t i = 0; i < kept; ++i) {
    const int32_t p = peaks[i].position;
    keypoints[i].position = static_cast<uint32_t>(p);
    keypoints[i].amplitude = static_cast<uint16_t>(std::abs(int32_t{samples[p]}));
    builder.ComputeBandBytes(samples, count, p, keypoints[i].bands.data());
  }
  return keypoints;
}

}  // namespace melo
