#pragma once

#include "searcher/engine/band_filter.h"
#include "searcher/engine/noise_corrected_bands.h"
#include "searcher/engine/search_parameters.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace melo {

class AudioQuery;
class SearchResults;
struct TrackIndex;

// Work counters of one search, kept per scanning thread. They are written in the
// hot loop, so each has a cache line of its own: two workers writing into one
// line would slow each other down.
struct alignas(64) ScanCounters {
  int64_t framesExamined = 0;
  int64_t comparisons = 0;     // key point against frame, coarse test
  int64_t coarseMatches = 0;
  int64_t windowsPassed = 0;   // passed the envelope check
  int64_t offered = 0;
  int64_t accepted = 0;

  ScanCounters& operator+=(const ScanCounters& o);
};

// The stages a full scan's evaluation of a coarse match gets through, by the
// numbers the debug window shows.
enum class BreakPoint : int32_t {
  kNoUsableWindow = 0,  // a coarse match was found; its window is empty or small
  kWindowLargeEnough = 1,
  kEnvelopePassed = 2,
  kCandidateOffered = 4,
  kCandidateFinished = 6,
  kTrackTooShort = 10,  // the track holds no more frames than the query
};

// Where full scans last got to, and the traces of the debug track.
struct ScanDiagnostics {
  std::atomic<int32_t> breakPoint{0};  // a BreakPoint
  QString trace1;  // coarse matches near the debug frame
  QString trace2;  // candidates near the debug frame, frame by frame
};

// Key point `keypoint` passed the coarse test at frame `frame` with band sum `sum`
// and largest band difference `largest`.
struct CoarseMatch {
  int32_t frame = 0;
  int32_t keypoint = 0;
  int32_t sum = 0;
  int32_t largest = 0;
};

// A coarse match the band filter found, with its track; ordered as a full scan
// meets them: track, frame, key point.
struct TrackedMatch {
  int32_t track = 0;
  CoarseMatch match;

  bool operator<(const TrackedMatch& o) const {
    if (track != o.track) return track < o.track;
    if (match.frame != o.match.frame) return match.frame < o.match.frame;
    return match.keypoint < o.match.keypoint;
  }
};

// Frames first ... first + frames - 1 of a track, aligned with the query so that
// track sample s meets query sample s - offset.
struct AlignedWindow {
  int32_t first = 0;
  int32_t frames = 0;
  int64_t offset = 0;
};

// What one scanning thread brings to a scan: its own band analyser (threads must
// not share one) and its counter block.
struct ScanScratch {
  NoiseCorrectedBands bands;
  ScanCounters* counters = nullptr;
  ScanDiagnostics* diagnostics = nullptr;
};

// Matches the current query against tracks: a cheap test of a frame's 8 band
// bytes against every key point proposes an alignment, enough of the track's
// frames must fall inside the query, the loudness envelope must agree, and the
// band bytes at every aligned point give the score. Candidates go to the shared
// result list. Built once per search; scans of different tracks run in parallel.
//
// With a band filter whose probes cost less than reading every frame, the coarse
// matches are gathered from the filter instead (key point by key point, in any
// thread), then each track's are evaluated in a full scan's order with the same
// counters: the results are those of the full scan.
class QueryMatcher {
 public:
  QueryMatcher(AudioQuery& query, const SearchParameters& params, const BandFilter* filter = nullptr);

  // The whole track (frames 0 .. n - 2Q - 1).
  void FullScan(int32_t track, const TrackIndex& index, SearchResults& results, ScanScratch& scratch) const;

  // Whether this search gathers its coarse matches from the band filter.
  bool Filtered() const { return !probes_.empty(); }
  int32_t KeypointCount() const;
  // Appends the coarse matches of one key point over all tracks (frames 0 ..
  // n - 2Q - 1), in no particular order.
  void GatherCoarseMatches(int32_t keypoint, std::vector<TrackedMatch>& out) const;
  // A full scan of the track made from its gathered coarse matches, in order.
  void FilteredScan(int32_t track, const TrackIndex& index, std::span<const TrackedMatch> matches,
                    SearchResults& results, ScanScratch& scratch) const;
  // Frames [first, end) around an earlier hit, with the relaxed thresholds and
  // without counters or diagnostics.
  void TrackingScan(int32_t track, const TrackIndex& index, SearchResults& results, int32_t first,
                    int32_t end, ScanScratch& scratch) const;

  // The full scan's steps after a coarse match: window, envelope, fine comparison,
  // offer.
  void EvaluateCoarseMatch(int32_t track, const TrackIndex& index, const CoarseMatch& match,
                           SearchResults& results, ScanScratch& scratch) const;

  // >= 0 the worst envelope error (percent) of the window's frames; -1 rejected
  // (also for a silent window); -2 the window reaches the track's last record;
  // -3 a frame falls outside the query.
  int32_t EnvelopeCheck(const TrackIndex& index, const AlignedWindow& window) const;

  // How many key points besides the matched one meet a track peak (within 3
  // samples) at the window's alignment with band bytes within `band` each and
  // `sum` in all: the coarse test's tolerances, relaxed ones for a tracking scan.
  int32_t ConfirmingKeypoints(const TrackIndex& index, const AlignedWindow& window, int32_t matched, int32_t band,
                              int32_t sum) const;

 private:
  struct Tolerances {
    int32_t band, sum, finalScore;
    bool full;  // full scan: counters, diagnostics, minimum window
  };
  // The band comparison at every aligned point of a window.
  struct FineComparison {
    int32_t bandSum = 0;
    int32_t largest = 0;        // the largest band difference, the coarse match's included
    int32_t compared = 0;       // frames loud enough to compare
    int32_t spoiledFrames = 0;  // frames with some band differing by more than Tb
    bool Spoiled(int32_t allowedPercent) const {
      return int64_t{spoiledFrames} * 100 > int64_t{allowedPercent} * compared;
    }
  };

  void Evaluate(const Tolerances& t, int32_t track, const TrackIndex& index, const CoarseMatch& match,
                SearchResults& results, ScanScratch& scratch) const;
  // Aligns the track so that the matched frame's peak meets the key point, and
  // takes the frames among i - 2Q ... i + 2Q whose aligned point has a whole frame
  // of query around it (none: first = max(0, i - 2Q), frames = 0). Nothing when
  // that range holds no frame at all.
  std::optional<AlignedWindow> WindowAround(const TrackIndex& index, const CoarseMatch& match) const;
  // Band differences at the window's loud enough points, starting from the coarse
  // match's largest; each point's differences go to `trace` when it is not null.
  FineComparison CompareBands(const TrackIndex& index, const AlignedWindow& window, int32_t largest,
                              ScanScratch& scratch, QString* trace) const;

  // Whether the filter's probes, by its own counts, cost less than a full scan.
  bool FilterPaysOff(const std::vector<BandFilter::Probe>& probes) const;

  AudioQuery& query_;
  const SearchParameters params_;
  const BandFilter* filter_ = nullptr;
  std::vector<BandFilter::Probe> probes_;  // per key point; empty for a full scan
  // allowed_[m][v]: bit k is set when |v - key point k's band m| <= Tb. A frame's
  // key point candidates are the AND over its 8 band bytes: a table look-up per
  // byte instead of 20 comparisons.
  std::array<std::array<uint32_t, 256>, 8> allowed_{};
  // Each key point's 8 band bytes as one word, for the one-instruction band sum.
  std::array<uint64_t, kMaxQueryKeypoints> keyBands_{};
};

}  // namespace melo
