#include "indexer/database/record_store.h"
#include "landmarks/landmark_blob.h"
#include "searcher/engine/landmark_index.h"
#include "searcher/engine/load_data.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::Sqlite3;
using testing::TempDir;

TEST(LoadIndex, EveryRowWithItsFingerprintInRowOrder) {
  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store(dialogs);
  ASSERT_TRUE(store.OpenDatabase(dir.Path("a.db")));
  ASSERT_TRUE(store.CreateTable());
  for (int32_t records : {7200, 7199}) {
    TrackInfo t;
    t.md5 = QString::number(records);
    t.source_path = QStringLiteral("/музыка/%1.mp3").arg(records);
    t.info = "Artist: X";
    t.records = records;
    ASSERT_EQ(store.InsertSQL(t, std::vector<uint8_t>(records * 12, static_cast<uint8_t>(records))), 0);
  }
  SearchIndex index;
  QStringList errors;
  LoadIndex(dir.Path("a.db"), index, [&](const QString& line) { errors << line; });
  ASSERT_EQ(index.recordsCount, 2);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(index.infos[1].source_path, "/музыка/7199.mp3");
  EXPECT_EQ(index.infos[1].id, 2);
  EXPECT_EQ(index.tracks[1].count, 7199);
  EXPECT_EQ(index.tracks[1].records[12 * 7198 + 11], static_cast<uint8_t>(7199));
  EXPECT_EQ(index.totalRecords, 14399);
  ASSERT_TRUE(index.filter);  // over every frame with a peak
  EXPECT_EQ(index.filter->Entries(), 14399);
  const QStringList status = LoadStatusTexts(index);
  EXPECT_TRUE(status[0].startsWith("Время загрузки информации из базы данных: "));
  EXPECT_EQ(status.mid(1), QStringList({"Аудио треков: 2", "Аудио часов: 1", "Ошибок чтения: 0"}));

  // A load stopped after the first row keeps no filter: the old one pointed into
  // tracks that are gone.
  LoadIndex(dir.Path("a.db"), index, {}, [](int32_t rowsRead) { return rowsRead < 1; });
  EXPECT_FALSE(index.filter);
  EXPECT_EQ(LoadProgressText(1, 2), "Загрузка информации из базы данных: 1 из 2");
  EXPECT_EQ(LoadProgressText(2, 2), "Построение фильтра для поиска...");
}

TEST(LoadIndex, UnreadableBlobsAreCountedAndNamed) {
  TempDir dir;
  const QString db = dir.Path("b.db");
  Sqlite3(db, "CREATE TABLE Data (id INTEGER PRIMARY KEY, source_path TEXT, records INTEGER, index_data BLOB);"
              "INSERT INTO Data VALUES (5, '/a.mp3', 0, NULL), (6, '/b.mp3', 0, x''),"
              "(7, '/c.mp3', 1, x'0102030405060708090A0B0C0D'), (8, '/d.mp3', 0, NULL);");
  SearchIndex index;
  QStringList errors;
  LoadIndex(db, index, [&](const QString& line) { errors << line; });
  ASSERT_EQ(index.recordsCount, 4);
  EXPECT_EQ(errors, QStringList({"Ошибка чтения данных:\tId=5\tФайл=/a.mp3", "Ошибка чтения данных:\tId=8\tФайл=/d.mp3"}));
  EXPECT_EQ(index.readErrors, 2);
  EXPECT_EQ(index.loadedTracks, 2);
  EXPECT_FALSE(index.tracks[0].loaded);
  EXPECT_TRUE(index.tracks[1].loaded);  // an empty fingerprint is still a track
  EXPECT_EQ(index.tracks[1].count, 0);
  EXPECT_EQ(index.tracks[2].count, 1);  // the stray 13th byte is not a record
  EXPECT_EQ(index.filter->Entries(), 1);
  EXPECT_EQ(LoadStatusTexts(index)[3], "Ошибок чтения: 2");
}

// Landmarks the load cannot use cost it nothing and hide no track: a damaged frame
// count takes no more of the index than the landmarks themselves; other versions,
// damaged blobs and missing rows are counted; a Landmarks table of other columns
// leaves every row to the described search.
TEST(LoadIndex, LandmarksThatCannotBeUsedHideNoTrack) {
  TempDir dir;
  const QString db = dir.Path("l.db");
  const QByteArray one = QByteArray(reinterpret_cast<const char*>(landmarks::EncodeLandmarks(
                                        std::vector<landmarks::Landmark>{{77, 10}}).data()), 4).toHex();
  QString sql = "CREATE TABLE Data (id INTEGER PRIMARY KEY, source_path TEXT, records INTEGER, index_data BLOB);"
                "CREATE TABLE Landmarks (id INTEGER PRIMARY KEY, version INTEGER NOT NULL, frames INTEGER NOT NULL,"
                " count INTEGER NOT NULL, data BLOB NOT NULL);";
  for (int id = 1; id <= 7; ++id) sql += QString("INSERT INTO Data VALUES (%1, '/%1.mp3', 1, zeroblob(12));").arg(id);
  sql += QString("INSERT INTO Landmarks VALUES (1, 1, 100, 1, x'%1'), (2, 1, 2147483647, 1, x'%1'),"
                 " (3, 1, 2147483647, 1, x'%1'), (4, 1, 2147483647, 1, x'%1'), (5, 0, 100, 1, x'%1'),"
                 " (6, 1, 100, 3, x'%1');").arg(QString::fromLatin1(one));
  Sqlite3(db, sql);
  SearchIndex index;
  LoadIndex(db, index, {});
  EXPECT_EQ(index.loadedTracks, 7);
  EXPECT_EQ(index.landmarkTracks, 4);
  EXPECT_EQ(index.landmarkProblems, 3);  // another version, a blob short of its count, no row at all
  ASSERT_TRUE(index.landmarks);
  EXPECT_EQ(index.landmarks->TrackCount(), 4);
  EXPECT_EQ(index.landmarks->ShardCount(), 1);
  const auto found = index.landmarks->Candidates(std::vector<landmarks::Landmark>{{77, 0}}, 1, 10);
  EXPECT_EQ(found.size(), 4u);

  Sqlite3(db, "DROP TABLE Landmarks; CREATE TABLE Landmarks (id INTEGER PRIMARY KEY, blob BLOB);");
  SearchIndex other;
  QStringList errors;
  LoadIndex(db, other, [&](const QString& line) { errors << line; });
  EXPECT_EQ(other.loadedTracks, 7);
  EXPECT_EQ(other.readErrors, 0);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(other.landmarkTracks, 0);
}

TEST(LoadIndex, EmptyMissingAndForeignFiles) {
  TempDir dir;
  Sqlite3(dir.Path("empty.db"), "CREATE TABLE Data (id INTEGER, index_data BLOB);");
  SearchIndex empty;
  LoadIndex(dir.Path("empty.db"), empty, {});
  EXPECT_EQ(empty.recordsCount, 0);
  EXPECT_EQ(LoadStatusTexts(empty).mid(1), QStringList({"Аудио треков: 0", "Аудио часов: 0", "Ошибок чтения: 0"}));

  SearchIndex missing;
  LoadIndex(dir.Path("missing.db"), missing, {});
  EXPECT_EQ(missing.recordsCount, -1);
  EXPECT_FALSE(QFile::exists(dir.Path("missing.db")));
  SearchIndex foreign;
  LoadIndex(dir.Write("text.db", QByteArray(5000, 'x')), foreign, {});
  EXPECT_EQ(foreign.recordsCount, -1);
  EXPECT_TRUE(foreign.tracks.empty());
}

}  // namespace
}  // namespace melo
