#pragma once

#include "searcher/app/spectrogram.h"
#include "searcher/windows/query_job_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace melo::melodar {

// "Изучение спектров": the spectrogram of the last query, or of the newest
// seconds of the capture ring, with its spectral peaks, landmarks and key points
// drawn on it.
class SpectrumStudyWindow : public QueryJobWindow {
  Q_OBJECT

 public:
  SpectrumStudyWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  enum Source { kLastQuery = 0, kCaptureRing = 1 };
  // Computes the chosen stretch in the background.
  bool Study();
  // After a search: the query's picture anew, when it is the one shown.
  void FollowSearch();
  const Spectrogram& Shown() const { return spectrogram_; }
  const QImage& Picture() const { return picture_; }
  int32_t PixelsPerFrame() const { return scale_; }
  QComboBox* SourceField() const { return source_; }
  QSpinBox* SecondsField() const { return seconds_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Draw();

  Spectrogram spectrogram_;
  QImage picture_;
  int32_t scale_ = 1;
  QComboBox* source_;
  QSpinBox* seconds_;
  QCheckBox* peaks_;
  QCheckBox* landmarks_;
  QCheckBox* keypoints_;
  QLabel* image_;
};

}  // namespace melo::melodar
