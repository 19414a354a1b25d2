#pragma once

#include "searcher/app/search_inspection.h"
#include "searcher/app/stored_landmarks.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class QLabel;
class QSpinBox;
class QTabWidget;

namespace melo {
class Dialogs;
class SearcherSession;
class TextTableModel;
struct SearchReport;
}  // namespace melo

namespace melo::melodar {

// "Отладка": the query laid over a track at a chosen place, stepped by 1 s and
// 0.1 s around the hit: the track's frames against the query at the same points
// and the query's key points against the track's frames, band byte by band byte;
// the query's landmarks against the track's stored ones at that place; and an
// ordinary or a thorough search of that one track. Fed by the searches while
// shown, and by the rows of the history window.
class DebugWindow : public QWidget {
  Q_OBJECT

 public:
  DebugWindow(SearcherSession& session, Dialogs& dialogs, QWidget* parent = nullptr);

  void ShowReport(const SearchReport& report);
  // A history line's hit (track, position and values) ...
  void ShowHistoryLine(const QString& line);
  // ... and the same with that search's own query, when it is still kept.
  void LoadHistoryQuery(const QString& line);

  // Moves the query along the track by `samples`.
  void Step(int64_t samples);
  // Searches the track alone: the current tolerances, or the thorough ones.
  void SearchTrack(bool thorough);

  int32_t Track() const;
  TextTableModel* LandmarkTable() const { return landmarks_; }
  const LandmarkAlignment& Alignment() const { return alignment_; }
  QString LandmarkSummaryText() const;

 private:
  void SetQuery(const std::vector<int16_t>& samples);
  void Refresh();
  void RefreshLandmarks();

  SearcherSession& session_;
  Dialogs& dialogs_;
  SearchInspection inspection_;
  int64_t start_ = 0;  // the track sample at query sample 0
  std::vector<ResultEntry> found_;
  QSpinBox* track_;
  QLabel* place_;
  QLabel* values_;
  QLabel* searchSummary_;
  QTabWidget* tabs_;
  TextTableModel* frames_;
  TextTableModel* keypoints_;
  TextTableModel* trackResults_;
  TextTableModel* landmarks_;
  QLabel* landmarkSummary_;
  StoredTrackLandmarks stored_;
  int32_t storedTrack_ = -1;
  LandmarkAlignment alignment_;
};

}  // namespace melo::melodar
