#pragma once

#include "searcher/app/result_charts.h"
#include "searcher/engine/search_results.h"

#include <QMainWindow>
#include <QTimer>
#include <vector>

class QAction;
class QChart;
class QLabel;
class QLineSeries;
class QListWidget;
class QScatterSeries;
class QTabWidget;
class QTableView;
class QValueAxis;

namespace melo {
class Dialogs;
class FileChooser;
class HelpVideoPanel;
class InfoPanel;
class TextTableModel;
struct SearchIndex;
struct SearchReport;
}  // namespace melo

namespace melo::melodar {

class MainMenu;

// "Поисковый запрос и результаты поиска": the last query (its envelope and key
// points) drawn against the stored key points of the ten best hits, the hits as a
// table, the query's key points as text and, in debug mode, the hits' matching
// values. The points come from Analyze()/AddResult() of result_charts.h; the
// query commands are the main window's own menu items.
class TForm4 : public QMainWindow {
  Q_OBJECT

 public:
  TForm4(const MainMenu& commands, Dialogs& dialogs, FileChooser& chooser, bool debugMode, QWidget* parent = nullptr);

  // After every search: the table always, the charts while the window is shown.
  void ShowReport(const SearchReport& report);
  void Analyze();
  void AddResult();
  // The one-shot timer's body: outside debug mode the debug tab goes.
  void ApplyDebugMode();
  void ShowInfoBlock(bool shown);

  TextTableModel& Results() const { return *results_; }
  QChart* Chart() const { return chart_; }
  QTabWidget* Tabs() const { return tabs_; }
  QAction* ShowQueryItem() const { return showQuery_; }
  // The rows "Разница" to "Название" joined by TAB, up to the first empty row;
  // "Нет данных!" when there is none.
  void Copy();
  void Save();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildMenu(const MainMenu& commands);
  QWidget* BuildChart();
  QWidget* BuildTabs();
  QWidget* BuildInfo();
  QWidget* BuildButtons(const MainMenu& commands);
  QStringList ResultLines() const;
  void SearchByTitle();

  Dialogs& dialogs_;
  FileChooser& chooser_;
  const bool debugMode_;
  QTimer debugTimer_;

  // The last search, kept for the redraws the check items ask for.
  QueryPicture query_;
  std::vector<ResultEntry> entries_;
  const SearchIndex* index_ = nullptr;
  int32_t querySeconds_ = 4;
  int64_t captureStart_ = 0;
  PreviousHit previous_;

  QAction* showQuery_;
  QAction* showBest_;
  QAction* showOthers_;
  QChart* chart_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  QLineSeries* envelope_;
  QScatterSeries* keypoints_;
  QList<QScatterSeries*> hits_;
  QScatterSeries* previousSeries_;
  QTabWidget* tabs_;
  QWidget* debugTab_;
  TextTableModel* results_;
  TextTableModel* debugValues_;
  QTableView* resultsView_;
  QListWidget* keypointList_;
  InfoPanel* info_;
  HelpVideoPanel* video_;
  QLabel* status_;
};

}  // namespace melo::melodar
