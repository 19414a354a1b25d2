#include "indexer/app/file_queue.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

QStringList Paths(const FileQueue& queue) {
  QStringList out;
  for (const QueueEntry& e : queue.Entries()) out.append(e.path);
  return out;
}

TEST(FileQueue, AdmitsEachMediaFileOnce) {
  TempDir dir;
  FileQueue queue;
  const QString song = dir.Write("Песня.mp3", "12345");
  EXPECT_TRUE(queue.AddFile(song));
  EXPECT_FALSE(queue.AddFile(song));
  EXPECT_FALSE(queue.AddFile(dir.Path("clip.MP4")));
  EXPECT_FALSE(queue.AddFile(dir.Path("notes.txt")));
  EXPECT_TRUE(queue.AddFile(dir.Path("film.mkv")));
  ASSERT_EQ(queue.Size(), 2);
  const QueueEntry& e = queue.Entries().first();
  EXPECT_EQ(e.name, "Песня");
  EXPECT_EQ(e.type, "аудио");
  EXPECT_EQ(e.size, 5);
  EXPECT_EQ(e.status, "");
  EXPECT_EQ(queue.Entries()[1].type, "видео");
}

TEST(FileQueue, StatusesDriveWhatComesNext) {
  FileQueue queue;
  for (const char* p : {"/a.mp3", "/b.mp3", "/c.mp3"}) queue.AddFile(p);
  EXPECT_EQ(queue.NextWaiting(), "/a.mp3");
  EXPECT_TRUE(queue.SetStatus("/a.mp3", kStatusProcessing));
  EXPECT_TRUE(queue.SetStatus("/b.mp3", kStatusError, "broken"));
  EXPECT_FALSE(queue.SetStatus("/zzz.mp3", kStatusDone));
  EXPECT_EQ(queue.NextWaiting(), "/c.mp3");
  EXPECT_EQ(queue.CountWithStatus(kStatusError), 1);
  EXPECT_EQ(queue.CountWithStatus(""), 1);
  queue.SetStatus("/c.mp3", kStatusDone);
  EXPECT_EQ(queue.NextWaiting(), "");
}

TEST(FileQueue, RemovingAroundTheSelection) {
  FileQueue queue;
  for (const char* p : {"/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3", "/5.mp3"}) queue.AddFile(p);
  queue.RemoveAfter(3);
  EXPECT_EQ(Paths(queue), QStringList({"/1.mp3", "/2.mp3", "/3.mp3", "/4.mp3"}));
  queue.RemoveBefore(2);
  EXPECT_EQ(Paths(queue), QStringList({"/3.mp3", "/4.mp3"}));
  queue.Remove(0);
  EXPECT_EQ(Paths(queue), QStringList({"/4.mp3"}));
  EXPECT_TRUE(queue.AddFile("/1.mp3"));  // a removed path can come back
  EXPECT_TRUE(queue.SetStatus("/1.mp3", kStatusDone));
  queue.Remove(7);
  EXPECT_EQ(queue.Size(), 2);
}

TEST(FileQueue, ListFilesAreUtf8WithBomAndCrLf) {
  TempDir dir;
  FileQueue queue;
  queue.AddFile("/музыка/a b.mp3");
  queue.AddFile("/video/c.mkv");
  queue.SetStatus("/video/c.mkv", kStatusDone);
  ASSERT_TRUE(queue.SaveList(dir.Path("mylist.list")));
  EXPECT_EQ(TempDir::Read(dir.Path("mylist.list")),
            QByteArray("\xEF\xBB\xBF") + QString("/музыка/a b.mp3\r\n/video/c.mkv\r\n").toUtf8());

  FileQueue loaded;
  loaded.AddFile("/old.mp3");
  ASSERT_TRUE(loaded.LoadList(dir.Path("mylist.list")));
  EXPECT_EQ(Paths(loaded), Paths(queue));
  EXPECT_EQ(loaded.CountWithStatus(""), 2);  // statuses are not kept

  dir.Write("unix.list", "/x.ogg\n/y.txt\n/x.ogg\n\n/z.flac");  // no BOM, LF, a refusal and a repeat
  ASSERT_TRUE(loaded.LoadList(dir.Path("unix.list")));
  EXPECT_EQ(Paths(loaded), QStringList({"/x.ogg", "/z.flac"}));
  EXPECT_FALSE(loaded.LoadList(dir.Path("missing.list")));
}

}  // namespace
}  // namespace melo
