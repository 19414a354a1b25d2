#include "base/sample_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace melo {
namespace {

using testing::TempDir;

QByteArray Int16Bytes(const std::vector<int16_t>& v) {
  return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size() * 2));
}

TEST(LoadDecodedPcm, RefusesMissingAndTinyFiles) {
  TempDir dir;
  SampleBuffer mono;
  EXPECT_EQ(LoadDecodedPcm(dir.Path("absent.dat"), mono), kPcmFileMissing);
  dir.Write("tiny.dat", QByteArray("abc"));
  EXPECT_EQ(LoadDecodedPcm(dir.Path("tiny.dat"), mono), kPcmFileTooShort);
  EXPECT_EQ(LoadDecodedPcm(dir.Path(), mono), kPcmFileMissing);  // a directory is no file
  EXPECT_TRUE(mono.samples.empty());
}

TEST(LoadDecodedPcm, MixdownIsContinuousAcrossReadChunks) {
  // The file is read in pieces; a long file must come out exactly as a one-piece
  // mix, truncated toward zero, and a dangling half frame at the end is dropped.
  TempDir dir;
  const int32_t frames = 200003;
  std::vector<int16_t> stereo(frames * 2);
  for (int32_t i = 0; i < frames; ++i) {
    stereo[2 * i] = static_cast<int16_t>((i * 37) % 65536 - 32768);
    stereo[2 * i + 1] = static_cast<int16_t>(32767 - (i * 11) % 65535);
  }
  stereo[0] = stereo[1] = 32767;
  stereo[2] = -32768;
  stereo[3] = -32767;
  dir.Write("long.dat", Int16Bytes(stereo) + QByteArray(2, '\x7f'));
  SampleBuffer mono;
  ASSERT_EQ(LoadDecodedPcm(dir.Path("long.dat"), mono), frames);
  for (int32_t i = 0; i < frames; ++i) {
    ASSERT_EQ(mono.samples[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2) << "frame " << i;
  }
}

TEST(SampleFiles, WavHeaderIsTheFixedMonoHeader) {
  TempDir dir;
  const std::vector<int16_t> samples = {1, -1, 300};
  ASSERT_TRUE(SaveWavSamples(samples, dir.Path("q.wav")));
  const QByteArray bytes = TempDir::Read(dir.Path("q.wav"));
  ASSERT_EQ(bytes.size(), 44 + 6);
  const unsigned char expected[44] = {
      'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
      16, 0, 0, 0, 1, 0, 1, 0, 0x80, 0xBB, 0, 0, 0x00, 0x77, 0x01, 0,
      2, 0, 16, 0, 'd', 'a', 't', 'a', 6, 0, 0, 0};
  EXPECT_EQ(std::memcmp(bytes.constData(), expected, 44), 0);
  EXPECT_EQ(bytes.mid(44), Int16Bytes(samples));
}

TEST(SampleFiles, RawAndWavRoundTrip) {
  TempDir dir;
  std::vector<int16_t> samples(48000);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 7919);
  samples[5] = -32768;
  ASSERT_TRUE(SaveRawSamples(samples, dir.Path("q.dat")));
  ASSERT_TRUE(SaveWavSamples(samples, dir.Path("q.wav")));
  EXPECT_EQ(TempDir::Read(dir.Path("q.dat")), Int16Bytes(samples));
  for (const char* name : {"q.dat", "q.wav"}) {
    SampleBuffer back;
    ASSERT_EQ(ReadSampleFile(dir.Path(QString::fromLatin1(name)), back), SampleFileOutcome::Success);
    EXPECT_EQ(back.samples, samples) << name;
  }
}

TEST(SampleFiles, SavingRefusesNothingToWriteAndUnwritablePaths) {
  TempDir dir;
  EXPECT_FALSE(SaveRawSamples({}, dir.Path("empty.dat")));
  EXPECT_FALSE(SaveWavSamples({}, dir.Path("empty.wav")));
  const std::vector<int16_t> samples = {1, 2};
  EXPECT_FALSE(SaveRawSamples(samples, dir.Path("no/such/dir/q.dat")));
  EXPECT_FALSE(SaveWavSamples(samples, dir.Path("no/such/dir/q.wav")));
}

TEST(ReadSampleFile, ExtensionDecidesTheLayoutAndIsCaseSensitive) {
  TempDir dir;
  SampleBuffer out;
  EXPECT_EQ(ReadSampleFile(dir.Path("none.wav"), out), SampleFileOutcome::FileMissing);

  dir.Write("upper.WAV", QByteArray(100, '\0'));
  EXPECT_EQ(ReadSampleFile(dir.Path("upper.WAV"), out), SampleFileOutcome::UnknownFileType);
  dir.Write("noext", QByteArray(100, '\0'));
  EXPECT_EQ(ReadSampleFile(dir.Path("noext"), out), SampleFileOutcome::UnknownFileType);

  dir.Write("header-only.wav", QByteArray(44, 'x'));
  ASSERT_EQ(ReadSampleFile(dir.Path("header-only.wav"), out), SampleFileOutcome::Success);
  EXPECT_EQ(out.count(), 0);

  dir.Write("truncated.wav", QByteArray(43, 'x'));
  SampleBuffer untouched;
  EXPECT_EQ(ReadSampleFile(dir.Path("truncated.wav"), untouched), SampleFileOutcome::ShortRead);
  EXPECT_EQ(untouched.count(), 0);

  dir.Write("odd.dat", Int16Bytes({5, 6, 7}) + QByteArray(1, 'z'));
  ASSERT_EQ(ReadSampleFile(dir.Path("odd.dat"), out), SampleFileOutcome::Success);
  EXPECT_EQ(out.samples, (std::vector<int16_t>{5, 6, 7}));
}

}  // namespace
}  // namespace melo
