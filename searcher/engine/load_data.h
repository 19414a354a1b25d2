#pragma once

#include "base/thread.h"
#include "searcher/engine/search_index.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace melo {

// Reads every row of table Data into `index` in one pass: the descriptive columns
// and each fingerprint blob. A row whose blob cannot be read stays with
// loaded = false and gives one error line ("Ошибка чтения данных:\tId=...") to
// onErrorLine. When the rows cannot be counted, recordsCount is -1, loadError says
// why and nothing else changes. A missing file is not created.
void LoadIndex(const QString& databasePath, SearchIndex& index,
               const std::function<void(const QString&)>& onErrorLine);

// The status bar after a load: load time, tracks, audio hours, read errors.
QStringList LoadStatusTexts(const SearchIndex& index);

// The loader thread of the searcher: LoadIndex in the background, with the error
// lines and the end reported on the main thread.
class LoadData : public Thread {
 public:
  LoadData(QString databasePath, SearchIndex& index);
  ~LoadData() override;

  std::function<void(const QString&)> onErrorLine;  // main thread
  std::function<void()> onFinished;                 // main thread

 protected:
  void Execute() override;

 private:
  const QString databasePath_;
  SearchIndex& index_;
};

}  // namespace melo
