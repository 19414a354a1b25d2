#include "landmarks/peak_pairs.h"

#include <algorithm>
#include <cstdlib>

namespace melo::landmarks {

uint32_t PairHash(int32_t anchorBin, int32_t partnerBin, int32_t frameDelta) {
  const uint32_t anchor = static_cast<uint32_t>((anchorBin - kLowestBin) / 2) & 0x1FF;
  const uint32_t binDelta = static_cast<uint32_t>(partnerBin - anchorBin + 128) & 0xFF;
  const uint32_t frames = static_cast<uint32_t>(frameDelta - 1) & kFrameDeltaMask;
  return anchor << 13 | binDelta << 5 | frames;
}

std::vector<Landmark> PairPeaks(std::span<const SpectralPeak> peaks, const LandmarkSettings& settings) {
  std::vector<Landmark> landmarks;
  std::vector<const SpectralPeak*> zone;
  for (size_t i = 0; i < peaks.size(); ++i) {
    const SpectralPeak& anchor = peaks[i];
    zone.clear();
    for (size_t j = i + 1; j < peaks.size(); ++j) {
      const SpectralPeak& partner = peaks[j];
      const int32_t frames = partner.frame - anchor.frame;
      if (frames > settings.maxFrameDelta) break;
      const int32_t bins = std::abs(partner.bin - anchor.bin);
      if (frames < 1 || bins > settings.maxBinDelta || bins < settings.minBinDelta) continue;
      zone.push_back(&partner);
    }
    // Loudest first; equal levels in order of time, as they came.
    std::stable_sort(zone.begin(), zone.end(),
                     [](const SpectralPeak* a, const SpectralPeak* b) { return a->level > b->level; });
    const size_t kept = std::min<size_t>(zone.size(), static_cast<size_t>(settings.fanOut));
    for (size_t k = 0; k < kept; ++k) {
      landmarks.push_back({PairHash(anchor.bin, zone[k]->bin, zone[k]->frame - anchor.frame), anchor.frame});
    }
  }
  return landmarks;
}

std::vector<Landmark> WithFrameNeighbours(std::span<const Landmark> landmarks) {
  std::vector<Landmark> out;
  out.reserve(landmarks.size() * 3);
  for (const Landmark& l : landmarks) {
    const uint32_t frames = l.hash & kFrameDeltaMask;
    out.push_back(l);
    if (frames > 0) out.push_back({l.hash - 1, l.frame});
    if (frames < kFrameDeltaMask) out.push_back({l.hash + 1, l.frame});
  }
  return out;
}

}  // namespace melo::landmarks
