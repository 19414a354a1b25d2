#pragma once

#include "searcher/app/capture_comparison.h"
#include "searcher/windows/query_job_window.h"

class QChart;
class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;
class QTabWidget;

namespace melo {
class TextTableModel;
}

namespace melo::melodar {

// "Сравнение спектров исходника и захваченного аудио": the captured query laid
// over a track (the last hit's place, or one chosen): the band bytes of both
// sides frame by frame with the differences the matcher sees, the source file's
// spectrum beside the captured one (what the room and the microphone did), and
// the captured spectral peaks over the track's stored landmarks.
class CaptureComparisonWindow : public QueryJobWindow {
  Q_OBJECT

 public:
  CaptureComparisonWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // After a search: compares at its hit when following is on and the window is shown.
  void FollowSearch();
  // Takes the last hit's track and place into the fields.
  void TakeLastHit();
  bool Compare();
  const CaptureComparison& Result() const { return result_; }
  QSpinBox* TrackField() const { return track_; }
  QDoubleSpinBox* StartField() const { return start_; }
  QTabWidget* Tabs() const { return tabs_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show();
  void DrawBands();
  void DrawSpectra();
  void DrawPeaks();

  CaptureComparison result_;
  QSpinBox* track_;
  QDoubleSpinBox* start_;
  QCheckBox* follow_;
  QTabWidget* tabs_;
  TextTableModel* frames_;
  QChart* bands_;
  QChart* spectra_;
  QChart* difference_;
  QChart* peaks_;
};

}  // namespace melo::melodar
