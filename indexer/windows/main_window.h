#pragma once

#include "base/program_paths.h"
#include "gui/file_chooser.h"
#include "indexer/app/database_menu.h"
#include "indexer/app/database_window_openers.h"
#include "indexer/app/file_queue.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/app/indexing_messages.h"

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace melo {

class AboutBox;
class Dialogs;
class HelpVideoPanel;
class IndexingRun;
class QueueTableModel;
class TDataModule1;
class TForm2;
class TForm3;

// Melobank's main window: the queue of media files, the settings file, the
// database commands, starting and stopping an indexing run, and the program's
// other windows. The work itself is done by the widget-free classes it holds
// (FileQueue, IndexingRun, DatabaseMenu, TDataModule1); this class wires menus,
// buttons and timers to them.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // The settings file, the logs and the dialogs' start folders follow `paths`;
  // every message goes through `dialogs`, every file dialog through `chooser`.
  TForm1(const ProgramPaths& paths, Dialogs& dialogs, FileChooser& chooser, int32_t processors,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // What the database windows need, and where the start-up hands them in.
  TDataModule1& DataModule() { return *store_; }
  const IndexerSettings& Settings() const { return settings_; }
  bool IndexingRunning() const;
  void SetDatabaseWindows(DatabaseWindowOpeners windows) { databaseWindows_ = std::move(windows); }

  // The actions of the menus and buttons.
  void StartExecute();
  void StopExecute();
  void ReadINIExecute();
  bool WriteINIExecute();
  void UpdateListExecute();
  void OpenSettings(int page);

  // The bodies of the timers: once after start-up, then every second.
  void FollowUpTimerTick();
  void QueueStatusTick();
  void ResourcesTick();

  FileQueue& Queue() { return queue_; }
  QueueTableModel& QueueModel() { return *model_; }
  QTableView* Grid() const { return grid_; }
  QPushButton* StartStopButton() const { return startStop_; }
  QMenu* PopupMenu() const { return popup_; }
  TForm2& SettingsWindow() { return *settingsWindow_; }
  TForm3& MessagesWindow() { return *messagesWindow_; }
  AboutBox& About() { return *aboutBox_; }
  // The main menu's item with this text (what a user would click), or null.
  QAction* MenuAction(const QString& text) const;
  QString QueueStatusText(int panel) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* MakeQueueGroup();
  QWidget* MakeInfoGroup();
  QLayout* MakeButtonRow();
  void MakeMenus();
  void WriteProgramLog(const QString& line, bool append = true) const;
  void ClearWork() const;
  void UpdateRunState();
  void RunFinished();
  bool RefuseWhileIndexing(const QString& message);
  int SelectedRow() const;
  // True for a selected row; else (with files in the queue) "Выберите файл в списке!".
  bool RequireSelectedRow(int row);
  FileChooser::Request DatabaseDialog(const QString& title) const;
  FileChooser::Request ListDialog(const QString& title) const;

  void AddFilesClick();
  void AddFolderClick();
  void NewListClick();
  void OpenListClick();
  void SaveListClick();
  void DeleteFileClick();
  void DeleteBeforeClick();
  void DeleteAfterClick();
  void CreateDatabaseClick();
  void ClearDatabaseClick();
  void SwitchDatabaseClick();
  void StatisticsClick();
  void BrowserClick();
  void CheckClick();
  void ImportClick();
  void LandmarksClick();
  void RestartClick();
  void MelodarClick();
  void HelpClick(const QString& section);

  const ProgramPaths paths_;
  Dialogs& dialogs_;
  FileChooser& chooser_;
  const int32_t slots_;
  IndexerSettings settings_;
  FileQueue queue_;
  IndexingMessages messages_;
  QueueTableModel* model_;
  DatabaseWindowOpeners databaseWindows_;

  // The program's windows and data module, created in this order at start-up.
  TForm2* settingsWindow_ = nullptr;
  std::unique_ptr<TDataModule1> store_;
  TForm3* messagesWindow_ = nullptr;
  AboutBox* aboutBox_ = nullptr;

  std::unique_ptr<DatabaseMenu> database_;
  std::unique_ptr<IndexingRun> run_;

  QTableView* grid_ = nullptr;
  QMenu* popup_ = nullptr;
  QPushButton* startStop_ = nullptr;
  HelpVideoPanel* videoPanel_ = nullptr;
  std::array<QLabel*, 6> queueStatus_{};
  std::array<QLabel*, 2> resources_{};
  QTimer queueTimer_;
  QTimer resourcesTimer_;
  bool memoryUnreadableTold_ = false;
  bool closeAfterStop_ = false;
  bool restartAfterClose_ = false;
};

}  // namespace melo
