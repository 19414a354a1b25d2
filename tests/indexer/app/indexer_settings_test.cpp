#include "indexer/app/indexer_settings.h"
#include "indexer/app/indexing_messages.h"
#include "indexer/app/work_directory.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

TEST(IndexerSettings, IniKeysRoundTripAndThreadsAreCapped) {
  TempDir dir;
  const QString ini = dir.Path("melobank.ini");
  IndexerSettings defaults;
  ASSERT_TRUE(ReadIndexerSettings(ini, 8, defaults));  // no file: defaults stay
  EXPECT_EQ(defaults.threads, 1);
  EXPECT_TRUE(defaults.copyToWorkDir);

  IndexerSettings written{"/opt/ffmpeg", "/opt/sox", "/work/Рабочий", "/db/База.db", 64, false};
  ASSERT_TRUE(WriteIndexerSettings(ini, written));
  const QString text = QString::fromUtf8(TempDir::Read(ini));
  EXPECT_TRUE(text.contains("[Indexing]"));
  EXPECT_TRUE(text.contains("CopyToWorkDir=0"));
  EXPECT_TRUE(text.contains("Threads=64"));

  IndexerSettings read;
  ASSERT_TRUE(ReadIndexerSettings(ini, 8, read));
  EXPECT_EQ(read.ffmpeg, "/opt/ffmpeg");
  EXPECT_EQ(read.workDir, "/work/Рабочий");
  EXPECT_EQ(read.dbPath, "/db/База.db");
  EXPECT_EQ(read.threads, 8);
  EXPECT_FALSE(read.copyToWorkDir);

  dir.Write("partial.ini", "[Indexing]\nThreads=0\n");
  IndexerSettings partial;
  ASSERT_TRUE(ReadIndexerSettings(dir.Path("partial.ini"), 8, partial));
  EXPECT_EQ(partial.threads, 1);
  EXPECT_TRUE(partial.copyToWorkDir);
}

TEST(IndexerSettings, ToolsFoundOnThePathNeverReplaceConfiguredOnes) {
  IndexerSettings empty;
  FillToolPathsFromSearchPath(empty);
  EXPECT_TRUE(empty.ffmpeg.endsWith("/ffmpeg"));
  EXPECT_TRUE(empty.sox.endsWith("/sox"));
  IndexerSettings configured{"/my/ffmpeg", "/my/sox", {}, {}, 1, true};
  FillToolPathsFromSearchPath(configured);
  EXPECT_EQ(configured.ffmpeg, "/my/ffmpeg");
  EXPECT_EQ(configured.sox, "/my/sox");
}

TEST(WorkDirectory, OnlyTheFoldersTheIndexerMadeGoAndNothingIsLostForGood) {
  TempDir dir;
  const QByteArray previous = qgetenv("XDG_DATA_HOME");
  // No trash can be set up below a file.
  qputenv("XDG_DATA_HOME", dir.Write("not-a-folder").toUtf8() + "/data");
  for (const char* slot : {"work/0", "work/1"}) dir.Write(QString(slot) + "/.melobank-work");  // the indexer's mark
  dir.Write("work/0/data.dat");
  dir.Write("work/0/source.mp3");
  const QString stray = dir.Write("work/1/stray.txt", "a user's");  // in a marked folder
  const QString own = dir.Write("work/2/kept.txt", "mine");          // the user's own folder "2"
  dir.Write("work/keep.txt");
  ClearWorkDirectory(dir.Path("work"), 3);
  // No work directory set: the current folder's own "0" is not the indexer's.
  const QString current = QDir::currentPath();
  dir.Write("here/0/.melobank-work");
  QDir::setCurrent(dir.Path("here"));
  ClearWorkDirectory("", 2);
  ClearWorkDirectory("  ", 2);
  QDir::setCurrent(current);
  EXPECT_TRUE(QFile::exists(dir.Path("here/0/.melobank-work")));
  qputenv("XDG_DATA_HOME", previous);
  EXPECT_FALSE(QFile::exists(dir.Path("work/0")));
  EXPECT_EQ(TempDir::Read(stray), "a user's");  // the trash could not take it: kept
  EXPECT_EQ(TempDir::Read(own), "mine");
  EXPECT_TRUE(QFile::exists(dir.Path("work/keep.txt")));
}

TEST(IndexingMessages, RatesPerHour) {
  EXPECT_EQ(IndexingMessages::AudioHoursPerHour(7200, 0), 0);  // before the first second
  IndexingMessages m;
  m.runStart = QDateTime(QDate(2024, 3, 5), QTime(14, 0, 0));
  m.succeeded = QStringList(120, "x");
  const QStringList texts = m.StatusTexts(m.runStart.addSecs(1800), 7200);
  EXPECT_EQ(texts[1], "Время работы: 0:30:00");
  EXPECT_EQ(texts[2], "Файлов в час: 240");
  EXPECT_EQ(texts[3], "Аудио часов в час: 2");
}

}  // namespace
}  // namespace melo
