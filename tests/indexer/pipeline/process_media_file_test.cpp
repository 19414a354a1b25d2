#include "base/log_writer.h"
#include "base/sample_files.h"
#include "fingerprint/fingerprint_builder.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/audio_stream_decoder.h"
#include "indexer/pipeline/process_media_file.h"
#include "indexer/pipeline/track_landmarks.h"
#include "tests/support/program_run.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/recording_dialogs.h"

#include <QDir>
#include <QFile>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

class ProcessMediaFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMyLogPath(dir.Path("my.log"));
    ASSERT_TRUE(store.OpenDatabase(dir.Path("base.db")));
    ASSERT_TRUE(store.CreateTable());
    QDir().mkpath(dir.Path("work"));
    settings = {"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path("work"), true, TOOLS_DIR, dir.Path("melobank.log")};
  }
  void TearDown() override { SetMyLogPath({}); }

  QString Index(const QString& path, int32_t slot = 0) {
    ProcessMediaFile worker(store, settings, path, slot);
    worker.Start();
    EXPECT_TRUE(worker.WaitFor(120000));
    EXPECT_TRUE(worker.UnhandledError().isEmpty());
    return worker.Message();
  }
  int64_t Rows() { return store.QueryScalar("SELECT count(*) AS res FROM Data"); }
  TrackInfo Row(int32_t id) {
    TrackInfo info;
    std::vector<uint8_t> records;
    EXPECT_TRUE(store.GetRecord(id, info, records));
    EXPECT_EQ(static_cast<int32_t>(records.size()), info.records * 12);
    return info;
  }
  QString ProgramLog() { return QString::fromUtf8(TempDir::Read(dir.Path("melobank.log"))); }

  TempDir dir;
  testing::RecordingDialogs dialogs;
  TDataModule1 store{dialogs};
  WorkerSettings settings;
};

TEST_F(ProcessMediaFileTest, AudioFilesBecomeOneRowEachWithTagsWhereTheTypeHasThem) {
  const QStringList tags = {"artist=Ария", "title=Беспечный ангел", "date=1991"};
  const QString expectedTags = "Artist: Ария\r\nTitle: Беспечный ангел\r\nAlbum:\r\nYear: 1991\r\nTrack: 0\r\nGenre:\r\n";
  const struct {
    QString name;
    bool tagged;
    QString info;
  } files[] = {
      {"Песня номер 1.mp3", true, expectedTags},
      {"plain.mp3", false, ""},
      {"tagged.wav", true, expectedTags},
      {"tagged.ogg", true, ""},  // ogg is not a type the tag tool is run for
      {"plain.flac", false, ""},
  };
  int frequency = 300;
  for (const auto& f : files) {
    const QString path = testing::MakeTone(dir, f.name, 35, frequency += 70, f.tagged ? tags : QStringList());
    ASSERT_FALSE(path.isEmpty()) << f.name.toStdString();
    EXPECT_EQ(Index(path), "") << f.name.toStdString();
  }
  ASSERT_EQ(Rows(), 5);
  for (int32_t id = 1; id <= 5; ++id) {
    const TrackInfo row = Row(id);
    const auto& f = files[id - 1];
    EXPECT_EQ(row.source_file_name + "." + row.extension, f.name);
    EXPECT_EQ(row.info, f.info) << f.name.toStdString();
    EXPECT_EQ(row.duration, 35);
    EXPECT_EQ(row.records, 70);
    EXPECT_EQ(row.type, "аудио");
    EXPECT_EQ(row.all_tracks, 1);
    EXPECT_EQ(row.md5.size(), 32);
    EXPECT_EQ(row.sha2.size(), 64);
  }
  EXPECT_TRUE(QDir(dir.Path("work/0")).isEmpty());  // copies and decoded files are gone
}

// A stop that comes after the decoding, while the tags are read, still stores
// nothing: the tag tool's end looks like a tool without tags.
TEST_F(ProcessMediaFileTest, AStopAfterTheDecodingStoresNothing) {
  QDir().mkpath(dir.Path("tools/tagscan"));
  testing::MakeScript(dir, "tools/tagscan/tagscan-cli", "touch '" + dir.Path("reading").toUtf8() + "'; exec sleep 30");
  settings.programDir = dir.Path("tools");
  ProcessMediaFile worker(store, settings, testing::MakeTone(dir, "song.mp3", 35, 440), 0);
  worker.Start();
  ASSERT_TRUE(testing::SpinUntil([&] { return QFile::exists(dir.Path("reading")); }));
  worker.Terminate();
  ASSERT_TRUE(worker.WaitFor(60000));
  EXPECT_EQ(worker.Message(), "Индексация остановлена!");
  EXPECT_EQ(Rows(), 0);
}

TEST_F(ProcessMediaFileTest, EveryAudioStreamOfAVideoIsARow) {
  EXPECT_EQ(Index(testing::MakeVideo(dir, "film.mkv", 35, {300, 500, 700}), 1), "");
  ASSERT_EQ(Rows(), 3);
  for (int32_t id = 1; id <= 3; ++id) {
    const TrackInfo row = Row(id);
    EXPECT_EQ(row.audio_track, id - 1);
    EXPECT_EQ(row.all_tracks, 3);
    EXPECT_EQ(row.type, "видео");
  }
  EXPECT_EQ(Index(testing::MakeVideo(dir, "silent.mp4", 35, {})), "Файл не содержит аудио дорожек!");
  EXPECT_EQ(Rows(), 3);
}

TEST_F(ProcessMediaFileTest, TracksUnderThirtySecondsAreRefused) {
  const QString mp3 = testing::MakeTone(dir, "short.mp3", 29, 440);
  const QString message = Index(mp3);
  const QString prefix = "Очень маленький размер аудио данных (менее 30 секунд)! items=";
  ASSERT_TRUE(message.startsWith(prefix)) << message.toStdString();
  const QStringList counts = message.mid(prefix.size()).split(" filesize=");
  ASSERT_EQ(counts.size(), 2);
  EXPECT_NEAR(counts[0].toInt(), 29 * 48000, 4800);
  EXPECT_EQ(counts[1].toLongLong(), counts[0].toLongLong() * 4);  // the stereo raw file

  EXPECT_EQ(Index(testing::MakeVideo(dir, "short.mkv", 29, {440})),
            "Очень маленький размер аудио данных (менее 30 секунд)!");
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(ProgramLog().contains("Source file have small duration"));

  // Exactly 30 s at 48 kHz is enough.
  ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=500:sample_rate=48000:duration=30",
                               dir.Path("thirty.wav")}));
  EXPECT_EQ(Index(dir.Path("thirty.wav")), "");
  EXPECT_EQ(Row(1).records, 60);
  EXPECT_EQ(Row(1).duration, 30);
}

TEST_F(ProcessMediaFileTest, KnownContentKnownPathsAndBrokenFiles) {
  const QString original = testing::MakeTone(dir, "a.wav", 35, 440);
  ASSERT_EQ(Index(original), "");
  EXPECT_EQ(Index(original), "Уже проиндексирован!");
  QDir().mkpath(dir.Path("elsewhere"));
  QFile::copy(original, dir.Path("elsewhere/renamed.wav"));
  EXPECT_EQ(Index(dir.Path("elsewhere/renamed.wav")),
            "Запись с таким же MD5 хешем, размером файла и номером аудио трека уже существует!");
  EXPECT_TRUE(ProgramLog().contains("Insert record error"));

  EXPECT_EQ(Index(dir.Write("broken.mp3", QByteArray(50000, 'x'))), "Ошибка конвертирования в DAT формат!");
  EXPECT_TRUE(ProgramLog().contains("Error convert to DAT"));
  EXPECT_EQ(Index(dir.Write("broken.mkv", QByteArray(50000, 'x'))), "Ошибка определения количества аудио дорожек!");
  EXPECT_TRUE(ProgramLog().contains("ffprobe error: ")) << ProgramLog().toStdString();  // with its own words
  EXPECT_EQ(Index(dir.Path("vanished.ogg")), "Ошибка копирования исходного файла в рабочий каталог!");
  EXPECT_EQ(Rows(), 1);
}

TEST_F(ProcessMediaFileTest, NoSourceNameMeetsAWorkFileAndNoForeignFolderIsUsed) {
  // A WAV that sox cannot read goes through ffmpeg, which writes data.wav.
  ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=500:duration=35", "-c:a", "libmp3lame", "-f",
                               "wav", dir.Path("data.wav")}));
  EXPECT_EQ(Index(dir.Path("data.wav")), "");
  EXPECT_EQ(Rows(), 1);

  // A folder "1" of the user's in the work directory: neither used nor emptied.
  const QString own = dir.Write("work/1/notes.txt", "mine");
  EXPECT_EQ(Index(testing::MakeTone(dir, "other.ogg", 35, 600), 1), "Ошибка создания рабочего подкаталога!");
  EXPECT_EQ(TempDir::Read(own), "mine");
  EXPECT_EQ(Rows(), 1);
}

TEST_F(ProcessMediaFileTest, WithoutCopyingTheSourceIsDecodedInPlace) {
  ResetIndexedRecordsTotal();
  settings.copyToWorkDir = false;
  settings.sox = "/no/such/sox";
  const QString path = testing::MakeTone(dir, "b.ogg", 35, 440);
  EXPECT_EQ(Index(path), "Ошибка конвертирования в DAT формат!");
  settings.sox = "/usr/bin/sox";
  EXPECT_EQ(Index(path), "");
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_EQ(IndexedRecordsTotal(), 70);
}

}  // namespace
}  // namespace melo

namespace melo {
namespace {

using testing::TempDir;

// The samples a file decodes to, decoded here apart from the worker.
SampleBuffer Decoded(const TempDir& dir, const QString& media, int32_t track) {
  const DecodingTools tools{"/usr/bin/ffmpeg", "/usr/bin/sox", dir.Path()};
  SampleBuffer mono;
  EXPECT_EQ(DecodeAudioStream(tools, media, track, dir.Path("apart.wav"), dir.Path("apart.dat")),
            StreamDecoding::Decoded);
  EXPECT_GT(LoadDecodedPcm(dir.Path("apart.dat"), mono), 0);
  return mono;
}

// Each stored row holds the described fingerprint and the landmarks of the same
// decoded samples, and its landmarks sit under its own id.
TEST_F(ProcessMediaFileTest, BothFingerprintsOfEachTrackComeFromItsSamples) {
  // sox dithers with a fresh random seed on each run; its repeatable mode makes
  // two decodings of a file alike to the bit. Restored however the test ends.
  struct RepeatableSox {
    const QByteArray before = qgetenv("SOX_OPTS");
    RepeatableSox() { qputenv("SOX_OPTS", "-R"); }
    ~RepeatableSox() { qputenv("SOX_OPTS", before); }
  } repeatable;
  const QString song = testing::MakeMelody(dir, "song.mp3", 35, 1);
  const QString first = testing::MakeMelody(dir, "one.ogg", 40, 2), second = testing::MakeMelody(dir, "two.ogg", 40, 3);
  ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "color=c=blue:s=64x48:r=5:d=40", "-i", first, "-i", second, "-map",
                               "0", "-map", "1", "-map", "2", "-c:a", "flac", dir.Path("film.mkv")}));
  ASSERT_EQ(Index(song), "");
  ASSERT_EQ(Index(dir.Path("film.mkv")), "");
  ASSERT_EQ(Rows(), 3);
  const struct {
    QString media;
    int32_t track;
  } expected[] = {{song, 0}, {dir.Path("film.mkv"), 0}, {dir.Path("film.mkv"), 1}};
  for (int32_t id = 1; id <= 3; ++id) {
    const SampleBuffer mono = Decoded(dir, expected[id - 1].media, expected[id - 1].track);
    TrackInfo info;
    std::vector<uint8_t> records;
    ASSERT_TRUE(store.GetRecord(id, info, records));
    EXPECT_EQ(records, FingerprintTrack(mono.data(), mono.count())) << id;
    RowLandmarks stored;
    ASSERT_TRUE(ReadRowLandmarks(store.Connection()->getHandle(), id, stored));
    ASSERT_EQ(stored.state, StoredLandmarks::Read) << id;
    const LandmarkRecord landmarks = TrackLandmarks(mono.span());
    EXPECT_GT(landmarks.count, 100) << id;
    EXPECT_EQ(MakeLandmarkRecord(stored), landmarks) << id;
  }
}

TEST_F(ProcessMediaFileTest, ARowWhoseLandmarksCannotBeStoredIsNotStoredEither) {
  testing::Sqlite3(dir.Path("base.db"),
                   "CREATE TRIGGER refuse BEFORE INSERT ON Landmarks BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  EXPECT_EQ(Index(testing::MakeMelody(dir, "song.mp3", 35, 1)), "Ошибка выполнения запроса!");
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(ProgramLog().contains("Insert record error: refused")) << ProgramLog().toStdString();
}

}  // namespace
}  // namespace melo
