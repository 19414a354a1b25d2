#pragma once

#include "base/thread.h"
#include "indexer/pipeline/audio_stream_decoder.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

namespace melo {

class TDataModule1;

// The command that adds landmarks to the rows of a database indexed before there
// were any, as the menu names it and as other messages refer to it.
inline const QString kAddLandmarksCommand = QStringLiteral("Добавить ориентиры в базу данных");

// A row that could not be given landmarks, and why.
struct SkippedRow {
  enum class Reason {
    SourceMissing,   // no file at the stored source_path
    SourceChanged,   // a file there, but not of the row's size and MD5
    DecodingFailed,  // the tools failed, or gave another length than the row's
    StoreFailed,     // the landmarks could not be written
  };
  int32_t id = 0;
  QString sourcePath;
  Reason reason = Reason::SourceMissing;
  QString cause;  // English detail for logs and terminals; may be empty
};

// Gives every row without usable landmarks (none, of another version, damaged) the
// landmarks that indexing its source would have stored. The source is found by the
// row's source_path and trusted only when its size and MD5 are the row's; it is
// copied into the work folder, hashed, and the row's audio stream decoded there
// with the indexer's tools and route (audio_stream_decoder.h). A row whose decoded
// length differs from its own is not given landmarks either. Table Data is never
// written.
//
// Runs in its own thread on the main connection, taking the database lock (owner
// 1000) for each read and write, not while it decodes. Each row's landmarks are
// committed as they are stored: a stop keeps them, and a run started again
// continues with the rows still without.
class AddLandmarks : public Thread {
 public:
  struct Counts {
    int32_t rows = 0;     // rows in the database
    int32_t without = 0;  // rows without usable landmarks at the start
    int32_t added = 0;
    int32_t skipped = 0;
  };

  // `tools.toolDir` is the folder the tools run in; `workSubdir` (a work
  // subfolder, see work_subfolder.h) takes the copies and the decoded files.
  AddLandmarks(TDataModule1& store, DecodingTools tools, QString workSubdir);
  ~AddLandmarks() override;

  int32_t Progress() const { return progress_.load(); }  // 0 to 100 over the rows without
  // Read after Finished().
  Counts GetCounts() const { return counts_; }
  bool RanToTheEnd() const { return ranToTheEnd_; }
  // False when the rows could not be read (then nothing was done).
  bool RowsRead() const { return rowsRead_; }

  // Run on the main thread, the run waiting for each.
  std::function<void(const SkippedRow&)> onSkipped;
  std::function<void(int32_t id)> onStored;
  std::function<void()> onFinish;

 protected:
  void Execute() override;

 private:
  struct Row;
  bool ReadRows(std::vector<Row>& rows);
  void AddTo(const Row& row);
  // The row's source as a checked copy in the work folder, or empty (the row has
  // been reported). Consecutive rows of one file share the copy.
  QString CheckedCopy(const Row& row);
  void Skip(const Row& row, SkippedRow::Reason reason, const QString& cause = {});

  TDataModule1& store_;
  const DecodingTools tools_;
  const QString workSubdir_;
  std::atomic<int32_t> progress_{0};
  Counts counts_;
  bool ranToTheEnd_ = false;
  bool rowsRead_ = true;
  // The copy made last: the source it was made from, its size and MD5.
  QString copiedSource_;
  int64_t copiedSize_ = -1;
  QString copiedMd5_;
};

}  // namespace melo
