#include "landmarks/landmark_blob.h"

namespace melo::landmarks {

namespace {

constexpr int32_t kDeltaBits = 32 - kHashBits;
constexpr uint32_t kBridge = (1u << kDeltaBits) - 1;  // 1023

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

bool DecodeLandmarks(std::span<const uint8_t> blob, int32_t count, int32_t frames, std::vector<Landmark>& out) {
  out.clear();
  if (blob.size() % 4 != 0 || count < 0 || blob.size() / 4 < static_cast<size_t>(count)) return false;
  out.reserve(static_cast<size_t>(count));
  int64_t frame = 0;
  for (size_t at = 0; at < blob.size(); at += 4) {
    const uint32_t word = uint32_t{blob[at]} | uint32_t{blob[at + 1]} << 8 | uint32_t{blob[at + 2]} << 16 |
                          uint32_t{blob[at + 3]} << 24;
    frame += word & kBridge;
    if (word == kBridge) continue;
    if (frame >= frames || static_cast<int32_t>(out.size()) == count) {
      out.clear();
      return false;
    }
    out.push_back({word >> kDeltaBits, static_cast<int32_t>(frame)});
  }
  if (static_cast<int32_t>(out.size()) != count) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace melo::landmarks
