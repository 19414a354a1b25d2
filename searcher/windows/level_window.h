#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/level_sweep.h"

#include <QWidget>

class QChart;
class QCheckBox;
class QLabel;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Зависимость спектра от уровня сигнала": the last query at -40 to +6 dB, its
// band bytes, spectral peaks and, if asked, the search's answer at each level.
class LevelWindow : public QWidget {
  Q_OBJECT

 public:
  LevelWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  bool Measure();
  const BackgroundJob& Job() const { return job_; }
  const LevelSweep& Sweep() const { return sweep_; }
  QCheckBox* SearchField() const { return search_; }
  TextTableModel* Table() const { return table_; }
  QString SummaryText() const;

 private:
  void Draw();

  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  LevelSweep sweep_;
  QCheckBox* search_;
  JobBar* bar_;
  QChart* chart_;
  QLabel* summary_;
  TextTableModel* table_;
};

}  // namespace melo::melodar
