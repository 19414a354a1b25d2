#pragma once

#include <cstdint>

namespace melo::landmarks {

// The analysis runs on a copy of the 48 kHz mono samples taken down to 8 kHz: the
// band every channel a recording may have passed through keeps (a telephone keeps
// 300-3400 Hz), at a sixth of the work.
inline constexpr int32_t kInputRate = 48000;
inline constexpr int32_t kAnalysisRate = 8000;
inline constexpr int32_t kDecimation = kInputRate / kAnalysisRate;

// Short-time spectra: 2048 samples (256 ms, 3.9 Hz a bin) under a Hann window, one
// every 128 samples (16 ms). A frame number counts hops from the first sample. The
// fine bins tell the notes of music apart: pairs of peaks in bins of 15.6 Hz fell
// on few hashes, so a large library held tens of thousands of landmarks for each
// of a query's hashes; in bins of 3.9 Hz a search meets a sixth as many and finds
// as much.
inline constexpr int32_t kFrameSize = 2048;
inline constexpr int32_t kHop = 128;
inline constexpr int32_t kBins = kFrameSize / 2 + 1;
inline constexpr int32_t kInputSamplesPerHop = kHop * kDecimation;  // 768 at 48 kHz

// Peaks lie in bins kLowestBin .. kHighestBin (125-3594 Hz): below, rooms rumble
// and small speakers fall silent; above, the copy's low-pass begins.
inline constexpr int32_t kLowestBin = 32;
inline constexpr int32_t kHighestBin = 920;

// How peaks are chosen and paired. A track's stored landmarks and a query's are
// made by the same rules; a query only keeps more peaks and more pairs of each, so
// that the pairs a track stored are among them even when noise has reordered the
// peaks' strengths. The values were chosen by measuring recall and false answers
// on excerpts of real music through noise, voices, rooms and telephones.
struct LandmarkSettings {
  // A peak is the loudest point within +-peakFrames frames and +-peakBins bins.
  int32_t peakFrames = 3;
  int32_t peakBins = 24;
  // Density: the bins are cut into bandCount bands of equal width on a log scale,
  // and a peak stays when fewer than peaksPerBand louder peaks of its band lie
  // within +-densityFrames frames of it.
  int32_t bandCount = 4;
  int32_t peaksPerBand = 5;
  int32_t densityFrames = 31;
  // Pairs: each peak is paired with the fanOut loudest peaks whose frame lies
  // 1 .. maxFrameDelta frames later and whose bin differs by minBinDelta ..
  // maxBinDelta. A partner in (nearly) the same bin is the same note held or
  // struck again: such pairs are common to much music and say little.
  int32_t fanOut = 1;
  int32_t maxFrameDelta = 20;
  int32_t maxBinDelta = 127;
  int32_t minBinDelta = 2;
};

// What the indexer stores for a track: about 18 peaks and 14 landmarks a second.
inline constexpr LandmarkSettings kTrackSettings{};

// What a query is analysed with: twice the peaks, and every pair in the zone (up
// to 12 an anchor).
inline constexpr LandmarkSettings QuerySettings() {
  LandmarkSettings s;
  s.peaksPerBand = 10;
  s.fanOut = 12;
  return s;
}

}  // namespace melo::landmarks
