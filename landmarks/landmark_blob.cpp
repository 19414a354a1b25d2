#include "landmarks/landmark_blob.h"

namespace melo::landmarks {

namespace {

constexpr int32_t kDeltaBits = 13;
constexpr uint32_t kBridge = (1u << kDeltaBits) - 1;  // 8191

void Put(std::vector<uint8_t>& out, uint32_t word) {
  for (int32_t i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> EncodeLandmarks(std::span<const Landmark> landmarks) {
  std::vector<uint8_t> out;
  out.reserve(landmarks.size() * 4);
  int64_t previous = 0;
  for (const Landmark& l : landmarks) {
    int64_t delta = l.frame - previous;
    for (; delta >= kBridge; delta -= kBridge) Put(out, kBridge);
    Put(out, l.hash << kDeltaBits | static_cast<uint32_t>(delta));
    previous = l.frame;
  }
  return out;
}

std::optional<std::vector<Landmark>> DecodeLandmarks(std::span<const uint8_t> blob, int32_t count, int32_t frames) {
  if (blob.size() % 4 != 0 || count < 0 || blob.size() / 4 < static_cast<size_t>(count)) return std::nullopt;
  std::vector<Landmark> landmarks;
  landmarks.reserve(static_cast<size_t>(count));
  int64_t frame = 0;
  for (size_t at = 0; at < blob.size(); at += 4) {
    const uint32_t word = uint32_t{blob[at]} | uint32_t{blob[at + 1]} << 8 | uint32_t{blob[at + 2]} << 16 |
                          uint32_t{blob[at + 3]} << 24;
    frame += word & kBridge;
    if (word == kBridge) continue;
    if (frame >= frames || static_cast<int32_t>(landmarks.size()) == count) return std::nullopt;
    landmarks.push_back({word >> kDeltaBits, static_cast<int32_t>(frame)});
  }
  if (static_cast<int32_t>(landmarks.size()) != count) return std::nullopt;
  return landmarks;
}

}  // namespace melo::landmarks
