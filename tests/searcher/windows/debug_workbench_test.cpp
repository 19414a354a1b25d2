#include "base/text_format.h"
#include "gui/file_chooser.h"
#include "landmarks/landmark_extractor.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/capture/capture_ring.h"
#include "searcher/capture/qt_audio_platform.h"
#include "searcher/windows/capture_comparison_window.h"
#include "searcher/windows/debug_window.h"
#include "searcher/windows/debug_workbench.h"
#include "searcher/windows/full_search_window.h"
#include "searcher/windows/graph_window.h"
#include "searcher/windows/index_census_window.h"
#include "searcher/windows/level_window.h"
#include "searcher/windows/main_window.h"
#include "searcher/windows/multiplication_window.h"
#include "searcher/windows/neighbour_window.h"
#include "searcher/windows/player_window.h"
#include "searcher/windows/records_window.h"
#include "searcher/windows/spectrum_study_window.h"
#include "searcher/windows/test_environment_window.h"
#include "searcher/windows/variables_window.h"
#include "tests/searcher/windows/melodar_window_test.h"
#include "tests/support/event_loop.h"
#include "tests/support/program_run.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace melo::melodar {
namespace {

using Item = MainMenu::DebugItem;
using testing::RecordingDialogs;
using testing::RunsOk;
using testing::Sqlite3;
using testing::SpinUntil;
using testing::TempDir;

constexpr int64_t kSecond = 48000;
constexpr int kCutStart = 10;  // seconds into the played track
constexpr int kCutSeconds = 6;

// The two tracks of the library once without landmarks (as indexed before there
// were any) and once with them; a query cut from the played track at 10 s is
// searched as a user opens one.
class DebugWorkbenchTest : public MelodarWindowTest {
 protected:
  static void SetUpTestSuite() {
    MelodarWindowTest::SetUpTestSuite();
    ASSERT_TRUE(QFile::copy(Library(), Plain()));
    Sqlite3(Plain(), "DROP TABLE IF EXISTS Landmarks;");
    ASSERT_TRUE(QFile::copy(Library(), WithLandmarks()));
    // The indexer stored the landmarks of both tracks.
    ASSERT_EQ(Sqlite3(WithLandmarks(), "SELECT count(*) FROM Landmarks;"), "2");
    ASSERT_TRUE(RunsOk("sox", {"-D", Playing(), "-c", "1", Cut(), "trim", QString::number(kCutStart),
                               QString::number(kCutSeconds)}));
  }
  static QString Plain() { return dir_->Path("plain.db"); }
  static QString WithLandmarks() { return dir_->Path("landmarks.db"); }
  static QString Cut() { return dir_->Path("cut.wav"); }

  // The window in debug mode, its database loaded.
  TForm1& Open(const QString& database) {
    TForm1& window = MelodarWindowTest::Open(database, true);
    session_->AddSearchListener([this](const SearchReport&) { ++reports_; });
    EXPECT_TRUE(SpinUntil([&] { return session_->IndexLoaded(); }));
    return window;
  }
  DebugWorkbench& Bench() const { return *window_->Workbench(); }
  void SetMode(SearchMode mode) { MainMenu::Item(window_->Menu().mode, static_cast<int>(mode))->trigger(); }
  // Searches a file as "Открыть сохранённый аудио запрос" does; true once handed over.
  bool SearchFile(const QString& path) {
    const int before = reports_;
    chooser_.answers = {path};
    window_->Menu().openQuery->trigger();
    return SpinUntil([&] { return reports_ > before; });
  }
  bool Finished(const BackgroundJob& job) { return SpinUntil([&] { return !job.Busy(); }, 120000); }
  int32_t TrackNamed(const QString& name) const {
    const SearchIndex& index = session_->Index();
    for (int32_t t = 0; t < index.TrackCount(); ++t) {
      if (index.infos[static_cast<size_t>(t)].source_file_name == name) return t;
    }
    return -1;
  }
  int32_t Sweep() const { return TrackNamed("sweeping_glide_track"); }
  static QString Cell(const TextTableModel* model, const QString& name) {
    for (int r = 0; r < model->rowCount(); ++r) {
      if (model->Cell(r, 0) == name) return model->Cell(r, 1);
    }
    return "missing: " + name;
  }

  int reports_ = 0;
};


TEST_F(DebugWorkbenchTest, EachOfTheSeventeenItemsOpensItsWindowWithoutBlockingAndClosingOnlyHidesIt) {
  TForm1& window = Open(WithLandmarks());
  struct Row {
    QString text;
    QString title;
  };
  const QList<Row> rows = {{"График", "График"},
                           {"Полный поиск", "Полный поиск"},
                           {"Тест умножение", "Тест умножение"},
                           {"Профилирование", "Профилирование"},
                           {"Просмотр записей", "Просмотр записей"},
                           {"Сравнение контрольных точек", "Отладка"},
                           {"Разница в соседних спектрах", "Разница в соседних спектрах"},
                           {"Сравнение спектров исходника и захваченного аудио",
                            "Сравнение спектров исходника и захваченного аудио"},
                           {"Лог", "Log"},
                           {"Изучение спектров", "Изучение спектров"},
                           {"Кол-во данных", "Кол-во данных и размер записи"},
                           {"Размер записи", "Кол-во данных и размер записи"},
                           {"Аудио плеер", "Аудио плеер"},
                           {"Тестовое окружение", "Тестовое окружение"},
                           {"Значения переменных", "Значения переменных"},
                           {"Зависимость спектра от уровня сигнала", "Зависимость спектра от уровня сигнала"},
                           {"Параметры поиска", "Параметры поиска"}};
  ASSERT_EQ(window.Menu().debug->actions().size(), rows.size());
  EXPECT_TRUE(window.Menu().debug->menuAction()->isVisible());
  for (int i = 0; i < rows.size(); ++i) {
    QAction* item = window.Menu().debug->actions()[i];
    EXPECT_EQ(item->text(), rows[i].text);
    item->trigger();
    QWidget* shown = Bench().WindowOf(static_cast<Item>(i));
    ASSERT_NE(shown, nullptr) << rows[i].text.toStdString();
    EXPECT_TRUE(shown->isVisible()) << rows[i].text.toStdString();
    EXPECT_FALSE(shown->isModal()) << rows[i].text.toStdString();
    EXPECT_EQ(shown->windowTitle(), rows[i].title);
    shown->close();
    EXPECT_FALSE(shown->isVisible());
    item->trigger();  // the same window again, not a new one
    EXPECT_EQ(Bench().WindowOf(static_cast<Item>(i)), shown);
    EXPECT_TRUE(shown->isVisible());
    shown->close();
  }
  EXPECT_EQ(window.Menu().Debug(Item::TestEnvironment)->shortcut(), QKeySequence("Ctrl+F12"));
  window.Menu().Debug(Item::RecordSize)->trigger();
  EXPECT_EQ(Bench().Census()->Tabs()->currentIndex(), IndexCensusWindow::kSizes);
  window.Menu().Debug(Item::DataCounts)->trigger();
  EXPECT_EQ(Bench().Census()->Tabs()->currentIndex(), IndexCensusWindow::kCounts);
}

// The graph draws the query that was searched, and says what its level means.
TEST_F(DebugWorkbenchTest, TheGraphMeasuresTheLastQueryAndSaysWhetherItCanBeSearched) {
  Open(WithLandmarks());
  const QString quiet = files_.Path("quiet.wav");
  ASSERT_TRUE(RunsOk("sox", {"-D", Cut(), quiet, "gain", "-40"}));
  struct Row {
    QString file;
    QString verdict;
  };
  for (const Row& row : {Row{Cut(), "Уровень сигнала годится для поиска."},
                         Row{quiet, "Сигнал слишком слабый (пик ниже 500): поиск не начнётся."}}) {
    ASSERT_TRUE(SearchFile(row.file)) << row.file.toStdString();
    window_->Menu().Debug(Item::Graph)->trigger();
    const std::vector<int16_t>& samples = session_->Query().Samples();
    int32_t peak = 0;
    for (const int16_t x : samples) peak = std::max(peak, std::abs(int32_t{x}));
    const SignalGraph& graph = Bench().Graph()->Graph();
    EXPECT_EQ(graph.peak, peak);
    EXPECT_EQ(graph.highest.size(), qsizetype((samples.size() + 479) / 480));
    EXPECT_EQ(graph.keypoints.size(), qsizetype(session_->Query().Keypoints().size()));
    EXPECT_TRUE(Bench().Graph()->SummaryText().endsWith(row.verdict)) << Bench().Graph()->SummaryText().toStdString();
  }
}

// Searched without the program's shortcuts, the query gives the same answer in
// the described mode, and in the robust mode the played track heads the ranking
// of every track.
TEST_F(DebugWorkbenchTest, TheFullSearchFindsWhatTheProgramFindsAndRanksEveryTrackByItsLandmarks) {
  Open(WithLandmarks());
  for (const SearchMode mode : {SearchMode::Fast, SearchMode::Robust}) {
    SetMode(mode);
    ASSERT_TRUE(SearchFile(Cut()));
    FullSearchWindow* full = Bench().FullSearch();
    ASSERT_TRUE(full->Run());
    ASSERT_TRUE(Finished(full->Job()));
    const FullSearchRun& run = full->LastRun();
    ASSERT_FALSE(run.program.entries.empty()) << full->SummaryText().toStdString();
    EXPECT_EQ(run.program.entries.front().track, Sweep());
    EXPECT_EQ(full->ProgramResults()->Cell(0, 2), "sweeping_glide_track");
    if (mode == SearchMode::Robust) {
      ASSERT_FALSE(run.ranking.empty());
      EXPECT_EQ(run.ranking.front().track, Sweep());
      EXPECT_EQ(run.ranking.front().score, run.program.entries.front().score);
      EXPECT_EQ(full->FullResults()->Cell(0, 7), "да");
    } else {
      EXPECT_TRUE(run.Agree());
      EXPECT_EQ(run.everyFrame.entries.front().position, run.program.entries.front().position);
      EXPECT_EQ(run.everyFrame.counters.coarseMatches, run.program.counters.coarseMatches);
      EXPECT_GT(run.program.counters.coarseMatches, 0);
    }
  }
}

TEST_F(DebugWorkbenchTest, TheMultiplicationTestsLoopsFindAsManyCoarseMatchesAsThePlainLoop) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  MultiplicationWindow* test = Bench().Multiplication();
  test->RepeatsField()->setValue(2);
  ASSERT_TRUE(test->Run());
  ASSERT_TRUE(Finished(test->Job()));
  const CoarseLoopTiming& t = test->Timing();
  ASSERT_EQ(t.ways.size(), 3u);
  EXPECT_GT(t.ways[0].matches, 0);
  for (const auto& way : t.ways) {
    EXPECT_EQ(way.matches, t.ways[0].matches) << way.name.toStdString();
    EXPECT_EQ(way.comparisons, t.ways[0].comparisons) << way.name.toStdString();
  }
  // Per repeat in the table: every key point against every frame with a peak
  // that a full scan looks at (all but the last 2Q frames of a track).
  int64_t frames = 0;
  for (const TrackIndex& track : session_->Index().tracks) {
    for (int32_t j = 0; j < track.count - 2 * kCutSeconds; ++j) {
      frames += track.records[12 * size_t(j) + 2] != 0 || track.records[12 * size_t(j) + 3] != 0;
    }
  }
  EXPECT_EQ(test->Table()->Cell(0, 1), FormatThousands(int64_t(session_->Query().Keypoints().size()) * frames));
  EXPECT_EQ(t.repeats, 2);
}

TEST_F(DebugWorkbenchTest, TheRecordsAreTheTracksAndItsLandmarksThoseTheFileStores) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  window_->Menu().Debug(Item::Records)->trigger();
  RecordsWindow* records = Bench().Records();
  const int32_t track = Sweep();
  EXPECT_EQ(records->TrackField()->value(), track);
  EXPECT_EQ(records->Records()->rowCount(), session_->Index().tracks[track].count);
  const QString id = QString::number(session_->Index().infos[static_cast<size_t>(track)].id);
  EXPECT_EQ(QString::number(records->Landmarks()->rowCount()),
            Sqlite3(WithLandmarks(), "SELECT count FROM Landmarks WHERE id = " + id));
  EXPECT_EQ(records->Shown().withoutPeak + records->Shown().zeroBands, 0);
}

// At the hit, most of the track's landmarks under the query are met; a second
// later hardly any.
TEST_F(DebugWorkbenchTest, TheKeypointComparisonMeetsTheStoredLandmarksAtTheHitOnly) {
  Open(WithLandmarks());
  window_->Menu().Debug(Item::KeypointComparison)->trigger();
  ASSERT_TRUE(SearchFile(Cut()));
  DebugWindow* debug = Bench().Debug();
  ASSERT_EQ(debug->Track(), Sweep());
  const LandmarkAlignment atHit = debug->Alignment();
  ASSERT_GT(atHit.storedInSpan, 50);
  EXPECT_GT(atHit.storedMet, atHit.storedInSpan * 8 / 10);
  EXPECT_EQ(debug->LandmarkTable()->Cell(0, 6).left(2), "да");
  debug->Step(kSecond);
  EXPECT_LT(debug->Alignment().storedMet, debug->Alignment().storedInSpan / 5);
}

TEST_F(DebugWorkbenchTest, NeighbourSpectraDriftAwayWithTheShiftWhileAWholeFrameKeepsTheLandmarks) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  window_->Menu().Debug(Item::NeighbourSpectra)->trigger();
  const NeighbourSpectra& n = Bench().Neighbours()->Measured();
  ASSERT_EQ(n.keypoints.size(), session_->Query().Keypoints().size());
  const QList<QPointF> sums = n.MeanSums();
  ASSERT_EQ(sums.size(), qsizetype(NeighbourSpectra::kShifts.size()));
  EXPECT_LT(sums.front().y(), sums.back().y());
  EXPECT_LT(sums.front().y(), n.sumTolerance);  // one sample changes little
  // Shifted by a whole frame the spectra are the same ones, a frame later.
  const QList<QPointF> kept = n.LandmarksKept();
  EXPECT_GT(kept[4].y(), 90);  // 768 samples
  EXPECT_GT(kept[4].y(), kept[3].y());
  EXPECT_EQ(Bench().Neighbours()->Table()->rowCount(), qsizetype(n.keypoints.size()));
}

// The query cut from the played file lies over the track at the hit: every band
// within the tolerance, the source's own spectrum the same, the stored landmarks
// met. Moved by a second and a half, none of that holds.
TEST_F(DebugWorkbenchTest, TheCaptureAgreesWithItsSourceAtTheHitAndNotASecondAndAHalfAway) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  window_->Menu().Debug(Item::SourceAndCapture)->trigger();
  CaptureComparisonWindow* capture = Bench().CaptureComparison();
  ASSERT_TRUE(Finished(capture->Job()));
  EXPECT_EQ(capture->TrackField()->value(), Sweep());
  EXPECT_NEAR(capture->StartField()->value(), kCutStart, 0.05);
  struct Row {
    double shift;
    bool aligned;
  };
  for (const Row& row : {Row{0, true}, Row{1.5, false}}) {
    capture->TakeLastHit();
    capture->StartField()->setValue(capture->StartField()->value() + row.shift);
    ASSERT_TRUE(capture->Compare());
    ASSERT_TRUE(Finished(capture->Job()));
    const CaptureComparison& c = capture->Result();
    ASSERT_GT(c.framesCompared, 5);
    ASSERT_TRUE(c.sourceRead) << c.sourceProblem.toStdString();
    ASSERT_GT(c.alignment.storedInSpan, 50);
    if (row.aligned) {
      EXPECT_EQ(c.framesWithin, c.framesCompared);
      EXPECT_NEAR(c.gainDb, 0, 0.5);
      for (const QPointF& p : c.spectrumDifference) EXPECT_NEAR(p.y(), 0, 1.5) << p.x();
      EXPECT_GT(c.alignment.storedMet, c.alignment.storedInSpan * 8 / 10);
      EXPECT_GE(c.score, session_->Parameters().landmarkScore);
    } else {
      EXPECT_LT(c.framesWithin, c.framesCompared / 2);
      EXPECT_LT(c.alignment.storedMet, c.alignment.storedInSpan / 5);
    }
  }
}

// The peaks drawn are the query's own, each at its place in the picture.
TEST_F(DebugWorkbenchTest, TheSpectrogramDrawsTheQuerysPeaksAndKeyPointsWhereTheyAre) {
  Open(WithLandmarks());
  SetMode(SearchMode::Robust);
  ASSERT_TRUE(SearchFile(Cut()));
  window_->Menu().Debug(Item::SpectrumStudy)->trigger();
  SpectrumStudyWindow* study = Bench().SpectrumStudy();
  ASSERT_TRUE(Finished(study->Job()));
  const Spectrogram& s = study->Shown();
  ASSERT_FALSE(s.Set().peaks.empty());
  EXPECT_EQ(s.Set().peaks, session_->Query().Landmarks().peaks);
  EXPECT_EQ(s.Set().landmarks, session_->Query().Landmarks().landmarks);
  const QImage& picture = study->Picture();
  // Without the marks, each peak's pixel is the brightest of its column around
  // it: the marks sit on the spectrum's own peaks.
  const QImage plain = s.Picture(study->PixelsPerFrame(), false, false, false);
  for (const landmarks::SpectralPeak& p : s.Set().peaks) {
    const QPoint at = s.PixelOf(study->PixelsPerFrame(), p.frame, p.bin);
    EXPECT_EQ(picture.pixel(at), Spectrogram::kPeakColour);
    // (Bins beyond the peaks' range may be louder.)
    if (p.bin < landmarks::kLowestBin + 2 || p.bin > landmarks::kHighestBin - 2) continue;
    for (const int dy : {-1, 1}) EXPECT_GE(qGray(plain.pixel(at)), qGray(plain.pixel(at.x(), at.y() + dy))) << p.bin;
  }
  ASSERT_EQ(s.Keypoints().size(), session_->Query().Keypoints().size());
  for (const int32_t position : s.Keypoints()) {
    const double frame = (position - 6144.0) / 768;
    const int x = s.PixelOf(study->PixelsPerFrame(), frame, 0).x();
    EXPECT_EQ(picture.pixel(x, Spectrogram::kTopMargin), Spectrogram::kKeypointColour) << position;
  }

  study->SourceField()->setCurrentIndex(SpectrumStudyWindow::kCaptureRing);
  study->SecondsField()->setValue(5);
  ASSERT_TRUE(SpinUntil([&] { return session_->Sound().Ring()->Filled() >= 5 * kSecond; }));
  ASSERT_TRUE(study->Study());
  ASSERT_TRUE(Finished(study->Job()));
  EXPECT_EQ(study->Shown().Frames(), landmarks::LandmarkExtractor::FrameCount(5 * kSecond));
}

TEST_F(DebugWorkbenchTest, TheCountsAndSizesAreThoseOfTheLoadedIndex) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  window_->Menu().Debug(Item::DataCounts)->trigger();
  IndexCensusWindow* census = Bench().Census();
  ASSERT_TRUE(Finished(census->Job()));
  const SearchIndex& index = session_->Index();
  EXPECT_EQ(Cell(census->Counts(), "Загруженных треков"), "2");
  EXPECT_EQ(census->Census().records, index.totalRecords);
  EXPECT_EQ(Cell(census->Counts(), "Ориентиров"),
            FormatThousands(Sqlite3(WithLandmarks(), "SELECT sum(count) FROM Landmarks").toLongLong()));
  ASSERT_EQ(census->Tracks()->rowCount(), 2);
  for (int r = 0; r < 2; ++r) {
    const int32_t track = census->Tracks()->Cell(r, 0).toInt();
    EXPECT_EQ(census->Tracks()->Cell(r, 2).toInt(), index.tracks[track].count);
    const QString id = QString::number(index.infos[static_cast<size_t>(track)].id);
    EXPECT_EQ(census->Tracks()->Cell(r, 5), Sqlite3(WithLandmarks(), "SELECT count FROM Landmarks WHERE id = " + id));
  }
  EXPECT_EQ(census->Sizes()->Cell(0, 3), FormatThousands(12 * index.totalRecords));
  EXPECT_EQ(census->Sizes()->Cell(5, 1), FormatThousands(kCutSeconds * kSecond));  // the query's samples
  EXPECT_TRUE(census->RecordText().contains(QStringLiteral("трека %1").arg(Sweep())));
}

// What plays into the ring is what the searches hear: the player's track, sample
// for sample, found while the helper's is not heard, then through the telephone
// band once that is chosen; the helper records again after it.
TEST_F(DebugWorkbenchTest, ThePlayerFeedsTheRingAndTheSearchNamesWhatItPlays) {
  TForm1& window = Open(WithLandmarks());
  SetMode(SearchMode::Robust);  // the player's file is decoded otherwise than the indexer decoded it
  ASSERT_TRUE(SpinUntil([&] { return session_->Sound().Ring()->Total() > 0; }));
  window.Menu().Debug(Item::AudioPlayer)->trigger();
  PlayerWindow* player = Bench().Player();
  ASSERT_TRUE(player->Load(Drone()));
  ASSERT_TRUE(Finished(player->Job()));
  EXPECT_EQ(player->Player().Duration(), 40 * kSecond);
  ASSERT_TRUE(player->Player().Play());
  const uint64_t start = session_->Sound().Ring()->Total();
  ASSERT_TRUE(SpinUntil([&] { return player->Player().Position() >= 6 * kSecond; }));
  // Nothing but the player has written since it began.
  EXPECT_EQ(session_->Sound().Ring()->Total() - start, uint64_t(player->Player().Position()));
  const int before = reports_;
  ASSERT_EQ(session_->Search(), LiveSearch::Outcome::Started);
  ASSERT_TRUE(SpinUntil([&] { return reports_ > before; }));
  EXPECT_EQ(Bench().Last().Track(), TrackNamed("rumbling_drone_track"));
  EXPECT_TRUE(player->TimeText().endsWith(" / 0:00:40")) << player->TimeText().toStdString();

  CaptureRing& ring = *session_->Sound().Ring();
  const auto heardLast = [&](int64_t count) {
    player->Player().Pause();
    std::vector<int16_t> heard(static_cast<size_t>(count));
    EXPECT_EQ(ring.Read(ring.Total() - count, uint32_t(count), heard.data()), CaptureRing::kReadOk);
    return heard;
  };
  const std::vector<int16_t>& file = *player->Player().Original();
  std::vector<int16_t> heard = heardLast(kSecond);
  int64_t at = player->Player().Position();
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), file.begin() + at - kSecond));
  player->DegradationField()->setCurrentIndex(3);  // "Полоса 300–3400 Гц"
  ASSERT_TRUE(Finished(player->Job()));
  ASSERT_TRUE(player->Player().Play());
  ASSERT_TRUE(SpinUntil([&] { return player->Player().Position() >= at + kSecond; }));
  heard = heardLast(kSecond / 2);
  at = player->Player().Position();
  const std::vector<int16_t> telephone = RingPlayer::Degraded(file, {Degradation::Kind::Telephone});
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), telephone.begin() + at - kSecond / 2));
  EXPECT_FALSE(std::equal(heard.begin(), heard.end(), file.begin() + at - kSecond / 2));

  player->Player().Stop();
  const uint64_t stopped = session_->Sound().Ring()->Total();
  EXPECT_TRUE(SpinUntil([&] { return session_->Sound().Ring()->Total() > stopped + kSecond; }, 10000));
}

// Excerpts of an indexed file are found at their places and those of a file the
// database does not hold never answered; the table counts what each excerpt
// got. The robust mode finds every excerpt; the described modes cannot find one
// from a track's last seconds, where their scan begins no alignment.
TEST_F(DebugWorkbenchTest, TheTestEnvironmentCountsEveryExcerptRightAndAStrangerUnanswered) {
  Open(WithLandmarks());
  const QString folder = files_.Path("test");
  QDir().mkpath(folder);
  ASSERT_TRUE(QFile::link(Playing(), folder + "/indexed.wav"));
  ASSERT_TRUE(RunsOk("sox", {"-n", "-r", "48000", "-c", "1", folder + "/stranger.flac", "synth", "20", "square", "97",
                             "tremolo", "2", "60", "gain", "-6"}));
  TestEnvironmentWindow* test = Bench().TestEnvironment();
  test->FolderField()->setText(folder);
  test->ExcerptsField()->setValue(3);
  for (int m = 0; m < test->ModeBoxes().size(); ++m) {
    test->ModeBoxes()[m]->setChecked(m == int(SearchMode::Fast) || m == int(SearchMode::Robust));
  }
  ASSERT_TRUE(test->Start());
  ASSERT_TRUE(Finished(test->Job()));
  EXPECT_EQ(test->Report().heldFiles, 1);
  ASSERT_EQ(test->Excerpts()->rowCount(), 12);
  ASSERT_EQ(test->Summary()->rowCount(), 2);
  for (const QStringList& row : test->Summary()->Rows()) {
    // "Условие", "Режим", "Отрывков", "Верно", "Неверно", "Не найдено", "Полнота, %", "Ложных ответов"
    int right = 0, missed = 0, falseAnswers = 0;
    for (const QStringList& excerpt : test->Excerpts()->Rows()) {
      if (excerpt[3] != row[1]) continue;
      right += excerpt[9] == "верно";
      missed += excerpt[9] == "не найден";
      falseAnswers += excerpt[9] == "ложный ответ";
      // A right answer is the played track, within a second of the excerpt's end.
      if (excerpt[9] == "верно") {
        EXPECT_TRUE(excerpt[5].endsWith("sweeping_glide_track"));
        const QStringList place = excerpt[6].split(':');
        const double end = place[0].toInt() * 3600 + place[1].toInt() * 60 + place[2].toDouble();
        EXPECT_NEAR(end, excerpt[1].toDouble() + 4, 1.0);
      }
    }
    EXPECT_EQ(row.mid(2, 6),
              QStringList({"6", QString::number(right), "0", QString::number(missed),
                           QString::number(100.0 * right / 3, 'f', 1), "0 из 3"}))
        << row.join('|').toStdString();
    EXPECT_EQ(falseAnswers, 0);
    if (row[1] == ModeName(SearchMode::Robust)) {
      EXPECT_EQ(right, 3);
    }
  }
  chooser_.answers = {files_.Path("recall.txt")};
  ASSERT_TRUE(test->Save());
  const QStringList lines = QString::fromUtf8(TempDir::Read(files_.Path("recall.txt"))).split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(lines.size(), 1 + 2 + 1 + 12);
}

TEST_F(DebugWorkbenchTest, TheVariablesAreTheSessionsNow) {
  TForm1& window = Open(WithLandmarks());
  SetMode(SearchMode::Thorough);
  ASSERT_TRUE(SearchFile(Cut()));
  window.Menu().Debug(Item::Variables)->trigger();
  TextTableModel* table = Bench().Variables()->Table();
  EXPECT_EQ(Cell(table, "Режим поиска"), "Тщательный");
  EXPECT_EQ(Cell(table, "Допуск полосы Tb"), "10");
  EXPECT_EQ(Cell(table, "Отсчётов запроса"), QString::number(kCutSeconds * kSecond));
  EXPECT_TRUE(Cell(table, "Последнее попадание").startsWith(QStringLiteral("трек %1,").arg(Sweep())));
  session_->Parameters().sumTolerance = 33;  // as the parameters window would
  ASSERT_TRUE(SpinUntil([&] { return Cell(table, "Допуск суммы Ts") == "33"; }, 5000));
}

// The band bytes hold still over the levels the spectra are normalised at, and
// change where the sound clips; too quiet a sound is not searched.
TEST_F(DebugWorkbenchTest, TheLevelSweepShowsTheBytesHoldStillUntilTheSoundClips) {
  Open(WithLandmarks());
  ASSERT_TRUE(SearchFile(Cut()));
  LevelWindow* level = Bench().Level();
  ASSERT_TRUE(level->Measure());
  ASSERT_TRUE(Finished(level->Job()));
  const LevelSweep& sweep = level->Sweep();
  ASSERT_EQ(sweep.steps.size(), 24u);
  const auto at = [&](double gain) {
    return *std::find_if(sweep.steps.begin(), sweep.steps.end(), [gain](const auto& s) { return s.gainDb == gain; });
  };
  EXPECT_EQ(at(0).largestChange, 0);
  EXPECT_EQ(at(0).clipped, 0);
  EXPECT_EQ(at(0).answer.left(6), "найден");
  for (double gain = -20; gain < 0; gain += 2) {
    EXPECT_LE(at(gain).largestChange, sweep.bandTolerance) << gain;
    EXPECT_EQ(at(gain).answer.left(6), "найден") << gain;
  }
  EXPECT_GT(at(6).clipped, 0);
  EXPECT_GT(at(6).largestChange, at(0).largestChange);
  EXPECT_LT(at(-40).peak, 500);
  EXPECT_EQ(at(-40).answer, "слабый сигнал");
}

// A database indexed before landmarks existed: every window that shows them
// says there are none, and nothing breaks.
TEST_F(DebugWorkbenchTest, WithoutLandmarksEveryWindowSaysSoAndNoneBreaks) {
  TForm1& window = Open(Plain());
  // Open while the search is made, as they follow it.
  for (const Item item : {Item::Records, Item::KeypointComparison, Item::SourceAndCapture, Item::DataCounts,
                          Item::SpectrumStudy, Item::NeighbourSpectra}) {
    window.Menu().Debug(item)->trigger();
  }
  ASSERT_TRUE(SearchFile(Cut()));
  ASSERT_TRUE(Finished(Bench().CaptureComparison()->Job()));
  ASSERT_TRUE(Finished(Bench().Census()->Job()));
  ASSERT_TRUE(Finished(Bench().SpectrumStudy()->Job()));
  const QString none = "В базе данных нет ориентиров этого трека.";
  EXPECT_EQ(Bench().Records()->LandmarkStateText(), none);
  EXPECT_EQ(Bench().Records()->Landmarks()->rowCount(), 0);
  EXPECT_EQ(Bench().Debug()->LandmarkSummaryText(), none);
  EXPECT_TRUE(Bench().CaptureComparison()->SummaryText().contains(none));
  EXPECT_EQ(Bench().CaptureComparison()->Result().score, -1);
  EXPECT_EQ(Cell(Bench().Census()->Counts(), "Ориентиров"), "нет таблицы Landmarks");
  EXPECT_GT(Bench().SpectrumStudy()->Shown().Set().landmarks.size(), 0u);  // the query's own
  SetMode(SearchMode::Robust);
  ASSERT_TRUE(Bench().FullSearch()->Run());
  ASSERT_TRUE(Finished(Bench().FullSearch()->Job()));
  EXPECT_TRUE(Bench().FullSearch()->SummaryText().startsWith("В базе данных нет ориентиров"));
}

}  // namespace
}  // namespace melo::melodar
