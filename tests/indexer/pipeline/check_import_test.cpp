#include "base/log_writer.h"
#include "indexer/database/import_source.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/check_database.h"
#include "indexer/pipeline/import_database.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/track_rows.h"

#include <QProcess>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::AudioRow;
using testing::PositiveRecords;
using testing::SomeLandmarks;
using testing::Sqlite3;
using testing::TempDir;

class CheckImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(dir.Path("main.db")));
    ASSERT_TRUE(store.CreateTable());
  }
  void TearDown() override { SetMyLogPath({}); }

  QStringList Check(CheckDatabase::Options options) {
    CheckDatabase check(store, options);
    check.SetFinishPause(0);
    QStringList lines;
    bool finished = false;
    check.onReport = [&](const QString& line) {
      EXPECT_EQ(store.LockId(), 1000);  // held throughout
      lines << line;
    };
    check.onError = [&](const QString& text) { lines << "ERROR " + text; };
    check.onFinish = [&] { finished = true; };
    check.Start();
    check.WaitFor();
    EXPECT_TRUE(finished);
    EXPECT_EQ(check.Progress(), 100);
    EXPECT_EQ(store.LockId(), -1);
    return lines;
  }

  struct Imported {
    QStringList lines;  // added lines, then "SHOW ..." messages, then the summary
    ImportDatabase::Counts counts;
    int32_t progress = -1;
  };
  Imported Import(const QString& sourcePath, ImportDatabase::Policy policy, int stopAfterLines = -1) {
    TDataModule2 source(dialogs);
    EXPECT_TRUE(source.OpenDatabase(sourcePath));
    ImportDatabase import(store, source, policy);
    Imported result;
    import.onAdd = [&](const QString& line) {
      result.lines << line;
      if (result.lines.size() == stopAfterLines) import.Terminate();
    };
    import.onShow = [&](const QString& text) { result.lines << "SHOW " + text; };
    import.onSummary = [&](const QStringList& lines) { result.lines << lines; };
    import.Start();
    import.WaitFor();
    result.counts = import.GetCounts();
    result.progress = import.Progress();
    EXPECT_EQ(store.LockId(), -1);
    return result;
  }

  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
};

TEST_F(CheckImportTest, CheckFindsDuplicatesEmptyFieldsAndBadFingerprints) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 60), PositiveRecords(60)), 0);  // 1: short, not under 30 s
  TrackInfo untagged = AudioRow("b", 59);
  untagged.info.clear();
  ASSERT_EQ(store.InsertSQL(untagged, PositiveRecords(59)), 0);  // 2: untagged, under 30 s
  ASSERT_EQ(store.InsertSQL(AudioRow("c", 100), PositiveRecords(100)), 0);  // 3
  Sqlite3(dir.Path("main.db"), "INSERT INTO Data (source_size, sha2, md5, duration, source_path, source_file_name, "
                               "extension, type, audio_track, all_tracks, created, info, records, index_data) "
                               "SELECT source_size, sha2, md5, duration, source_path, source_file_name, extension, "
                               "type, audio_track, all_tracks, created, info, 60, zeroblob(700) FROM Data WHERE id = 3");
  const QStringList lines = Check({true, true, false, true, true, false});
  EXPECT_EQ(lines, QStringList({
                       "Id=3\tНайдены  дубликаты (2)",  // or 4: SQLite names one of the two
                       "Id=1\tНайдены короткие индексы (60)",
                       "Id=2\tНайдены пустые поля (info)",
                       "Id=2\tНайдены короткие индексы (59)",
                       "Id=4\tНайдены короткие индексы (60)",
                       "Id=2\tРазмер индексных данных (708) менее 30 секунд!",
                       "Id=4\tРеальный размер индексных данных (700) отличен от значения поля records (60)",
                   }));
}

TEST_F(CheckImportTest, EachOptionRunsOnlyItsStep) {
  ASSERT_EQ(store.InsertSQL(AudioRow("a", 70, dir.Path("gone.mp3")), PositiveRecords(70)), 0);
  ASSERT_EQ(store.InsertSQL(AudioRow("b", 70, dir.Write("here.mp3")), PositiveRecords(70)), 0);
  std::vector<uint8_t> odd = PositiveRecords(70);
  odd[3] = 0xFF;   // a negative amplitude: normal
  odd[11] = 0x80;  // a band byte of 128 or more: normal
  odd[12] = 0xC0;  // record 1's peak offset 24000: what the format cannot hold
  odd[13] = 0x5D;
  ASSERT_EQ(store.InsertSQL(AudioRow("c", 70, dir.Path("gone2.mp3")), odd), 0);
  EXPECT_EQ(Check({false, false, true, false, false, false}),
            QStringList({"Id=1\tИсходный файл не найден: " + dir.Path("gone.mp3"),
                         "Id=3\tИсходный файл не найден: " + dir.Path("gone2.mp3")}));
  EXPECT_EQ(Check({false, false, false, false, true, false}),
            QStringList({"Id=3\tОбнаружено (1) отрицательных значений огибающей!"}));
  // A count no blob can match, whatever a 64-bit product of it wraps to.
  Sqlite3(dir.Path("main.db"), "UPDATE Data SET records = -9223372036854775808, index_data = x'' WHERE id = 2");
  EXPECT_EQ(Check({false, false, false, false, true, false}),
            QStringList({"Id=2\tРеальный размер индексных данных (0) отличен от значения поля records (-9223372036854775808)",
                         "Id=2\tРазмер индексных данных (0) менее 30 секунд!",
                         "Id=3\tОбнаружено (1) отрицательных значений огибающей!"}));
  EXPECT_TRUE(Check({false, false, false, false, false, false}).isEmpty());
}

TEST_F(CheckImportTest, AFailingStatementEndsOnlyItsStep) {
  Sqlite3(dir.Path("main.db"), "DROP TABLE Data");
  EXPECT_EQ(Check({true, true, true, true, true, true}),
            QStringList({"ERROR Ошибка чтения количества записей!", "ERROR Ошибка поиска дубликатов!",
                         "ERROR Ошибка поиска пустых полей!", "ERROR Ошибка чтения списка файлов!",
                         "ERROR Ошибка чтения индексных данных!", "ERROR Ошибка чтения ориентиров!"}));
}

TEST_F(CheckImportTest, ImportingADatabaseIntoItself) {
  for (int i = 0; i < 3; ++i) {
    const LandmarkRecord landmarks = SomeLandmarks(i);
    ASSERT_EQ(store.InsertSQL(AudioRow(QString(QChar('a' + i)), 60), PositiveRecords(60), &landmarks), 0);
  }
  const Imported kept = Import(dir.Path("main.db"), ImportDatabase::Policy::KeepOld);
  EXPECT_EQ(kept.counts.ignored, 3);
  EXPECT_EQ(kept.counts.added, 0);
  EXPECT_EQ(kept.lines[0], "Дубликат: MD5-хэш = a\tтрек = 0\tid = 1\tid2 = 1\tразмер = 1 000 байт");
  EXPECT_TRUE(kept.lines.contains("SHOW Задание выполнено!"));
  EXPECT_EQ(Sqlite3(dir.Path("main.db"), "SELECT group_concat(id) FROM Data"), "1,2,3");

  const Imported replaced = Import(dir.Path("main.db"), ImportDatabase::Policy::Replace);
  EXPECT_EQ(replaced.counts.deleted, 3);
  EXPECT_EQ(replaced.counts.added, 3);
  EXPECT_EQ(replaced.progress, 100);
  EXPECT_EQ(replaced.lines.mid(replaced.lines.size() - 5),
            QStringList({"", "Обработано записей: 3 из 3", "Проигнорировано дубликатов: 0", "Удалено записей: 3",
                         "Добавлено новых записей: 3"}));
  EXPECT_EQ(Sqlite3(dir.Path("main.db"), "SELECT group_concat(md5 || id) FROM Data"), "a4,b5,c6");
  // Each row's landmarks went with it to its new id, and the old ones with the old row.
  EXPECT_EQ(Sqlite3(dir.Path("main.db"), "SELECT group_concat(id) FROM Landmarks"), "4,5,6");
  for (int i = 0; i < 3; ++i) {
    RowLandmarks stored;
    ASSERT_TRUE(ReadRowLandmarks(store.Connection()->getHandle(), 4 + i, stored));
    EXPECT_EQ(MakeLandmarkRecord(stored), SomeLandmarks(i)) << i;
  }
}

TEST_F(CheckImportTest, NewRowsAreCopiedWholeAndOnlyRealCopiesCount) {
  const QString sourcePath = dir.Path("source.db");
  {
    TDataModule1 source(dialogs);
    ASSERT_TRUE(source.OpenDatabase(sourcePath));
    ASSERT_TRUE(source.CreateTable());
    ASSERT_EQ(source.InsertSQL(AudioRow("new", 61, "/elsewhere/Песня.mp3"), PositiveRecords(61)), 0);
    ASSERT_EQ(source.InsertSQL(AudioRow("broken", 60), PositiveRecords(60)), 0);
  }
  Sqlite3(sourcePath, "UPDATE Data SET index_data = zeroblob(100) WHERE md5 = 'broken'");  // shorter than 60 records
  const Imported imported = Import(sourcePath, ImportDatabase::Policy::KeepOld);
  EXPECT_EQ(imported.counts.added, 1);
  EXPECT_EQ(imported.counts.processed, 2);
  EXPECT_TRUE(imported.lines.contains("Ошибка DataModule2->GetRecord2"));
  EXPECT_TRUE(imported.lines.contains("Записей с ошибками: 1"));
  EXPECT_FALSE(imported.lines.contains("SHOW Задание выполнено!"));
  TrackInfo copy;
  std::vector<uint8_t> records;
  ASSERT_TRUE(store.GetRecord(1, copy, records));
  TrackInfo expected = AudioRow("new", 61, "/elsewhere/Песня.mp3");
  expected.id = 1;
  EXPECT_EQ(copy, expected);
  EXPECT_EQ(records, PositiveRecords(61));
}

TEST_F(CheckImportTest, CopiesAnotherProgramKeepsOutAreFailuresNeverSuccesses) {
  const QString sourcePath = dir.Path("source.db");
  {
    TDataModule1 source(dialogs);
    ASSERT_TRUE(source.OpenDatabase(sourcePath));
    ASSERT_TRUE(source.CreateTable());
    ASSERT_EQ(source.InsertSQL(AudioRow("new", 60), PositiveRecords(60)), 0);
  }
  const struct {
    const char* hold;  // what the other program does, for longer than a writer waits
    QStringList expected;
  } cases[] = {
      {"BEGIN; SELECT count(*) FROM Data;", {"SHOW Ошибка сохранения импортированных записей!"}},
      {"BEGIN IMMEDIATE; SELECT 'held';", {"Ошибка DataModule1->InsertSQL", "Записей с ошибками: 1"}},
  };
  for (const auto& c : cases) {
    QProcess other;
    other.start("sqlite3", {dir.Path("main.db")});
    ASSERT_TRUE(other.waitForStarted());
    other.write(QByteArray(c.hold) + "\n");
    other.waitForReadyRead(5000);
    const Imported imported = Import(sourcePath, ImportDatabase::Policy::KeepOld);
    other.write("COMMIT;\n.quit\n");
    other.waitForFinished();
    for (const QString& line : c.expected) EXPECT_TRUE(imported.lines.contains(line)) << line.toStdString();
    EXPECT_FALSE(imported.lines.contains("SHOW Задание выполнено!"));
    EXPECT_TRUE(imported.lines.contains("Добавлено новых записей: 0"));
    EXPECT_EQ(Sqlite3(dir.Path("main.db"), "SELECT count(*) FROM Data"), "0");
  }
  EXPECT_TRUE(TempDir::Read(dir.Path("my.log")).contains("database is locked"));  // the cause, logged
}

TEST_F(CheckImportTest, AFailedReadNeverCostsTheOldRow) {
  ASSERT_EQ(store.InsertSQL(AudioRow("same", 60), PositiveRecords(60)), 0);
  const QString sourcePath = dir.Path("source.db");
  Sqlite3(sourcePath, "CREATE TABLE Data (id INTEGER PRIMARY KEY, source_size INTEGER, md5 TEXT, audio_track INTEGER,"
                      " records INTEGER, index_data BLOB); INSERT INTO Data VALUES (1, 1000, 'same', 0, 60, x'00');");
  const Imported imported = Import(sourcePath, ImportDatabase::Policy::Replace);
  EXPECT_TRUE(imported.lines.contains("SHOW Ошибка DataModule2->GetRecord2"));
  EXPECT_EQ(imported.counts.deleted, 0);
  EXPECT_EQ(imported.counts.added, 0);
  EXPECT_EQ(Sqlite3(dir.Path("main.db"), "SELECT id || md5 FROM Data"), "1same");
}

TEST_F(CheckImportTest, StoppingEmptyAndBrokenSources) {
  const QString sourcePath = dir.Path("source.db");
  {
    TDataModule1 source(dialogs);
    ASSERT_TRUE(source.OpenDatabase(sourcePath));
    ASSERT_TRUE(source.CreateTable());
    for (int i = 0; i < 10; ++i) ASSERT_EQ(source.InsertSQL(AudioRow(QString::number(i), 60), PositiveRecords(60)), 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(store.InsertSQL(AudioRow(QString::number(i), 60), PositiveRecords(60)), 0);
  }
  const Imported stopped = Import(sourcePath, ImportDatabase::Policy::KeepOld, 2);  // stop at the 2nd duplicate line
  EXPECT_TRUE(stopped.lines.contains("SHOW Импорт остановлен!"));
  EXPECT_EQ(stopped.counts.processed, 2);
  EXPECT_EQ(stopped.counts.total, 10);

  Sqlite3(dir.Path("empty.db"), "CREATE TABLE Data (id INTEGER, source_size INTEGER, md5 TEXT, audio_track INTEGER)");
  const Imported empty = Import(dir.Path("empty.db"), ImportDatabase::Policy::KeepOld);
  EXPECT_EQ(empty.lines, QStringList({"SHOW Задание выполнено!", "", "Обработано записей: 0 из 0",
                                      "Проигнорировано дубликатов: 0", "Удалено записей: 0", "Добавлено новых записей: 0"}));

  Sqlite3(dir.Path("one.db"), "CREATE TABLE Data (id INTEGER, source_size INTEGER, md5 TEXT, audio_track INTEGER);"
                              "INSERT INTO Data VALUES (1, 1000, '5', 0)");
  const Imported one = Import(dir.Path("one.db"), ImportDatabase::Policy::KeepOld);
  EXPECT_EQ(one.progress, 0);
  EXPECT_TRUE(one.lines.contains("Обработано записей: 1 из 1"));

  TDataModule2 foreign(dialogs);
  EXPECT_FALSE(foreign.OpenDatabase(dir.Write("text.db", QByteArray(3000, 't'))));
}

TEST_F(CheckImportTest, CheckFindsRowsWithoutUsableLandmarksAndLandmarksWithoutARow) {
  for (int i = 1; i <= 5; ++i) {
    const LandmarkRecord landmarks = SomeLandmarks(i);
    ASSERT_EQ(store.InsertSQL(AudioRow(QString::number(i), 70), PositiveRecords(70), i == 2 ? nullptr : &landmarks), 0);
  }
  Sqlite3(dir.Path("main.db"), "UPDATE Landmarks SET version = 0 WHERE id = 3;"
                               "UPDATE Landmarks SET data = substr(data, 5) WHERE id = 4;"
                               "DELETE FROM Data WHERE id = 5;");
  const CheckDatabase::Options onlyLandmarks{false, false, false, false, false, true};
  EXPECT_EQ(Check(onlyLandmarks),
            QStringList({"Id=2\tОриентиры отсутствуют!", "Id=3\tОриентиры другой версии (0 вместо 1)!",
                         "Id=4\tРазмер данных ориентиров (76) не соответствует полям count (20) и frames (2000)!",
                         "Id=5\tОриентиры без записи в таблице Data!"}));
  // A database from before the landmarks: every row lacks them, and that is all.
  Sqlite3(dir.Path("main.db"), "DROP TABLE Landmarks");
  EXPECT_EQ(Check(onlyLandmarks), QStringList({"Id=1\tОриентиры отсутствуют!", "Id=2\tОриентиры отсутствуют!",
                                               "Id=3\tОриентиры отсутствуют!", "Id=4\tОриентиры отсутствуют!"}));
}

// Landmarks travel with their rows under the rows' new ids; rows that come without
// usable ones are counted and the summary says how to add them.
TEST_F(CheckImportTest, ImportedRowsTakeTheirLandmarksAlongAndRowsWithoutAreCounted) {
  ASSERT_EQ(store.InsertSQL(AudioRow("here", 60), PositiveRecords(60)), 0);  // the new rows' ids start at 2
  const QString sourcePath = dir.Path("source.db");
  {
    TDataModule1 source(dialogs);
    ASSERT_TRUE(source.OpenDatabase(sourcePath));
    ASSERT_TRUE(source.CreateTable());
    for (int i = 0; i < 4; ++i) {
      const LandmarkRecord landmarks = SomeLandmarks(10 + i);
      ASSERT_EQ(source.InsertSQL(AudioRow("new" + QString::number(i), 60), PositiveRecords(60),
                                 i == 1 ? nullptr : &landmarks),
                0);
    }
  }
  // Source rows: 1 and 3 with landmarks, 2 without, 3's damaged, 4's of another version.
  Sqlite3(sourcePath, "UPDATE Landmarks SET count = 21 WHERE id = 3; UPDATE Landmarks SET version = 0 WHERE id = 4");
  const Imported imported = Import(sourcePath, ImportDatabase::Policy::KeepOld);
  EXPECT_EQ(imported.counts.added, 4);
  EXPECT_EQ(imported.counts.withoutLandmarks, 3);
  EXPECT_TRUE(imported.lines.contains(
      "Добавлено записей без ориентиров: 3 (добавьте их командой «Добавить ориентиры в базу данных»)"));
  // Source row 1 is row 2 here, with its landmarks; nothing else has any.
  EXPECT_EQ(Sqlite3(dir.Path("main.db"),
                    "SELECT group_concat(Data.id || Data.md5) FROM Data JOIN Landmarks ON Landmarks.id = Data.id"),
            "2new0");
  RowLandmarks copied;
  ASSERT_TRUE(ReadRowLandmarks(store.Connection()->getHandle(), 2, copied));
  EXPECT_EQ(MakeLandmarkRecord(copied), SomeLandmarks(10));
}

}  // namespace
}  // namespace melo
