#include "searcher/windows/debug_workbench.h"

#include "searcher/app/searcher_session.h"
#include "searcher/windows/capture_comparison_window.h"
#include "searcher/windows/debug_window.h"
#include "searcher/windows/full_search_window.h"
#include "searcher/windows/graph_window.h"
#include "searcher/windows/history_window.h"
#include "searcher/windows/index_census_window.h"
#include "searcher/windows/level_window.h"
#include "searcher/windows/log_window.h"
#include "searcher/windows/multiplication_window.h"
#include "searcher/windows/neighbour_window.h"
#include "searcher/windows/player_window.h"
#include "searcher/windows/profiling_window.h"
#include "searcher/windows/records_window.h"
#include "searcher/windows/search_parameters_window.h"
#include "searcher/windows/spectrum_study_window.h"
#include "searcher/windows/test_environment_window.h"
#include "searcher/windows/variables_window.h"

#include <QAction>

namespace melo::melodar {

using Item = MainMenu::DebugItem;

DebugWorkbench::DebugWorkbench(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, const MainMenu& menu,
                               TForm24* parameters, TForm11* history, QWidget* owner)
    : QObject(owner), session_(session), parameters_(parameters) {
  graph_ = new GraphWindow(last_, owner);
  fullSearch_ = new FullSearchWindow(session, last_, owner);
  multiplication_ = new MultiplicationWindow(session, last_, owner);
  profiling_ = new ProfilingWindow(session, owner);
  records_ = new RecordsWindow(session, last_, owner);
  debug_ = new DebugWindow(session, dialogs, owner);
  neighbours_ = new NeighbourWindow(session, last_, owner);
  capture_ = new CaptureComparisonWindow(session, last_, owner);
  log_ = new LogWindow(owner);
  spectrum_ = new SpectrumStudyWindow(session, last_, owner);
  census_ = new IndexCensusWindow(session, last_, owner);
  player_ = new PlayerWindow(session, dialogs, chooser, owner);
  testEnvironment_ = new TestEnvironmentWindow(session, dialogs, chooser, owner);
  variables_ = new VariablesWindow(session, owner);
  level_ = new LevelWindow(session, last_, owner);
  session.AddSearchListener([this](const SearchReport& report) { ShowReport(report); });

  // Rows of the history reach the debug window only while it is open.
  connect(history, &TForm11::RowClicked, this, [this](const QString& line) {
    if (debug_->isVisible()) debug_->ShowHistoryLine(line);
  });
  connect(history, &TForm11::RowDoubleClicked, this, [this](const QString& line) {
    if (debug_->isVisible()) debug_->LoadHistoryQuery(line);
  });
  for (int i = 0; i < MainMenu::kDebugItems; ++i) {
    connect(menu.debugItems[static_cast<size_t>(i)], &QAction::triggered, this,
            [this, i] { Open(static_cast<Item>(i)); });
  }
}

QWidget* DebugWorkbench::WindowOf(Item item) const {
  switch (item) {
    case Item::Graph: return graph_;
    case Item::FullSearch: return fullSearch_;
    case Item::MultiplicationTest: return multiplication_;
    case Item::Profiling: return profiling_;
    case Item::Records: return records_;
    case Item::KeypointComparison: return debug_;
    case Item::NeighbourSpectra: return neighbours_;
    case Item::SourceAndCapture: return capture_;
    case Item::Log: return log_;
    case Item::SpectrumStudy: return spectrum_;
    case Item::DataCounts:
    case Item::RecordSize: return census_;
    case Item::AudioPlayer: return player_;
    case Item::TestEnvironment: return testEnvironment_;
    case Item::Variables: return variables_;
    case Item::LevelDependence: return level_;
    case Item::SearchParameters: return parameters_;
  }
  return nullptr;
}

void DebugWorkbench::Open(Item item) {
  QWidget* window = WindowOf(item);
  if (item == Item::DataCounts || item == Item::RecordSize) {
    census_->Open(item == Item::DataCounts ? IndexCensusWindow::kCounts : IndexCensusWindow::kSizes);
  }
  window->show();
  window->raise();
  window->activateWindow();
}

void DebugWorkbench::ShowReport(const SearchReport& report) {
  last_ = LastSearch::From(report);
  debug_->ShowReport(report);
  profiling_->ShowReport(report);
  log_->ShowReport(report);
  // The open windows follow the searches; the others take the query when opened.
  if (graph_->isVisible()) graph_->Refresh();
  if (neighbours_->isVisible()) neighbours_->Refresh();
  capture_->FollowSearch();
  spectrum_->FollowSearch();
}

}  // namespace melo::melodar
