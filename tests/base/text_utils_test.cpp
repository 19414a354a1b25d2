#include "base/path_utils.h"
#include "base/text_format.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace melo {
namespace {

TEST(PathUtils, EitherSeparatorSplitsAPath) {
  EXPECT_EQ(ExtractDirPart("C:\\music\\a.mp3"), "C:\\music");
  EXPECT_EQ(ExtractDirPart("/home/u/music/a.mp3"), "/home/u/music");
  EXPECT_EQ(ExtractDirPart("mixed\\dir/a.mp3"), "mixed\\dir");
  EXPECT_EQ(ExtractDirPart("a.mp3"), "");
  EXPECT_EQ(ExtractNamePart("/home/u/Мелодия 1.flac"), "Мелодия 1.flac");
  EXPECT_EQ(ExtractNamePart("c:\\x\\y.ogg"), "y.ogg");
  EXPECT_EQ(ExtractNamePart("plain"), "plain");
}

TEST(PathUtils, ExtensionsAreTakenFromTheLastDot) {
  EXPECT_EQ(StripExtension("/a.b/track.tar.gz"), "/a.b/track.tar");
  EXPECT_EQ(StripExtension("/a.b/track"), "/a.b/track");      // a separator comes first
  EXPECT_EQ(StripExtension("c:\\a.b\\track"), "c:\\a.b\\track");
  EXPECT_EQ(ExtractExtension("/home/u/song.MP3"), ".MP3");
  EXPECT_EQ(ExtractExtension("/a.b/track"), ".b/track");      // the scan ignores separators
  EXPECT_EQ(ExtractExtension("track"), "");
  EXPECT_EQ(EnsureExtension("queue.LIST", ".list"), "queue.LIST");
  EXPECT_EQ(EnsureExtension("queue", ".list"), "queue.list");
  EXPECT_EQ(EnsureExtension("base.db.bak", ".db"), "base.db.bak.db");
  EXPECT_EQ(JoinPath("/w", "1"), "/w/1");
  EXPECT_EQ(JoinPath("/", "x"), "/x");
}

TEST(TextFormat, ThousandsAndDurations) {
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(123456), "123 456");
  EXPECT_EQ(FormatThousands(9223372036854775807LL), "9 223 372 036 854 775 807");

  EXPECT_EQ(FormatDuration(3725, true), "1:02:05 (3 725 сек)");
  EXPECT_EQ(FormatDuration(0, false), "0:00:00");
  EXPECT_EQ(FormatDuration(360000, false), "100:00:00");
}

// The moment is stored in the database: a command-line run in an English locale
// must write what the window writes.
TEST(TextFormat, MomentsHaveOneFormInEveryLocale) {
  const QDateTime moment(QDate(2024, 3, 5), QTime(14, 7, 9));
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
    QLocale::setDefault(locale);
    EXPECT_EQ(FormatLocalDateTime(moment), "05.03.2024 14:07:09") << locale.name().toStdString();
  }
  QLocale::setDefault(QLocale::system());
}

}  // namespace
}  // namespace melo
