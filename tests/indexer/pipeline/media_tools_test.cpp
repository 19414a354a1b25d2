#include "indexer/pipeline/media_tools.h"
#include "indexer/pipeline/media_types.h"
#include "tests/support/media_files.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

TEST(MediaTypes, ExtensionsAreComparedExactly) {
  EXPECT_EQ(MediaTypeOf(".mp3"), "аудио");
  EXPECT_EQ(MediaTypeOf(".m2ts"), "видео");
  EXPECT_EQ(MediaTypeOf(".MP3"), "");
  EXPECT_EQ(MediaTypeOf(".txt"), "");
  EXPECT_TRUE(IsDirectAudioExtension(".wma"));
  EXPECT_TRUE(IsMultiStreamExtension(".wma"));
  EXPECT_FALSE(IsDirectAudioExtension(".m4a"));  // an audio type that goes through ffmpeg
  EXPECT_TRUE(HasTagExtension(".wmv"));
  EXPECT_FALSE(HasTagExtension(".ogg"));
}

TEST(MediaTools, FfprobeLiesBesideFfmpeg) {
  EXPECT_EQ(FfprobePathFor("/usr/bin/ffmpeg"), "/usr/bin/ffprobe");
  EXPECT_EQ(FfprobePathFor("C:\\tools\\ffmpeg.exe"), "C:\\tools\\ffprobe.exe");
  EXPECT_EQ(FfprobePathFor("/opt/ffmpeg/bin/FFMPEG"), "/opt/ffmpeg/bin/FFMPEG");
  EXPECT_EQ(FfprobePathFor("ffmpeg"), "ffprobe");
}

TEST(MediaTools, StreamsAreCountedAndExtractedByNumber) {
  TempDir dir;
  const QString video = testing::MakeVideo(dir, "three.mkv", 3, {300, 500, 700});
  const QString silent = testing::MakeVideo(dir, "silent.mp4", 3, {});
  ASSERT_FALSE(video.isEmpty());
  ASSERT_FALSE(silent.isEmpty());
  EXPECT_EQ(CountAudioStreams("/usr/bin/ffmpeg", video, dir.Path()), 3);
  EXPECT_EQ(CountAudioStreams("/usr/bin/ffmpeg", silent, dir.Path()), 0);
  EXPECT_EQ(CountAudioStreams("/usr/bin/no-such-ffmpeg", video, dir.Path()), kProbeFailed);
  // Tools installed under a folder with a blank.
  QDir().mkpath(dir.Path("my tools"));
  for (const char* tool : {"ffmpeg", "ffprobe", "sox"}) QFile::link(QString("/usr/bin/") + tool, dir.Path("my tools/") + tool);
  EXPECT_EQ(CountAudioStreams(dir.Path("my tools/ffmpeg"), video, dir.Path()), 3);
  // A name in capitals is used as it is: ffmpeg itself gets ffprobe's arguments,
  // fails, and the file is not taken for one without audio.
  QFile::link("/usr/bin/ffmpeg", dir.Path("FFMPEG"));
  EXPECT_EQ(CountAudioStreams(dir.Path("FFMPEG"), video, dir.Path()), kProbeFailed);
  // A damaged file is a failure with ffprobe's own words.
  QFile whole(testing::MakeVideo(dir, "whole.mp4", 3, {440}));
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  QString problem;
  EXPECT_EQ(CountAudioStreams("/usr/bin/ffmpeg", dir.Write("cut.mp4", whole.read(whole.size() / 2)), dir.Path(),
                              &problem),
            kProbeFailed);
  EXPECT_TRUE(problem.contains("moov atom not found")) << problem.toStdString();

  const QString wav = dir.Path("data.wav");
  EXPECT_TRUE(ExtractAudioTrack("/usr/bin/ffmpeg", video, wav, 2, dir.Path()));
  EXPECT_FALSE(ExtractAudioTrack("/usr/bin/ffmpeg", video, wav, 3, dir.Path()));
  EXPECT_FALSE(QFile::exists(wav));  // the earlier extraction was removed first

  const QString tone = testing::MakeTone(dir, "tone name.flac", 2, 440);
  ASSERT_TRUE(ConvertToRaw("/usr/bin/sox", tone, dir.Path("data.dat"), dir.Path(), 16, 2, 48000));
  EXPECT_EQ(QFileInfo(dir.Path("data.dat")).size(), 2 * 48000 * 4);
  EXPECT_FALSE(ConvertToRaw("/usr/bin/sox", dir.Path("missing.flac"), dir.Path("data.dat"), dir.Path(), 16, 2, 48000));
  EXPECT_TRUE(ConvertToRaw(dir.Path("my tools/sox"), tone, dir.Path("data.dat"), dir.Path(), 16, 2, 48000));
  // A decoding stopped half way leaves no file to be taken for the whole track.
  const QString longer = testing::MakeTone(dir, "long.flac", 600, 440);
  EXPECT_FALSE(ConvertToRaw("/usr/bin/sox", longer, dir.Path("data.dat"), dir.Path(), 16, 2, 48000,
                            [n = 0]() mutable { return ++n > 2; }));
  EXPECT_FALSE(QFile::exists(dir.Path("data.dat")));
}

class ReadTagsTest : public ::testing::Test {
 protected:
  // A stand-in tag tool that prints `output` whatever it is given.
  std::optional<QString> TagsPrinted(const QByteArray& output) {
    dir.Write("printed.txt", output);
    const QString tool = testing::MakeScript(dir, "tool", "exec cat '" + dir.Path("printed.txt").toUtf8() + "'");
    return ReadTags(tool, "/music/a.mp3", dir.Path());
  }
  TempDir dir;
};

TEST_F(ReadTagsTest, TheToolsLinesBecomeTheInfoText) {
  EXPECT_EQ(TagsPrinted("Tags of a\nArtist: Кино \n  Title: Звезда\nAlbum:\nYear: 1989\nTrack: 2\nGenre: Rock\n"),
            "Artist: Кино\r\nTitle: Звезда\r\nAlbum:\r\nYear: 1989\r\nTrack: 2\r\nGenre: Rock\r\n");
  EXPECT_EQ(TagsPrinted("Tags of a\nArtist:\nTitle:\nAlbum:\nYear: 0\nTrack: 0\nGenre:\n"), "");
  EXPECT_EQ(TagsPrinted("Tags of a\nArtist:\nTitle:\nAlbum:\nYear: 2001\nTrack: 0\nGenre:\n"),
            "Artist:\r\nTitle:\r\nAlbum:\r\nYear: 2001\r\nTrack: 0\r\nGenre:\r\n");
  EXPECT_EQ(TagsPrinted("Couldn't process given file\nArtist: x\n"), "");
}

TEST_F(ReadTagsTest, OutputCutShortIsAnError) {
  EXPECT_EQ(TagsPrinted(""), std::nullopt);
  EXPECT_EQ(TagsPrinted("Tags of a\n"), std::nullopt);
  EXPECT_EQ(TagsPrinted("Tags of a\nArtist:\nTitle:\n"), std::nullopt);
  EXPECT_EQ(TagsPrinted("Tags of a\nArtist: x\n"), "Artist: x\r\n");  // differs at once: no error
  EXPECT_EQ(ReadTags(dir.Path("no-such-tool"), "/music/a.mp3", dir.Path()), "");
}

TEST(TagscanCli, ReadsTagsOfRealFiles) {
  TempDir dir;
  const QString tagged = testing::MakeTone(dir, "t.mp3", 1, 440, {"artist=Кино", "title=Кукушка\nвторая строка", "date=1990", "track=7"});
  const QString plain = testing::MakeTone(dir, "p.wav", 1, 440);
  const QString tool = QStringLiteral(TOOLS_DIR "/tagscan-cli");
  EXPECT_EQ(ReadTags(tool, tagged, dir.Path()),
            "Artist: Кино\r\nTitle: Кукушка вторая строка\r\nAlbum:\r\nYear: 1990\r\nTrack: 7\r\nGenre:\r\n");
  EXPECT_EQ(ReadTags(tool, plain, dir.Path()), "");
  EXPECT_EQ(ReadTags(tool, dir.Write("junk.mp3", "not audio"), dir.Path()), "");
}

}  // namespace
}  // namespace melo
