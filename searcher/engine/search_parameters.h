#pragma once

#include <cstdint>

namespace melo {

enum class SearchMode : int32_t { Fast = 0, Thorough = 1, Scrupulous = 2 };

// Thresholds of the matching cascade.
struct SearchParameters {
  int32_t querySeconds = 4;        // Q: the query spans 2Q half-second frames
  int32_t bandTolerance = 5;       // Tb: largest difference of one band byte
  int32_t amplitudeTolerance = 15; // Ta: largest envelope error, percent
  int32_t sumTolerance = 10;       // Ts: largest sum of the 8 band differences
  int32_t extraBandTolerance = 5;  // Xb: added to Tb by the tracking scan's coarse test
  int32_t extraSumTolerance = 5;   // Xs: added to Ts by the tracking scan
  int32_t minimumAmplitude = 1000; // Amin: fine comparison only at loud enough points
  int32_t debugTrack = 0;          // traces are written for this track ...
  int32_t debugFrame = 0;          // ... around this frame

  // "Быстрый" 5/15/10, "Тщательный" 10/20/15, "Скурпулёзный" 15/25/20 (Tb, Ta, Ts).
  void SetMode(SearchMode mode) {
    static constexpr int32_t kTolerances[3][3] = {{5, 15, 10}, {10, 20, 15}, {15, 25, 20}};
    const auto& t = kTolerances[static_cast<int32_t>(mode)];
    bandTolerance = t[0];
    amplitudeTolerance = t[1];
    sumTolerance = t[2];
  }
};

}  // namespace melo
