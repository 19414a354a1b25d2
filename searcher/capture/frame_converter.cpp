#include "searcher/capture/frame_converter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace melo {

namespace {

size_t BytesOf(FrameConverter::SampleFormat format) {
  switch (format) {
    case FrameConverter::SampleFormat::UInt8: return 1;
    case FrameConverter::SampleFormat::Int16: return 2;
    case FrameConverter::SampleFormat::Int32:
    case FrameConverter::SampleFormat::Float: return 4;
  }
  return 2;
}

int16_t Mix(int16_t a, int16_t b, double fraction) {
  return static_cast<int16_t>(std::lround(a + (b - a) * fraction));
}

}  // namespace

FrameConverter::FrameConverter(int32_t rate, int32_t channels, SampleFormat format)
    : channels_(std::max(channels, 1)),
      format_(format),
      sampleBytes_(BytesOf(format)),
      frameBytes_(sampleBytes_ * static_cast<size_t>(channels_)),
      rate_(std::max(rate, 1)),
      passThrough_(rate == kRate && channels_ == 2 && format == SampleFormat::Int16) {}

int16_t FrameConverter::Sample(const uint8_t* at) const {
  switch (format_) {
    case SampleFormat::UInt8: return static_cast<int16_t>((int32_t{*at} - 128) * 256);
    case SampleFormat::Int16: {
      int16_t v;
      std::memcpy(&v, at, 2);
      return v;
    }
    case SampleFormat::Int32: {
      int32_t v;
      std::memcpy(&v, at, 4);
      return static_cast<int16_t>(v >> 16);
    }
    case SampleFormat::Float: {
      float v;
      std::memcpy(&v, at, 4);
      return static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
    }
  }
  return 0;
}

FrameConverter::Frame FrameConverter::Decode(const uint8_t* frame) const {
  const int16_t left = Sample(frame);
  return {left, channels_ == 1 ? left : Sample(frame + sampleBytes_)};
}

void FrameConverter::Convert(const uint8_t* bytes, size_t size, std::vector<int16_t>& out) {
  // Complete the frame the previous chunk ended inside, then take whole frames.
  cut_.insert(cut_.end(), bytes, bytes + size);
  const size_t whole = cut_.size() / frameBytes_ * frameBytes_;
  if (passThrough_) {
    const size_t first = out.size();
    out.resize(first + whole / 2);
    std::memcpy(out.data() + first, cut_.data(), whole);
  } else {
    frames_.clear();
    for (size_t at = 0; at < whole; at += frameBytes_) frames_.push_back(Decode(cut_.data() + at));
    Resample(frames_, out);
  }
  cut_.erase(cut_.begin(), cut_.begin() + static_cast<std::ptrdiff_t>(whole));
}

void FrameConverter::Resample(const std::vector<Frame>& frames, std::vector<int16_t>& out) {
  if (frames.empty()) return;
  // An output frame needs the input frames on both sides of its position; the
  // one before this chunk's first is the previous chunk's last.
  const auto at = [&](int64_t i) { return i < consumed_ ? previous_ : frames[static_cast<size_t>(i - consumed_)]; };
  const int64_t last = consumed_ + static_cast<int64_t>(frames.size()) - 1;
  for (;; ++next_) {
    const int64_t position = next_ * rate_;
    const int64_t i = position / kRate;
    if (i + 1 > last) break;
    const double fraction = static_cast<double>(position % kRate) / kRate;
    const Frame a = at(i), b = at(i + 1);
    out.push_back(Mix(a.left, b.left, fraction));
    out.push_back(Mix(a.right, b.right, fraction));
  }
  consumed_ = last + 1;
  previous_ = frames.back();
}

}  // namespace melo
