#pragma once

#include "searcher/app/stored_landmarks.h"
#include "searcher/app/track_records.h"

#include <QWidget>

class QLabel;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace melo {
class SearcherSession;
class TextTableModel;
struct LastSearch;
}  // namespace melo

namespace melo::melodar {

// "Просмотр записей": a track's records as the searcher holds them in memory,
// and its landmarks as the database file stores them; a search's hit is shown at
// its record.
class RecordsWindow : public QWidget {
  Q_OBJECT

 public:
  RecordsWindow(SearcherSession& session, const LastSearch& last, QWidget* parent = nullptr);

  // The last search's track, its hit's record selected.
  void FollowSearch();
  void ShowTrack(int32_t track);
  QSpinBox* TrackField() const { return track_; }
  TextTableModel* Records() const { return records_; }
  TextTableModel* Landmarks() const { return landmarks_; }
  const TrackRecords& Shown() const { return shown_; }
  QString SummaryText() const;
  QString LandmarkStateText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  SearcherSession& session_;
  const LastSearch& last_;
  TrackRecords shown_;
  QSpinBox* track_;
  QLabel* title_;
  QLabel* summary_;
  QLabel* landmarkState_;
  QTabWidget* tabs_;
  TextTableModel* records_;
  TextTableModel* landmarks_;
  QTableView* recordsView_;
};

}  // namespace melo::melodar
