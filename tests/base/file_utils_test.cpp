#include "base/file_utils.h"
#include "base/program_paths.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

TEST(FileUtils, AccessAndWritability) {
  TempDir dir;
  const QString file = dir.Write("five.bin", "12345");
  EXPECT_EQ(CheckFileAccess(file), kFileAccessOk);
  EXPECT_EQ(CheckFileAccess(dir.Path("missing")), kFileMissing);
  EXPECT_EQ(CheckFileAccess(dir.Path()), kFileNotReadable);  // a folder cannot be opened as a file
  EXPECT_EQ(TempDir::Read(file), "12345");                   // the append test wrote nothing

  EXPECT_TRUE(IsDirWritable(dir.Path()));
  EXPECT_FALSE(QFile::exists(dir.Path("test.tmp")));
  EXPECT_FALSE(IsDirWritable(dir.Path("missing")));
}

TEST(ProgramPaths, BesideTheProgramOrInTheDataFolder) {
  TempDir dir;
  const ProgramPaths here = ProgramPaths::For(dir.Path(), "melobank");
  EXPECT_EQ(here.settingsFile, dir.Path("melobank.ini"));
  EXPECT_EQ(here.programLog, dir.Path("melobank.log"));
  const QByteArray previous = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.Path("data").toUtf8());
  const ProgramPaths fallback = ProgramPaths::For(dir.Path("not-writable/missing"), "melobank");
  qputenv("XDG_DATA_HOME", previous);
  EXPECT_EQ(fallback.settingsFile, dir.Path("data/Melodar/melobank.ini"));
  EXPECT_TRUE(QFileInfo(dir.Path("data/Melodar")).isDir());
}

}  // namespace
}  // namespace melo
