#include "gui/picture_file.h"

#include "tests/support/media_files.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::TempDir;

QByteArray Encoded(const char* format) {
  QImage image(8, 6, QImage::Format_ARGB32);
  image.fill(QColor(200, 40, 10));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

TEST(LoadPictureFile, ChoosesTheDecoderByTheExtensionInLowerCase) {
  TempDir dir;
  struct Case {
    QString name;
    QByteArray content;
    bool loads;
  } cases[] = {
      {"upper.JPG", Encoded("jpeg"), true},
      {"plain.png", Encoded("png"), true},
      {"still.jpeg", Encoded("jpeg"), true},
      {"old.bmp", Encoded("bmp"), true},
      {"scan.tif", Encoded("png"), false},  // a known format under an unknown extension
      {"broken.png", "not a picture", false},
      {"png-inside.jpg", Encoded("png"), false},  // the name decides, not the content
  };
  for (const Case& c : cases) {
    QImage image(1, 1, QImage::Format_RGB32);
    EXPECT_EQ(LoadPictureFile(image, dir.Write(c.name, c.content)), c.loads) << c.name.toStdString();
    EXPECT_EQ(image.width(), c.loads ? 8 : 1) << c.name.toStdString();
  }
  QImage untouched(1, 1, QImage::Format_RGB32);
  EXPECT_FALSE(LoadPictureFile(untouched, dir.Path("missing.png")));
  EXPECT_FALSE(LoadPictureFile(untouched, dir.Path()));  // a folder
}

TEST(LoadPictureFile, FlattensAGifTo24Bits) {
  TempDir dir;
  // Qt reads GIF but does not write it; ffmpeg does.
  ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "color=red:size=4x2", "-frames:v", "1", dir.Path("dot.gif")}));
  QImage image;
  ASSERT_TRUE(LoadPictureFile(image, dir.Path("dot.gif")));
  EXPECT_EQ(image.format(), QImage::Format_RGB888);
  EXPECT_EQ(image.size(), QSize(4, 2));
}

}  // namespace
}  // namespace melo
