#include "indexer/pipeline/add_landmarks.h"

#include "base/file_utils.h"
#include "base/log_writer.h"
#include "base/path_utils.h"
#include "base/sample_files.h"
#include "indexer/database/database_lock.h"
#include "indexer/database/landmark_statements.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/file_hashes.h"
#include "indexer/pipeline/track_landmarks.h"
#include "indexer/pipeline/work_subfolder.h"
#include "trackdb/landmark_row.h"
#include "trackdb/sqlite_handles.h"

#include <QFile>
#include <QFileInfo>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <utility>

namespace melo {

namespace {

constexpr int32_t kOwner = TDataModule1::kSharedOwner;

QString Text(sqlite3_stmt* statement, int column) {
  return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                           sqlite3_column_bytes(statement, column));
}

}  // namespace

// What the run needs of a row to find, check and decode its source.
struct AddLandmarks::Row {
  int32_t id = 0;
  QString sourcePath;
  int64_t sourceSize = 0;
  QString md5;
  int32_t audioTrack = 0;
  int32_t records = 0;
};

AddLandmarks::AddLandmarks(TDataModule1& store, DecodingTools tools, QString workSubdir)
    : store_(store), tools_(std::move(tools)), workSubdir_(std::move(workSubdir)) {}

AddLandmarks::~AddLandmarks() { WaitFor(); }

bool AddLandmarks::ReadRows(std::vector<Row>& rows) {
  DatabaseLock lock(store_, kOwner);
  SQLite::Database* db = store_.Connection();
  sqlite3* handle = db ? db->getHandle() : nullptr;
  // By source, so that the streams of one file follow each other and share a copy.
  const std::string sql = sql::RowsWithLandmarks(
      "Data.id AS id, source_path, source_size, md5, audio_track, records", HasLandmarkTable(handle),
      "source_path, audio_track, Data.id");
  const SqliteStatement query(handle, sql.c_str());
  if (!query.get()) return false;
  const LandmarkRowReader reader(query.get());
  RowLandmarks stored;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(query.get())) == SQLITE_ROW) {
    ++counts_.rows;
    reader.Read(stored);
    if (stored.state == StoredLandmarks::Read) continue;
    sqlite3_stmt* s = query.get();
    rows.push_back({sqlite3_column_int(s, 0), Text(s, 1), sqlite3_column_int64(s, 2), Text(s, 3),
                    sqlite3_column_int(s, 4), sqlite3_column_int(s, 5)});
  }
  return step == SQLITE_DONE;
}

void AddLandmarks::Execute() {
  counts_ = {};
  ranToTheEnd_ = false;
  progress_ = 0;
  std::vector<Row> rows;
  rowsRead_ = ReadRows(rows);
  counts_.without = static_cast<int32_t>(rows.size());
  size_t done = 0;
  bool failed = false;
  try {
    if (rowsRead_) {
      for (; done < rows.size() && !Terminated(); ++done) {
        AddTo(rows[done]);
        progress_ = static_cast<int32_t>(100 * (done + 1) / rows.size());
      }
    }
  } catch (const std::exception& e) {
    // Out of memory on a long film track, say: the run ends as a stopped one, so
    // its owner still hears of the end and gives its locks back.
    WriteMyLog(QStringLiteral("Adding landmarks failed: ") + QString::fromUtf8(e.what()));
    failed = true;
  }
  ranToTheEnd_ = rowsRead_ && !failed && done == rows.size();
  if (ranToTheEnd_) progress_ = 100;
  if (!copiedSource_.isEmpty()) QFile::remove(JoinPath(workSubdir_, WorkingCopyName(ExtractExtension(copiedSource_))));
  if (onFinish) Synchronize([&] { onFinish(); });
}

void AddLandmarks::Skip(const Row& row, SkippedRow::Reason reason, const QString& cause) {
  ++counts_.skipped;
  const SkippedRow skipped{row.id, row.sourcePath, reason, cause};
  if (!cause.isEmpty()) WriteMyLog(QStringLiteral("Add landmarks: row %1: %2").arg(row.id).arg(cause));
  if (onSkipped) Synchronize([&] { onSkipped(skipped); });
}

QString AddLandmarks::CheckedCopy(const Row& row) {
  const QString copy = JoinPath(workSubdir_, WorkingCopyName(ExtractExtension(row.sourcePath)));
  if (row.sourcePath != copiedSource_) {
    if (!copiedSource_.isEmpty()) QFile::remove(JoinPath(workSubdir_, WorkingCopyName(ExtractExtension(copiedSource_))));
    copiedSource_.clear();
    if (!QFileInfo(row.sourcePath).isFile()) {
      Skip(row, SkippedRow::Reason::SourceMissing);
      return {};
    }
    // A file of another size is another file: not worth copying and hashing.
    if (FileSize64(row.sourcePath) != row.sourceSize) {
      Skip(row, SkippedRow::Reason::SourceChanged,
           QStringLiteral("%1 bytes, the row has %2").arg(FileSize64(row.sourcePath)).arg(row.sourceSize));
      return {};
    }
    QFile::remove(copy);
    if (!QFile::copy(row.sourcePath, copy)) {
      Skip(row, SkippedRow::Reason::DecodingFailed, QStringLiteral("cannot copy the source into ") + workSubdir_);
      return {};
    }
    const FileDigests digests = HashFile(copy);
    copiedSource_ = row.sourcePath;
    copiedSize_ = digests.complete ? FileSize64(copy) : -1;
    copiedMd5_ = digests.md5;
  }
  if (copiedSize_ != row.sourceSize || copiedMd5_.compare(row.md5, Qt::CaseInsensitive) != 0) {
    Skip(row, SkippedRow::Reason::SourceChanged, QStringLiteral("MD5 %1, the row has %2").arg(copiedMd5_, row.md5));
    return {};
  }
  return copy;
}

void AddLandmarks::AddTo(const Row& row) {
  const QString copy = CheckedCopy(row);
  if (copy.isEmpty()) return;
  const QString wav = JoinPath(workSubdir_, kDecodedWavName);
  const QString dat = JoinPath(workSubdir_, kDecodedRawName);
  const StopRequest stop = [this] { return Terminated(); };
  const StreamDecoding decoded = DecodeAudioStream(tools_, copy, row.audioTrack, wav, dat, stop);
  if (Terminated()) {
    QFile::remove(dat);
    return;  // stopped: neither stored nor a problem of the row's
  }
  if (decoded != StreamDecoding::Decoded) {
    Skip(row, SkippedRow::Reason::DecodingFailed,
         decoded == StreamDecoding::ExtractFailed ? QStringLiteral("ffmpeg cannot extract audio stream %1")
                                                        .arg(row.audioTrack)
                                                  : QStringLiteral("sox cannot convert the audio"));
    return;
  }
  LandmarkRecord landmarks;
  {
    SampleBuffer mono;
    const int32_t count = LoadDecodedPcm(dat, mono);
    QFile::remove(dat);
    // The same decoding gives the same length: anything else would not be the
    // track the row's fingerprint was made from.
    if (count < 1 || count / kHalfSecond != row.records) {
      Skip(row, SkippedRow::Reason::DecodingFailed,
           QStringLiteral("decoded %1 samples (%2 records), the row has %3 records")
               .arg(std::max(count, 0))
               .arg(std::max(count, 0) / kHalfSecond)
               .arg(row.records));
      return;
    }
    landmarks = TrackLandmarks(mono.span());
  }
  if (Terminated()) return;
  bool stored = false;
  QString cause;
  {
    DatabaseLock lock(store_, kOwner);
    stored = store_.StoreLandmarks(row.id, landmarks);
    if (!stored) cause = store_.LastError();
  }
  if (!stored) return Skip(row, SkippedRow::Reason::StoreFailed, cause);
  ++counts_.added;
  if (onStored) Synchronize([&] { onStored(row.id); });
}

}  // namespace melo
