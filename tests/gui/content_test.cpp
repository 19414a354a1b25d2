// The pictures and help videos shipped in content/ (copied beside the test by the
// build) are what the help panels can show and the player here can play.
#include "gui/content_files.h"
#include "gui/picture_file.h"
#include "tests/support/event_loop.h"

#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoSink>
#include <gtest/gtest.h>

namespace melo {
namespace {

class ShippedContent : public ::testing::TestWithParam<int> {};

TEST_P(ShippedContent, PanelPictureLoadsAndHelpVideoPlaysWithPictureAndSound) {
  const QString name = QString::number(GetParam());
  QImage picture;
  ASSERT_TRUE(LoadPictureFile(picture, ContentFile(name + ".jpg"))) << ContentFile(name + ".jpg").toStdString();
  EXPECT_GE(picture.width(), 320);

  QMediaPlayer player;
  QAudioOutput audio;
  audio.setVolume(0);
  QVideoSink frames;
  int framesShown = 0;
  QObject::connect(&frames, &QVideoSink::videoFrameChanged, [&] { ++framesShown; });
  player.setAudioOutput(&audio);
  player.setVideoSink(&frames);
  player.setSource(QUrl::fromLocalFile(ContentFile(name + ".mpg")));
  player.play();
  QDeadlineTimer deadline(15000);
  while (player.position() < 1000 && player.error() == QMediaPlayer::NoError && !deadline.hasExpired()) {
    testing::Spin(20);
  }
  EXPECT_EQ(player.error(), QMediaPlayer::NoError) << player.errorString().toStdString();
  EXPECT_GE(player.position(), 1000);
  EXPECT_GT(framesShown, 10);
  EXPECT_TRUE(player.hasAudio());
  // Short enough for a help panel, long enough to show a task.
  EXPECT_GE(player.duration(), 12000);
  EXPECT_LE(player.duration(), 45000);
}

INSTANTIATE_TEST_SUITE_P(HelpPanels, ShippedContent, ::testing::Range(1, 10));

}  // namespace
}  // namespace melo
