#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/spectrogram.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace melo {
class SearcherSession;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Изучение спектров": the spectrogram of the last query, or of the newest
// seconds of the capture ring, with its spectral peaks, landmarks and key points
// drawn on it.
class SpectrumStudyWindow : public QWidget {
  Q_OBJECT

 public:
  SpectrumStudyWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  enum Source { kLastQuery = 0, kCaptureRing = 1 };
  // Computes the chosen stretch in the background.
  bool Study();
  // After a search: the query's picture anew, when it is the one shown.
  void FollowSearch();
  const BackgroundJob& Job() const { return job_; }
  const Spectrogram& Shown() const { return spectrogram_; }
  const QImage& Picture() const { return picture_; }
  int32_t PixelsPerFrame() const { return scale_; }
  QComboBox* SourceField() const { return source_; }
  QSpinBox* SecondsField() const { return seconds_; }
  QString LegendText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();

  SearcherSession& session_;
  const LastSearch& last_;
  BackgroundJob job_;
  Spectrogram spectrogram_;
  QImage picture_;
  int32_t scale_ = 1;
  QComboBox* source_;
  QSpinBox* seconds_;
  QCheckBox* peaks_;
  QCheckBox* landmarks_;
  QCheckBox* keypoints_;
  JobBar* bar_;
  QLabel* image_;
  QLabel* legend_;
};

}  // namespace melo::melodar
