#include "base/log_writer.h"
#include "indexer/database/import_source.h"
#include "indexer/database/record_store.h"
#include "indexer/database/sqlite_connection.h"
#include "tests/support/program_run.h"
#include "tests/support/read_only_path.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/track_rows.h"
#include "trackdb/schema.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace melo {
namespace {

using testing::RecordingDialogs;
using testing::Sqlite3;
using testing::TempDir;

TrackInfo Track(const QString& name, const QString& md5, int32_t audioTrack = 0, int32_t allTracks = 1,
                int32_t records = 60) {
  TrackInfo t;
  t.source_size = 123456789012LL;
  t.sha2 = QString(64, QLatin1Char('a'));
  t.md5 = md5;
  t.duration = records / 2;
  t.source_path = "/музыка/" + name + ".mkv";
  t.source_file_name = name;
  t.extension = "mkv";
  t.type = "видео";
  t.audio_track = audioTrack;
  t.all_tracks = allTracks;
  t.created = "05.03.2024 14:07:09";
  t.info = "Artist: Кино\nTitle: Группа крови";
  t.records = records;
  return t;
}

std::vector<uint8_t> RecordBytes(int32_t records, uint8_t seed = 1) {
  std::vector<uint8_t> bytes(static_cast<size_t>(records) * 12);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed);
  return bytes;
}

class DataModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(dir.Path("base.db")));
    ASSERT_TRUE(store.CreateTable());
  }
  void TearDown() override { SetMyLogPath({}); }
  int64_t Rows() { return store.QueryScalar("SELECT count(*) AS res FROM Data"); }

  TempDir dir;
  RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
};

TEST_F(DataModuleTest, ATrackIsItsContentNotItsPath) {
  ASSERT_EQ(store.InsertSQL(Track("film", "m1", 0, 2), RecordBytes(60)), 0);
  TrackInfo moved = Track("renamed", "m1", 0, 2);
  moved.source_path = "/elsewhere/renamed.mkv";
  EXPECT_EQ(store.InsertSQL(moved, RecordBytes(60)), TDataModule1::kAlreadyStored);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(store.InsertSQL(Track("film", "m1", 1, 2), RecordBytes(60)), 0);  // its second stream
  EXPECT_EQ(store.FindRecord({"m1", 123456789012LL, 1}), 2);
  EXPECT_EQ(store.FindRecord({"m1", 123456789012LL, 2}), TDataModule1::kNotFound);
  EXPECT_EQ(store.CheckSourcePath(Track("film", "x")), 1);
  EXPECT_EQ(store.CheckSourcePath(moved), 0);
  EXPECT_EQ(store.DeleteRecord({"m1", 123456789012LL, 0}), 0);
  EXPECT_EQ(Rows(), 1);
}

TEST_F(DataModuleTest, ShortFingerprintsAreStoredWithADiagnosticLine) {
  ASSERT_EQ(store.InsertSQL(Track("long", "a", 0, 1, 60), RecordBytes(60)), 0);
  EXPECT_FALSE(QFile::exists(dir.Path("my.log")));
  ASSERT_EQ(store.InsertSQL(Track("short", "b", 0, 1, 59), RecordBytes(59)), 0);
  const QString log = QString::fromUtf8(TempDir::Read(dir.Path("my.log")));
  EXPECT_TRUE(log.endsWith(" InsertSQL Info.IndexSize=59\n")) << log.toStdString();
  // Fewer bytes than the count promises is an insert error, not a short blob.
  EXPECT_EQ(store.InsertSQL(Track("lying", "c", 0, 1, 70), RecordBytes(60)), TDataModule1::kError);
  EXPECT_TRUE(QString::fromUtf8(TempDir::Read(dir.Path("my.log")))
                  .endsWith(" Query insert error! fewer record bytes than records\n"));
  EXPECT_EQ(store.LastError(), "fewer record bytes than records");
  EXPECT_EQ(Rows(), 2);
}

TEST_F(DataModuleTest, RowsRoundTripWithCyrillicTextsAndExactBytes) {
  const TrackInfo track = Track("Группа крови", "d41d8cd98f00b204e9800998ecf8427e", 0, 1, 61);
  const auto bytes = RecordBytes(61, 9);
  ASSERT_EQ(store.InsertSQL(track, bytes), 0);
  TrackInfo back;
  std::vector<uint8_t> buffer = {1, 2, 3};
  ASSERT_TRUE(store.GetRecord(1, back, buffer));
  TrackInfo expected = track;
  expected.id = 1;
  EXPECT_EQ(back, expected);
  EXPECT_EQ(buffer, bytes);

  // A missing id changes nothing and is no error.
  TrackInfo untouched = back;
  ASSERT_TRUE(store.GetRecord(99, untouched, buffer));
  EXPECT_EQ(untouched, back);
  EXPECT_EQ(buffer, bytes);
}

TEST_F(DataModuleTest, IdsAreNeverReusedAfterClearing) {
  for (const char* md5 : {"a", "b", "c"}) ASSERT_EQ(store.InsertSQL(Track("t", md5), RecordBytes(60)), 0);
  ASSERT_TRUE(store.ClearTable());
  EXPECT_EQ(Rows(), 0);
  ASSERT_EQ(store.InsertSQL(Track("t", "d"), RecordBytes(60)), 0);
  EXPECT_EQ(store.FindRecord({"d", 123456789012LL, 0}), 4);
}

TEST_F(DataModuleTest, ListNamesTracksOfMultiStreamFiles) {
  ASSERT_EQ(store.InsertSQL(Track("song", "s"), RecordBytes(60)), 0);
  ASSERT_EQ(store.InsertSQL(Track("film", "f", 0, 2), RecordBytes(60)), 0);
  ASSERT_EQ(store.InsertSQL(Track("film", "f", 1, 2), RecordBytes(60)), 0);
  QStringList names{"stale"}, ids;
  ASSERT_TRUE(store.ListRecords(names, ids));
  EXPECT_EQ(names, QStringList({"film [1]", "film [2]", "song"}));
  EXPECT_EQ(ids, QStringList({"2", "3", "1"}));
}

TEST_F(DataModuleTest, TheStoredFormatIsPlainSqlite) {
  ASSERT_EQ(store.InsertSQL(Track("t", "m"), RecordBytes(60, 0)), 0);
  const QString db = dir.Path("base.db");
  EXPECT_EQ(Sqlite3(db, "SELECT typeof(records), records, length(index_data), envelope_data IS NULL FROM Data"),
            "integer|60|720|1");
  EXPECT_EQ(Sqlite3(db, "SELECT hex(substr(index_data, 1, 4)) FROM Data"), "00070E15");
  EXPECT_EQ(Sqlite3(db, "SELECT source_file_name, type FROM Data"), "t|видео");
}

TEST_F(DataModuleTest, TrackAndPathLookupsUseAnIndex) {
  const QString db = dir.Path("base.db");
  EXPECT_TRUE(Sqlite3(db, "EXPLAIN QUERY PLAN SELECT id FROM data WHERE md5 = 'm' AND source_size = 1 AND audio_track = 0")
                  .contains("INDEX Data_track"));
  EXPECT_TRUE(Sqlite3(db, "EXPLAIN QUERY PLAN SELECT id FROM data WHERE source_path = 'p'").contains("INDEX Data_source_path"));
  EXPECT_TRUE(Sqlite3(db, "EXPLAIN QUERY PLAN SELECT id, source_file_name, audio_track, all_tracks FROM data "
                          "ORDER BY source_file_name")
                  .contains("COVERING INDEX Data_names"));
}

TEST(DataModule1, ReadsADatabaseMadeByTheSqliteShell) {
  TempDir dir;
  const QString db = dir.Path("shell.db");
  const QString create =
      "CREATE TABLE Data (id\tINTEGER,source_size\tINTEGER NOT NULL,sha2\tTEXT NOT NULL,md5\tTEXT NOT NULL,"
      "duration\tINTEGER NOT NULL,source_path\tTEXT NOT NULL,source_file_name\tTEXT NOT NULL,extension\tTEXT "
      "NOT NULL,type\tTEXT NOT NULL,audio_track\tINTEGER NOT NULL,all_tracks\tINTEGER NOT NULL,created\tTEXT "
      "NOT NULL,info\tTEXT,records\tINTEGER NOT NULL,index_data BLOB NOT NULL,envelope_data BLOB,PRIMARY "
      "KEY(id AUTOINCREMENT));";
  Sqlite3(db, create + "INSERT INTO Data VALUES(7, 5000000000, 'sha', 'md5', 31, 'C:\\m\\a.mp3', 'a', 'mp3',"
                       " 'аудио', 0, 1, 'date', '', 1, x'395B0CFEFF8000001020400011', NULL);");
  RecordingDialogs dialogs;
  TDataModule1 store(dialogs);
  ASSERT_TRUE(store.OpenDatabase(db));
  TrackInfo info;
  std::vector<uint8_t> buffer;
  ASSERT_TRUE(store.GetRecord(7, info, buffer));  // the blob holds one record and a stray byte
  EXPECT_EQ(info.source_size, 5000000000LL);
  EXPECT_EQ(info.source_path, "C:\\m\\a.mp3");
  EXPECT_EQ(buffer.size(), 12u);
  EXPECT_EQ(store.InsertSQL(info, buffer), TDataModule1::kAlreadyStored);
  info.audio_track = 1;
  EXPECT_EQ(store.InsertSQL(info, buffer), 0);
  EXPECT_EQ(Sqlite3(db, "SELECT max(id) FROM Data"), "8");
  EXPECT_EQ(Sqlite3(db, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'Data_%'"), "3");
}

TEST(DataModule1, ReadingLeavesTheFileAsItIs) {
  TempDir dir;
  const QString db = dir.Path("shell.db");
  Sqlite3(db, "CREATE TABLE Data (id INTEGER PRIMARY KEY, source_file_name TEXT, audio_track INTEGER, all_tracks INTEGER)");
  const QByteArray before = TempDir::Read(db);
  RecordingDialogs dialogs;
  TDataModule1 store(dialogs);
  ASSERT_TRUE(store.OpenDatabase(db));
  QStringList names, ids;
  EXPECT_TRUE(store.ListRecords(names, ids));
  store.CloseDatabase();
  EXPECT_EQ(TempDir::Read(db), before);
}

TEST(DataModule1, FilesThatAreNotDatabasesFailCleanly) {
  TempDir dir;
  RecordingDialogs dialogs;
  TDataModule1 store(dialogs);

  // A new path becomes an empty database without a table.
  ASSERT_TRUE(store.OpenDatabase(dir.Path("new.db")));
  EXPECT_TRUE(QFile::exists(dir.Path("new.db")));
  EXPECT_EQ(store.FindRecord({"m", 1, 0}), TDataModule1::kError);
  EXPECT_EQ(store.InsertSQL(Track("t", "m"), RecordBytes(60)), TDataModule1::kError);
  QStringList names, ids;
  EXPECT_FALSE(store.ListRecords(names, ids));
  EXPECT_EQ(store.QueryScalar("SELECT count(*) AS res FROM Data"), 0);
  ASSERT_TRUE(store.CreateTable());
  EXPECT_EQ(store.FindRecord({"m", 1, 0}), TDataModule1::kNotFound);
  EXPECT_FALSE(store.CreateTable());
  EXPECT_TRUE(dialogs.messages.endsWith("Ошибка создания таблицы!"));

  dir.Write("text.db", QByteArray("this is not a database, just some text long enough to matter.").repeated(20));
  EXPECT_FALSE(store.OpenDatabase(dir.Path("text.db")));
  EXPECT_FALSE(store.OpenDatabase(dir.Path("no/such/folder/x.db")));
  EXPECT_EQ(dialogs.messages.count("Ошибка подключения к базе данных!"), 2);
  EXPECT_FALSE(store.IsConnected());
  EXPECT_FALSE(store.CloseDatabase());
  EXPECT_FALSE(store.ClearTable());
  EXPECT_TRUE(dialogs.messages.endsWith("Ошибка очистки таблицы!"));
  EXPECT_FALSE(store.Vacuum());
}

TEST(DataModule1, VacuumOfAReadOnlyFileFails) {
  TempDir dir;
  RecordingDialogs dialogs;
  {
    TDataModule1 writer(dialogs);
    ASSERT_TRUE(writer.OpenDatabase(dir.Path("ro.db")));
    ASSERT_TRUE(writer.CreateTable());
  }
  const testing::ReadOnlyPath readOnly(dir.Path("ro.db"));
  if (!readOnly.Made()) GTEST_SKIP() << "nothing can be made read-only here";
  TDataModule1 store(dialogs);
  const bool opened = store.OpenDatabase(dir.Path("ro.db"));
  const bool vacuumed = opened && store.Vacuum();
  const int32_t inserted = store.InsertSQL(Track("t", "m"), RecordBytes(60));
  store.CloseDatabase();
  EXPECT_TRUE(opened);
  EXPECT_FALSE(vacuumed);
  EXPECT_EQ(inserted, TDataModule1::kError);
}

TEST(DataModule1, TheLockHasOneOwnerAtATime) {
  RecordingDialogs dialogs;
  TDataModule1 store(dialogs);
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> entries{0};
  std::vector<std::thread> threads;
  for (int owner : {0, 1, 2, 3, 1000}) {
    threads.emplace_back([&, owner] {
      for (int i = 0; i < 25; ++i) {
        if (store.LockDatabase(owner) != owner) overlaps++;
        if (inside.fetch_add(1) != 0) overlaps++;
        if (store.LockId() != owner) overlaps++;
        std::this_thread::yield();
        inside.fetch_sub(1);
        entries++;
        store.UnlockDatabase();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(entries, 125);
  EXPECT_EQ(store.LockId(), -1);
}

TEST(DataModule2, ListsAndReadsTheImportedDatabase) {
  TempDir dir;
  RecordingDialogs dialogs;
  {
    TDataModule1 source(dialogs);
    ASSERT_TRUE(source.OpenDatabase(dir.Path("source.db")));
    ASSERT_TRUE(source.CreateTable());
    ASSERT_EQ(source.InsertSQL(Track("a", "m1", 0, 2), RecordBytes(60)), 0);
    ASSERT_EQ(source.InsertSQL(Track("a", "m1", 1, 2, 61), RecordBytes(61)), 0);
  }
  TDataModule2 import(dialogs);
  std::vector<SourceTrack> rows;
  EXPECT_FALSE(import.GetRecordList2(rows));  // not connected
  ASSERT_TRUE(import.OpenDatabase(dir.Path("source.db")));
  ASSERT_TRUE(import.GetRecordList2(rows));
  EXPECT_EQ(rows, (std::vector<SourceTrack>{{1, {"m1", 123456789012, 0}}, {2, {"m1", 123456789012, 1}}}));
  TrackInfo info;
  std::vector<uint8_t> buffer;
  ASSERT_TRUE(import.GetRecord2(2, info, buffer));
  EXPECT_EQ(info.audio_track, 1);
  EXPECT_EQ(buffer, RecordBytes(61));
  EXPECT_FALSE(import.Busy());
}

}  // namespace
}  // namespace melo

namespace melo {
namespace {

using testing::SomeLandmarks;

class LandmarkStoreTest : public DataModuleTest {
 protected:
  QString Db() const { return dir.Path("base.db"); }
  // Every column of every row as SQLite quotes it: what a reader of the file sees.
  QString DataRows(const QString& db) {
    return Sqlite3(db, "SELECT quote(id), quote(source_size), quote(sha2), quote(md5), quote(duration), "
                       "quote(source_path), quote(source_file_name), quote(extension), quote(type), "
                       "quote(audio_track), quote(all_tracks), quote(created), quote(info), quote(records), "
                       "quote(index_data), quote(envelope_data) FROM Data ORDER BY id");
  }
  QString LandmarkRows() { return Sqlite3(Db(), "SELECT id, version, frames, count, hex(data) FROM Landmarks ORDER BY id"); }
};

TEST_F(LandmarkStoreTest, ARowAndItsLandmarksGoInTogetherOrNotAtAll) {
  const LandmarkRecord first = SomeLandmarks(1), second = SomeLandmarks(2);
  ASSERT_EQ(store.InsertSQL(Track("a", "m1"), RecordBytes(60), &first), 0);
  ASSERT_EQ(store.InsertSQL(Track("b", "m2"), RecordBytes(60), &second), 0);
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(id || ':' || count) FROM Landmarks"), "1:20,2:20");
  RowLandmarks back;
  ASSERT_TRUE(ReadRowLandmarks(store.Connection()->getHandle(), 2, back));
  EXPECT_EQ(back.state, StoredLandmarks::Read);
  EXPECT_EQ(MakeLandmarkRecord(back), second);

  // Another program's trigger refuses every landmark: the row does not go in either.
  Sqlite3(Db(), "CREATE TRIGGER refuse BEFORE INSERT ON Landmarks BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  EXPECT_EQ(store.InsertSQL(Track("c", "m3"), RecordBytes(60), &first), TDataModule1::kError);
  EXPECT_TRUE(store.LastError().contains("refused")) << store.LastError().toStdString();
  EXPECT_EQ(Rows(), 2);
  // Inside a transaction of the caller's, only the failed pair goes; what came before stays.
  store.Connection()->exec("BEGIN");
  ASSERT_EQ(store.InsertSQL(Track("d", "m4"), RecordBytes(60)), 0);
  EXPECT_EQ(store.InsertSQL(Track("e", "m5"), RecordBytes(60), &first), TDataModule1::kError);
  store.Connection()->exec("COMMIT");
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(md5) FROM Data"), "m1,m2,m4");
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(id) FROM Landmarks"), "1,2");

  // A reader that holds the file past the busy wait refuses the commit: the pair is
  // reported as failed and is not stored by a later commit either, and the next
  // pair commits on its own.
  Sqlite3(Db(), "DROP TRIGGER refuse");
  {
    SQLite::Database reader(Db().toStdString(), SQLite::OPEN_READONLY);
    reader.exec("BEGIN");
    SQLite::Statement look(reader, "SELECT count(*) FROM Data");
    ASSERT_TRUE(look.executeStep());
    EXPECT_EQ(store.InsertSQL(Track("f", "m6"), RecordBytes(60), &first), TDataModule1::kError);
  }
  ASSERT_EQ(store.InsertSQL(Track("g", "m7"), RecordBytes(60), &second), 0);
  store.Commit();
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(md5) FROM Data"), "m1,m2,m4,m7");
  EXPECT_EQ(Sqlite3(Db(), "SELECT count(*) FROM Landmarks"), "3");
}

// The same rows stored with landmarks and without: table Data, its text and every
// byte of its rows, is the same either way.
TEST_F(LandmarkStoreTest, LandmarksLeaveTableDataAsTheDescribedInsertMakesIt) {
  TDataModule1 described(dialogs);
  ASSERT_TRUE(described.OpenDatabase(dir.Path("described.db")));
  ASSERT_TRUE(RunStatement(described.Connection(), sql::kCreateTable));
  for (int i = 0; i < 3; ++i) {
    const TrackInfo track = Track("Песня " + QString::number(i), "m" + QString::number(i), i, 3, 60 + i);
    const LandmarkRecord landmarks = SomeLandmarks(i, 10 * i);  // the first with none at all
    ASSERT_EQ(store.InsertSQL(track, RecordBytes(60 + i, i), &landmarks), 0);
    ASSERT_EQ(described.InsertSQL(track, RecordBytes(60 + i, i)), 0);
  }
  const QString rows = DataRows(Db());
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(rows, DataRows(dir.Path("described.db")));
  const QString dataTable = "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = 'Data'";
  EXPECT_EQ(Sqlite3(Db(), dataTable), Sqlite3(dir.Path("described.db"), dataTable));
  EXPECT_EQ(Sqlite3(Db(), dataTable) + ";", QString::fromUtf8(sql::kCreateTable));
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(id || ':' || count || ':' || length(data)) FROM Landmarks"),
            "1:0:0,2:10:40,3:20:80");
}

TEST_F(LandmarkStoreTest, ClearAndDeleteTakeTheLandmarksAlong) {
  for (int i = 0; i < 3; ++i) {
    const LandmarkRecord landmarks = SomeLandmarks(i);
    ASSERT_EQ(store.InsertSQL(Track("t", "m" + QString::number(i)), RecordBytes(60), &landmarks), 0);
  }
  ASSERT_EQ(store.DeleteRecord({"m1", 123456789012LL, 0}), 0);
  EXPECT_EQ(Sqlite3(Db(), "SELECT group_concat(id) FROM Landmarks"), "1,3");
  ASSERT_TRUE(store.ClearTable());
  EXPECT_EQ(Sqlite3(Db(), "SELECT count(*) FROM Data") + Sqlite3(Db(), "SELECT count(*) FROM Landmarks"), "00");

  // A landmark delete that fails keeps the row too.
  const LandmarkRecord landmarks = SomeLandmarks(5);
  ASSERT_EQ(store.InsertSQL(Track("t", "m5"), RecordBytes(60), &landmarks), 0);
  Sqlite3(Db(), "CREATE TRIGGER keep BEFORE DELETE ON Landmarks BEGIN SELECT RAISE(ABORT, 'kept'); END;");
  EXPECT_EQ(store.DeleteRecord({"m5", 123456789012LL, 0}), TDataModule1::kError);
  EXPECT_FALSE(store.ClearTable());
  EXPECT_TRUE(dialogs.messages.endsWith("Ошибка очистки таблицы!"));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(LandmarkRows().count('|'), 4);
}

// A database from before the landmarks: opened, read, cleared and written as
// before; the landmark table appears with the first row that has landmarks.
TEST(LandmarkStore, ADatabaseWithoutTheLandmarkTableWorksAndGetsIt) {
  TempDir dir;
  const QString db = dir.Path("old.db");
  Sqlite3(db, QString::fromUtf8(sql::kCreateTable));
  RecordingDialogs dialogs;
  TDataModule1 store(dialogs);
  ASSERT_TRUE(store.OpenDatabase(db));
  ASSERT_EQ(store.InsertSQL(Track("old", "m1"), RecordBytes(60)), 0);
  EXPECT_EQ(store.DeleteRecord({"m1", 123456789012LL, 0}), 0);
  EXPECT_TRUE(store.ClearTable());
  EXPECT_EQ(Sqlite3(db, "SELECT count(*) FROM sqlite_master WHERE name = 'Landmarks'"), "0");
  const LandmarkRecord landmarks = SomeLandmarks(3);
  ASSERT_EQ(store.InsertSQL(Track("new", "m2"), RecordBytes(60), &landmarks), 0);
  EXPECT_EQ(Sqlite3(db, "SELECT id, count FROM Landmarks"), "2|20");
  EXPECT_TRUE(store.StoreLandmarks(2, SomeLandmarks(4, 5)));  // replaced
  EXPECT_EQ(Sqlite3(db, "SELECT id, count FROM Landmarks"), "2|5");

  TDataModule1 created(dialogs);
  ASSERT_TRUE(created.OpenDatabase(dir.Path("new.db")));
  ASSERT_TRUE(created.CreateTable());
  EXPECT_EQ(Sqlite3(dir.Path("new.db"), "SELECT group_concat(name) FROM sqlite_master WHERE type = 'table' AND name "
                                        "IN ('Data', 'Landmarks') ORDER BY name"),
            "Data,Landmarks");
}

}  // namespace
}  // namespace melo
