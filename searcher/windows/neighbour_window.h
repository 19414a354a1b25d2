#pragma once

#include "searcher/app/neighbour_spectra.h"

#include <QWidget>

class QChart;
class QLabel;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

// "Разница в соседних спектрах": how much the last query's band bytes change
// around each key point when the point moves by 1 to 12000 samples, against the
// tolerances, and how many landmarks stay when the sound moves by part of a
// frame: how stable the fingerprint is at this spot.
class NeighbourWindow : public QWidget {
  Q_OBJECT

 public:
  NeighbourWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  void Refresh();
  const NeighbourSpectra& Measured() const { return measured_; }
  TextTableModel* Table() const { return table_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SearcherSession& session_;
  const LastSearch& last_;
  NeighbourSpectra measured_;
  QChart* sums_;
  QChart* shares_;
  QLabel* summary_;
  TextTableModel* table_;
};

}  // namespace melo::melodar
