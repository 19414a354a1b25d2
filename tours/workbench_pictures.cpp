#include "tours/workbench_pictures.h"

#include "base/event_wait.h"
#include "searcher/app/searcher_session.h"
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

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdio>

namespace melo {

namespace {

using Item = melodar::MainMenu::DebugItem;

void Say(const QString& text) { std::fprintf(stderr, "melodar-tour: %s\n", qPrintable(text)); }

void Save(QWidget* window, const QString& dir, const QString& name) {
  TurnEvents(400);
  window->grab().save(dir + QLatin1Char('/') + name);
  Say(QStringLiteral("saved ") + name);
}

bool Done(const BackgroundJob& job, const QString& what) {
  const bool done = TurnEventsUntil([&] { return !job.Busy(); }, 600000);
  if (!done) Say(what + QStringLiteral(" did not end"));
  return done;
}

// A one-shot search of what is heard now, handed over.
bool SearchNow(melodar::TForm1& window, int& reports) {
  const int before = reports;
  window.Menu().search->trigger();
  return TurnEventsUntil([&] { return reports > before; }, 60000);
}

}  // namespace

bool PictureWorkbench(melodar::TForm1& window, SearcherSession& session, const WorkbenchFiles& files,
                      const QString& out) {
  const melodar::MainMenu& menu = window.Menu();
  melodar::DebugWorkbench& bench = *window.Workbench();
  const auto open = [&](Item item) { menu.Debug(item)->trigger(); };
  int reports = 0;
  session.AddSearchListener([&](const SearchReport&) { ++reports; });
  melodar::MainMenu::Item(menu.mode, static_cast<int>(SearchMode::Fast))->trigger();
  bool ok = true;

  // The player feeds an indexed track into the ring; what the searches hear from
  // now on is known.
  open(Item::AudioPlayer);
  melodar::PlayerWindow* player = bench.Player();
  player->Load(files.playerPiece);
  ok = Done(player->Job(), QStringLiteral("decoding for the player")) && ok;
  player->Player().Play();
  TurnEvents(7000);
  ok = SearchNow(window, reports) && ok;

  open(Item::Graph);
  Save(bench.Graph(), out, QStringLiteral("melodar-graph.png"));
  bench.Graph()->close();

  open(Item::FullSearch);
  bench.FullSearch()->Run();
  ok = Done(bench.FullSearch()->Job(), QStringLiteral("the full search")) && ok;
  Save(bench.FullSearch(), out, QStringLiteral("melodar-full-search.png"));

  open(Item::MultiplicationTest);
  bench.Multiplication()->RepeatsField()->setValue(3);
  bench.Multiplication()->Run();
  ok = Done(bench.Multiplication()->Job(), QStringLiteral("the multiplication test")) && ok;
  Save(bench.Multiplication(), out, QStringLiteral("melodar-multiplication-test.png"));
  bench.Multiplication()->close();

  open(Item::Records);
  Save(bench.Records(), out, QStringLiteral("melodar-records.png"));
  bench.Records()->close();

  open(Item::NeighbourSpectra);
  Save(bench.Neighbours(), out, QStringLiteral("melodar-neighbour-spectra.png"));
  bench.Neighbours()->close();

  open(Item::DataCounts);
  ok = Done(bench.Census()->Job(), QStringLiteral("the census")) && ok;
  Save(bench.Census(), out, QStringLiteral("melodar-data-counts.png"));
  open(Item::RecordSize);
  ok = Done(bench.Census()->Job(), QStringLiteral("the census")) && ok;
  Save(bench.Census(), out, QStringLiteral("melodar-record-size.png"));
  bench.Census()->close();

  open(Item::LevelDependence);
  bench.Level()->Measure();
  ok = Done(bench.Level()->Job(), QStringLiteral("the level sweep")) && ok;
  Save(bench.Level(), out, QStringLiteral("melodar-level-dependence.png"));
  bench.Level()->close();

  // The same music through noise as loud as a room's, searched in the robust
  // mode: how the capture differs from the track, and what the landmarks still meet.
  player->DegradationField()->setCurrentIndex(1);
  TurnEvents(6000);
  Save(player, out, QStringLiteral("melodar-player.png"));
  melodar::MainMenu::Item(menu.mode, static_cast<int>(SearchMode::Robust))->trigger();
  open(Item::SourceAndCapture);
  melodar::CaptureComparisonWindow* capture = bench.CaptureComparison();
  ok = Done(capture->Job(), QStringLiteral("the comparison")) && ok;
  ok = SearchNow(window, reports) && ok;
  ok = Done(capture->Job(), QStringLiteral("the comparison")) && ok;
  Save(capture, out, QStringLiteral("melodar-source-and-capture-bands.png"));
  capture->Tabs()->setCurrentIndex(1);
  Save(capture, out, QStringLiteral("melodar-source-and-capture-spectra.png"));
  capture->Tabs()->setCurrentIndex(2);
  Save(capture, out, QStringLiteral("melodar-source-and-capture-landmarks.png"));
  capture->close();
  bench.FullSearch()->Run();
  ok = Done(bench.FullSearch()->Job(), QStringLiteral("the full search")) && ok;
  Save(bench.FullSearch(), out, QStringLiteral("melodar-full-search-robust.png"));
  bench.FullSearch()->close();

  // The debug window has followed every search since the tour opened it.
  melodar::DebugWindow* debug = bench.Debug();
  debug->findChild<QTabWidget*>()->setCurrentIndex(3);
  Save(debug, out, QStringLiteral("melodar-keypoint-comparison-landmarks.png"));
  debug->close();

  open(Item::SpectrumStudy);
  ok = Done(bench.SpectrumStudy()->Job(), QStringLiteral("the spectra")) && ok;
  Save(bench.SpectrumStudy(), out, QStringLiteral("melodar-spectrum-study.png"));
  bench.SpectrumStudy()->SourceField()->setCurrentIndex(melodar::SpectrumStudyWindow::kCaptureRing);
  bench.SpectrumStudy()->SecondsField()->setValue(30);
  bench.SpectrumStudy()->Study();
  ok = Done(bench.SpectrumStudy()->Job(), QStringLiteral("the ring's spectra")) && ok;
  Save(bench.SpectrumStudy(), out, QStringLiteral("melodar-spectrum-study-ring.png"));
  bench.SpectrumStudy()->close();

  open(Item::Variables);
  Save(bench.Variables(), out, QStringLiteral("melodar-variables.png"));
  bench.Variables()->close();
  player->Player().Stop();
  player->close();

  open(Item::TestEnvironment);
  melodar::TestEnvironmentWindow* test = bench.TestEnvironment();
  test->FolderField()->setText(files.testFolder);
  test->ExcerptsField()->setValue(4);
  test->DegradationBoxes()[1]->setChecked(true);  // noise as loud as a room's beside the clean excerpts
  for (int m = 0; m < test->ModeBoxes().size(); ++m) {
    test->ModeBoxes()[m]->setChecked(m == static_cast<int>(SearchMode::Fast) ||
                                     m == static_cast<int>(SearchMode::Noisy) ||
                                     m == static_cast<int>(SearchMode::Robust));
  }
  test->Start();
  ok = Done(test->Job(), QStringLiteral("the test environment")) && ok;
  Save(test, out, QStringLiteral("melodar-test-environment.png"));
  test->close();
  return ok;
}

}  // namespace melo
