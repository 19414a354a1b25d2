#include "base/log_writer.h"
#include "indexer/app/database_statistics.h"
#include "indexer/app/record_browser.h"
#include "indexer/app/record_fields.h"
#include "landmarks/landmark_blob.h"
#include "indexer/database/record_store.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

class DatabaseViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));  // short test fingerprints are noted there
    ASSERT_TRUE(store.OpenDatabase(dir.Path("main.db")));
    ASSERT_TRUE(store.CreateTable());
  }

  // A row with a zero fingerprint of `records` records; the statistics read only
  // the columns.
  void AddRow(const char* type, const char* extension, int duration, int megabytes, const char* info,
              int allTracks, int records) {
    SQLite::Statement insert(*store.Connection(),
                             "INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, "
                             "extension, type, audio_track, all_tracks, created, info, records, index_data) VALUES "
                             "(?, 's', ?, ?, '/m/f', 'f', ?, ?, 0, ?, 'd', ?, ?, zeroblob(12))");
    insert.bind(1, int64_t{megabytes} * 1024 * 1024);
    insert.bind(2, "md5-" + std::to_string(++rows));
    insert.bind(3, duration);
    insert.bind(4, extension);
    insert.bind(5, type);
    insert.bind(6, allTracks);
    insert.bind(7, info);
    insert.bind(8, records);
    insert.exec();
  }

  void TearDown() override { SetMyLogPath({}); }

  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
  int rows = 0;
};

QList<int64_t> Values(const QList<ChartSlice>& slices) {
  QList<int64_t> values;
  for (const ChartSlice& s : slices) values << s.value;
  return values;
}

TEST_F(DatabaseViewsTest, StatisticsTruncateHoursAndCountUntypedRowsOnlyInOverallTotals) {
  AddRow("аудио", "mp3", 5399, 1, "Artist: a", 1, 10798);
  AddRow("видео", "mkv", 600, 2, "", 2, 1200);
  AddRow("видео", "mkv", 599, 2, "Title: t", 2, 1198);
  AddRow("", "dat", 3000, 3, "", 1, 87382);  // no type: only the overall totals see it
  // Landmarks for the first two rows; the third's are of another version.
  store.Connection()->exec("INSERT INTO Landmarks (id, version, frames, count, data) VALUES "
                           "(1, 1, 10, 0, x''), (2, 1, 10, 0, x''), (3, 0, 10, 0, x'')");
  ColourTable colours{};
  for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<BgrColour>(100 + i);

  const DatabaseStatistics s = DatabaseStatistics::Read(store, colours);
  EXPECT_EQ(store.LockId(), -1);
  EXPECT_TRUE(s.readable);
  QStringList lines;
  for (const StatisticsTotal& total : s.totals) lines << total.Line();
  EXPECT_EQ(lines, QStringList({"Всего аудио дорожек=4", "Всего часов=2", "Дорожек с ориентирами=2",
                                "Часов с ориентирами=1", "Аудио дорожек из аудио файлов=1",
                                "Аудио часов=1", "Аудио дорожек из видео файлов=2", "Видео часов=0",
                                "Суммарный объём исходников (МБ)=8", "Суммарный объём индексов  (МБ)=1",
                                "Содержат доп. информацию (аудио)=1", "Не содержат доп. информацию (аудио)=0",
                                "Содержат доп. информацию (видео)=1", "Не содержат доп. информацию (видео)=1"}));

  EXPECT_EQ(s.filesByType.slices, QList<ChartSlice>({{"Аудио", 1, 255}, {"Видео", 2, 32768}}));
  EXPECT_EQ(s.filesByLandmarks.slices, QList<ChartSlice>({{"С ориентирами", 2, 32768}, {"Без ориентиров", 2, 255}}));
  EXPECT_EQ(s.hoursByType.slices, QList<ChartSlice>({{"Аудио", 1, 255}, {"Видео", 0, 32768}}));
  EXPECT_EQ(s.tags.slices, QList<ChartSlice>({{"Аудио +", 1, 255}, {"Аудио -", 0, 65535},
                                              {"Видео +", 1, 32768}, {"Видео -", 1, 16711680}}));
  EXPECT_EQ(s.filesByExtension.slices, QList<ChartSlice>({{"dat", 1, 100}, {"mkv", 2, 101}, {"mp3", 1, 102}}));
  EXPECT_EQ(Values(s.hoursByExtension.slices), QList<int64_t>({0, 0, 1}));
  EXPECT_EQ(s.tracksPerFile.slices, QList<ChartSlice>({{"1", 2, 100}, {"2", 2, 101}}));
  // 599 s and 600 s fall on either side of the first ten minutes.
  EXPECT_EQ(s.durations.slices, QList<ChartSlice>({{"0-10 минут", 1, 100}, {"10-20 минут", 1, 101},
                                                   {"50-60 минут", 1, 102}, {"80-90 минут", 1, 103}}));
}

TEST_F(DatabaseViewsTest, AnUnreadableFileDoesNotPassForAnEmptyOne) {
  TDataModule1 bare(dialogs);
  ASSERT_TRUE(bare.OpenDatabase(dir.Path("no-table.db")));
  const DatabaseStatistics s = DatabaseStatistics::Read(bare, {});
  EXPECT_FALSE(s.readable);
  EXPECT_EQ(s.totals.size(), 14);
  EXPECT_TRUE(s.durations.slices.isEmpty());
  RecordBrowser browser(bare);
  EXPECT_FALSE(browser.Reload());
  EXPECT_EQ(browser.ListCaption(), "Список записей: 0 (база данных не читается)");

  const DatabaseStatistics empty = DatabaseStatistics::Read(store, {});
  EXPECT_TRUE(empty.readable);
  for (const StatisticsTotal& total : empty.totals) EXPECT_EQ(total.value, 0) << total.name.toStdString();
}

// A fingerprint of `count` records: record r has offset 100 + r, amplitude
// 1000 + r (every third one negative), band b = 10 r + b.
std::vector<uint8_t> Fingerprint(int32_t count) {
  std::vector<uint8_t> bytes(static_cast<size_t>(count) * IndexRecord::kSize);
  for (int32_t r = 0; r < count; ++r) {
    IndexRecord record;
    record.position = static_cast<uint16_t>(100 + r);
    const int amplitude = (r % 3 == 2 ? -1 : 1) * (1000 + r);
    record.amplitude = static_cast<uint16_t>(static_cast<int16_t>(amplitude));
    for (int b = 0; b < IndexRecord::kBands; ++b) record.bands[b] = static_cast<uint8_t>(10 * r + b);
    record.Encode(bytes.data() + static_cast<size_t>(r) * IndexRecord::kSize);
  }
  return bytes;
}

// A row named after its MD5 with a fingerprint of `records` records.
int32_t AddTrack(TDataModule1& store, const QString& md5, int32_t records) {
  TrackInfo info;
  info.md5 = md5;
  info.source_file_name = md5;
  info.records = records;
  return store.InsertSQL(info, Fingerprint(records));
}

TEST_F(DatabaseViewsTest, BrowserDrawsAChartWidthOfRecordsAndNeverTheLast) {
  ASSERT_EQ(AddTrack(store, "song", 25), 0);
  RecordBrowser browser(store);
  ASSERT_TRUE(browser.Reload());
  browser.Load(0);
  ASSERT_EQ(browser.RecordCount(), 25);
  EXPECT_EQ(store.LockId(), -1);

  struct Case {
    int32_t position;
    int width;
    int32_t points;
  };
  for (const Case c : {Case{0, 500, 20}, Case{0, 119, 0}, Case{0, 120, 1}, Case{20, 500, 4}, Case{24, 500, 0}}) {
    const QList<QPointF> points = browser.EnvelopePoints(c.position, c.width);
    ASSERT_EQ(points.size(), c.points) << c.position << " at " << c.width;
    const QImage picture = browser.BandPicture(c.position, c.width);
    EXPECT_EQ(picture.width(), RecordBrowser::ShownRecords(c.width));
    for (int i = 0; i < picture.width(); ++i) {
      const int r = c.position + i;
      // Drawn records carry their band bytes as red; the rest is black.
      const QRgb expected = i < c.points ? qRgb(10 * r + 3, 0, 0) : qRgb(0, 0, 0);
      EXPECT_EQ(picture.pixel(i, 3), expected) << r;
    }
    if (c.points == 0) continue;
    const int r = c.position + static_cast<int>(points.size()) - 1;
    EXPECT_EQ(points.last(), QPointF(r * 24000.0 + 100 + r, 1000 + r)) << "magnitude of the signed amplitude";
  }
}

TEST_F(DatabaseViewsTest, BrowserShowsNothingOfARowDeletedSinceTheListWasRead) {
  ASSERT_EQ(AddTrack(store, "song", 30), 0);
  ASSERT_EQ(AddTrack(store, "tune", 30), 0);
  RecordBrowser browser(store);
  ASSERT_TRUE(browser.Reload());
  EXPECT_EQ(browser.ListCaption(), "Список записей: 2");
  browser.Load(0);
  ASSERT_EQ(browser.Info().source_file_name, "song");
  ASSERT_EQ(store.DeleteRecord({"tune", 0, 0}), 0);
  browser.Load(1);
  EXPECT_EQ(browser.Info().source_file_name, "");
  EXPECT_EQ(browser.RecordCount(), 0);
  EXPECT_TRUE(browser.EnvelopePoints(0, 500).isEmpty());

  // Emptied since: nothing of the row shown before stays either.
  browser.Load(0);
  ASSERT_EQ(browser.Info().source_file_name, "song");
  ASSERT_TRUE(store.ClearTable());
  ASSERT_TRUE(browser.Reload());
  browser.Load(0);
  EXPECT_EQ(browser.Info().source_file_name, "");
  EXPECT_EQ(browser.RecordCount(), 0);
}

// The peaks of a track's landmarks, in seconds and hertz, over the stretch the
// envelope shows; and what the field list says of them.
TEST_F(DatabaseViewsTest, BrowserShowsTheLandmarksPeaksOverTheEnvelopesStretch) {
  ASSERT_EQ(AddTrack(store, "song", 40), 0);
  // The hash layout's example (peak_pairs.h): anchor frame 30, bin 256; partner
  // 10 frames later in bin 288. Then one at frame 700 (11.2 s): anchor bin 32,
  // partner 127 bins higher, 32 frames later.
  const std::vector<landmarks::Landmark> list = {{922633, 30}, {(0u << 13) | (255u << 5) | 31u, 700}};
  ASSERT_TRUE(store.StoreLandmarks(1, {3000, 2, landmarks::EncodeLandmarks(list)}));
  RecordBrowser browser(store);
  ASSERT_TRUE(browser.Reload());
  browser.Load(0);
  EXPECT_EQ(RecordFieldRows(browser.Info(), &browser.Landmarks()).last(),
            (QPair<QString, QString>("Ориентиров=", "2")));

  // 500 pixels: 20 records, 10 s from the position's half second.
  const RecordBrowser::Peaks first = browser.LandmarkPeaks(0, 500);
  EXPECT_EQ(RecordBrowser::ShownSeconds(0, 500), QPointF(0, 10));
  EXPECT_EQ(first.anchors, QList<QPointF>({{0.48, 1000}}));
  EXPECT_EQ(first.partners, QList<QPointF>({{0.64, 1125}}));
  const RecordBrowser::Peaks later = browser.LandmarkPeaks(4, 500);  // 2 s to 12 s
  EXPECT_EQ(later.anchors, QList<QPointF>({{11.2, 125}}));
  EXPECT_EQ(later.partners, QList<QPointF>({{11.712, 159 * 3.90625}}));
  EXPECT_TRUE(browser.LandmarkPeaks(23, 500).anchors.isEmpty());  // from 11.5 s on
  EXPECT_TRUE(browser.LandmarkPeaks(0, 119).anchors.isEmpty());

  // Rows without usable landmarks say what to do.
  store.Connection()->exec("UPDATE Landmarks SET version = 0");
  browser.Load(0);
  EXPECT_TRUE(browser.LandmarkPeaks(0, 500).anchors.isEmpty());
  EXPECT_EQ(LandmarkFieldText(browser.Landmarks()),
            "другой версии (0): добавьте их заново командой «Добавить ориентиры в базу данных»");
  store.Connection()->exec("DROP TABLE Landmarks");
  browser.Load(0);
  EXPECT_EQ(LandmarkFieldText(browser.Landmarks()), "нет (добавьте их командой «Добавить ориентиры в базу данных»)");
  EXPECT_EQ(RecordFieldRows(browser.Info()).size(), 12);  // the list without landmarks, as the fields alone
}

}  // namespace
}  // namespace melo
