#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/coarse_loop_timing.h"

#include <QWidget>

class QLabel;
class QSpinBox;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Тест умножение": the matcher's inner loop timed alone, the last query's key
// points against every frame of the index, by the plain loop and by the
// program's full scan and band filter (which must agree on the matches); in the
// robust mode the landmark look-up beside them.
class MultiplicationWindow : public QWidget {
  Q_OBJECT

 public:
  MultiplicationWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  bool Run();
  const BackgroundJob& Job() const { return job_; }
  const CoarseLoopTiming& Timing() const { return timing_; }
  QSpinBox* RepeatsField() const { return repeats_; }
  TextTableModel* Table() const { return table_; }

 private:
  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  CoarseLoopTiming timing_;
  QSpinBox* repeats_;
  JobBar* bar_;
  QLabel* summary_;
  TextTableModel* table_;
};

}  // namespace melo::melodar
