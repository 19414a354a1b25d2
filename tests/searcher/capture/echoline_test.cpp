#include "base/sample_files.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/capture/echoline_interface.h"
#include "searcher/capture/echoline_layout.h"
#include "searcher/capture/echoline_thread.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/temp_dir.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace melo {
namespace {

using testing::Spin;
using testing::SpinUntil;
using testing::TempDir;

// What a helper does: values into the ring, then the index.
void HelperWrites(EcholineInterface& echoline, uint32_t from, uint32_t to, int16_t base) {
  auto* values = reinterpret_cast<int16_t*>(echoline.View() + 8);
  for (uint32_t i = from; i != to; i = (i + 1) % echoline::kRingValues) {
    values[i] = static_cast<int16_t>(base + static_cast<int16_t>(i % 100));
  }
  std::memcpy(echoline.View(), &to, 4);
}

TEST(EcholineInterface, ReadsWhatTheHelperWroteAcrossTheRingsEnd) {
  TempDir dir;
  testing::MakeScript(dir, "Echoline", "exec sleep 30");  // a helper that only keeps running
  EcholineInterface echoline(dir.Path(), QStringLiteral("MelodarTest%1").arg(QCoreApplication::applicationPid()));
  ASSERT_TRUE(echoline.Running()) << echoline.ErrorText().toStdString();
  CaptureRing ring;
  ring.SetActive(true);
  HelperWrites(echoline, 0, 95990, 0);
  EXPECT_EQ(echoline.ReadAudio(ring), 95990);
  EXPECT_EQ(echoline.ReadAudio(ring), 0);  // unchanged index
  HelperWrites(echoline, 95990, 10, 1000);
  EXPECT_EQ(echoline.ReadAudio(ring), 20);  // the last 10 slots, then the first 10
  int16_t mono[10];
  ASSERT_EQ(ring.Read(ring.Total() - 10, 10, mono), CaptureRing::kReadOk);
  EXPECT_EQ(mono[0], 1000 + 90);   // slots 95990 and 95991 average to 1090.5 -> 1090
  EXPECT_EQ(mono[5], 1000 + 0);    // then slots 0 and 1
}

TEST(EcholineInterface, TheHelperGetsItsNameAndAQuotedPath) {
  EXPECT_EQ(EcholineInterface::CommandLine("/opt/melodar/Echoline", "M1"), "/opt/melodar/Echoline  M1");
  EXPECT_EQ(EcholineInterface::CommandLine("/opt/my melodar/Echoline", "M1"), "\"/opt/my melodar/Echoline\"  M1");
  TempDir dir;
  const QString programDir = dir.Path("program dir");
  testing::MakeScript(dir, "program dir/Echoline", "printf '%s|' \"$@\" > arguments.txt; pwd >> arguments.txt; exec sleep 30");
  {
    EcholineInterface echoline(programDir, "MelodarArgs");
    ASSERT_TRUE(echoline.Running());
    ASSERT_TRUE(SpinUntil([&] { return TempDir::Read(programDir + "/arguments.txt").endsWith("\n"); }));
  }
  EXPECT_EQ(TempDir::Read(programDir + "/arguments.txt"), "MelodarArgs|" + programDir.toUtf8() + "\n");
  EcholineInterface missing(dir.Path("nowhere"), "MelodarMissing");
  EXPECT_FALSE(missing.Running());
  EXPECT_EQ(missing.ErrorText(), "Not found: " + dir.Path("nowhere") + "/Echoline");
  CaptureRing ring;
  EXPECT_EQ(missing.ReadAudio(ring), EcholineInterface::kNotRunning);
}

TEST(Echoline, PlaysAFileIntoTheMappingInRealTime) {
  TempDir dir;
  std::vector<int16_t> stereo(2 * 48000 * 2);
  for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<int16_t>(i % 2 ? -(i % 5000) : i % 7000);
  // A stereo 48 kHz WAV written by ffmpeg from raw samples.
  dir.Write("source.raw", QByteArray(reinterpret_cast<const char*>(stereo.data()), static_cast<int>(stereo.size() * 2)));
  ASSERT_TRUE(testing::Ffmpeg({"-f", "s16le", "-ar", "48000", "-ac", "2", "-i", dir.Path("source.raw"), dir.Path("source.wav")}));
  qputenv("ECHOLINE_SOURCE", dir.Path("source.wav").toUtf8());
  EcholineInterface echoline(TOOLS_DIR, QStringLiteral("MelodarPlay%1").arg(QCoreApplication::applicationPid()));
  qunsetenv("ECHOLINE_SOURCE");
  ASSERT_TRUE(echoline.Running()) << echoline.ErrorText().toStdString();
  CaptureRing ring;
  ring.SetActive(true);
  int32_t taken = 0;
  ASSERT_TRUE(SpinUntil([&] {
    taken += std::max(0, echoline.ReadAudio(ring));
    return taken >= 100;
  }));
  std::vector<int16_t> mono(100);
  ASSERT_EQ(ring.Read(0, 100, mono.data()), CaptureRing::kReadOk);
  for (size_t i = 0; i < mono.size(); ++i) {
    ASSERT_EQ(mono[i], (stereo[2 * i] + stereo[2 * i + 1]) / 2) << i;
  }
}

TEST(EcholineThread, AMissingHelperIsReportedOnceAndLookedForAgain) {
  TempDir dir;
  CaptureRing ring;
  EcholineThread thread(ring, dir.Path(), "MelodarAbsent");
  QStringList reports;
  thread.onError = [&](const QString& text) { reports << text; };
  thread.Start();
  ASSERT_TRUE(SpinUntil([&] { return !reports.isEmpty(); }));
  Spin(1200);  // more reads and one attempt to start the helper again (after 1 s)
  EXPECT_EQ(reports, QStringList({"EcholineInterface::ReadAudio Error=-1"}));
  EXPECT_TRUE(ring.Active());
  // The helper appears and is started at a later attempt.
  testing::MakeScript(dir, "Echoline", "echo started >> starts.txt; exec sleep 30");
  EXPECT_TRUE(SpinUntil([&] { return QFile::exists(dir.Path("starts.txt")); }));
  thread.Terminate();
  thread.WaitFor();
  EXPECT_EQ(TempDir::Read(dir.Path("starts.txt")), "started\n");
  EXPECT_EQ(reports.size(), 1);
}

}  // namespace
}  // namespace melo
