#include "base/process_runner.h"
#include "tests/support/media_files.h"
#include "tests/support/temp_dir.h"

#include <QFile>
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
  ASSERT_TRUE(RunProcessWithFiles(
      R"(sh -c "echo first run with a long line; echo oops >&2")", dir.Path(), {}, out, err));
  EXPECT_EQ(TempDir::Read(out), "first run with a long line\n");
  EXPECT_EQ(TempDir::Read(err), "oops\n");

  // Only standard error this time: the output file is there but empty.
  ASSERT_TRUE(RunProcessWithFiles(R"(sh -c "echo late >&2")", dir.Path(), {}, out, err));
  EXPECT_TRUE(QFile::exists(out));
  EXPECT_EQ(TempDir::Read(out), "");
  EXPECT_EQ(TempDir::Read(err), "late\n");
}

TEST(RunProcessWithFiles, RunsInTheWorkingDirectoryAndFeedsTheInputFile) {
  TempDir dir;
  const QString in = dir.Write("in.txt", "line one\nline two\n");
  ASSERT_TRUE(RunProcessWithFiles("cat", dir.Path(), in, dir.Path("out"), dir.Path("err")));
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "line one\nline two\n");

  ASSERT_TRUE(RunProcessWithFiles("pwd", dir.Path(), {}, dir.Path("out"), dir.Path("err")));
  EXPECT_EQ(TempDir::Read(dir.Path("out")).trimmed(), QFileInfo(dir.Path()).canonicalFilePath().toUtf8());

  // A missing input file is created empty; the child reads nothing.
  ASSERT_TRUE(RunProcessWithFiles("cat", dir.Path(), dir.Path("absent.txt"), dir.Path("out"), {}));
  EXPECT_TRUE(QFile::exists(dir.Path("absent.txt")));
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "");
}

TEST(RunProcess, FalseWhenTheChildCannotStart) {
  TempDir dir;
  EXPECT_FALSE(RunProcessAndWait("no-such-program-here --version", dir.Path()));
  EXPECT_FALSE(RunProcessWithFiles("no-such-program-here", dir.Path(), {}, dir.Path("o"), dir.Path("e")));
  EXPECT_FALSE(RunProcessAndWait("true", dir.Path("no/such/folder")));
  EXPECT_FALSE(RunProcessAndWait("", dir.Path()));
  // Without standard streams the child still runs to its end.
  ASSERT_TRUE(RunProcessAndWait(R"(sh -c "sleep 0.2; echo done > made.txt")", dir.Path()));
  EXPECT_EQ(TempDir::Read(dir.Path("made.txt")), "done\n");
}

TEST(RunProcess, ProgramPathsWithBlanksMustBeQuoted) {
  TempDir dir;
  const QString tool = ArgumentPrinter(dir, "my tools/print args.sh");
  EXPECT_FALSE(RunProcessWithFiles(tool + " x", dir.Path(), {}, dir.Path("out"), {}));
  ASSERT_TRUE(RunProcessWithFiles(QuoteCommandArgument(tool) + R"( -i "a b.wav" x)", dir.Path(), {},
                                  dir.Path("out"), {}));
  EXPECT_EQ(TempDir::Read(dir.Path("out")), "-i\na b.wav\nx\n");
}

TEST(RunProcess, AQuoteInAFileNameCannotSmuggleInArguments) {
  TempDir dir;
  const QString tool = ArgumentPrinter(dir, "print.sh");
  for (const QString& name : {QStringLiteral("a\" -y \"") + dir.Path("x.wav"), QStringLiteral("\"quoted\".wav"),
                              QStringLiteral("two\"\"quotes"), QStringLiteral("\"")}) {
    const QString command = QuoteCommandArgument(tool) + " -i " + QuoteCommandArgument(name) + " out.wav";
    ASSERT_TRUE(RunProcessWithFiles(command, dir.Path(), {}, dir.Path("out"), {})) << command.toStdString();
    EXPECT_EQ(QString::fromUtf8(TempDir::Read(dir.Path("out"))), "-i\n" + name + "\nout.wav\n");
  }
}

}  // namespace
}  // namespace melo
