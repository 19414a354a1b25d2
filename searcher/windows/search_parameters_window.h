#pragma once

#include <QWidget>

class QSpinBox;

namespace melo {
struct SearchParameters;
}

namespace melo::melodar {

// "Параметры поиска": the matcher's tolerances and the robust search's thresholds,
// edited in place. Every change
// of a field is the tolerance the next search uses; the search mode items of the
// main window copy their values in through UpdateSearchParameters().
class TForm24 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm24(SearchParameters& params, QWidget* parent = nullptr);

  void UpdateSearchParameters();

  QSpinBox* BandTolerance() const { return band_; }
  QSpinBox* AmplitudeTolerance() const { return amplitude_; }
  QSpinBox* SumTolerance() const { return sum_; }
  QSpinBox* SpoiledPercent() const { return spoiled_; }
  QSpinBox* LandmarkVotes() const { return votes_; }
  QSpinBox* LandmarkScore() const { return score_; }

 private:
  SearchParameters& params_;
  QSpinBox* band_;
  QSpinBox* amplitude_;
  QSpinBox* sum_;
  QSpinBox* spoiled_;
  QSpinBox* votes_;
  QSpinBox* score_;
};

}  // namespace melo::melodar
