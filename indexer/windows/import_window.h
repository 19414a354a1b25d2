#pragma once

#include "indexer/app/database_import_run.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace melo {

class FileChooser;
class HelpVideoPanel;

// "Импорт базы данных": the file to merge into the current database, what to do
// with tracks both hold, the import's messages and progress. It cannot be closed
// while an import runs.
class TForm8 : public QDialog {
  Q_OBJECT

 public:
  TForm8(TDataModule1& store, TDataModule2& source, Dialogs& dialogs, FileChooser& files,
         QWidget* parent = nullptr);

  DatabaseImportRun& Run() { return run_; }
  ImportDatabase::Policy Policy() const;

  void ChooseClick();  // "Выбрать"
  void StartClick();   // "Начать импорт"
  void StopClick();
  void Timer1Timer();  // progress
  void Timer2Timer();  // after the summary: close the source, free the thread

  QLineEdit* PathBox() const { return path_; }
  QRadioButton* ReplaceOption() const { return replace_; }
  QPushButton* StartButton() const { return start_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* ExitButton() const { return exit_; }
  QProgressBar* Progress() const { return progress_; }
  QListWidget* Messages() const { return messages_; }

 public slots:
  // Every way of closing ends here; refused silently while an import runs.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowIdle();
  void SyncMessages();

  DatabaseImportRun run_;
  FileChooser& files_;
  QLineEdit* path_;
  QRadioButton* keep_;
  QRadioButton* replace_;
  QListWidget* messages_;
  QProgressBar* progress_;
  QPushButton* start_;
  QPushButton* stop_;
  QPushButton* exit_;
  QTimer* timer1_;
  QTimer* timer2_;
  HelpVideoPanel* help_;
};

}  // namespace melo
