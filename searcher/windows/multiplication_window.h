#pragma once

#include "searcher/app/coarse_loop_timing.h"
#include "searcher/windows/query_job_window.h"

class QSpinBox;

namespace melo {
class TextTableModel;
}

namespace melo::melodar {

// "Тест умножение": the matcher's inner loop timed alone, the last query's key
// points against every frame of the index, by the plain loop and by the
// program's full scan and band filter (which must agree on the matches); in the
// robust mode the landmark look-up beside them.
class MultiplicationWindow : public QueryJobWindow {
  Q_OBJECT

 public:
  MultiplicationWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  bool Run();
  const CoarseLoopTiming& Timing() const { return timing_; }
  QSpinBox* RepeatsField() const { return repeats_; }
  TextTableModel* Table() const { return table_; }

 private:
  CoarseLoopTiming timing_;
  QSpinBox* repeats_;
  TextTableModel* table_;
};

}  // namespace melo::melodar
