#include "base/file_listing.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

class ListFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir.Path("F");
    dir.Write("F/a.mp3");
    dir.Write("F/.b.mp3");             // hidden
    dir.Write("F/README");             // no dot: still matches "*.*"
    dir.Write("F/sub/c.wav");
    dir.Write("F/sub/deeper/d.flac");
    dir.Write("F/.hidden/e.wav");      // hidden folder: not descended
    dir.Write("F/empty/.keep");        // only a hidden file
    dir.Write("outside/secret.wav");
    QFile::link(dir.Path("outside"), dir.Path("F/link-to-outside"));
  }
  TempDir dir;
  QString root;
};

TEST_F(ListFilesTest, FilesFirstThenEachSubfolderDepthFirst) {
  QStringList list{"kept"};
  ListFiles(root, "*.*", true, false, list);
  EXPECT_EQ(list, QStringList({"kept", root + "/a.mp3", root + "/README", root + "/sub/c.wav",
                               root + "/sub/deeper/d.flac"}));
}

TEST_F(ListFilesTest, WithDirectoriesEachFolderPrecedesItsContent) {
  QStringList list;
  ListFiles(root, "*.*", true, true, list);
  EXPECT_EQ(list, QStringList({root + "/a.mp3", root + "/README", root + "/empty", root + "/sub",
                               root + "/sub/c.wav", root + "/sub/deeper", root + "/sub/deeper/d.flac"}));
}

TEST_F(ListFilesTest, MaskFiltersFilesOnlyAndMissingFoldersGiveNothing) {
  QStringList list;
  ListFiles(root, "*.wav", true, false, list);
  EXPECT_EQ(list, QStringList({root + "/sub/c.wav"}));
  list.clear();
  ListFiles(root, "*.*", false, false, list);
  EXPECT_EQ(list, QStringList({root + "/a.mp3", root + "/README"}));
  list.clear();
  ListFiles(dir.Path("nowhere"), "*.*", true, true, list);
  ListFiles("", "*.*", true, true, list);
  EXPECT_TRUE(list.isEmpty());
}

}  // namespace
}  // namespace melo
