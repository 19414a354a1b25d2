#include "base/process_runner.h"
#include "tests/support/media_files.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <chrono>
#include <thread>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

// A script that prints each of its arguments on a line of its own.
QString ArgumentPrinter(const TempDir& dir, const QString& name) {
  return testing::MakeScript(dir, name, "exec printf '%s\\n' \"$@\"");
}

TEST(RunProcessWithFiles, CapturesBothStreamsAndReplacesEarlierCaptures) {
  TempDir dir;
  const QString out = dir.Path("out.txt"), err = dir.Path("err.txt");
  ASSERT_EQ(RunProcessWithFiles(R"(sh -c "echo first run with a long line; echo oops >&2")", dir.Path(), {}, out, err),
            ProcessResult::Succeeded);
  EXPECT_EQ(TempDir::Read(out), "first run with a long line\n");
  EXPECT_EQ(TempDir::Read(err), "oops\n");

  // Only standard error this time: the output file is there but empty.
  ASSERT_EQ(RunProcessWithFiles(R"(sh -c "echo late >&2")", dir.Path(), {}, out, err), ProcessResult::Succeeded);
  EXPECT_TRUE(QFile::exists(out));
  EXPECT_EQ(TempDir::Read(out), "");
  EXPECT_EQ(TempDir::Read(err), "late\n");
}

TEST(RunProcessWithFiles, RunsInTheWorkingDirectoryAndFeedsTheInputFile) {
  TempDir dir;
  const QString in = dir.Write("in.txt", "line one\nline two\n");
  ASSERT_EQ(RunProcessWithFiles("cat", dir.Path(), in, dir.Path("out"), dir.Path("err")), ProcessResult::Succeeded);
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "line one\nline two\n");

  ASSERT_EQ(RunProcessWithFiles("pwd", dir.Path(), {}, dir.Path("out"), dir.Path("err")), ProcessResult::Succeeded);
  EXPECT_EQ(TempDir::Read(dir.Path("out")).trimmed(), QFileInfo(dir.Path()).canonicalFilePath().toUtf8());

  // A missing input file is created empty; the child reads nothing.
  ASSERT_EQ(RunProcessWithFiles("cat", dir.Path(), dir.Path("absent.txt"), dir.Path("out"), {}),
            ProcessResult::Succeeded);
  EXPECT_TRUE(QFile::exists(dir.Path("absent.txt")));
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "");
}

TEST(RunProcess, HowTheChildEnded) {
  TempDir dir;
  const auto never = [] { return false; };
  const auto soon = [n = 0]() mutable { return ++n > 4; };
  const struct {
    const char* command;
    StopRequest stop;
    ProcessResult result;
  } cases[] = {
      {"no-such-program-here --version", never, ProcessResult::NotStarted},
      {"", {}, ProcessResult::NotStarted},
      {R"(sh -c "sleep 0.2; echo done > made.txt")", {}, ProcessResult::Succeeded},
      {R"(sh -c "echo partial > cut.txt; exit 2")", never, ProcessResult::Failed},
      {R"(sh -c "echo partial > killed.txt; kill -INT $$; sleep 5")", {}, ProcessResult::Failed},
      // The stop reaches the tool's own children too: nothing is written late.
      {R"(sh -c "sleep 1; echo late > late.txt")", soon, ProcessResult::Stopped},
  };
  for (const auto& c : cases) EXPECT_EQ(RunProcessAndWait(c.command, dir.Path(), c.stop), c.result) << c.command;
  EXPECT_EQ(RunProcessAndWait("true", dir.Path("no/such/folder")), ProcessResult::NotStarted);
  EXPECT_EQ(RunProcessWithFiles("no-such-program-here", dir.Path(), {}, dir.Path("o"), dir.Path("e")),
            ProcessResult::NotStarted);
  EXPECT_EQ(TempDir::Read(dir.Path("made.txt")), "done\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_FALSE(QFile::exists(dir.Path("late.txt")));
}

TEST(RunProcess, ProgramPathsWithBlanksMustBeQuoted) {
  TempDir dir;
  const QString tool = ArgumentPrinter(dir, "my tools/print args.sh");
  EXPECT_EQ(RunProcessWithFiles(tool + " x", dir.Path(), {}, dir.Path("out"), {}), ProcessResult::NotStarted);
  ASSERT_EQ(RunProcessWithFiles(QuoteCommandArgument(tool) + R"( -i "a b.wav" x)", dir.Path(), {},
                                  dir.Path("out"), {}), ProcessResult::Succeeded);
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "-i\na b.wav\nx\n");
}

TEST(RunProcess, AQuoteInAFileNameCannotSmuggleInArguments) {
  TempDir dir;
  const QString tool = ArgumentPrinter(dir, "print.sh");
  for (const QString& name : {QStringLiteral("a\" -y \"") + dir.Path("x.wav"), QStringLiteral("\"quoted\".wav"),
                              QStringLiteral("two\"\"quotes"), QStringLiteral("\"")}) {
    const QString command = QuoteCommandArgument(tool) + " -i " + QuoteCommandArgument(name) + " out.wav";
    ASSERT_EQ(RunProcessWithFiles(command, dir.Path(), {}, dir.Path("out"), {}), ProcessResult::Succeeded)
        << command.toStdString();
    EXPECT_EQ(QString::fromUtf8(TempDir::Read(dir.Path("out"))), "-i\n" + name + "\nout.wav\n");
  }
}

}  // namespace
}  // namespace melo
