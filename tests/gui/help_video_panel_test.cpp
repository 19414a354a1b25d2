#include "gui/help_video_panel.h"

#include "gui/content_files.h"
#include "tests/support/event_loop.h"
#include "tests/support/media_files.h"
#include "tests/support/recording_dialogs.h"

#include <QTest>
#include <gtest/gtest.h>

namespace melo {
namespace {

using testing::RecordingDialogs;
using testing::SpinUntil;
using testing::TempDir;

class HelpVideoPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetContentDir(content.Path());
    HelpVideoPanel::SetDialogs(&dialogs);
    HelpVideoPanel::SetProgramLog([this](const QString& line) { log.append(line); });
  }
  void TearDown() override {
    HelpVideoPanel::SetDialogs(nullptr);
    HelpVideoPanel::SetProgramLog({});
    SetContentDir({});
  }

  TempDir content;
  RecordingDialogs dialogs;
  QStringList log;
};

TEST_F(HelpVideoPanelTest, AMissingVideoNamesTheExpectedFileAndKeepsThePicture) {
  HelpVideoPanel panel(4);
  panel.resize(320, 180);
  QImage picture(32, 18, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  panel.SetPicture(picture);
  panel.show();

  QTest::mouseClick(&panel, Qt::LeftButton);

  EXPECT_EQ(log, QStringList{"MediaPlayer 4.mpg"});
  EXPECT_EQ(dialogs.messages, QStringList{content.Path("4.mpg")});
  EXPECT_TRUE(panel.FileName().isEmpty());
  EXPECT_TRUE(panel.PictureShown());
}

TEST_F(HelpVideoPanelTest, ClicksPlayPauseAndHandTheScreenToOnePanelAtATime) {
  ASSERT_TRUE(testing::Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x90:rate=25:duration=6", "-f", "lavfi",
                               "-i", "sine=frequency=440:duration=6", "-c:v", "mpeg1video", "-c:a", "mp2",
                               "-f", "mpeg", content.Path("2.mpg")}));
  ASSERT_TRUE(QFile::copy(content.Path("2.mpg"), content.Path("3.mpg")));
  QWidget window;
  HelpVideoPanel first(2, &window);
  HelpVideoPanel second(3, &window);
  second.move(0, 200);
  window.resize(400, 400);
  window.show();

  first.Click();
  ASSERT_TRUE(SpinUntil([&] { return first.PlaybackState() == QMediaPlayer::PlayingState; }))
      << dialogs.messages.join('|').toStdString();
  EXPECT_EQ(first.FileName(), content.Path("2.mpg"));
  EXPECT_FALSE(first.PictureShown());

  first.Click();
  EXPECT_EQ(first.PlaybackState(), QMediaPlayer::PausedState);
  first.DoubleClick();
  EXPECT_TRUE(SpinUntil([&] { return first.PlaybackState() == QMediaPlayer::PlayingState; }));

  // Starting another video closes the first one and gives its picture back.
  second.Click();
  EXPECT_TRUE(first.FileName().isEmpty());
  EXPECT_TRUE(first.PictureShown());
  EXPECT_TRUE(SpinUntil([&] { return second.PlaybackState() == QMediaPlayer::PlayingState; }));
  EXPECT_EQ(log, (QStringList{"MediaPlayer 2.mpg", "MediaPlayer 3.mpg"}));

  HelpVideoPanel::StopPlay();
  EXPECT_TRUE(second.FileName().isEmpty());
  EXPECT_EQ(second.PlaybackState(), QMediaPlayer::StoppedState);
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

TEST_F(HelpVideoPanelTest, AFileThePlayerCannotReadIsReportedAsAnInitialisationError) {
  content.Write("5.mpg", QByteArray(4096, 'x'));
  HelpVideoPanel panel(5);
  panel.resize(160, 90);
  panel.show();
  panel.Click();
  ASSERT_TRUE(SpinUntil([&] { return !dialogs.messages.isEmpty(); }));
  EXPECT_EQ(dialogs.messages, QStringList{"Ошибка инициализации: " + content.Path("5.mpg")});
  EXPECT_TRUE(panel.FileName().isEmpty());
  EXPECT_TRUE(panel.PictureShown());
}

}  // namespace
}  // namespace melo
