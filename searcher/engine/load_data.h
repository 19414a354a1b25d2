#pragma once

#include "base/thread.h"
#include "searcher/engine/search_index.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace melo {

// Reads every row of table Data into `index` in one pass: the descriptive columns
// and each fingerprint blob. A row whose blob cannot be read stays with
// loaded = false and gives one error line ("Ошибка чтения данных:\tId=...") to
// onErrorLine. When the rows cannot be counted, recordsCount is -1, loadError says
// why and nothing else changes. A missing file is not created. `progress`, when
// given, hears the number of rows read so far after each row; when it returns false
// the load stops there. The band filter is built over the tracks as they arrive
// and finished after the last row.
void LoadIndex(const QString& databasePath, SearchIndex& index,
               const std::function<void(const QString&)>& onErrorLine,
               const std::function<bool(int32_t rowsRead)>& progress = {});

// The status bar after a load: load time, tracks, audio hours, read errors.
QStringList LoadStatusTexts(const SearchIndex& index);

// The status bar while the load runs: rows read of all rows, then the filter's build.
QString LoadProgressText(int32_t rowsRead, int32_t rowsTotal);

// The loader thread of the searcher: LoadIndex in the background, with the error
// lines and the end reported on the main thread. Terminate() stops it between two
// rows (a program closing during a long load need not wait for its end).
class LoadData : public Thread {
 public:
  LoadData(QString databasePath, SearchIndex& index);
  ~LoadData() override;

  std::function<void(const QString&)> onErrorLine;  // main thread
  // Main thread, once the load has ended without being stopped; the index's
  // recordsCount is -1 when the rows could not be counted.
  std::function<void()> onFinished;

  // How far the load has got; any thread.
  int32_t RowsRead() const { return rowsRead_.load(); }
  int32_t RowsTotal() const { return rowsTotal_.load(); }

 protected:
  void Execute() override;

 private:
  const QString databasePath_;
  SearchIndex& index_;
  std::atomic<int32_t> rowsRead_{0};
  std::atomic<int32_t> rowsTotal_{-2};
};

}  // namespace melo
