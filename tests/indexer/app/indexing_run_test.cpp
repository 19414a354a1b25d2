#include "base/log_writer.h"
#include "indexer/app/file_queue.h"
#include "indexer/app/indexing_messages.h"
#include "indexer/app/indexing_run.h"
#include "indexer/app/work_directory.h"
#include "indexer/database/record_store.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/recording_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::Spin;
using testing::SpinUntil;
using testing::TempDir;

class IndexingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.Path("data").toUtf8());
    SetMyLogPath(dir.Path("my.log"));
    QDir().mkpath(dir.Path("work"));
    settings = {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work"), dir.Path("base.db"), 1, true};
    paths = {TOOLS_DIR, dir.Path(), dir.Path("melobank.ini"), dir.Path("melobank.log")};
    ASSERT_TRUE(store.OpenDatabase(settings.dbPath));
    ASSERT_TRUE(store.CreateTable());
  }
  void TearDown() override {
    SetMyLogPath({});
    qputenv("XDG_DATA_HOME", previousDataHome);
  }

  // Five files: three tones, a copy of the first under another name, a broken file.
  void QueueFiveFiles() {
    for (int i = 0; i < 3; ++i) {
      const QString path = testing::MakeTone(dir, QStringLiteral("tone %1.ogg").arg(i), 31, 300 + 100 * i);
      ASSERT_FALSE(path.isEmpty());
      ASSERT_TRUE(queue.AddFile(path));
    }
    QFile::copy(dir.Path("tone 0.ogg"), dir.Path("copy.ogg"));
    queue.AddFile(dir.Path("copy.ogg"));
    queue.AddFile(dir.Write("broken.flac", QByteArray(4000, 'z')));
  }

  // Runs on the real one-second timer until the run ends by itself.
  // Hears of the run's end from now on: before Start for a run that may end while
  // the test still turns events for something else.
  void Watch(IndexingRun& run) {
    finished_ = false;
    watched_ = true;
    run.onFinished = [this] { finished_ = true; };
  }
  bool RunToTheEnd(IndexingRun& run) {
    if (!watched_) Watch(run);
    watched_ = false;
    return SpinUntil([&] { return finished_; }, 120000);
  }
  bool finished_ = false;
  bool watched_ = false;

  QByteArray previousDataHome;
  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
  FileQueue queue;
  IndexingMessages messages;
  IndexerSettings settings;
  ProgramPaths paths;
};

TEST_F(IndexingRunTest, StartRefusesWhatCannotWork) {
  IndexingRun run(queue, settings, paths, store, dialogs, messages, 2);
  using Outcome = IndexingRun::StartOutcome;
  EXPECT_EQ(run.Start(), Outcome::EmptyQueue);
  queue.AddFile(dir.Write("a.mp3"));
  settings.sox = dir.Path("no-sox");
  EXPECT_EQ(run.Start(), Outcome::NoSox);
  settings.ffmpeg = "";
  EXPECT_EQ(run.Start(), Outcome::NoFfmpeg);
  settings.dbPath = dir.Path("missing.db");
  EXPECT_EQ(run.Start(), Outcome::NoDatabase);
  settings.workDir = dir.Path("missing-work");
  EXPECT_EQ(run.Start(), Outcome::NoWorkDirectory);
  EXPECT_EQ(dialogs.messages,
            QStringList({"Добавьте в список аудио или видео файлы!",
                         "Отсутствует утилита SOX! Установите её пожалуйста и укажите её путь!",
                         "Отсутствует утилита FFMPEG! Установите её пожалуйста и укажите её путь!",
                         "Выберите или создайте базу данных!",
                         "Выберите рабочий каталог в меню «Настройки» → «Изменить параметры»!"}));
  EXPECT_FALSE(run.Running());
}

TEST_F(IndexingRunTest, SeveralWorkersEveryFileEndsWithAStatusAndNoTrackTwice) {
  QueueFiveFiles();
  settings.threads = 3;
  IndexingRun run(queue, settings, paths, store, dialogs, messages, 4);
  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  run.Tick();
  EXPECT_EQ(queue.CountWithStatus(kStatusProcessing), 3);
  ASSERT_TRUE(RunToTheEnd(run));

  EXPECT_EQ(queue.CountWithStatus(kStatusDone), 3);  // the three tones, or a tone's copy first
  EXPECT_EQ(queue.CountWithStatus(kStatusError), 2);
  EXPECT_EQ(messages.succeeded.size(), 3);
  EXPECT_EQ(messages.errors.size(), 2);
  EXPECT_TRUE(messages.errors.join('\n').contains("\tЗапись с таким же MD5 хешем"));
  EXPECT_EQ(store.QueryScalar("SELECT count(*) AS res FROM Data"), 3);
  EXPECT_EQ(store.QueryScalar("SELECT count(DISTINCT md5) AS res FROM Data"), 3);
  EXPECT_EQ(IndexedRecordsTotal(), 3 * 62);
  EXPECT_EQ(dialogs.messages.last(), "Задание выполнено с ошибками!");
  EXPECT_FALSE(run.Running());

  // A second run over the same files: the stored paths are known by now.
  for (const QueueEntry& e : QList<QueueEntry>(queue.Entries())) queue.SetStatus(e.path, "");
  settings.threads = 2;
  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  ASSERT_TRUE(RunToTheEnd(run));
  EXPECT_EQ(queue.CountWithStatus(kStatusIndexedBefore), 3);
  EXPECT_EQ(messages.indexedBefore.size(), 3);
  EXPECT_EQ(store.QueryScalar("SELECT count(*) AS res FROM Data"), 3);
}

TEST_F(IndexingRunTest, StopMarksRunningFilesAndAStartContinuesWithTheWaitingOnes) {
  QueueFiveFiles();
  settings.threads = 2;
  IndexingRun run(queue, settings, paths, store, dialogs, messages, 2);
  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  run.Tick();
  run.Stop();
  // Both workers were well into their files: what they decoded is not stored.
  EXPECT_EQ(store.QueryScalar("SELECT count(*) AS res FROM Data"), 0);
  EXPECT_EQ(queue.CountWithStatus(kStatusStopped), 2);
  EXPECT_EQ(messages.errors.size(), 2);
  EXPECT_TRUE(messages.errors[0].startsWith("Остановлен: "));
  EXPECT_EQ(dialogs.messages.last(), "Индексация остановлена!");
  EXPECT_EQ(run.BusySlots(), 0);

  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  ASSERT_TRUE(RunToTheEnd(run));
  EXPECT_EQ(queue.CountWithStatus(kStatusStopped), 2);
  EXPECT_EQ(queue.CountWithStatus(""), 0);
  EXPECT_EQ(queue.Entries()[0].status, kStatusStopped);
  EXPECT_EQ(queue.Entries()[4].status, kStatusError);
}

TEST_F(IndexingRunTest, ASecondRunOnTheSameWorkDirectoryIsRefused) {
  queue.AddFile(testing::MakeTone(dir, "a.ogg", 31, 440));
  FileQueue otherQueue;
  otherQueue.AddFile(testing::MakeTone(dir, "b.ogg", 31, 550));
  TDataModule1 otherStore{dialogs};
  ASSERT_TRUE(otherStore.OpenDatabase(settings.dbPath));
  IndexingRun run(queue, settings, paths, store, dialogs, messages, 1);
  IndexingRun other(otherQueue, settings, paths, otherStore, dialogs, messages, 1);
  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  run.Tick();
  EXPECT_NE(other.Start(), IndexingRun::StartOutcome::Started);
  EXPECT_EQ(dialogs.messages.last(), "Рабочий каталог занят другой индексацией: " + dir.Path("work"));
  EXPECT_FALSE(ClearWorkDirectory(dir.Path("work"), 1));  // a window starting meanwhile clears nothing
  ASSERT_TRUE(RunToTheEnd(run));
  EXPECT_EQ(queue.CountWithStatus(kStatusDone), 1);
  EXPECT_EQ(store.QueryScalar("SELECT count(*) AS res FROM Data"), 1);
  // Once the first run has ended, the directory is free.
  EXPECT_EQ(other.Start(), IndexingRun::StartOutcome::Started);
  other.Stop();
}

TEST_F(IndexingRunTest, AWorkerSilentForTwoHoursIsGivenUpAndItsToolEnded) {
  // The first call hangs for 30 s, later ones fail at once.
  settings.sox = testing::MakeScript(dir, "slow-sox", "[ -e '" + dir.Path("slept").toUtf8() + "' ] || { touch '" + dir.Path("slept").toUtf8() + "'; exec sleep 30; }");
  queue.AddFile(testing::MakeTone(dir, "slow.ogg", 31, 440));
  queue.AddFile(testing::MakeTone(dir, "next.ogg", 31, 550));
  IndexingRun run(queue, settings, paths, store, dialogs, messages, 1);
  int64_t offsetSeconds = 0;
  run.clock = [&] { return QDateTime::currentDateTime().addSecs(offsetSeconds); };
  // The next file fails at once: the run may end while the test waits for it to start.
  Watch(run);
  ASSERT_EQ(run.Start(), IndexingRun::StartOutcome::Started);
  run.Tick();
  ASSERT_TRUE(SpinUntil([&] { return QFileInfo::exists(dir.Path("slept")); }));  // inside the slow tool
  offsetSeconds = 119 * 60;
  run.Tick();
  EXPECT_EQ(queue.Entries()[0].status, kStatusProcessing);
  offsetSeconds = 2 * 3600 + 1;
  run.Tick();
  EXPECT_EQ(queue.Entries()[0].status, kStatusHung);
  EXPECT_EQ(messages.indexedBefore, QStringList({"Завис - " + dir.Path("slow.ogg")}));
  EXPECT_TRUE(run.Running());
  // Its hanging tool is killed, so the slot's folder is free again for the next file.
  EXPECT_TRUE(SpinUntil([&] {
    run.Tick();
    return !queue.Entries()[1].status.isEmpty();
  }));
  ASSERT_TRUE(RunToTheEnd(run));
  // The directory is free again once the worker given up on has ended.
  FileLock probe;
  EXPECT_TRUE(SpinUntil([&] { return LockWorkDirectory(dir.Path("work"), probe); }));
}

}  // namespace
}  // namespace melo
