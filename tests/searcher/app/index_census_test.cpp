#include "searcher/app/index_census.h"
#include "searcher/app/track_records.h"

#include "fingerprint/index_record.h"
#include "searcher/engine/search_index.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

IndexRecord Record(uint16_t position, int16_t amplitude, std::array<uint8_t, 8> bands) {
  IndexRecord r;
  r.position = position;
  r.amplitude = static_cast<uint16_t>(amplitude);
  r.bands = bands;
  return r;
}

TrackIndex Track(const std::vector<IndexRecord>& records, bool loaded = true) {
  TrackIndex t;
  t.count = static_cast<int32_t>(records.size());
  t.records.resize(records.size() * IndexRecord::kSize);
  for (size_t j = 0; j < records.size(); ++j) records[j].Encode(&t.records[j * IndexRecord::kSize]);
  t.loaded = loaded;
  return t;
}

// A record is silent (all zero), a peak without bands (at a track's edge), a
// quiet peak the fine stage leaves out, or an ordinary one; the records window
// and the census tell them apart alike, and count the bands at their ceiling.
TEST(IndexCensus, RecordsAreToldApartAndCountedAsTheIndexHoldsThem) {
  struct Row {
    IndexRecord record;
    const char* note;
  };
  const std::vector<Row> rows = {
      {Record(0, 0, {}), "нет пика (тишина)"},
      {Record(500, 3000, {}), "пик у края трека: полос нет"},
      {Record(700, -800, {10, 20, 30, 40, 50, 60, 70, 80}), "тихий пик: в тонком сравнении не участвует"},
      {Record(900, -5000, {255, 255, 1, 2, 3, 4, 5, 6}), ""},
      {Record(23999, 12000, {9, 9, 9, 9, 9, 9, 9, 255}), ""},
  };
  std::vector<IndexRecord> records;
  for (const Row& row : rows) records.push_back(row.record);
  SearchIndex index;
  index.tracks.push_back(Track(records));
  index.tracks.push_back(Track(records, false));  // could not be read: counted nowhere
  index.infos.resize(2);
  index.recordsCount = 2;
  index.loadedTracks = 1;
  index.readErrors = 1;

  const TrackRecords shown = ReadTrackRecords(index, 0, 1000);
  ASSERT_EQ(shown.rows.size(), qsizetype(rows.size()));
  for (size_t j = 0; j < rows.size(); ++j) {
    EXPECT_EQ(shown.rows[j][6], QString::fromUtf8(rows[j].note)) << j;
    EXPECT_EQ(shown.rows[j][3].toLongLong(), int64_t(j) * 24000 + rows[j].record.position) << j;
  }
  EXPECT_EQ(shown.rows[3][4], "5000");  // the stored mean is negative; its size is compared
  EXPECT_EQ(std::tie(shown.withoutPeak, shown.zeroBands, shown.saturatedBytes), std::tuple(1, 1, 3));
  EXPECT_TRUE(ReadTrackRecords(index, 1, 1000).rows.isEmpty());

  const IndexCensus census = TakeCensus(index, nullptr);
  EXPECT_EQ(std::tie(census.records, census.withoutPeak, census.zeroBands, census.saturatedBytes),
            std::tuple(int64_t{5}, int64_t{1}, int64_t{1}, int64_t{3}));
  ASSERT_EQ(census.tracks.size(), 1);  // the loaded one
  EXPECT_EQ(census.tracks[0][2], "5");
  EXPECT_EQ(census.sizes[0][3], "60");  // 5 records of 12 bytes
  EXPECT_EQ(census.counts[2], QStringList({"Ошибок чтения", "1"}));
  EXPECT_TRUE(RecordLayout(index, 0, 3).contains("84 03 78 EC FF FF 01 02 03 04 05 06"));
  EXPECT_TRUE(RecordLayout(index, 0, 5).isEmpty());
}

}  // namespace
}  // namespace melo
