#pragma once

#include "fingerprint/fingerprint_builder.h"
#include "landmarks/landmark_extractor.h"
#include "searcher/engine/noise_corrected_bands.h"
#include "searcher/engine/search_parameters.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace melo {

// The piece of sound being looked up: its samples (48000 Hz mono), up to 20 key
// points with their band bytes, and a per-sample cache of band bytes that the
// matching fills lazily. The noise-robust analysis estimates the query's noise
// level once, chooses the key points on a low-passed copy and corrects every
// band byte for that noise, with the bias measured at the nearest point of a
// 1024-sample grid, each grid point once, when first needed. One instance is
// reused for every search; during a search it is read by all scanning threads,
// and only the caches change.
class AudioQuery {
 public:
  AudioQuery();

  // Takes a copy of the samples and selects their key points. With fewer than 4
  // key points it fails, and the key points and cache stay those of the previous
  // query (the samples are the new ones): a caller must not search then. The
  // landmark analysis also finds the query's spectral peaks and landmarks; it
  // fails only without a landmark, and then has no key points when fewer than 4
  // qualify.
  bool Create(const int16_t* samples, int32_t count, QueryAnalysis analysis);

  const QString& TimeStamp() const { return timeStamp_; }  // "yyyy-mm-dd hh:mm:ss "
  const std::vector<int16_t>& Samples() const { return samples_; }
  int32_t Length() const { return static_cast<int32_t>(samples_.size()); }
  int32_t Peak() const { return peak_; }
  const std::vector<QueryKeypoint>& Keypoints() const { return keypoints_; }
  QueryAnalysis Analysis() const { return analysis_; }
  // The landmark analysis' peaks and landmarks (empty for the others), of the
  // query's first kMaxLandmarkFrames frames; the look-ups are the landmarks with
  // their frame neighbours (landmarks::WithFrameNeighbours).
  static constexpr int32_t kMaxLandmarkFrames = 1000;  // 16 s
  const landmarks::LandmarkSet& Landmarks() const { return landmarks_; }
  const std::vector<landmarks::Landmark>& LandmarkLookups() const { return lookups_; }

  // Band bytes of the frame centred on `position`, computed once per position with
  // the caller's own analyser (threads must not share one) and kept in the cache.
  void BandsAt(int32_t position, NoiseCorrectedBands& scratch, uint8_t* out);

  // Raw samples or the 44-byte mono WAV; false when there are no samples or the
  // file cannot be written ("Ошибка сохранения аудио данных!").
  bool SaveDat(const QString& path) const;
  bool SaveWav(const QString& path) const;

  // directory/query_<stamp with ':' -> '-' and ' ' -> '_'><extension>, e.g.
  // query_2024-05-01_13-45-10_.dat.
  static QString FileNameFor(const QString& directory, const QString& timeStamp, const QString& extension);

 private:
  QString timeStamp_;
  std::vector<int16_t> samples_;
  int32_t peak_ = 0;
  std::vector<QueryKeypoint> keypoints_;
  QueryAnalysis analysis_ = QueryAnalysis::Plain;
  double noiseSigma_ = 0;
  FingerprintBuilder builder_{1};
  landmarks::LandmarkExtractor landmarkExtractor_{landmarks::QuerySettings()};
  landmarks::LandmarkSet landmarks_;
  std::vector<landmarks::Landmark> lookups_;
  NoiseCorrectedBands corrected_;
  int32_t cacheLength_ = 0;
  // 8 band bytes per sample position, published whole; 0 in bytes 0, 2 and 4
  // means not computed yet.
  std::unique_ptr<std::atomic<uint64_t>[]> cache_;
  struct BiasSlot {
    std::once_flag measured;
    NoiseCorrectedBands::Bias bias{};
  };
  int32_t biasSlots_ = 0;
  std::unique_ptr<BiasSlot[]> biasGrid_;
};

}  // namespace melo
