#include "searcher/engine/audio_query.h"

#include "base/log_writer.h"
#include "base/path_utils.h"
#include "base/sample_files.h"
#include "searcher/engine/low_pass.h"
#include "searcher/engine/noise_level.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace melo {

namespace {

constexpr uint64_t kComputedMask = 0xFFull | (0xFFull << 16) | (0xFFull << 32);  // bytes 0, 2, 4
// Grid point g of the noise bias lies at sample (g + 1) * kBiasStep: the first
// whose frame lies inside the query.
constexpr int32_t kBiasStep = kFrameHalf;

// Key points at the dominant peaks of the low-passed copy, with the original's
// amplitudes; their band bytes are the query's corrected ones, filled in later.
std::optional<std::vector<QueryKeypoint>> LowPassedKeypoints(const FingerprintBuilder& builder,
                                                             const std::vector<int16_t>& samples) {
  const auto count = static_cast<int32_t>(samples.size());
  const std::vector<int16_t> lowPassed = LowPassed6k(samples.data(), count);
  const std::vector<PeakCandidate> peaks = builder.FindQueryKeypoints(lowPassed.data(), count);
  if (static_cast<int32_t>(peaks.size()) < kMinQueryKeypoints) return std::nullopt;
  std::vector<QueryKeypoint> keypoints(std::min(peaks.size(), static_cast<size_t>(kMaxQueryKeypoints)));
  for (size_t i = 0; i < keypoints.size(); ++i) {
    const int32_t p = peaks[i].position;
    keypoints[i].position = static_cast<uint32_t>(p);
    keypoints[i].amplitude = static_cast<uint16_t>(std::abs(int32_t{samples[p]}));
  }
  return keypoints;
}

}  // namespace

AudioQuery::AudioQuery() = default;

bool AudioQuery::Create(const int16_t* samples, int32_t count, QueryAnalysis analysis) {
  timeStamp_ = LogTimeStamp();
  samples_.assign(samples, samples + std::max(count, int32_t{0}));
  peak_ = 0;
  for (int16_t s : samples_) peak_ = std::max(peak_, std::abs(int32_t{s}));
  const bool robust = analysis == QueryAnalysis::NoiseRobust;
  auto keypoints = robust ? LowPassedKeypoints(builder_, samples_)
                          : BuildQueryKeypoints(builder_, samples_.data(), Length());
  if (analysis == QueryAnalysis::Landmarks) {
    const size_t analysed = std::min<size_t>(samples_.size(), size_t{kMaxLandmarkFrames - 1} *
                                                                      landmarks::kInputSamplesPerHop +
                                                                  landmarks::kFrameSize * landmarks::kDecimation);
    landmarks_ = landmarkExtractor_.Extract({samples_.data(), analysed});
    lookups_ = landmarks::WithFrameNeighbours(landmarks_.landmarks);
    if (lookups_.empty()) return false;
    if (!keypoints) keypoints.emplace();
  } else {
    if (!keypoints) return false;
    landmarks_ = {};
    lookups_.clear();
  }
  analysis_ = analysis;
  noiseSigma_ = robust ? EstimateNoiseSigma(samples_.data(), Length()) : 0.0;
  cacheLength_ = Length();
  cache_ = std::make_unique<std::atomic<uint64_t>[]>(static_cast<size_t>(cacheLength_));
  for (int32_t i = 0; i < cacheLength_; ++i) cache_[i].store(0, std::memory_order_relaxed);
  // Points whose frame ends before the last sample, as FingerprintBuilder requires.
  biasSlots_ = robust ? std::max((Length() - kFrameHalf - 1) / kBiasStep, int32_t{0}) : 0;
  biasGrid_ = biasSlots_ > 0 ? std::make_unique<BiasSlot[]>(static_cast<size_t>(biasSlots_)) : nullptr;
  if (robust) {
    for (QueryKeypoint& k : *keypoints) BandsAt(static_cast<int32_t>(k.position), corrected_, k.bands.data());
  }
  keypoints_ = std::move(*keypoints);
  return true;
}

void AudioQuery::BandsAt(int32_t position, NoiseCorrectedBands& scratch, uint8_t* out) {
  const bool cached = position >= 0 && position < cacheLength_ && position < Length();
  if (cached) {
    const uint64_t word = cache_[position].load(std::memory_order_acquire);
    if ((word & kComputedMask) != 0) {
      std::memcpy(out, &word, 8);
      return;
    }
  }
  if (scratch.PlainBytes(samples_.data(), Length(), position, out) && biasSlots_ > 0) {
    const int32_t nearest = (position + kBiasStep / 2) / kBiasStep - 1;
    BiasSlot& slot = biasGrid_[std::clamp(nearest, int32_t{0}, biasSlots_ - 1)];
    const int32_t at = static_cast<int32_t>(&slot - biasGrid_.get() + 1) * kBiasStep;
    std::call_once(slot.measured, [&] { slot.bias = scratch.BiasAt(samples_.data(), at, noiseSigma_); });
    NoiseCorrectedBands::Remove(slot.bias, out);
  }
  if (cached) {
    uint64_t word = 0;
    std::memcpy(&word, out, 8);
    cache_[position].store(word, std::memory_order_release);
  }
}

bool AudioQuery::SaveDat(const QString& path) const { return SaveRawSamples(samples_, path); }

bool AudioQuery::SaveWav(const QString& path) const { return SaveWavSamples(samples_, path); }

QString AudioQuery::FileNameFor(const QString& directory, const QString& timeStamp, const QString& extension) {
  QString stamp = timeStamp;
  stamp.replace(QLatin1Char(':'), QLatin1Char('-')).replace(QLatin1Char(' '), QLatin1Char('_'));
  return JoinPath(directory, QStringLiteral("query_") + stamp + extension);
}

}  // namespace melo
