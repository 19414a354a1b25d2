#include "searcher/capture/capture_ring.h"
#include "searcher/app/live_search.h"
#include "searcher/app/signal_picture.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"
#include "synth/music_like_signal.h"
#include "tests/support/recording_dialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace melo {
namespace {

using Outcome = LiveSearch::Outcome;

// Feeds mono samples to the ring as stereo frames.
void Capture(CaptureRing& ring, const std::vector<int16_t>& mono) {
  std::vector<int16_t> stereo;
  for (int16_t s : mono) stereo.insert(stereo.end(), {s, s});
  ring.Append(stereo.data(), stereo.size());
}

std::vector<int16_t> WithPeak(std::vector<int16_t> x, int32_t peak) {
  int32_t loudest = 1;
  for (int16_t s : x) loudest = std::max(loudest, std::abs(int32_t{s}));
  for (int16_t& s : x) s = static_cast<int16_t>(std::clamp<int64_t>(int64_t{s} * peak / loudest, -peak, peak));
  x[100] = static_cast<int16_t>(peak);
  return x;
}

class LiveSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    music = synth::MusicLikeSignal(77, 40 * 48000);
    TrackIndex t;
    t.records = FingerprintTrack(music.data(), static_cast<int32_t>(music.size()));
    t.count = static_cast<int32_t>(t.records.size() / 12);
    t.loaded = true;
    index.tracks.push_back(std::move(t));
    index.infos.emplace_back();
    ring.SetActive(true);
  }
  std::vector<int16_t> Music(double from, double seconds) const {
    return {music.begin() + static_cast<long>(from * 48000), music.begin() + static_cast<long>((from + seconds) * 48000)};
  }

  std::vector<int16_t> music;
  SearchIndex index;
  SearchEngine engine{index, 1};
  AudioQuery query;
  testing::RecordingDialogs dialogs;
  LiveSearch live{engine, query, dialogs};
  CaptureRing ring;
  SearchParameters params;
};

TEST_F(LiveSearchTest, NothingIsSearchedWithoutEnoughSignal) {
  EXPECT_EQ(live.OneShot(&ring, params, false, false), Outcome::NotLoaded);
  EXPECT_EQ(dialogs.messages, QStringList({"Дождитесь завершения загрузки базы данных!"}));
  EXPECT_EQ(live.OneShot(nullptr, params, true, false), Outcome::NoSignal);
  Capture(ring, Music(10, 3));
  EXPECT_EQ(live.OneShot(&ring, params, true, false), Outcome::NoSignal);  // 3 s of a 4 s query
  Capture(ring, std::vector<int16_t>(4 * 48000, 1));
  EXPECT_EQ(live.OneShot(&ring, params, true, false), Outcome::NoSignal);
  Capture(ring, WithPeak(Music(5, 4), 499));
  EXPECT_EQ(live.OneShot(&ring, params, true, false), Outcome::WeakSignal);
  Capture(ring, std::vector<int16_t>(4 * 48000, 1000));  // loud, but no peaks: no key points
  EXPECT_EQ(live.OneShot(&ring, params, true, true), Outcome::CreateFailed);
  EXPECT_EQ(live.OneShot(&ring, params, true, false), Outcome::CreateFailed);
  EXPECT_EQ(dialogs.messages.last(), "AudioQuery->Create = false");
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(LiveSearch::SignalWarning(Outcome::WeakSignal), "Слабый аудио сигнал!");
}

TEST_F(LiveSearchTest, APeakOf500StartsASearchAndASecondClickWaits) {
  Capture(ring, Music(0, 2));
  Capture(ring, WithPeak(Music(20, 4), 500));
  SearchOutcome result;
  engine.onFinished = [&](const SearchOutcome& o) { result = o; };
  ASSERT_EQ(live.OneShot(&ring, params, true, false), Outcome::Started);
  // The search cannot hand its result over until this thread turns its event loop.
  EXPECT_EQ(live.OneShot(&ring, params, true, true), Outcome::StillRunning);
  const qsizetype messages = dialogs.messages.size();
  EXPECT_EQ(live.OneShot(&ring, params, true, false), Outcome::StillRunning);
  EXPECT_EQ(dialogs.messages.size(), messages + 1);
  EXPECT_EQ(dialogs.messages.last(), "Поиск ещё не завершён!");
  engine.Wait();
  ASSERT_TRUE(result.Found());
  EXPECT_EQ(result.queryStart, 2 * 48000);  // where the query began in the capture stream
}

TEST_F(LiveSearchTest, AutomaticSearchesFollowThePlayback) {
  std::vector<SearchOutcome> results;
  engine.onFinished = [&](const SearchOutcome& o) { results.push_back(o); };
  Capture(ring, Music(0, 12));
  live.StartAutomatic(100, [&] { return &ring; }, [&] { return params; }, [] { return true; });
  QDeadlineTimer deadline(5000);
  double played = 12;
  while (results.size() < 3 && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (results.size() > 0 && played < 14) {
      Capture(ring, Music(played, 0.25));  // the track plays on
      played += 0.25;
    }
  }
  live.StopAutomatic();
  engine.Wait();
  ASSERT_GE(results.size(), 3u);
  EXPECT_TRUE(results[0].Found());
  EXPECT_FALSE(results[0].confirmed);
  EXPECT_TRUE(results[1].confirmed);
  ASSERT_TRUE(results[2].Found());
  EXPECT_GT(results[2].entries[0].position, results[0].entries[0].position);
}

TEST_F(LiveSearchTest, TheSignalPictureWarnsOfSilenceAndWeakness) {
  QImage picture(300, 60, QImage::Format_RGB32);
  Capture(ring, std::vector<int16_t>(3 * 48000, 1));
  EXPECT_EQ(DrawSignalPicture(picture, ring), "Нет аудио сигнала!");
  EXPECT_EQ(picture.pixelColor(150, 30), QColor(0x80, 0x80, 0x80));  // the middle line
  Capture(ring, WithPeak(Music(3, 3), 1500));
  EXPECT_EQ(DrawSignalPicture(picture, ring), "Слабый аудио сигнал!");
  Capture(ring, WithPeak(Music(6, 3), 30000));
  EXPECT_EQ(DrawSignalPicture(picture, ring), "");
  // The newest column: a bar about the middle line, blue over grey, white above.
  EXPECT_EQ(picture.pixelColor(299, 29), QColor(0, 0, 0xFF));
  EXPECT_EQ(picture.pixelColor(299, 30), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(picture.pixelColor(299, 0), QColor(Qt::white));
}

}  // namespace
}  // namespace melo
