#pragma once

#include "gui/file_chooser.h"
#include "indexer/database/import_source.h"
#include "indexer/pipeline/audio_stream_decoder.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace melo {

class Dialogs;
class TDataModule1;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class AddLandmarksWindow;

// The main window's way to its database windows: made once at start-up, kept
// until exit, and only shown and hidden. The statistics, check, import and landmark
// windows are modal over `parent`; the record browser is a window of its own. The
// main window checks what each needs before it calls these (see
// DatabaseWindowOpeners).
class DatabaseWindows {
 public:
  // `tools`: the indexer's tools and work directory, for adding landmarks.
  DatabaseWindows(TDataModule1& store, Dialogs& dialogs, std::function<QString()> databasePath,
                  QWidget* parent = nullptr, std::function<DecodingTools()> tools = {});
  ~DatabaseWindows();

  void ShowStatistics();
  void ShowBrowser();
  void ShowCheck();
  void ShowImport();
  void ShowLandmarks();

  TForm10* Statistics() const;
  TForm9* Browser() const;
  TForm7* Check() const;
  TForm8* Import() const;
  AddLandmarksWindow* Landmarks() const;

 private:
  TDataModule2 importSource_;
  DialogFileChooser files_;  // the import window's file dialog
  // Owned here; QPointer because a parent that is destroyed first takes them along.
  QPointer<TForm10> statistics_;
  QPointer<TForm9> browser_;
  QPointer<TForm7> check_;
  QPointer<TForm8> import_;
  QPointer<AddLandmarksWindow> landmarks_;
};

}  // namespace melo
