#pragma once

#include "searcher/app/level_sweep.h"
#include "searcher/windows/query_job_window.h"

class QChart;
class QCheckBox;

namespace melo {
class TextTableModel;
}

namespace melo::melodar {

// "Зависимость спектра от уровня сигнала": the last query at -40 to +6 dB, its
// band bytes, spectral peaks and, if asked, the search's answer at each level.
class LevelWindow : public QueryJobWindow {
  Q_OBJECT

 public:
  LevelWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  bool Measure();
  const LevelSweep& Sweep() const { return sweep_; }
  QCheckBox* SearchField() const { return search_; }
  TextTableModel* Table() const { return table_; }

 private:
  void Draw();

  LevelSweep sweep_;
  QCheckBox* search_;
  QChart* chart_;
  TextTableModel* table_;
};

}  // namespace melo::melodar
