#pragma once

#include "searcher/app/last_search.h"
#include "searcher/windows/main_menu.h"

#include <QObject>

class QWidget;

namespace melo {
class Dialogs;
class FileChooser;
class SearcherSession;
struct SearchReport;
}  // namespace melo

namespace melo::melodar {

class CaptureComparisonWindow;
class DebugWindow;
class FullSearchWindow;
class GraphWindow;
class IndexCensusWindow;
class LevelWindow;
class LogWindow;
class MultiplicationWindow;
class NeighbourWindow;
class PlayerWindow;
class ProfilingWindow;
class RecordsWindow;
class SpectrumStudyWindow;
class TestEnvironmentWindow;
class TForm11;
class TForm24;
class VariablesWindow;

// The windows behind the menu "Отладка", created with the main window (in debug
// mode) and shown without blocking it; closing one only hides it. Each search's
// query is kept here for them all, and the windows that are open follow it.
class DebugWorkbench : public QObject {
  Q_OBJECT

 public:
  DebugWorkbench(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, const MainMenu& menu,
                 TForm24* parameters, TForm11* history, QWidget* owner);

  const LastSearch& Last() const { return last_; }
  // The window each item opens.
  QWidget* WindowOf(MainMenu::DebugItem item) const;

  GraphWindow* Graph() const { return graph_; }
  FullSearchWindow* FullSearch() const { return fullSearch_; }
  MultiplicationWindow* Multiplication() const { return multiplication_; }
  ProfilingWindow* Profiling() const { return profiling_; }
  RecordsWindow* Records() const { return records_; }
  DebugWindow* Debug() const { return debug_; }
  NeighbourWindow* Neighbours() const { return neighbours_; }
  CaptureComparisonWindow* CaptureComparison() const { return capture_; }
  LogWindow* Log() const { return log_; }
  SpectrumStudyWindow* SpectrumStudy() const { return spectrum_; }
  IndexCensusWindow* Census() const { return census_; }
  PlayerWindow* Player() const { return player_; }
  TestEnvironmentWindow* TestEnvironment() const { return testEnvironment_; }
  VariablesWindow* Variables() const { return variables_; }
  LevelWindow* Level() const { return level_; }

 private:
  void ShowReport(const SearchReport& report);
  void Open(MainMenu::DebugItem item);

  SearcherSession& session_;
  LastSearch last_;
  TForm24* parameters_;
  GraphWindow* graph_;
  FullSearchWindow* fullSearch_;
  MultiplicationWindow* multiplication_;
  ProfilingWindow* profiling_;
  RecordsWindow* records_;
  DebugWindow* debug_;
  NeighbourWindow* neighbours_;
  CaptureComparisonWindow* capture_;
  LogWindow* log_;
  SpectrumStudyWindow* spectrum_;
  IndexCensusWindow* census_;
  PlayerWindow* player_;
  TestEnvironmentWindow* testEnvironment_;
  VariablesWindow* variables_;
  LevelWindow* level_;
};

}  // namespace melo::melodar
