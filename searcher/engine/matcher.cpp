#include "searcher/engine/matcher.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_results.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace melo {

namespace {

constexpr int32_t kFrameSamples = kHalfSecond;
constexpr int32_t kEdge = 1024;  // aligned points must have a whole frame around them
constexpr int32_t kMinimumWindowFrames = 6;
// The band filter's work against a full scan's, in units of a full scan's look
// at one frame (eight table reads): a filter entry's extra byte is a sequential
// read, a record it leads to is a cache miss or two.
constexpr double kEntryCost = 0.3;
constexpr double kRecordReadCost = 30;
// The filter must cost at most this share of the full scan to be used.
constexpr double kFilterShare = 0.5;

inline uint16_t Position(const uint8_t* record) { return static_cast<uint16_t>(record[0] | (record[1] << 8)); }
// The record's amplitude is the signed mean of the samples around its peak, stored
// as 16 bits; a peak on a negative half-wave has a negative mean. The query side
// measures |x|, so the envelope is compared in magnitudes: read unsigned, half the
// frames would look about five times louder than they are and almost no window
// would pass. 0 means the frame has no peak.
inline int32_t Amplitude(const uint8_t* record) {
  return std::abs(int32_t{static_cast<int16_t>(record[2] | (record[3] << 8))});
}
inline const uint8_t* Bands(const uint8_t* record) { return record + 4; }

inline void Reach(BreakPoint stage, ScanDiagnostics& diagnostics) {
  diagnostics.breakPoint.store(static_cast<int32_t>(stage), std::memory_order_relaxed);
}
inline const uint8_t* Record(const uint8_t* records, int32_t j) { return records + IndexRecord::kSize * j; }

// Aligned query position of record j for a query starting at track sample `offset`.
inline int64_t Aligned(const uint8_t* records, int32_t j, int64_t offset) {
  return int64_t{j} * kFrameSamples + Position(Record(records, j)) - offset;
}

// Band differences of a frame and a key point: the sum and the largest, or false
// as soon as one exceeds `band`.
bool CoarseTest(const uint8_t* frameBands, const uint8_t* keyBands, int32_t band, int32_t* sum, int32_t* largest) {
  int32_t s = 0, d = 0;
  for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
    const int32_t e = std::abs(int32_t{frameBands[m]} - int32_t{keyBands[m]});
    if (e > band) return false;
    s += e;
    d = std::max(d, e);
  }
  *sum = s;
  *largest = d;
  return true;
}

inline uint64_t BandWord(const uint8_t* bands) {
  uint64_t word = 0;
  std::memcpy(&word, bands, 8);
  return word;
}

// The sum of the 8 band differences of two band words: one instruction where
// SSE2 is there (every x86-64 has it).
inline int32_t BandSum(uint64_t a, uint64_t b) {
#if defined(__SSE2__) && defined(__x86_64__)
  const __m128i x = _mm_cvtsi64_si128(static_cast<int64_t>(a));
  const __m128i y = _mm_cvtsi64_si128(static_cast<int64_t>(b));
  return _mm_cvtsi128_si32(_mm_sad_epu8(x, y));
#else
  int32_t sum = 0;
  for (int32_t m = 0; m < 8; ++m, a >>= 8, b >>= 8) {
    sum += std::abs(static_cast<int32_t>(a & 0xFF) - static_cast<int32_t>(b & 0xFF));
  }
  return sum;
#endif
}

inline int32_t LargestDifference(const uint8_t* frameBands, const uint8_t* keyBands) {
  int32_t largest = 0;
  for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
    largest = std::max(largest, std::abs(int32_t{frameBands[m]} - int32_t{keyBands[m]}));
  }
  return largest;
}

}  // namespace

ScanCounters& ScanCounters::operator+=(const ScanCounters& o) {
  framesExamined += o.framesExamined;
  comparisons += o.comparisons;
  coarseMatches += o.coarseMatches;
  windowsPassed += o.windowsPassed;
  offered += o.offered;
  accepted += o.accepted;
  return *this;
}

QueryMatcher::QueryMatcher(AudioQuery& query, const SearchParameters& params, const BandFilter* filter)
    : query_(query), params_(params), filter_(filter) {
  const auto& keypoints = query_.Keypoints();
  for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
    for (int32_t v = 0; v < 256; ++v) {
      uint32_t mask = 0;
      for (size_t k = 0; k < keypoints.size(); ++k) {
        if (std::abs(v - int32_t{keypoints[k].bands[m]}) <= params_.bandTolerance) mask |= 1u << k;
      }
      allowed_[m][v] = mask;
    }
  }
  for (size_t k = 0; k < keypoints.size() && k < keyBands_.size(); ++k) {
    keyBands_[k] = BandWord(keypoints[k].bands.data());
  }
  // The filter knows the frames with a peak of a track's last kTailFrames only by
  // count; a longer query needs the full scan.
  if (filter_ && !keypoints.empty() && 2 * params_.querySeconds <= BandFilter::kTailFrames) {
    std::vector<BandFilter::Probe> probes;
    for (const auto& keypoint : keypoints) {
      probes.push_back(filter_->ProbeFor(keypoint.bands.data(), params_.bandTolerance, params_.sumTolerance));
    }
    if (FilterPaysOff(probes)) probes_ = std::move(probes);
  }
}

bool QueryMatcher::FilterPaysOff(const std::vector<BandFilter::Probe>& probes) const {
  double cost = 0;
  for (const auto& probe : probes) {
    const BandFilter::Cost c = filter_->CostOf(probe);
    cost += kEntryCost * static_cast<double>(c.entries) + kRecordReadCost * c.recordReads;
  }
  return cost <= kFilterShare * static_cast<double>(filter_->Entries());
}

int32_t QueryMatcher::KeypointCount() const { return static_cast<int32_t>(query_.Keypoints().size()); }

void QueryMatcher::GatherCoarseMatches(int32_t keypoint, std::vector<TrackedMatch>& out) const {
  const uint64_t keyBands = keyBands_[keypoint];
  const uint8_t* key = query_.Keypoints()[keypoint].bands.data();
  const uint32_t bit = 1u << keypoint;
  const auto& a = allowed_;
  const int32_t tail = 2 * params_.querySeconds;
  filter_->Visit(probes_[keypoint], [&](const FilteredFrame& f) {
    const uint8_t* b = Bands(f.record);
    // The full scan's coarse test, exactly: every band within Tb, then the sum.
    if ((a[0][b[0]] & a[1][b[1]] & a[2][b[2]] & a[3][b[3]] & a[4][b[4]] & a[5][b[5]] & a[6][b[6]] & a[7][b[7]] &
         bit) == 0) {
      return;
    }
    const int32_t sum = BandSum(BandWord(b), keyBands);
    if (sum > params_.sumTolerance || f.frame >= f.trackFrames - tail) return;
    out.push_back({f.track, {f.frame, keypoint, sum, LargestDifference(b, key)}});
  });
}

void QueryMatcher::FilteredScan(int32_t track, const TrackIndex& index, std::span<const TrackedMatch> matches,
                                SearchResults& results, ScanScratch& scratch) const {
  const int32_t frames = index.count - 2 * params_.querySeconds;
  if (frames <= 0) {
    Reach(BreakPoint::kTrackTooShort, *scratch.diagnostics);
    return;
  }
  ScanCounters& counters = *scratch.counters;
  counters.framesExamined += frames;
  counters.comparisons += int64_t{KeypointCount()} * filter_->FramesWithPeakBefore(track, frames);
  for (const TrackedMatch& m : matches) EvaluateCoarseMatch(track, index, m.match, results, scratch);
}

void QueryMatcher::FullScan(int32_t track, const TrackIndex& index, SearchResults& results,
                            ScanScratch& scratch) const {
  const int32_t n = index.count;
  const int32_t frames = n - 2 * params_.querySeconds;
  if (frames <= 0) {
    Reach(BreakPoint::kTrackTooShort, *scratch.diagnostics);
    return;
  }
  const auto& keypoints = query_.Keypoints();
  const int64_t keypointCount = static_cast<int64_t>(keypoints.size());
  const uint8_t* records = index.records.data();
  ScanCounters& counters = *scratch.counters;
  counters.framesExamined += frames;
  if (keypointCount == 0) return;
  const auto& a = allowed_;
  for (int32_t i = 0; i < frames; ++i) {
    const uint8_t* r = Record(records, i);
    if (Amplitude(r) == 0) continue;
    counters.comparisons += keypointCount;
    const uint8_t* b = Bands(r);
    uint32_t candidates = a[0][b[0]] & a[1][b[1]] & a[2][b[2]] & a[3][b[3]] & a[4][b[4]] & a[5][b[5]] &
                          a[6][b[6]] & a[7][b[7]];
    if (candidates == 0) continue;
    // Every band of a candidate is within Tb already; the sum decides.
    const uint64_t frameBands = BandWord(b);
    while (candidates != 0) {
      const int32_t k = std::countr_zero(candidates);
      candidates &= candidates - 1;
      const int32_t sum = BandSum(frameBands, keyBands_[k]);
      if (sum > params_.sumTolerance) continue;
      const int32_t largest = LargestDifference(b, keypoints[k].bands.data());
      EvaluateCoarseMatch(track, index, {i, k, sum, largest}, results, scratch);
    }
  }
}

void QueryMatcher::EvaluateCoarseMatch(int32_t track, const TrackIndex& index, const CoarseMatch& match,
                                       SearchResults& results, ScanScratch& scratch) const {
  ++scratch.counters->coarseMatches;
  const Tolerances full{params_.bandTolerance, params_.sumTolerance, params_.sumTolerance, true};
  if (track == params_.debugTrack && std::abs(params_.debugFrame - match.frame) < 10) {
    scratch.diagnostics->trace1 +=
        query_.TimeStamp() +
        QStringLiteral("\tKeypoint found RealPos=%1\ti=%2\r\n").arg(params_.debugFrame).arg(match.frame);
  }
  Evaluate(full, track, index, match, results, scratch);
}

void QueryMatcher::TrackingScan(int32_t track, const TrackIndex& index, SearchResults& results, int32_t first,
                                int32_t end, ScanScratch& scratch) const {
  const Tolerances relaxed{params_.bandTolerance + params_.extraBandTolerance,
                           params_.sumTolerance + params_.extraSumTolerance,
                           params_.sumTolerance + params_.extraSumTolerance, false};
  const auto& keypoints = query_.Keypoints();
  const uint8_t* records = index.records.data();
  for (int32_t i = std::max(first, int32_t{0}); i < std::min(end, index.count); ++i) {
    const uint8_t* r = Record(records, i);
    if (Amplitude(r) == 0) continue;
    for (int32_t k = 0; k < static_cast<int32_t>(keypoints.size()); ++k) {
      int32_t sum = 0, largest = 0;
      if (!CoarseTest(Bands(r), keypoints[k].bands.data(), relaxed.band, &sum, &largest)) continue;
      if (sum > relaxed.sum) continue;
      Evaluate(relaxed, track, index, {i, k, sum, largest}, results, scratch);
    }
  }
}

std::optional<AlignedWindow> QueryMatcher::WindowAround(const TrackIndex& index, const CoarseMatch& match) const {
  const int32_t span = 2 * params_.querySeconds;
  const int32_t lo = std::max(int32_t{0}, match.frame - span);
  const int32_t hi = std::min(match.frame + span, index.count - 1);
  if (hi < lo) return std::nullopt;
  const uint8_t* records = index.records.data();
  const int64_t keyPosition = query_.Keypoints()[match.keypoint].position;
  AlignedWindow window;
  window.offset = int64_t{match.frame} * kFrameSamples + Position(Record(records, match.frame)) - keyPosition;
  const int32_t length = query_.Length();
  int32_t j = lo;
  while (j <= hi && Aligned(records, j, window.offset) <= kEdge - 1) ++j;
  window.first = j;
  while (j <= hi && Aligned(records, j, window.offset) <= length - kEdge) {
    ++window.frames;
    ++j;
  }
  if (window.frames == 0) window.first = lo;  // an empty window (tracking scan only) passes the envelope with 0
  return window;
}

int32_t QueryMatcher::ConfirmingKeypoints(const TrackIndex& index, const AlignedWindow& window, int32_t matched,
                                          int32_t band, int32_t sum) const {
  constexpr int64_t kReach = 3;  // the envelope check's reach
  const uint8_t* records = index.records.data();
  const auto& keypoints = query_.Keypoints();
  int32_t confirming = 0;
  for (int32_t k = 0; k < static_cast<int32_t>(keypoints.size()); ++k) {
    if (k == matched) continue;
    const int64_t sample = window.offset + keypoints[k].position;
    const int64_t frame = sample / kFrameSamples;
    if (sample < 0 || frame >= index.count) continue;
    const uint8_t* r = Record(records, static_cast<int32_t>(frame));
    if (Amplitude(r) == 0 || std::llabs(frame * kFrameSamples + Position(r) - sample) > kReach) continue;
    int32_t bandSum = 0, largest = 0;
    if (CoarseTest(Bands(r), keypoints[k].bands.data(), band, &bandSum, &largest) && bandSum <= sum) ++confirming;
  }
  return confirming;
}

QueryMatcher::FineComparison QueryMatcher::CompareBands(const TrackIndex& index, const AlignedWindow& window,
                                                        int32_t largest, ScanScratch& scratch,
                                                        QString* trace) const {
  FineComparison fine;
  fine.largest = largest;
  const uint8_t* records = index.records.data();
  const int16_t* x = query_.Samples().data();
  for (int32_t w = window.first; w < window.first + window.frames; ++w) {
    const uint8_t* r = Record(records, w);
    const auto p = static_cast<int32_t>(Aligned(records, w, window.offset));
    if (std::abs(int32_t{x[p]}) < params_.minimumAmplitude || Amplitude(r) < params_.minimumAmplitude) continue;
    uint8_t cached[IndexRecord::kBands];
    query_.BandsAt(p, scratch.bands, cached);
    if (trace) {
      *trace += QStringLiteral("\tqpos=%1\tqamp=%2\tdbpos=%3\tdbamp=%4")
                    .arg(p)
                    .arg(x[p])
                    .arg(int64_t{w} * kFrameSamples + Position(r))
                    .arg(Amplitude(r));
    }
    ++fine.compared;
    bool spoiled = false;
    for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
      const int32_t e = std::abs(int32_t{Bands(r)[m]} - int32_t{cached[m]});
      fine.bandSum += e;
      fine.largest = std::max(fine.largest, e);
      spoiled = spoiled || e > params_.bandTolerance;
      if (trace) *trace += QStringLiteral("\t%1").arg(e);
    }
    if (spoiled) ++fine.spoiledFrames;
    if (trace) *trace += QStringLiteral("\r\n");
  }
  return fine;
}

void QueryMatcher::Evaluate(const Tolerances& t, int32_t track, const TrackIndex& index, const CoarseMatch& match,
                            SearchResults& results, ScanScratch& scratch) const {
  ScanDiagnostics& diagnostics = *scratch.diagnostics;
  auto reach = [&](BreakPoint stage) {
    if (t.full) Reach(stage, diagnostics);
  };
  const std::optional<AlignedWindow> window = WindowAround(index, match);
  reach(BreakPoint::kNoUsableWindow);
  if (!window || (t.full && window->frames < kMinimumWindowFrames)) return;
  reach(BreakPoint::kWindowLargeEnough);
  const int32_t envelope = EnvelopeCheck(index, *window);
  if (envelope < 0) return;
  reach(BreakPoint::kEnvelopePassed);
  if (t.full) ++scratch.counters->windowsPassed;
  // Wide tolerances let chance alignments through the cheap tests; one that no
  // other key point agrees with is not worth the band comparison, nor an answer.
  if (params_.confirmingKeypoints > 0 &&
      ConfirmingKeypoints(index, *window, match.keypoint, t.band, t.sum) < params_.confirmingKeypoints) {
    return;
  }

  const bool traced = t.full && track == params_.debugTrack && std::abs(params_.debugFrame - match.frame) < 16;
  QString trace;
  if (traced) trace = query_.TimeStamp() + QStringLiteral("\t%1\t%2\r\n").arg(match.frame / 2).arg(window->frames);
  const FineComparison fine = CompareBands(index, *window, match.largest, scratch, traced ? &trace : nullptr);
  if (traced) diagnostics.trace2 += trace + QStringLiteral("\r\n");

  const int32_t score = window->frames > 0 ? std::max(match.sum, fine.bandSum / window->frames) : match.sum;
  if (fine.Spoiled(params_.spoiledPercent) || score > t.finalScore) return;
  reach(BreakPoint::kCandidateOffered);
  const int32_t place = results.Offer({
      .track = track,
      .position = window->offset + query_.Length(),
      .trackAmplitude = Amplitude(Record(index.records.data(), match.frame)),
      .queryAmplitude = query_.Keypoints()[match.keypoint].amplitude,
      .maxBandDifference = fine.largest,
      .envelope = envelope,
      .score = score,
      .insideFrames = window->frames,
      .frame = match.frame,
      .keypoint = match.keypoint,
  });
  if (t.full) {
    ++scratch.counters->offered;
    if (place >= 0) ++scratch.counters->accepted;
  }
  reach(BreakPoint::kCandidateFinished);
}

int32_t QueryMatcher::EnvelopeCheck(const TrackIndex& index, const AlignedWindow& window) const {
  const uint8_t* records = index.records.data();
  const int32_t f = window.first;
  const int32_t c = window.frames;
  const int64_t offset = window.offset;
  if (int64_t{f} + c >= index.count) return -2;
  if (c < 1) return 0;
  // Bounded by the query's own length: a query opened from a file need not be
  // Q seconds long, and no sample past its end may be read.
  const int32_t length = query_.Length();
  const int16_t* x = query_.Samples().data();
  int64_t trackSum = 0, querySum = 0;
  int32_t loudest = 0;
  for (int32_t j = f; j < f + c; ++j) {
    const int64_t p = Aligned(records, j, offset);
    if (p >= length || p < 0) return -3;
    trackSum += Amplitude(Record(records, j));
    const int32_t a = std::abs(int32_t{x[p]});
    querySum += a;
    loudest = std::max(loudest, a);
  }
  // A silent window has no loudness shape to compare.
  if (trackSum == 0 || loudest == 0) return -1;
  const int32_t tolerance = params_.amplitudeTolerance;
  int32_t worst = 0;
  for (int32_t j = f; j < f + c; ++j) {
    const int64_t p = Aligned(records, j, offset);
    const int64_t expected = std::llabs(int64_t{Amplitude(Record(records, j))} * querySum / trackSum);
    auto error = [&](int64_t at) { return std::llabs(expected - std::abs(int32_t{x[at]})) * 100 / loudest; };
    int64_t accepted = error(p);
    if (accepted >= tolerance) {
      accepted = -1;
      for (const int32_t step : {-1, 1, -2, 2, -3, 3}) {
        const int64_t q = p + step;
        if (q < 0 || q >= length) continue;
        const int64_t e = error(q);
        if (e < tolerance) {
          accepted = e;
          break;
        }
      }
      if (accepted < 0) return -1;
    }
    worst = std::max(worst, static_cast<int32_t>(accepted));
  }
  return worst;
}

}  // namespace melo
