#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace melo {

enum class SearchMode : int32_t { Fast = 0, Thorough = 1, Scrupulous = 2, Noisy = 3, Robust = 4 };

// The modes by their command-line names: "fast", "thorough", "scrupulous", "noisy"
// and "robust"; nothing for another name.
inline std::optional<SearchMode> SearchModeNamed(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, SearchMode>, 5> kNames = {{
      {"fast", SearchMode::Fast},
      {"thorough", SearchMode::Thorough},
      {"scrupulous", SearchMode::Scrupulous},
      {"noisy", SearchMode::Noisy},
      {"robust", SearchMode::Robust},
  }};
  for (const auto& [modeName, mode] : kNames) {
    if (name == modeName) return mode;
  }
  return std::nullopt;
}

// How a query's key points and band bytes are computed: as the tracks' were, or
// with the band bytes corrected for the white noise estimated in the query and
// the key points chosen on a low-passed copy; or, for the landmark search, the
// query's landmarks beside its plain key points.
enum class QueryAnalysis : int32_t { Plain = 0, NoiseRobust = 1, Landmarks = 2 };

// Thresholds of the matching cascade.
struct SearchParameters {
  int32_t querySeconds = 4;        // Q: the query spans 2Q half-second frames
  int32_t bandTolerance = 5;       // Tb: largest difference of one band byte
  int32_t amplitudeTolerance = 15; // Ta: largest envelope error, percent
  int32_t sumTolerance = 10;       // Ts: largest sum of the 8 band differences
  int32_t extraBandTolerance = 5;  // Xb: added to Tb by the tracking scan's coarse test
  int32_t extraSumTolerance = 5;   // Xs: added to Ts by the tracking scan
  int32_t minimumAmplitude = 1000; // Amin: fine comparison only at loud enough points
  int32_t spoiledPercent = 0;      // share of compared frames allowed a band byte beyond Tb
  int32_t confirmingKeypoints = 0; // other key points that must meet a track peak at the same alignment
  QueryAnalysis analysis = QueryAnalysis::Plain;
  // The landmark search: an offset needs landmarkVotes landmarks agreeing on it
  // before it is verified, and an answer a verified score of landmarkScore tenths.
  int32_t landmarkVotes = 4;
  int32_t landmarkScore = 65;
  int32_t debugTrack = 0;          // traces are written for this track ...
  int32_t debugFrame = 0;          // ... around this frame

  // "Быстрый" 5/15/10, "Тщательный" 10/20/15, "Скурпулёзный" 15/25/20 (Tb, Ta, Ts),
  // each with every compared frame within Tb. "Шумоустойчивый" 20/25/30 with the
  // noise-robust analysis and up to a fifth of the frames beyond Tb (noise that
  // remains after the correction still spoils some frames of a true match), and a
  // second key point must confirm the alignment: over 1,000 hours of records in
  // chance order these tolerances alone would answer, the confirmation does not.
  // "Устойчивый" searches the landmarks; the described tolerances, which it does not
  // use, stay those of "Скурпулёзный" for the windows that show them.
  void SetMode(SearchMode mode) {
    static constexpr int32_t kTolerances[5][4] = {
        {5, 15, 10, 0}, {10, 20, 15, 0}, {15, 25, 20, 0}, {20, 25, 30, 20}, {15, 25, 20, 0}};
    const auto& t = kTolerances[static_cast<int32_t>(mode)];
    bandTolerance = t[0];
    amplitudeTolerance = t[1];
    sumTolerance = t[2];
    spoiledPercent = t[3];
    confirmingKeypoints = mode == SearchMode::Noisy ? 1 : 0;
    analysis = mode == SearchMode::Noisy    ? QueryAnalysis::NoiseRobust
               : mode == SearchMode::Robust ? QueryAnalysis::Landmarks
                                            : QueryAnalysis::Plain;
  }
};

}  // namespace melo
