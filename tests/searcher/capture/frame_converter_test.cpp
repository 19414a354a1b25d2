#include "searcher/capture/frame_converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

namespace melo {
namespace {

using Format = FrameConverter::SampleFormat;

// One second of a 1 kHz sine at half scale on channels 0 and 1 (the others hold a
// loud square wave that must not leak in), in the device's format.
std::vector<uint8_t> Sine(int rate, int channels, Format format) {
  std::vector<uint8_t> bytes;
  const auto put = [&](double v) {
    uint8_t b[4];
    size_t n = 4;
    if (format == Format::UInt8) {
      b[0] = static_cast<uint8_t>(std::lround(128 + v * 127)), n = 1;
    } else if (format == Format::Int16) {
      const auto s = static_cast<int16_t>(std::lround(v * 32767));
      std::memcpy(b, &s, n = 2);
    } else if (format == Format::Int32) {
      const auto s = static_cast<int32_t>(std::lround(v * 2147483647.0));
      std::memcpy(b, &s, 4);
    } else {
      const auto s = static_cast<float>(v);
      std::memcpy(b, &s, 4);
    }
    bytes.insert(bytes.end(), b, b + n);
  };
  for (int t = 0; t < rate; ++t) {
    const double v = 0.5 * std::sin(2 * std::numbers::pi * 1000.0 * t / rate);
    for (int c = 0; c < channels; ++c) put(c < 2 ? v : (t % 40 < 20 ? 0.9 : -0.9));
  }
  return bytes;
}

TEST(FrameConverter, AnyDeviceFormatBecomes48kHzStereoOfTheSameSound) {
  struct Row {
    int rate, channels;
    Format format;
  };
  for (const Row& row : {Row{44100, 1, Format::Float}, Row{22050, 2, Format::Int16}, Row{48000, 1, Format::UInt8},
                         Row{96000, 6, Format::Int32}, Row{48000, 2, Format::Int16}}) {
    SCOPED_TRACE(testing::Message() << row.rate << " Hz, " << row.channels << " channels");
    const std::vector<uint8_t> input = Sine(row.rate, row.channels, row.format);
    std::vector<int16_t> whole, pieces;
    FrameConverter(row.rate, row.channels, row.format).Convert(input.data(), input.size(), whole);
    // Chunks that cut frames and samples apart give the same output.
    FrameConverter chunked(row.rate, row.channels, row.format);
    for (size_t at = 0, step = 1; at < input.size(); at += step, step = step * 3 % 1009 + 1) {
      chunked.Convert(input.data() + at, std::min(step, input.size() - at), pieces);
    }
    EXPECT_EQ(pieces, whole);

    const size_t frames = whole.size() / 2;
    EXPECT_NEAR(static_cast<double>(frames), 48000.0, 2.0);
    int crossings = 0, peak = 0;
    for (size_t f = 0; f < frames; ++f) {
      EXPECT_EQ(whole[2 * f], whole[2 * f + 1]);
      peak = std::max(peak, std::abs(int{whole[2 * f]}));
      if (f > 0 && (whole[2 * f - 2] < 0) != (whole[2 * f] < 0)) ++crossings;
    }
    EXPECT_NEAR(crossings, 2000, 4);  // still 1 kHz
    EXPECT_NEAR(peak, 16384, 300);    // still half scale
  }
}

}  // namespace
}  // namespace melo
