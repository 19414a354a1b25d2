#pragma once

#include "indexer/app/database_landmark_run.h"

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace melo {

struct RunWindowParts;

// "Добавить ориентиры в базу данных": adds the landmarks that rows indexed before
// there were any lack, from their source files, with the rows it must leave as they
// are listed as they come, its progress and the buttons of the state it is in. It
// cannot be closed while the run goes on.
class AddLandmarksWindow : public QDialog {
  Q_OBJECT

 public:
  // `tools` gives the indexer's current tools and work directory at each start.
  AddLandmarksWindow(TDataModule1& store, Dialogs& dialogs, std::function<DecodingTools()> tools,
                     QWidget* parent = nullptr);

  DatabaseLandmarkRun& Run() { return run_; }

  void StartClick();
  void StopClick();
  void TimerTick();  // progress and counts

  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QListWidget* Lines() const { return lines_; }
  QLabel* Status() const { return status_; }

 public slots:
  void reject() override;  // refused while the run goes on

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowState();
  RunWindowParts Parts() const;

  DatabaseLandmarkRun run_;
  std::function<DecodingTools()> tools_;
  QListWidget* lines_;
  QProgressBar* progress_;
  QLabel* status_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* close_;
  QTimer* timer_;
};

}  // namespace melo
