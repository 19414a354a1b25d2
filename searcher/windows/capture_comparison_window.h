#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/capture_comparison.h"

#include <QWidget>

class QChart;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTabWidget;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Сравнение спектров исходника и захваченного аудио": the captured query laid
// over a track (the last hit's place, or one chosen): the band bytes of both
// sides frame by frame with the differences the matcher sees, the source file's
// spectrum beside the captured one (what the room and the microphone did), and
// the captured spectral peaks over the track's stored landmarks.
class CaptureComparisonWindow : public QWidget {
  Q_OBJECT

 public:
  CaptureComparisonWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // After a search: compares at its hit when following is on and the window is shown.
  void FollowSearch();
  // Takes the last hit's track and place into the fields.
  void TakeLastHit();
  bool Compare();
  const BackgroundJob& Job() const { return job_; }
  const CaptureComparison& Result() const { return result_; }
  QSpinBox* TrackField() const { return track_; }
  QDoubleSpinBox* StartField() const { return start_; }
  QTabWidget* Tabs() const { return tabs_; }
  QString SummaryText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show();
  void DrawBands();
  void DrawSpectra();
  void DrawPeaks();

  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  CaptureComparison result_;
  QSpinBox* track_;
  QDoubleSpinBox* start_;
  QCheckBox* follow_;
  JobBar* bar_;
  QLabel* summary_;
  QTabWidget* tabs_;
  TextTableModel* frames_;
  QChart* bands_;
  QChart* spectra_;
  QChart* difference_;
  QChart* peaks_;
};

}  // namespace melo::melodar
