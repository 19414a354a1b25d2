#pragma once

#include "searcher/app/live_search.h"
#include "searcher/windows/main_menu.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace melo {
class Dialogs;
class FileChooser;
class InfoPanel;
class SearcherSession;
struct SearchReport;
}  // namespace melo

namespace melo::melodar {

class DebugWorkbench;
class TForm11;
class TForm24;
class TForm3;
class TForm4;

// Melodar's main window: the signal picture of what is heard, the source list,
// "Поиск" and "Автопоиск", the best result and its parameters, and the menus. It
// shows what the session does and hands the user's commands to it; the search
// results reach the other windows through the session's search listeners.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  // Runs the program's start-up steps (settings, database load, sound).
  TForm1(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, QWidget* parent = nullptr);
  ~TForm1() override;

  const MainMenu& Menu() const { return *menu_; }
  TForm24* SearchParametersWindow() const { return form24_; }
  TForm3* LoadErrorsWindow() const { return form3_; }
  TForm4* QueryResultsWindow() const { return form4_; }
  TForm11* HistoryWindow() const { return form11_; }
  // The debug menu's windows; null unless in debug mode.
  DebugWorkbench* Workbench() const { return workbench_; }

  // Starts this program anew; tests put something harmless in its place.
  std::function<bool()> restartProgram;

  // The timers' bodies.
  void DrawSignal();
  void StartUpFollowUp();

 signals:
  // "Показать информационные блоки" for the other windows with an info panel.
  void InfoBlocksShown(bool shown);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void CreateWindows();
  void ShowWindow(QWidget* window, bool stopVideos);
  void ConnectMenu();
  QWidget* BuildTopRow();
  QWidget* BuildResults();
  QWidget* BuildButtons();
  void BuildStatusBar();

  void Search();
  void ToggleAutomatic();
  void ShowAutomatic();
  void SearchAttempted(LiveSearch::Outcome outcome);
  void ShowReport(const SearchReport& report);
  void ShowStatus();
  void LoadFinished(int32_t readErrors);
  void FillSources();
  void RefreshSources();

  void CopyResult();
  void SaveResult();
  void SearchByTitle();
  void ChooseDatabase();
  void OpenQuery();
  void ChooseQueryFolder();
  void OpenHelp(const QString& section = {});
  void StartIndexer();
  void Restart();
  QStringList ResultLines() const;

  SearcherSession& session_;
  Dialogs& dialogs_;
  FileChooser& chooser_;
  std::unique_ptr<MainMenu> menu_;
  TForm4* form4_ = nullptr;
  TForm11* form11_ = nullptr;
  TForm3* form3_ = nullptr;
  TForm24* form24_ = nullptr;
  DebugWorkbench* workbench_ = nullptr;

  QLabel* picture_ = nullptr;
  QImage pictureImage_;
  QComboBox* sources_ = nullptr;
  InfoPanel* info_ = nullptr;
  QLineEdit* resultLine_ = nullptr;
  QTableWidget* parameters_ = nullptr;
  QPushButton* searchButton_ = nullptr;
  QPushButton* autoButton_ = nullptr;
  QList<QLabel*> status_;

  QTimer pictureTimer_;
  // A search that found too little to search writes why on the picture, for a
  // while, over the picture's own drawing.
  QString searchWarning_;
  QElapsedTimer searchWarningAge_;
};

}  // namespace melo::melodar
