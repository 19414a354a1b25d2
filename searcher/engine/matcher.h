#pragma once

#include "fingerprint/fingerprint_builder.h"
#include "searcher/engine/search_parameters.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>

namespace melo {

class AudioQuery;
class SearchResults;
struct TrackIndex;

// Work counters of one search, kept per scanning thread.
struct ScanCounters {
  int64_t framesExamined = 0;
  int64_t comparisons = 0;     // key point against frame, coarse test
  int64_t coarseMatches = 0;
  int64_t windowsPassed = 0;   // passed the envelope check
  int64_t offered = 0;
  int64_t accepted = 0;

  ScanCounters& operator+=(const ScanCounters& o);
};

// Where full scans last got to, and the traces of the debug track.
struct ScanDiagnostics {
  // BreakPoint: 10 track too short, 0 coarse match without usable window, 1 window
  // large enough, 2 envelope passed, 4 candidate offered, 6 candidate finished.
  std::atomic<int32_t> breakPoint{0};
  QString trace1;  // coarse matches near the debug frame
  QString trace2;  // candidates near the debug frame, frame by frame
};

// What one scanning thread brings to a scan: its own band analyser (threads must
// not share one) and its counter block.
struct ScanScratch {
  FingerprintBuilder builder{1};
  ScanCounters* counters = nullptr;
  ScanDiagnostics* diagnostics = nullptr;
};

// Matches the current query against tracks: a cheap test of a frame's 8 band
// bytes against every key point proposes an alignment, enough of the track's
// frames must fall inside the query, the loudness envelope must agree, and the
// band bytes at every aligned point give the score. Candidates go to the shared
// result list. Built once per search; scans of different tracks run in parallel.
class QueryMatcher {
 public:
  QueryMatcher(AudioQuery& query, const SearchParameters& params);

  // The whole track (frames 0 .. n - 2Q - 1).
  void FullScan(int32_t track, const TrackIndex& index, SearchResults& results, ScanScratch& scratch) const;
  // Frames [first, end) around an earlier hit, with the relaxed thresholds and
  // without counters or diagnostics.
  void TrackingScan(int32_t track, const TrackIndex& index, SearchResults& results, int32_t first,
                    int32_t end, ScanScratch& scratch) const;

  // The full scan's steps after key point k passed the coarse test at frame i with
  // band sum S and largest difference D: window, envelope, fine comparison, offer.
  void EvaluateCoarseMatch(int32_t track, const TrackIndex& index, int32_t i, int32_t k, int32_t sum,
                           int32_t maxDifference, SearchResults& results, ScanScratch& scratch) const;

  // >= 0 the worst envelope error (percent) of frames f .. f + c - 1 aligned at
  // track sample `offset`; -1 rejected (also for a silent window); -2 the window
  // reaches the track's last record; -3 a frame falls outside the query.
  int32_t EnvelopeCheck(const uint8_t* records, int32_t n, int32_t f, int32_t c, int64_t offset) const;

 private:
  struct Tolerances {
    int32_t band, sum, finalScore;
    bool full;  // full scan: counters, diagnostics, minimum window
  };
  void Evaluate(const Tolerances& t, int32_t track, const TrackIndex& index, int32_t i, int32_t k,
                int32_t sum, int32_t maxDifference, SearchResults& results, ScanScratch& scratch) const;

  AudioQuery& query_;
  const SearchParameters params_;
  // allowed_[m][v]: bit k is set when |v - key point k's band m| <= Tb. A frame's
  // key point candidates are the AND over its 8 band bytes: a table look-up per
  // byte instead of 20 comparisons.
  std::array<std::array<uint32_t, 256>, 8> allowed_{};
};

}  // namespace melo
