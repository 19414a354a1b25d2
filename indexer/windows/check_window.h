#pragma once

#include "indexer/app/database_check_run.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace melo {

class HelpVideoPanel;
struct RunWindowParts;

// "Поиск ошибок в базе данных": the check's options, its findings as they come,
// its progress, and the buttons of the state it is in. It cannot be closed while
// the check runs.
class TForm7 : public QDialog {
  Q_OBJECT

 public:
  TForm7(TDataModule1& store, Dialogs& dialogs, QWidget* parent = nullptr);

  DatabaseCheckRun& Run() { return run_; }
  CheckDatabase::Options Options() const;

  void StartClick();
  void StopClick();
  void Timer1Timer();  // progress and the count of findings

  QCheckBox* SourceFilesOption() const { return sourceFiles_; }
  QCheckBox* LandmarksOption() const { return landmarks_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* CloseButton() const { return close_; }
  QProgressBar* Progress() const { return progress_; }
  QListWidget* Findings() const { return findings_; }
  QLabel* Status() const { return status_; }

 public slots:
  // Every way of closing ends here (Escape, "Закрыть", the title bar's button);
  // refused while the check runs.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowState();
  RunWindowParts Parts() const;

  DatabaseCheckRun run_;
  QCheckBox* duplicates_;
  QCheckBox* emptyFields_;
  QCheckBox* sourceFiles_;
  QCheckBox* indexValues_;
  QCheckBox* indexSizes_;
  QCheckBox* landmarks_;
  QListWidget* findings_;
  QProgressBar* progress_;
  QLabel* status_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* close_;
  QTimer* timer1_;
  HelpVideoPanel* help_;
};

}  // namespace melo
