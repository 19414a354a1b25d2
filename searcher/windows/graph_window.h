#pragma once

#include "searcher/app/signal_graph.h"

#include <QWidget>

class QChart;
class QLabel;

namespace melo {
struct LastSearch;
}

namespace melo::melodar {

// "График": the last query's waveform with its key points and the search's
// thresholds of level, and its level over time: whether it was loud enough, or
// clipped, to be searched at all.
class GraphWindow : public QWidget {
  Q_OBJECT

 public:
  GraphWindow(const LastSearch& last, QWidget* parent = nullptr);

  // Draws the last query anew (the workbench calls it after each search).
  void Refresh();
  const SignalGraph& Graph() const { return graph_; }
  QString SummaryText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const LastSearch& last_;
  SignalGraph graph_;
  QChart* wave_;
  QChart* level_;
  QLabel* summary_;
};

}  // namespace melo::melodar
