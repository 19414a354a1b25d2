#include "base/log_writer.h"
#include "indexer/app/database_landmark_run.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/record_store.h"
#include "tests/support/event_loop.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/track_rows.h"

#include <QDir>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

class DatabaseLandmarkRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(dir.Path("main.db")));
    ASSERT_TRUE(store.CreateTable());
    QDir().mkpath(dir.Path("work"));
  }
  void TearDown() override { SetMyLogPath({}); }

  DecodingTools Tools() const { return {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work")}; }

  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
  DatabaseLandmarkRun run{store, dialogs};
};

// What the window lists and says: each row left without landmarks, the summary,
// and a last word that does not pass a partial run for a complete one.
TEST_F(DatabaseLandmarkRunTest, ListsTheRowsItLeavesAndSaysHowItEnded) {
  const LandmarkRecord landmarks = testing::SomeLandmarks(1);
  ASSERT_EQ(store.InsertSQL(testing::AudioRow("a", 60, dir.Path("gone.mp3")), testing::PositiveRecords(60)), 0);
  ASSERT_EQ(store.InsertSQL(testing::AudioRow("b", 60, dir.Write("other.mp3", "not the row's file")),
                            testing::PositiveRecords(60)),
            0);
  ASSERT_EQ(store.InsertSQL(testing::AudioRow("c", 60), testing::PositiveRecords(60), &landmarks), 0);
  ASSERT_EQ(run.Start(Tools()), DatabaseLandmarkRun::StartOutcome::Started);
  EXPECT_EQ(run.Start(Tools()), DatabaseLandmarkRun::StartOutcome::Running);
  EXPECT_FALSE(run.MayClose());
  ASSERT_TRUE(testing::SpinUntil([&] { return !run.Running(); }));
  EXPECT_EQ(run.Lines(), QStringList({"Id=1\tИсходный файл не найден: " + dir.Path("gone.mp3"),
                                      "Id=2\tИсходный файл изменён (размер или MD5 не совпадают): " +
                                          dir.Path("other.mp3"),
                                      "", "Записей в базе данных: 3", "Записей без ориентиров: 2",
                                      "Добавлено ориентиров: 0", "Пропущено записей: 2"}));
  EXPECT_EQ(run.StatusText(), "Добавлено ориентиров: 0, пропущено записей: 2");
  EXPECT_EQ(dialogs.messages, QStringList({"Добавление ориентиров уже идёт!",
                                           "Дождитесь окончания добавления ориентиров или остановите его!",
                                           "Ориентиры добавлены не ко всем записям!"}));
  EXPECT_TRUE(run.MayClose());
  EXPECT_FALSE(run.Stop());
  EXPECT_EQ(dialogs.messages.last(), "Добавление ориентиров ещё не запущено!");
  // Its work folder is cleared, and the database and work directory are free again.
  EXPECT_TRUE(QDir(dir.Path("work/0")).entryList(QDir::Files).isEmpty());
  DatabaseFileLock indexing;
  EXPECT_TRUE(indexing.Take(dir.Path("main.db"), DatabaseFileLock::Use::Indexing));
}

TEST_F(DatabaseLandmarkRunTest, RefusedWhileAnIndexingRunHoldsTheDatabaseOrWithoutTools) {
  DatabaseFileLock indexing;
  ASSERT_TRUE(indexing.Take(dir.Path("main.db"), DatabaseFileLock::Use::Indexing));
  EXPECT_EQ(run.Start(Tools()), DatabaseLandmarkRun::StartOutcome::DatabaseBusy);
  EXPECT_EQ(dialogs.messages.last(), kDatabaseBeingIndexed);
  indexing.Release();
  DecodingTools noSox = Tools();
  noSox.sox = dir.Path("no-sox");
  EXPECT_EQ(run.Start(noSox), DatabaseLandmarkRun::StartOutcome::NoSox);
  DecodingTools noFolder = Tools();
  noFolder.toolDir = dir.Path("no-such-folder");
  EXPECT_EQ(run.Start(noFolder), DatabaseLandmarkRun::StartOutcome::NoWorkDirectory);
  EXPECT_FALSE(run.Running());
  // A refused start holds nothing.
  EXPECT_TRUE(indexing.Take(dir.Path("main.db"), DatabaseFileLock::Use::Indexing));
}

}  // namespace
}  // namespace melo
