#include "indexer/windows/database_windows.h"

#include "gui/help_video_panel.h"
#include "indexer/windows/check_window.h"
#include "indexer/windows/import_window.h"
#include "indexer/windows/landmarks_window.h"
#include "indexer/windows/record_browser_window.h"
#include "indexer/windows/statistics_window.h"

namespace melo {

namespace {

void ShowModal(QWidget* window) {
  HelpVideoPanel::StopPlay();
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

DatabaseWindows::DatabaseWindows(TDataModule1& store, Dialogs& dialogs, std::function<QString()> databasePath,
                                 QWidget* parent, std::function<DecodingTools()> tools)
    : importSource_(dialogs),
      files_(parent),
      statistics_(new TForm10(store, std::move(databasePath), parent)),
      browser_(new TForm9(store, parent)),
      check_(new TForm7(store, dialogs, parent)),
      import_(new TForm8(store, importSource_, dialogs, files_, parent)),
      landmarks_(new AddLandmarksWindow(store, dialogs, std::move(tools), parent)) {}

DatabaseWindows::~DatabaseWindows() {
  // The import window uses the source connection and the chooser held here.
  delete landmarks_.data();
  delete import_.data();
  delete check_.data();
  delete browser_.data();
  delete statistics_.data();
}

TForm10* DatabaseWindows::Statistics() const { return statistics_; }
TForm9* DatabaseWindows::Browser() const { return browser_; }
TForm7* DatabaseWindows::Check() const { return check_; }
TForm8* DatabaseWindows::Import() const { return import_; }
AddLandmarksWindow* DatabaseWindows::Landmarks() const { return landmarks_; }

void DatabaseWindows::ShowStatistics() { ShowModal(statistics_); }

void DatabaseWindows::ShowBrowser() {
  HelpVideoPanel::StopPlay();
  if (browser_->isVisible()) browser_->ReloadList();  // showing it again reads the list anew
  browser_->show();
  browser_->raise();
  browser_->activateWindow();
}

void DatabaseWindows::ShowCheck() { ShowModal(check_); }

void DatabaseWindows::ShowImport() { ShowModal(import_); }

void DatabaseWindows::ShowLandmarks() { ShowModal(landmarks_); }

}  // namespace melo
