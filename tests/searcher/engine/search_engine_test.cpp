#include "base/sample_files.h"
#include "landmarks/landmark_extractor.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/query_history.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_presentation.h"
#include "synth/music_like_signal.h"
#include "tests/support/temp_dir.h"

#include <QDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace melo {
namespace {

constexpr int32_t kRate = 48000;

class SearchEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    landmarks::LandmarkExtractor extractor(landmarks::kTrackSettings);
    LandmarkIndex::Builder landmarks;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      signals_.push_back(synth::MusicLikeSignal(100 + seed, 40 * kRate));
      TrackIndex t;
      t.records = FingerprintTrack(signals_.back().data(), 40 * kRate);
      t.count = static_cast<int32_t>(t.records.size() / 12);
      t.loaded = true;
      index_.tracks.push_back(std::move(t));
      TrackInfo info;
      info.id = static_cast<int32_t>(seed);
      // A TAB is a legal character of a file name; track 3 holds one.
      info.source_path = QStringLiteral("/music/Сборник/Песня %1%2для теста.mp3").arg(seed).arg(seed == 3 ? '\t' : ' ');
      info.duration = 40;
      info.all_tracks = seed == 3 ? 2 : 1;
      index_.infos.push_back(info);
      const landmarks::LandmarkSet set = extractor.Extract(signals_.back());
      landmarks.AddTrack(static_cast<int32_t>(seed - 1), set.landmarks);
      ++index_.landmarkTracks;
    }
    index_.recordsCount = 4;
    index_.landmarks = landmarks.Finish();
  }

  // Q seconds of track `track` ending at `endSeconds`.
  bool Excerpt(int32_t track, double endSeconds, AudioQuery& query, int32_t seconds = 4) {
    const auto end = static_cast<size_t>(endSeconds * kRate);
    const std::vector<int16_t>& s = signals_[track];
    return query.Create(s.data() + end - seconds * kRate, seconds * kRate, QueryAnalysis::Plain);
  }

  // x with white noise at `snr` dB below its power, the same for the same seed.
  static std::vector<int16_t> Noisy(std::vector<int16_t> x, uint32_t seed, double snr = 10) {
    double power = 0;
    for (int16_t v : x) power += static_cast<double>(v) * v;
    std::mt19937 generator(seed);
    std::normal_distribution<double> gaussian(
        0.0, std::sqrt(power / static_cast<double>(x.size()) / std::pow(10.0, snr / 10)));
    for (int16_t& v : x) v = static_cast<int16_t>(std::clamp(std::lround(v + gaussian(generator)), -32768L, 32767L));
    return x;
  }

  SearchOutcome Search(SearchEngine& engine, AudioQuery& query) {
    SearchOutcome result;
    engine.onFinished = [&](const SearchOutcome& o) { result = o; };
    EXPECT_TRUE(engine.Start(query, params));
    EXPECT_FALSE(engine.Start(query, params));  // one search at a time
    engine.Wait();
    return result;
  }

  static std::vector<std::vector<int16_t>> signals_;
  static SearchIndex index_;
  SearchParameters params;
};

std::vector<std::vector<int16_t>> SearchEngineTest::signals_;
SearchIndex SearchEngineTest::index_;

TEST_F(SearchEngineTest, OneOrSeveralWorkersFindTheSameBestHit) {
  AudioQuery query;
  ASSERT_TRUE(Excerpt(2, 21.3, query));
  for (const int32_t workers : {1, 3}) {
    SearchEngine engine(index_, workers);
    const SearchOutcome outcome = Search(engine, query);
    ASSERT_TRUE(outcome.Found()) << workers;
    EXPECT_EQ(outcome.entries[0].track, 2);
    EXPECT_NEAR(static_cast<double>(outcome.entries[0].position), 21.3 * kRate, 0.1 * kRate);
    EXPECT_EQ(outcome.tracksScanned, 4);
    EXPECT_EQ(outcome.totals.framesExamined, 4 * (80 - 8));
    EXPECT_FALSE(outcome.confirmed);
  }
}

TEST_F(SearchEngineTest, ASecondHitNearTheFirstIsConfirmed) {
  SearchEngine engine(index_, 2);
  AudioQuery query;
  ASSERT_TRUE(Excerpt(1, 15, query));
  const SearchOutcome first = Search(engine, query);
  ASSERT_TRUE(first.Found());
  ASSERT_TRUE(Excerpt(1, 17, query));
  const SearchOutcome second = Search(engine, query);
  ASSERT_TRUE(second.Found());
  EXPECT_TRUE(second.confirmed);
  EXPECT_EQ(second.hitBefore.track, 1);
  EXPECT_EQ(HistoryLine(second, index_).split('\t')[2], "OK");
  ASSERT_TRUE(Excerpt(3, 30, query));
  EXPECT_FALSE(Search(engine, query).confirmed);
}

TEST_F(SearchEngineTest, PresentationOfAHitAndOfNothing) {
  SearchEngine engine(index_, 2);
  AudioQuery query;
  ASSERT_TRUE(Excerpt(2, 33.5, query));
  const SearchOutcome hit = Search(engine, query);
  ASSERT_TRUE(hit.Found());
  const QStringList fields = HistoryLine(hit, index_).split('\t');
  ASSERT_EQ(fields.size(), 12);  // the title's TAB is escaped
  EXPECT_EQ(fields[0], query.TimeStamp());
  EXPECT_EQ(fields[4], "0:00:33");
  EXPECT_EQ(fields[5], "2");
  EXPECT_EQ(fields[6], "Песня 3\\tдля теста");
  EXPECT_FALSE(fields[9].isEmpty());
  const auto rows = ParameterRows(hit, index_);
  EXPECT_EQ(rows[0], qMakePair(QString("Позиция="), QString("0:00:33")));
  EXPECT_EQ(rows[9], qMakePair(QString("Аудио дорожка="), QString("1 из 2")));
  EXPECT_EQ(rows.last().first, "Время поиска=");
  EXPECT_EQ(ResultRows(hit, index_)[0].mid(2), QStringList({"0:00:33", "1 из 2", "Песня 3\tдля теста"}));
  EXPECT_EQ(ResultRows(hit, index_)[9], QStringList(5));

  const auto stranger = synth::MusicLikeSignal(999, 4 * kRate);
  ASSERT_TRUE(query.Create(stranger.data(), 4 * kRate, QueryAnalysis::Plain));
  const SearchOutcome nothing = Search(engine, query);
  EXPECT_FALSE(nothing.Found());
  const QStringList empty = HistoryLine(nothing, index_).split('\t');
  ASSERT_EQ(empty.size(), 12);
  EXPECT_TRUE(empty[2].isEmpty() && empty[3].isEmpty() && empty[6].isEmpty() && empty[9].isEmpty());
  EXPECT_TRUE(empty[7].contains("% "));
  EXPECT_TRUE(ParameterRows(nothing, index_).isEmpty());
}

// White noise 10 dB under the music: the noise mode finds most of 16 excerpts
// (12 measured; 0 without the noise correction), the fast mode hardly any, and
// a stranger under noise is still not found.
TEST_F(SearchEngineTest, TheNoiseModeHearsThroughWhiteNoise) {
  SearchEngine engine(index_, 2);
  AudioQuery query;
  auto noisy = [](std::vector<int16_t> x, uint32_t seed) { return Noisy(std::move(x), seed); };
  std::map<SearchMode, int> found;
  for (const SearchMode mode : {SearchMode::Fast, SearchMode::Noisy}) {
    params.SetMode(mode);
    for (int32_t track = 0; track < 4; ++track) {
      for (const double end : {9.0, 15.5, 22.0, 33.5}) {
        const std::vector<int16_t>& s = signals_[track];
        const auto first = s.begin() + static_cast<std::ptrdiff_t>((end - 4) * kRate);
        const std::vector<int16_t> excerpt = noisy({first, first + 4 * kRate}, track + 1);
        if (!query.Create(excerpt.data(), 4 * kRate, params.analysis)) continue;
        const SearchOutcome outcome = Search(engine, query);
        found[mode] += outcome.Found() && outcome.entries[0].track == track &&
                       std::abs(outcome.entries[0].position - static_cast<int64_t>(end * kRate)) < kRate / 2;
      }
    }
  }
  EXPECT_GE(found[SearchMode::Noisy], 10);
  EXPECT_LE(found[SearchMode::Fast], 2);
  const std::vector<int16_t> stranger = noisy(synth::MusicLikeSignal(999, 4 * kRate), 9);
  ASSERT_TRUE(query.Create(stranger.data(), 4 * kRate, params.analysis));
  EXPECT_FALSE(Search(engine, query).Found());
}

// The landmarks under white noise as loud as the music: the robust mode finds
// most excerpts (11 of 12 measured), never at a wrong place,
// with one worker or two alike, says what it measured in the counters' places,
// and answers neither a stranger nor without landmarks.
TEST_F(SearchEngineTest, TheRobustModeHearsThroughNoiseAsLoudAsTheMusic) {
  params.SetMode(SearchMode::Robust);
  AudioQuery query;
  std::map<int32_t, std::vector<ResultEntry>> answers;
  for (const int32_t workers : {1, 2}) {
    SearchEngine engine(index_, workers);
    for (int32_t track = 0; track < 4; ++track) {
      for (const double end : {9.0, 22.0, 33.5}) {
        const std::vector<int16_t>& s = signals_[track];
        const auto first = s.begin() + static_cast<std::ptrdiff_t>((end - 4) * kRate);
        const std::vector<int16_t> excerpt = Noisy({first, first + 4 * kRate}, track + 7, 0);
        ASSERT_TRUE(query.Create(excerpt.data(), 4 * kRate, params.analysis));
        const SearchOutcome outcome = Search(engine, query);
        EXPECT_TRUE(outcome.robust);
        EXPECT_EQ(outcome.totals.framesExamined, static_cast<int64_t>(query.LandmarkLookups().size()));
        EXPECT_EQ(outcome.totals.accepted, static_cast<int64_t>(outcome.entries.size()));
        if (!outcome.Found()) continue;
        const ResultEntry& best = outcome.entries[0];
        EXPECT_EQ(best.track, track);
        EXPECT_NEAR(static_cast<double>(best.position), end * kRate, 0.05 * kRate);
        EXPECT_GE(best.score, params.landmarkScore);
        EXPECT_GE(outcome.totals.comparisons, best.insideFrames);
        answers[workers].push_back(best);
      }
    }
  }
  EXPECT_GE(answers[1].size(), 10u);
  ASSERT_EQ(answers[1].size(), answers[2].size());
  for (size_t i = 0; i < answers[1].size(); ++i) {
    EXPECT_EQ(answers[1][i].position, answers[2][i].position);
    EXPECT_EQ(answers[1][i].score, answers[2][i].score);
  }

  SearchEngine engine(index_, 2);
  const std::vector<int16_t> stranger = synth::MusicLikeSignal(999, 4 * kRate);
  ASSERT_TRUE(query.Create(stranger.data(), 4 * kRate, params.analysis));
  EXPECT_FALSE(Search(engine, query).Found());

  SearchIndex without;
  without.infos = index_.infos;
  without.tracks = index_.tracks;
  SearchEngine plain(without, 2);
  ASSERT_TRUE(Excerpt(1, 20, query, 4));
  ASSERT_TRUE(query.Create(signals_[1].data() + 16 * kRate, 4 * kRate, params.analysis));
  EXPECT_FALSE(Search(plain, query).Found());
}

// An answer needs its score and no more; a hash met twice in the query counts
// half each time, so a passage played twice over weighs as much as once.
TEST_F(SearchEngineTest, TheRobustScoreMeetsItsBarAndWeighsRecurringHashesOnce) {
  params.SetMode(SearchMode::Robust);
  SearchEngine engine(index_, 2);
  AudioQuery query;
  const std::vector<int16_t>& s = signals_[2];
  ASSERT_TRUE(query.Create(s.data() + 20 * kRate, 3 * kRate, params.analysis));
  const SearchOutcome once = Search(engine, query);
  ASSERT_TRUE(once.Found());
  const int32_t score = once.entries[0].score;

  params.landmarkScore = score;
  EXPECT_TRUE(Search(engine, query).Found());
  params.landmarkScore = score + 1;
  const SearchOutcome refused = Search(engine, query);
  EXPECT_FALSE(refused.Found());
  EXPECT_GE(refused.totals.offered, 1);
  EXPECT_EQ(refused.totals.accepted, 0);

  params.SetMode(SearchMode::Robust);
  params.landmarkScore = 0;
  std::vector<int16_t> twice(s.begin() + 20 * kRate, s.begin() + 23 * kRate);
  twice.insert(twice.end(), twice.begin(), twice.end());
  ASSERT_TRUE(query.Create(twice.data(), static_cast<int32_t>(twice.size()), params.analysis));
  const SearchOutcome doubled = Search(engine, query);
  ASSERT_TRUE(doubled.Found());
  EXPECT_EQ(doubled.entries[0].track, 2);
  EXPECT_NEAR(doubled.entries[0].score, score / 2.0, score * 0.2);
}

TEST(DisplayTitle, TagsFirstThenThePath) {
  TrackInfo t;
  EXPECT_EQ(DisplayTitle(t), "");
  t.info = "Artist: Кино\r\nTitle: Звезда по имени Солнце\r\nAlbum:\r\nYear: 1989\r\nTrack: 0\r\nGenre:\r\n";
  EXPECT_EQ(DisplayTitle(t), "Кино - Звезда по имени Солнце - 1989 - 0");
  t.info = "Artist: A\r\nTitle:\r\n";
  EXPECT_EQ(DisplayTitle(t), "Artist: A - Title: - ");  // too short: the text itself
  t.info.clear();
  t.source_path = "C:\\Музыка\\Сборник хитов\\01.mp3";
  EXPECT_EQ(DisplayTitle(t), "Сборник хитов");  // the file name has too few letters
  t.source_path = "/home/u/Music/a b/01.mp3";
  EXPECT_EQ(DisplayTitle(t), "Music/a b/01");
}

TEST(AudioQuery, CreateSaveAndHistory) {
  testing::TempDir dir;
  AudioQuery query;
  const auto music = synth::MusicLikeSignal(7, 4 * kRate);
  EXPECT_FALSE(query.Create(music.data(), 24000, QueryAnalysis::Plain));
  ASSERT_TRUE(query.Create(music.data(), 4 * kRate, QueryAnalysis::Plain));
  EXPECT_TRUE(query.TimeStamp().endsWith(' '));
  const QString wav = AudioQuery::FileNameFor(dir.Path("my queries"), "2024-05-01 13:45:10 ", ".wav");
  EXPECT_EQ(wav, dir.Path("my queries/query_2024-05-01_13-45-10_.wav"));
  ASSERT_TRUE(QDir().mkpath(dir.Path("my queries")));
  ASSERT_TRUE(query.SaveWav(wav));
  SampleBuffer saved;
  ASSERT_EQ(ReadSampleFile(wav, saved), SampleFileOutcome::Success);
  EXPECT_EQ(saved.samples, query.Samples());

  QueryHistory history;
  for (int i = 0; i < 51; ++i) history.Add(QString::number(i), {static_cast<int16_t>(i)});
  EXPECT_EQ(history.Filled(), 50);
  EXPECT_EQ(history.Find("0"), -1);
  EXPECT_EQ(history.Find("50"), 0);  // the 51st overwrote slot 0
  EXPECT_EQ(history.Samples(history.Find("7")), std::vector<int16_t>{7});
}

}  // namespace
}  // namespace melo
