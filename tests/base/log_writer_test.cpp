#include "base/log_writer.h"
#include "tests/support/temp_dir.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

QStringList Lines(const QString& path) {
  return QString::fromUtf8(TempDir::Read(path)).split('\n', Qt::SkipEmptyParts);
}

TEST(LogWriter, EachRunStartsTheProgramLogAfreshThenAppends) {
  TempDir dir;
  const QString log = dir.Path("melobank.log");
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(WriteLogLine(log, "Read Ini file", false));
    ASSERT_TRUE(WriteLogLine(log, QStringLiteral("Error: tagscan-cli.exe /музыка/%1.mp3").arg(run), true));
  }
  const QStringList lines = Lines(log);
  ASSERT_EQ(lines.size(), 2);
  const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d (.*)$");
  EXPECT_EQ(stamped.match(lines[0]).captured(1), "Read Ini file");
  EXPECT_EQ(stamped.match(lines[1]).captured(1), "Error: tagscan-cli.exe /музыка/1.mp3");
  EXPECT_FALSE(WriteLogLine(dir.Path("no/such/dir/x.log"), "lost", true));
}

TEST(LogWriter, MyLogAlwaysAppends) {
  TempDir dir;
  SetMyLogPath(dir.Path("my.log"));
  WriteMyLog("Query insert error!");
  WriteMyLog("CheckSourcePath error!");
  SetMyLogPath({});
  const QStringList lines = Lines(dir.Path("my.log"));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(" Query insert error!"));
  EXPECT_TRUE(lines[1].endsWith(" CheckSourcePath error!"));
  EXPECT_EQ(LogTimeStamp().size(), 20);
}

}  // namespace
}  // namespace melo
