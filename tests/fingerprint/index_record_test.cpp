#include "fingerprint/index_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace melo {
namespace {

TEST(IndexRecord, DecodesTheDocumentedExample) {
  const std::vector<uint8_t> bytes = {0x39, 0x5B, 0x0C, 0xFE, 0xFF, 0x80, 0x00, 0x00, 0x10, 0x20, 0x40, 0x00};
  const IndexRecord r = IndexRecord::Decode(bytes.data());
  EXPECT_EQ(r.position, 23353);
  EXPECT_EQ(r.amplitude, 65036);  // a mean of -500
  EXPECT_EQ(r.bands, (std::array<uint8_t, 8>{255, 128, 0, 0, 16, 32, 64, 0}));
  std::vector<uint8_t> back(12, 0xAA);
  r.Encode(back.data());
  EXPECT_EQ(back, bytes);
}

TEST(IndexDataView, CountsWholeRecordsOnly) {
  std::vector<uint8_t> blob(60 * 12 + 5, 0);
  EXPECT_EQ(IndexDataView(blob).size(), 60);
  EXPECT_TRUE(IndexDataView(std::span<const uint8_t>()).empty());
  blob.resize(11);
  EXPECT_TRUE(IndexDataView(blob).empty());
}

TEST(IndexDataView, PlacesRecordsInTheTrack) {
  std::vector<uint8_t> blob(12 * 11, 0);
  IndexRecord{100, 7, {}}.Encode(blob.data() + 12 * 10);
  IndexRecord{23999, 0, {}}.Encode(blob.data());
  const IndexDataView view(blob);
  EXPECT_EQ(view.PeakSample(10), 240100);  // about 5.002 s in
  EXPECT_EQ(view.PeakSample(0), 23999);
  EXPECT_EQ(view[10].amplitude, 7);
}

}  // namespace
}  // namespace melo
