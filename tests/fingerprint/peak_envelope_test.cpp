#include "fingerprint/peak_envelope.h"

#include <gtest/gtest.h>

#include <vector>

namespace melo {
namespace {

void PushValues(PeakEnvelope& e, const std::vector<int16_t>& peaks, int perValue) {
  for (int16_t p : peaks) {
    for (int i = 0; i < perValue - 1; ++i) e.PushSample(static_cast<int16_t>(i % 3));
    e.PushSample(p);
  }
}

TEST(PeakEnvelope, OneValuePerBlockHoldingOnlyThatBlocksPeak) {
  PeakEnvelope e(480, 100);
  std::vector<int16_t> samples(480, 0);
  samples[10] = -32768;
  e.PushSamples(std::span(samples).first(479));
  EXPECT_EQ(e.Total(), 0u);
  e.PushSample(samples[479]);
  ASSERT_EQ(e.Total(), 1u);
  std::vector<int16_t> second(480, 5);
  second[200] = 1000;
  e.PushSamples(second);
  uint16_t values[2] = {};
  ASSERT_EQ(e.ReadRange(0, values, 2), PeakEnvelope::kReadOk);
  EXPECT_EQ(values[0], 32768);
  EXPECT_EQ(values[1], 1000);
}

TEST(PeakEnvelope, RingKeepsTheNewestCapacityValues) {
  const int capacity = 8;
  PeakEnvelope e(4, capacity);
  std::vector<int16_t> peaks;
  for (int i = 0; i < capacity + 5; ++i) peaks.push_back(static_cast<int16_t>(100 + i));
  PushValues(e, peaks, 4);
  EXPECT_EQ(e.Stored(), capacity);
  EXPECT_EQ(e.Total(), static_cast<uint32_t>(capacity + 5));

  std::vector<uint16_t> out(capacity);
  EXPECT_EQ(e.ReadRange(4, out.data(), 1), PeakEnvelope::kReadTooOld);
  ASSERT_EQ(e.ReadRange(5, out.data(), capacity), PeakEnvelope::kReadOk);
  for (int i = 0; i < capacity; ++i) EXPECT_EQ(out[i], 105 + i) << i;  // across the wrap
  EXPECT_EQ(e.ReadRange(6, out.data(), capacity), PeakEnvelope::kReadPastNewest);
  EXPECT_EQ(e.ReadRange(12, out.data(), 0), PeakEnvelope::kReadOk);
}

TEST(PeakEnvelope, ReadRangeChecksOldestThenNewestThenStoredCount) {
  PeakEnvelope e(1, 2);
  PushValues(e, {1, 2, 3}, 1);  // total 3, stored 2: numbers 1 and 2 are kept
  uint16_t out[4] = {};
  EXPECT_EQ(e.ReadRange(0, out, 1), PeakEnvelope::kReadTooOld);
  EXPECT_EQ(e.ReadRange(1, out, 3), PeakEnvelope::kReadPastNewest);
  ASSERT_EQ(e.ReadRange(2, out, 1), PeakEnvelope::kReadOk);
  EXPECT_EQ(out[0], 3);
  // A start so large that first + n wraps past 2^32 slips through the first two
  // checks; the stored count stops a long read, and a short one must not read
  // outside the ring either.
  EXPECT_EQ(e.ReadRange(0xFFFFFFFFu, out, 3), PeakEnvelope::kReadMoreThanStored);
  EXPECT_EQ(e.ReadRange(0xFFFFFFFFu, out, 1), PeakEnvelope::kReadPastNewest);
}

TEST(PeakEnvelope, MinMaxAndThreshold) {
  PeakEnvelope e(1, 10);
  EXPECT_EQ(e.UpdateMinMax(), 0);
  EXPECT_TRUE(e.IsBelowThreshold(5000));  // nothing measured yet: no signal
  PushValues(e, {5, 300, 20}, 1);
  EXPECT_EQ(e.UpdateMinMax(), 300);
  EXPECT_EQ(e.Minimum(), 5);
  EXPECT_TRUE(e.IsBelowThreshold(29));    // 9 %
  EXPECT_FALSE(e.IsBelowThreshold(30));   // 10 %

  PeakEnvelope silent(1, 4);
  PushValues(silent, {0, 0, 0}, 1);
  EXPECT_EQ(silent.UpdateMinMax(), 0);
  EXPECT_TRUE(silent.IsBelowThreshold(0));
}

}  // namespace
}  // namespace melo
